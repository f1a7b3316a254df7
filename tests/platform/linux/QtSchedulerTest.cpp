#include "platform/linux/QtScheduler.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace tarnwick;

namespace {

TEST(QtScheduler, RepeatsAndRunsZeroDelayWorkAfterTheCurrentJob) {
    QtScheduler scheduler;
    QStringList log;
    int ticks = 0;
    scheduler.every(Duration(0.01), [&] { ++ticks; });
    scheduler.after(Duration(0), [&] {
        scheduler.after(Duration(0), [&] { log << "inner"; });
        log << "outer done";
    });
    EXPECT_TRUE(log.isEmpty()); // nothing runs inline
    QElapsedTimer clock;
    clock.start();
    qint64 lateAt = -1;
    scheduler.after(Duration(0.05), [&] { lateAt = clock.elapsed(); });
    while ((ticks < 3 || lateAt < 0) && clock.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    EXPECT_GE(ticks, 3);
    EXPECT_EQ(log, QStringList({"outer done", "inner"}));
    EXPECT_GE(lateAt, 50); // never before its time
}

} // namespace
