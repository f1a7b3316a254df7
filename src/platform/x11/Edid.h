#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tarnwick::Edid {

// The monitor's product name (display descriptor 0xFC) from a raw EDID blob, or
// nothing when the blob is malformed or carries no usable name.
std::optional<std::string> monitorName(std::span<const std::uint8_t> edid);

} // namespace tarnwick::Edid
