#pragma once

#include "engine/Geometry.h"

namespace tarnwick {

// Where a window of the given size goes on the display whose visible frame is
// toVisible so that it keeps its relative place: its offset in the free room
// of fromVisible, as a fraction from 0 to 1 on each axis, applied to the free
// room of toVisible. A window larger than a visible frame on an axis lands at
// that frame's minimum on that axis; the size itself never changes.
Point relativePlacement(const Point& position, const Size& size, const Rect& fromVisible,
                        const Rect& toVisible);

} // namespace tarnwick
