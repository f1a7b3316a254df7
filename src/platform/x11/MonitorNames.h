#pragma once

#include "platform/x11/ScreenLayout.h"
#include "platform/x11/X11Connection.h"

#include <map>
#include <string>
#include <vector>
#include <xcb/randr.h>

namespace tarnwick {

// Monitor names from the EDID of a monitor's first output, else RandR's name
// for it, else "Monitor N". Kept until RandR reports a change, since reading
// EDIDs costs a request per output.
class MonitorNames {
public:
    explicit MonitorNames(X11Connection& connection) : x_(connection) {}

    // Names each monitor; firstOutput and nameAtom go by monitor, 0 when none.
    void name(std::vector<Monitor>& monitors, const std::vector<xcb_randr_output_t>& firstOutput,
              const std::vector<xcb_atom_t>& nameAtom);
    void clear() { cache_.clear(); }

private:
    std::string readName(const xcb_randr_get_output_property_cookie_t* edid, int edidCount,
                         const xcb_get_atom_name_cookie_t* atom);

    X11Connection& x_;
    // Names by (first output, RandR name atom).
    std::map<std::pair<xcb_randr_output_t, xcb_atom_t>, std::string> cache_;
};

} // namespace tarnwick
