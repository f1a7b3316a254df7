#pragma once

// Every EWMH/ICCCM window property the platform layer reads is decoded here, as
// pure functions over the bytes of a GetProperty reply. A value of the wrong
// type, format or length, with invalid text or of an absurd size is absent.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tarnwick::X11Properties {

// One property as the server returned it. Format-32 data is in host byte order.
struct RawProperty {
    std::uint32_t type = 0; // 0 (None) when the property does not exist
    std::uint8_t format = 0;
    std::vector<std::uint8_t> bytes;
    bool truncated = false; // the server had more than was asked for
};

// Predefined atoms of the core protocol.
inline constexpr std::uint32_t kAtomAtom = 4;
inline constexpr std::uint32_t kAtomCardinal = 6;
inline constexpr std::uint32_t kAtomInteger = 19;
inline constexpr std::uint32_t kAtomString = 31;
inline constexpr std::uint32_t kAtomWindow = 33;

// Upper bounds beyond which a value is taken as garbage.
inline constexpr std::size_t kMaxTextBytes = 4096;
inline constexpr std::size_t kMaxListLength = 65536;
inline constexpr std::uint32_t kMaxExtent = 65535;

// Format-32 items of the given type, between minCount and maxCount of them.
std::optional<std::vector<std::uint32_t>> items32(const RawProperty& p, std::uint32_t type,
                                                  std::size_t minCount, std::size_t maxCount);

std::optional<std::uint32_t> window(const RawProperty& p);               // WM_TRANSIENT_FOR & co.
std::optional<std::vector<std::uint32_t>> windows(const RawProperty& p); // _NET_CLIENT_LIST
std::optional<std::vector<std::uint32_t>> atoms(const RawProperty& p);   // _NET_WM_STATE & co.
std::optional<std::int32_t> pid(const RawProperty& p);                   // _NET_WM_PID

// Text of type UTF8_STRING, valid UTF-8 without NUL (one trailing NUL is tolerated),
// in canonical composed form (NFC).
std::optional<std::string> utf8Text(const RawProperty& p, std::uint32_t utf8StringAtom);

struct WmClass {
    std::string instance;
    std::string className;
};
// WM_CLASS: two Latin-1 strings, each ended by NUL (the last NUL may be missing).
std::optional<WmClass> wmClass(const RawProperty& p);

// Space reserved along the X screen's edges, with the range each edge's strut
// covers (inclusive, in root coordinates).
struct Strut {
    std::uint32_t left = 0, right = 0, top = 0, bottom = 0;
    std::uint32_t leftStartY = 0, leftEndY = 0, rightStartY = 0, rightEndY = 0;
    std::uint32_t topStartX = 0, topEndX = 0, bottomStartX = 0, bottomEndX = 0;
    friend bool operator==(const Strut&, const Strut&) = default;
};
std::optional<Strut> strutPartial(const RawProperty& p); // _NET_WM_STRUT_PARTIAL
// _NET_WM_STRUT: each strut spans its whole edge of a screen of the given size.
std::optional<Strut> strut(const RawProperty& p, std::uint32_t screenWidth,
                           std::uint32_t screenHeight);

struct FrameExtents {
    std::uint32_t left = 0, right = 0, top = 0, bottom = 0;
    friend bool operator==(const FrameExtents&, const FrameExtents&) = default;
};
std::optional<FrameExtents> frameExtents(const RawProperty& p); // _NET_FRAME_EXTENTS

// _NET_WORKAREA's entry for one desktop: x, y, width, height in root coordinates.
struct Area {
    std::uint32_t x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const Area&, const Area&) = default;
};
std::optional<Area> workArea(const RawProperty& p, std::uint32_t desktop);
std::optional<std::uint32_t> cardinal(const RawProperty& p); // _NET_CURRENT_DESKTOP & co.

// WM_STATE's state field (0 withdrawn, 1 normal, 3 iconic).
std::optional<std::uint32_t> wmState(const RawProperty& p, std::uint32_t wmStateAtom);

// What a window is, from _NET_WM_WINDOW_TYPE (the first type known here wins)
// and whether it is transient for another window.
enum class WindowKind { Standard, Dialog, Floating, Other };
struct TypeAtoms {
    std::uint32_t normal = 0, dialog = 0, utility = 0, toolbar = 0, menu = 0, splash = 0;
};
WindowKind windowKind(const std::optional<std::vector<std::uint32_t>>& types, bool transient,
                      const TypeAtoms& known);

// A process id from X-Resource client ids: only an entry whose client is the
// resource base of the window asked about, with a single 32-bit value, counts.
struct ClientIdValue {
    std::uint32_t client = 0;
    std::uint32_t mask = 0;
    std::vector<std::uint32_t> values;
};
std::optional<std::int32_t> pidFromClientIds(std::uint32_t window,
                                             std::span<const ClientIdValue> ids);

// Latin-1 bytes as UTF-8 in NFC.
std::string latin1ToUtf8(std::span<const std::uint8_t> bytes);
// UTF-8 in NFC; empty when the bytes are not valid UTF-8.
std::optional<std::string> normalizedUtf8(std::span<const std::uint8_t> bytes);

} // namespace tarnwick::X11Properties
