#pragma once

#include "platform/x11/X11Properties.h"

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace tarnwick {

// The struts of every window that may reserve screen space: the window
// manager's clients, and the mapped ordinary children of the root (docks a
// manager does not list). Kept up to date from events, so that reading the
// visible areas costs no request.
class StrutTable {
public:
    using Window = std::uint32_t;
    enum Source : std::uint8_t { Listed = 1, Mapped = 2 };

    // True when the window was not tracked before: its struts must be read.
    bool add(Window window, Source source);
    // True when the window is tracked no more.
    bool remove(Window window, Source source);
    // Makes windows the whole of one source; fills the windows newly tracked
    // and those tracked no more.
    void replace(Source source, const std::vector<Window>& windows, std::vector<Window>& added,
                 std::vector<Window>& dropped);
    bool tracks(Window window) const { return entries_.count(window) != 0; }
    void clear() { entries_.clear(); }

    // The properties as read; absent ones (the window is gone) count as unset.
    void update(Window window, const std::optional<X11Properties::RawProperty>& partial,
                const std::optional<X11Properties::RawProperty>& plain);

    // Partial struts where set, else plain ones over a screen of the given size.
    std::vector<X11Properties::Strut> struts(std::uint32_t screenWidth,
                                             std::uint32_t screenHeight) const;

private:
    struct Entry {
        std::uint8_t sources = 0;
        std::optional<X11Properties::Strut> partial;
        std::optional<X11Properties::RawProperty> plain; // its extent depends on the screen
    };
    std::map<Window, Entry> entries_;
};

} // namespace tarnwick
