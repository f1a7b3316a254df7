#pragma once

#include "engine/Geometry.h"

#include <string>
#include <vector>

namespace tarnwick {

// One display as the platform lists it, in the global bottom-left, y-up space
// whose origin is the primary display's bottom-left corner.
struct Display {
    Rect frame;
    Rect visibleFrame; // the frame less panels, docks and menu bars
    std::string localizedName;
};

// The display arrangement and the mouse pointer, read afresh on every call.
class Displays {
public:
    virtual ~Displays() = default;
    // Ordered, primary display first; empty when the platform lists none.
    virtual std::vector<Display> screens() = 0;
    // The pointer in the same bottom-left, y-up space.
    virtual Point mouseLocation() = 0;
};

} // namespace tarnwick
