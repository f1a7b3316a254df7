#include "platform/x11/X11WindowManager.h"

#include <algorithm>

namespace tarnwick {

std::optional<Pid> X11WindowManager::detect() {
    clear();
    const X11Connection::Atoms& a = x_.atoms();
    const auto check = x_.requestProperty(x_.root(), a.netSupportingWmCheck, 1);
    const auto rootCheck = x_.takeProperty(check);
    const auto candidate = rootCheck ? X11Properties::window(*rootCheck) : std::nullopt;
    if (!candidate) {
        return std::nullopt;
    }
    // The check window names itself when the manager that set it still runs.
    const auto own = x_.requestProperty(*candidate, a.netSupportingWmCheck, 1);
    const auto supported = x_.requestProperty(x_.root(), a.netSupported, 1024);
    const auto ownCheck = x_.takeProperty(own);
    const auto supportedList = x_.takeProperty(supported);
    if (!ownCheck || X11Properties::window(*ownCheck) != candidate) {
        return std::nullopt;
    }
    checkWindow_ = *candidate;
    // Its end is the manager's. A window already gone answers with an error
    // event, which is ignored.
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(x_.xcb(), checkWindow_, XCB_CW_EVENT_MASK, &mask);
    if (supportedList) {
        if (auto list = X11Properties::atoms(*supportedList)) {
            allowedActions_ =
                std::find(list->begin(), list->end(), a.netWmAllowedActions) != list->end();
        }
    }
    const auto manager = reader_.read({{checkWindow_, false}}).front();
    return manager ? std::optional<Pid>(manager->pid) : std::nullopt;
}

void X11WindowManager::handleEvent(const xcb_generic_event_t& event) {
    switch (event.response_type & 0x7F) {
    case XCB_DESTROY_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
        changed_ |= e.window != 0 && e.window == checkWindow_;
        break;
    }
    case XCB_PROPERTY_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        const X11Connection::Atoms& a = x_.atoms();
        changed_ |=
            e.window == x_.root() && (e.atom == a.netSupportingWmCheck || e.atom == a.netSupported);
        break;
    }
    default:
        break;
    }
}

void X11WindowManager::clear() {
    checkWindow_ = 0;
    allowedActions_ = false;
    changed_ = false;
}

} // namespace tarnwick
