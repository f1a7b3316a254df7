#include "platform/x11/Edid.h"

#include <algorithm>

namespace tarnwick::Edid {

namespace {
constexpr std::size_t kBlockSize = 128;
constexpr std::size_t kMaxBlocks = 256; // the extension count is one byte
constexpr std::uint8_t kHeader[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
constexpr std::size_t kFirstDescriptor = 0x36;
constexpr std::size_t kDescriptorSize = 18;
constexpr std::uint8_t kNameTag = 0xFC;
} // namespace

std::optional<std::string> monitorName(std::span<const std::uint8_t> edid) {
    if (edid.size() < kBlockSize || edid.size() % kBlockSize != 0 ||
        edid.size() > kBlockSize * kMaxBlocks || !std::equal(kHeader, kHeader + 8, edid.begin())) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < 4; ++i) {
        const auto d = edid.subspan(kFirstDescriptor + kDescriptorSize * i, kDescriptorSize);
        if (d[0] != 0 || d[1] != 0 || d[2] != 0 || d[3] != kNameTag) {
            continue;
        }
        std::string name;
        for (std::size_t k = 5; k < kDescriptorSize && d[k] != '\n'; ++k) {
            // Printable ASCII only; anything else is not a name we can trust.
            if (d[k] < 0x20 || d[k] > 0x7E) {
                return std::nullopt;
            }
            name.push_back(static_cast<char>(d[k]));
        }
        while (!name.empty() && name.back() == ' ') {
            name.pop_back();
        }
        if (name.empty()) {
            return std::nullopt;
        }
        return name;
    }
    return std::nullopt;
}

} // namespace tarnwick::Edid
