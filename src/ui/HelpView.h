#pragma once

#include <QScrollArea>

class QVBoxLayout;

namespace tarnwick {

class AppModel;

// The Help tab: a scrolling page with a header and six sections.
class HelpView : public QScrollArea {
    Q_OBJECT
public:
    // Width of every section's icon column, so that all titles line up.
    static constexpr int kSectionIconWidth = 24;

    explicit HelpView(const AppModel& model, QWidget* parent = nullptr);

protected:
    // The page has nothing else to focus, so it keeps the focus for keyboard
    // scrolling and marks it with a ring around the page.
    bool event(QEvent* event) override;

private:
    void addSection(QVBoxLayout& page, const QString& titleText, const QString& bodyText,
                    const QString& symbol);
};

} // namespace tarnwick
