#include "platform/x11/StrutTable.h"

namespace tarnwick {

void StrutTable::update(Window window, const std::optional<X11Properties::RawProperty>& partial,
                        const std::optional<X11Properties::RawProperty>& plain) {
    if (window == 0) {
        return;
    }
    Entry& e = entries_[window];
    e.partial = partial ? X11Properties::strutPartial(*partial) : std::nullopt;
    e.plain.reset();
    if (!e.partial && plain && plain->type != 0) {
        e.plain = *plain;
    }
}

void StrutTable::setShown(Window window, bool shown) {
    if (const auto it = entries_.find(window); it != entries_.end()) {
        it->second.shown = shown;
    }
}

std::vector<X11Properties::Strut> StrutTable::struts(std::uint32_t screenWidth,
                                                     std::uint32_t screenHeight) const {
    std::vector<X11Properties::Strut> list;
    for (const auto& [window, e] : entries_) {
        if (!e.shown) {
            continue;
        }
        if (e.partial) {
            list.push_back(*e.partial);
        } else if (e.plain) {
            if (auto s = X11Properties::strut(*e.plain, screenWidth, screenHeight)) {
                list.push_back(*s);
            }
        }
    }
    return list;
}

} // namespace tarnwick
