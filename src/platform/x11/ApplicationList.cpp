#include "platform/x11/ApplicationList.h"

#include <algorithm>

namespace tarnwick {

RunningApplicationRef ApplicationList::join(Window window, const ClientFacts& facts) {
    auto [it, isNew] = applications_.try_emplace(facts.pid);
    Application& app = it->second;
    const bool wasRegular = app.regular > 0;
    if (!app.windows.try_emplace(window, facts).second) {
        return nullptr; // joined already
    }
    app.regular += facts.regular ? 1 : 0;
    const ClientFacts* source = app.source != 0 ? &app.windows.at(app.source) : nullptr;
    if (betterSource(facts, source)) {
        app.source = window;
        snapshot(facts.pid, app);
    } else if (wasRegular != (app.regular > 0)) {
        snapshot(facts.pid, app);
    }
    if (isNew) {
        order_.push_back(facts.pid);
    }
    return isNew || (!wasRegular && app.regular > 0) ? app.snapshot : nullptr;
}

RunningApplicationRef ApplicationList::leave(Window window, Pid pid) {
    const auto it = applications_.find(pid);
    if (it == applications_.end()) {
        return nullptr;
    }
    Application& app = it->second;
    const auto w = app.windows.find(window);
    if (w == app.windows.end()) {
        return nullptr;
    }
    const bool wasRegular = app.regular > 0;
    app.regular -= w->second.regular ? 1 : 0;
    app.windows.erase(w);
    if (app.windows.empty()) {
        RunningApplicationRef ended = app.snapshot;
        std::erase(order_, pid);
        applications_.erase(it);
        return ended;
    }
    if (app.source == window) {
        app.source = 0;
        for (const auto& [candidate, facts] : app.windows) {
            if (betterSource(facts, app.source != 0 ? &app.windows.at(app.source) : nullptr)) {
                app.source = candidate;
            }
        }
        snapshot(pid, app);
    } else if (wasRegular != (app.regular > 0)) {
        snapshot(pid, app);
    }
    return nullptr;
}

bool ApplicationList::betterSource(const ClientFacts& candidate, const ClientFacts* current) {
    return current == nullptr || (candidate.regular && !current->regular) ||
           (!current->applicationId && candidate.applicationId &&
            candidate.regular == current->regular);
}

void ApplicationList::snapshot(Pid pid, Application& app) {
    auto s = std::make_shared<RunningApplication>();
    s->processIdentifier = pid;
    s->activationPolicy = app.regular > 0 ? ActivationPolicy::Regular : ActivationPolicy::Accessory;
    if (app.source != 0) {
        const ClientFacts& source = app.windows.at(app.source);
        s->bundleIdentifier = source.applicationId;
        std::optional<std::string> name;
        if (nameFor_ && source.applicationId) {
            name = nameFor_(*source.applicationId);
        }
        if (nameFor_ && !name && source.className) {
            name = nameFor_(*source.className);
        }
        s->localizedName = name ? name : source.className;
    }
    app.snapshot = std::move(s);
}

std::vector<RunningApplicationRef> ApplicationList::applications() const {
    std::vector<RunningApplicationRef> list;
    list.reserve(order_.size());
    for (Pid pid : order_) {
        list.push_back(applications_.at(pid).snapshot);
    }
    return list;
}

std::vector<RunningApplicationRef> ApplicationList::clear() {
    auto list = applications();
    applications_.clear();
    order_.clear();
    return list;
}

} // namespace tarnwick
