#pragma once

#include <QLabel>
#include <QUrl>

namespace tarnwick {

// A link that is one tab stop: it shows its text verbatim, marks its focus,
// opens its address on a click, Enter or Space, and is reported as a link.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    // Room around the text for the focus mark.
    static constexpr int kFocusMargin = 2;

    LinkLabel(const QString& text, const QUrl& url, QWidget* parent = nullptr);

    QUrl url() const { return url_; }
    void open() const;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QUrl url_;
};

} // namespace tarnwick
