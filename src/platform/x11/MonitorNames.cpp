#include "platform/x11/MonitorNames.h"

#include "platform/x11/Edid.h"

#include <algorithm>

namespace tarnwick {

namespace {
constexpr std::uint32_t kMaxEdidLongs = 8192; // 32 KiB, beyond any real EDID
} // namespace

void MonitorNames::name(std::vector<Monitor>& monitors,
                        const std::vector<xcb_randr_output_t>& firstOutput,
                        const std::vector<xcb_atom_t>& nameAtom) {
    xcb_connection_t* c = x_.xcb();
    if (c == nullptr) {
        return;
    }
    const X11Connection::Atoms& a = x_.atoms();
    struct NameCookies {
        bool cached = false;
        xcb_get_atom_name_cookie_t atom{};
        bool hasAtom = false;
        xcb_randr_get_output_property_cookie_t edid[3]{};
        int edidCount = 0;
    };
    std::vector<NameCookies> names(monitors.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (firstOutput[i] == 0 && nameAtom[i] == 0) {
            continue; // Xinerama heads and the bare screen carry their names already
        }
        names[i].cached = cache_.count({firstOutput[i], nameAtom[i]}) != 0;
        if (names[i].cached) {
            continue;
        }
        if (nameAtom[i] != 0) {
            names[i].atom = xcb_get_atom_name(c, nameAtom[i]);
            names[i].hasAtom = true;
        }
        if (firstOutput[i] != 0) {
            for (xcb_atom_t edidAtom : {a.edid, a.edidData, a.edidDdc}) {
                if (edidAtom != 0) {
                    names[i].edid[names[i].edidCount++] = xcb_randr_get_output_property(
                        c, firstOutput[i], edidAtom, XCB_ATOM_ANY, 0, kMaxEdidLongs, 0, 0);
                }
            }
        }
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        Monitor& m = monitors[i];
        const std::pair key{firstOutput[i], nameAtom[i]};
        if (names[i].cached) {
            m.name = cache_[key];
        } else if (names[i].hasAtom || names[i].edidCount > 0) {
            m.name = readName(names[i].edid, names[i].edidCount,
                              names[i].hasAtom ? &names[i].atom : nullptr);
            cache_[key] = m.name;
        }
        if (m.name.empty()) {
            m.name = "Monitor " + std::to_string(i + 1);
        }
    }
}

std::string MonitorNames::readName(const xcb_randr_get_output_property_cookie_t* edid,
                                   int edidCount, const xcb_get_atom_name_cookie_t* atom) {
    std::optional<std::string> edidName;
    for (int k = 0; k < edidCount; ++k) {
        auto r = x_.reply<xcb_randr_get_output_property_reply_t>(
            xcb_randr_get_output_property_reply, edid[k]);
        if (edidName || !r || r->type != X11Properties::kAtomInteger || r->format != 8 ||
            r->bytes_after != 0) {
            continue;
        }
        const int length = xcb_randr_get_output_property_data_length(r.get());
        const std::uint8_t* data = xcb_randr_get_output_property_data(r.get());
        edidName = Edid::monitorName({data, static_cast<std::size_t>(std::max(length, 0))});
    }
    std::optional<std::string> atomName;
    if (atom != nullptr) {
        if (auto r = x_.reply<xcb_get_atom_name_reply_t>(xcb_get_atom_name_reply, *atom)) {
            const auto* bytes =
                reinterpret_cast<const std::uint8_t*>(xcb_get_atom_name_name(r.get()));
            atomName = X11Properties::latin1ToUtf8(
                {bytes, static_cast<std::size_t>(xcb_get_atom_name_name_length(r.get()))});
        }
    }
    if (edidName) {
        return *edidName; // printable ASCII, already canonical
    }
    return atomName.value_or(std::string());
}

} // namespace tarnwick
