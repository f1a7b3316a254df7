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

TEST(L10n, TextsComeFromTheEmbeddedTableAndFormatFillsPositionsOnce) {
    EXPECT_NE(L10n::string("help.troubleshooting.body"), "help.troubleshooting.body");
    EXPECT_EQ(L10n::string("no.such.key"), "no.such.key");
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collect);
    const QString moved = L10n::format("lastAction.moved", "Editor", "Second");
    const QString hostile = L10n::format("lastAction.moved", "50%2 off", "%1");
    const QString plain = L10n::format("apps.none", "ignored");
    qInstallMessageHandler(previous);

    EXPECT_LT(moved.indexOf("Editor"), moved.indexOf("Second"));
    EXPECT_FALSE(moved.contains('%'));
    // Arguments are data: placeholders inside them stay as they are.
    EXPECT_TRUE(hostile.contains("50%2 off")) << hostile.toStdString();
    EXPECT_TRUE(hostile.contains(" %1")) << hostile.toStdString();
    EXPECT_EQ(plain, L10n::string("apps.none"));
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join('\n').toStdString();
}
