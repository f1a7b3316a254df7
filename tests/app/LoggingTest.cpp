#include "app/Logging.h"

#include <gtest/gtest.h>

using namespace tarnwick;

namespace {
QStringList logged;
void collect(QtMsgType, const QMessageLogContext& context, const QString& message) {
    logged.append(QString::fromLatin1(context.category) + ": " + message);
}
} // namespace

TEST(Logging, SilentUntilEnabledThenTheEngineReportsInItsCategory) {
    if (qEnvironmentVariableIsSet("QT_LOGGING_RULES")) {
        GTEST_SKIP() << "QT_LOGGING_RULES decides here";
    }
    for (const QLoggingCategory* category : {&lcEngine(), &lcApp(), &lcX11()}) {
        EXPECT_FALSE(category->isDebugEnabled() || category->isInfoEnabled() ||
                     category->isWarningEnabled())
            << category->categoryName();
    }
    logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collect);
    QLoggingCategory::setFilterRules(QStringLiteral("tarnwick.*=true"));
    QtEngineLog log;
    log.decision("left a window alone");
    log.failure("a request failed");
    QLoggingCategory::setFilterRules(QString());
    log.failure("not heard");
    qInstallMessageHandler(previous);
    EXPECT_EQ(logged, QStringList({"tarnwick.engine: left a window alone",
                                   "tarnwick.engine: a request failed"}));
}
