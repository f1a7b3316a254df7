#include "app/L10n.h"

#include <QtGlobal>
#include <gtest/gtest.h>

using namespace tarnwick;

namespace {
QStringList warnings;
void collect(QtMsgType, const QMessageLogContext&, const QString& message) {
    warnings.append(message);
}
} // namespace

TEST(L10n, EveryKeyOfTheProgramHasAText) {
    const QStringList keys = {"status.preparing",
                              "status.active",
                              "status.paused",
                              "status.permissionMissing",
                              "lastAction.none",
                              "lastAction.moved",
                              "Tarnwick",
                              "placement.toggle",
                              "permission.allow",
                              "about.title",
                              "menu.settings",
                              "menu.quit",
                              "settings.general",
                              "settings.help",
                              "placement.header",
                              "placement.hint",
                              "loginItem.header",
                              "loginItem.toggle",
                              "loginItem.hint",
                              "loginItem.approvalRequired",
                              "loginItem.openSettings",
                              "loginItem.footer",
                              "permission.header",
                              "permission.allowed",
                              "permission.required",
                              "permission.explanation",
                              "permission.openSettings",
                              "status.header",
                              "status.lastAction",
                              "apps.header",
                              "apps.none",
                              "apps.enableAll",
                              "apps.footer",
                              "help.intro",
                              "help.how.title",
                              "help.how.body",
                              "help.permission.title",
                              "help.permission.body",
                              "help.loginItem.title",
                              "help.loginItem.body",
                              "help.apps.title",
                              "help.apps.body",
                              "help.limits.title",
                              "help.limits.body",
                              "help.troubleshooting.title",
                              "help.troubleshooting.body",
                              "about.version",
                              "about.description",
                              "about.developer",
                              "about.email",
                              "about.phone",
                              "about.website",
                              "Made with love in many places"};
    for (const QString& key : keys) {
        const QString text = L10n::string(key);
        EXPECT_FALSE(text.isEmpty()) << key.toStdString();
        // Only the product name and the sentences that are their own keys may read as the key.
        if (key.contains(QLatin1Char('.'))) {
            EXPECT_NE(text, key) << key.toStdString();
        }
    }
    EXPECT_EQ(L10n::string("Tarnwick"), "Tarnwick");
    const QString heart = QStringLiteral("Made with \u2665\uFE0E in many places");
    EXPECT_EQ(L10n::string(heart), heart);
    EXPECT_EQ(L10n::string("no.such.key"), "no.such.key");
}

TEST(L10n, FormatFillsPositionsOnceAndNeverWarns) {
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collect);
    const QString moved = L10n::format("lastAction.moved", "Editor", "Second");
    const QString hostile = L10n::format("lastAction.moved", "50%2 off", "%1");
    const QString missing = L10n::format("no.such.key", "a", "b");
    const QString plain = L10n::format("apps.none", "ignored");
    qInstallMessageHandler(previous);

    EXPECT_LT(moved.indexOf("Editor"), moved.indexOf("Second"));
    EXPECT_FALSE(moved.contains('%'));
    // Arguments are data: placeholders inside them stay as they are.
    EXPECT_TRUE(hostile.contains("50%2 off")) << hostile.toStdString();
    EXPECT_TRUE(hostile.contains(" %1")) << hostile.toStdString();
    EXPECT_EQ(missing, "no.such.key");
    EXPECT_EQ(plain, L10n::string("apps.none"));
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join('\n').toStdString();
}
