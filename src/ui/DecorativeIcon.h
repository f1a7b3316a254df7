#pragma once

#include <QColor>
#include <QLabel>
#include <QString>

namespace tarnwick {

// A symbol that only decorates the text beside it: screen readers skip it,
// and it never takes the focus.
class DecorativeIcon : public QLabel {
    Q_OBJECT
public:
    // The icon is size wide; its height is the symbol's, centred in the row.
    explicit DecorativeIcon(int size, QWidget* parent = nullptr);

    void setSymbol(const QString& name, const QColor& color);
    QString symbolName() const { return symbolName_; }

private:
    int size_;
    QString symbolName_;
    QColor color_;
};

} // namespace tarnwick
