#pragma once

#include "platform/x11/X11Properties.h"

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace tarnwick {

// The struts of the docks, as last read. Only a shown dock reserves room.
class StrutTable {
public:
    using Window = std::uint32_t;

    // The properties as read; absent ones (the window is gone) count as unset.
    void update(Window window, const std::optional<X11Properties::RawProperty>& partial,
                const std::optional<X11Properties::RawProperty>& plain);
    void setShown(Window window, bool shown);
    void remove(Window window) { entries_.erase(window); }
    bool tracks(Window window) const { return entries_.count(window) != 0; }
    void clear() { entries_.clear(); }

    // Partial struts where set, else plain ones over a screen of the given size.
    std::vector<X11Properties::Strut> struts(std::uint32_t screenWidth,
                                             std::uint32_t screenHeight) const;

private:
    struct Entry {
        bool shown = true;
        std::optional<X11Properties::Strut> partial;
        std::optional<X11Properties::RawProperty> plain; // its extent depends on the screen
    };
    std::map<Window, Entry> entries_;
};

} // namespace tarnwick
