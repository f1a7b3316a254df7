#include "platform/x11/StrutTable.h"

#include <algorithm>
#include <set>

namespace tarnwick {

bool StrutTable::add(Window window, Source source) {
    if (window == 0) {
        return false;
    }
    auto [it, isNew] = entries_.try_emplace(window);
    it->second.sources |= source;
    return isNew;
}

bool StrutTable::remove(Window window, Source source) {
    const auto it = entries_.find(window);
    if (it == entries_.end()) {
        return false;
    }
    it->second.sources &= static_cast<std::uint8_t>(~source);
    if (it->second.sources != 0) {
        return false;
    }
    entries_.erase(it);
    return true;
}

void StrutTable::replace(Source source, const std::vector<Window>& windows,
                         std::vector<Window>& added, std::vector<Window>& dropped) {
    const std::set<Window> wanted(windows.begin(), windows.end());
    std::vector<Window> gone;
    for (const auto& [window, entry] : entries_) {
        if ((entry.sources & source) != 0 && wanted.count(window) == 0) {
            gone.push_back(window);
        }
    }
    for (Window w : gone) {
        if (remove(w, source)) {
            dropped.push_back(w);
        }
    }
    for (Window w : wanted) {
        if (add(w, source)) {
            added.push_back(w);
        }
    }
}

void StrutTable::update(Window window, const std::optional<X11Properties::RawProperty>& partial,
                        const std::optional<X11Properties::RawProperty>& plain) {
    const auto it = entries_.find(window);
    if (it == entries_.end()) {
        return;
    }
    Entry& e = it->second;
    e.partial = partial ? X11Properties::strutPartial(*partial) : std::nullopt;
    e.plain.reset();
    if (!e.partial && plain && plain->type != 0) {
        e.plain = *plain;
    }
}

std::vector<X11Properties::Strut> StrutTable::struts(std::uint32_t screenWidth,
                                                     std::uint32_t screenHeight) const {
    std::vector<X11Properties::Strut> list;
    for (const auto& [window, e] : entries_) {
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
