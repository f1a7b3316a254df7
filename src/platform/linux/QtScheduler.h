#pragma once

#include "engine/ports/Scheduler.h"

#include <QObject>

namespace tarnwick {

// Deferred work on the Qt main event loop.
class QtScheduler : public QObject, public Scheduler {
    Q_OBJECT
public:
    explicit QtScheduler(QObject* parent = nullptr) : QObject(parent) {}
    void after(Duration delay, std::function<void()> work) override;
    void every(Duration interval, std::function<void()> work) override;
};

} // namespace tarnwick
