#include "ui/AboutWindow.h"

#include "UiTestSupport.h"
#include "ui/LinkLabel.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QLabel>

namespace tarnwick::testing {
namespace {

using AboutWindowTest = UiTest;

TEST_F(AboutWindowTest, LinksAreLinksAndOneTabStopEach) {
    const QString saved = QCoreApplication::applicationVersion();
    QCoreApplication::setApplicationVersion("2.7.1");
    AboutWindow window;
    QCoreApplication::setApplicationVersion(saved);
    EXPECT_TRUE(window.findChild<QLabel*>("aboutVersion")->text().contains("2.7.1"));
    activate(window);

    const QList<LinkLabel*> links = window.findChildren<LinkLabel*>();
    ASSERT_EQ(links.size(), 3);
    for (LinkLabel* link : links) {
        EXPECT_EQ(link->textFormat(), Qt::PlainText);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(link);
        EXPECT_EQ(accessible->role(), QAccessible::Link);
        EXPECT_EQ(accessible->text(QAccessible::Name), link->text());
    }
    // Each link is one tab stop that shows its focus; nothing else stops.
    const QList<QWidget*> stops = tabStops(window);
    EXPECT_EQ(stops.size(), 3);
    for (QWidget* stop : stops) {
        EXPECT_TRUE(links.contains(stop)) << stop->objectName().toStdString();
    }
}

} // namespace
} // namespace tarnwick::testing
