#include "ui/AboutWindow.h"

#include "UiTestSupport.h"
#include "app/L10n.h"
#include "ui/LinkLabel.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <gtest/gtest.h>

namespace tarnwick::testing {
namespace {

class AboutWindowTest : public UiTest {};

TEST_F(AboutWindowTest, VersionComesFromTheApplicationWithAFallback) {
    const QString saved = QCoreApplication::applicationVersion();
    QCoreApplication::setApplicationVersion(QString());
    EXPECT_EQ(AboutWindow::version(), "0.1.0");
    QCoreApplication::setApplicationVersion("2.7.1");
    AboutWindow window;
    EXPECT_EQ(window.findChild<QLabel*>("aboutVersion")->text(),
              L10n::format("about.version", QStringLiteral("2.7.1")));
    QCoreApplication::setApplicationVersion(saved);
}

TEST_F(AboutWindowTest, LayoutContactRowsAndTabStops) {
    AboutWindow window;
    activate(window);
    EXPECT_EQ(window.width(), AboutWindow::kWidth);
    auto* icon = window.findChild<QLabel*>("aboutIcon");
    EXPECT_EQ(icon->size(), QSize(112, 112));
    EXPECT_EQ(icon->accessibleName(), L10n::string("Tarnwick"));
    // The description wraps within its width and is never cut short.
    auto* description = window.findChild<QLabel*>("aboutDescription");
    EXPECT_LE(description->width(), AboutWindow::kDescriptionWidth);
    EXPECT_GE(description->height(), description->heightForWidth(description->width()));

    auto* grid = window.findChild<QGridLayout*>("contactGrid");
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(grid->rowCount(), 4);
    const char* links[] = {nullptr, "mailto:hello@tarnwick.org", "tel:+442079460958",
                           "https://tarnwick.org"};
    for (int row = 0; row < 4; ++row) {
        QLayoutItem* label = grid->itemAtPosition(row, 0);
        QLayoutItem* value = grid->itemAtPosition(row, 1);
        ASSERT_TRUE(label && value);
        EXPECT_TRUE(label->alignment() & Qt::AlignRight);
        EXPECT_TRUE(value->alignment() & Qt::AlignLeft);
        auto* cell = qobject_cast<QLabel*>(value->widget());
        EXPECT_EQ(cell->textFormat(), Qt::PlainText);
        auto* link = qobject_cast<LinkLabel*>(cell);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(cell);
        if (links[row] == nullptr) {
            EXPECT_NE(accessible->role(), QAccessible::Link);
        } else {
            ASSERT_NE(link, nullptr);
            EXPECT_EQ(link->url(), QUrl(links[row]));
            EXPECT_EQ(accessible->role(), QAccessible::Link);
            EXPECT_EQ(accessible->text(QAccessible::Name), link->text());
        }
    }
    auto* attribution = window.findChild<QLabel*>("aboutAttribution");
    EXPECT_TRUE(attribution->text().contains(QString::fromUtf8("\u2665\uFE0E")));
    EXPECT_EQ(attribution->accessibleName(), L10n::string("Made with love in many places"));

    // Each link is one tab stop that shows its focus; nothing else stops.
    const QList<QWidget*> stops = tabStops(window);
    ASSERT_EQ(stops.size(), 3);
    for (QWidget* stop : stops) {
        EXPECT_NE(qobject_cast<LinkLabel*>(stop), nullptr) << stop->objectName().toStdString();
    }
}

} // namespace
} // namespace tarnwick::testing
