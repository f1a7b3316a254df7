#include "platform/linux/QtScheduler.h"

#include <QTimer>
#include <chrono>
#include <cmath>

namespace tarnwick {

namespace {
// Whole milliseconds, rounded up so that work never runs before its time.
std::chrono::milliseconds toMilliseconds(Duration d) {
    const double ms = std::ceil(std::max(0.0, d.count()) * 1000.0);
    return std::chrono::milliseconds(static_cast<long long>(ms));
}
} // namespace

void QtScheduler::after(Duration delay, std::function<void()> work) {
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, [timer, work = std::move(work)] {
        timer->deleteLater();
        work();
    });
    timer->start(toMilliseconds(delay));
}

void QtScheduler::every(Duration interval, std::function<void()> work) {
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, std::move(work));
    timer->start(toMilliseconds(interval));
}

} // namespace tarnwick
