#include "platform/x11/Edid.h"

#include <gtest/gtest.h>
#include <vector>

namespace tarnwick {
namespace {

std::vector<std::uint8_t> edidWithDescriptor(int slot, std::uint8_t tag, std::string_view text) {
    std::vector<std::uint8_t> e(128, 0);
    const std::uint8_t header[] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    std::copy(std::begin(header), std::end(header), e.begin());
    // Slot 0 usually holds a detailed timing, which begins with a non-zero clock.
    e[0x36] = 0x02;
    e[0x37] = 0x3A;
    const std::size_t at = 0x36 + 18 * static_cast<std::size_t>(slot);
    e[at] = e[at + 1] = e[at + 2] = 0;
    e[at + 3] = tag;
    for (std::size_t k = 0; k < 13; ++k) {
        e[at + 5 + k] = k < text.size() ? static_cast<std::uint8_t>(text[k]) : 0x20;
    }
    return e;
}

TEST(Edid, ReadsTheProductNameDescriptorOfAnHonestBlobOnly) {
    const auto good = edidWithDescriptor(3, 0xFC, "DELL U2720Q\n");
    EXPECT_EQ(Edid::monitorName(good), "DELL U2720Q");
    // Thirteen characters leave no room for the newline.
    EXPECT_EQ(Edid::monitorName(edidWithDescriptor(1, 0xFC, "ABCDEFGHIJKLM")), "ABCDEFGHIJKLM");
    auto withExtension = edidWithDescriptor(2, 0xFC, "Panel\n");
    withExtension.resize(256, 0xAB);
    EXPECT_EQ(Edid::monitorName(withExtension), "Panel");

    // Hostile blobs give no name.
    EXPECT_FALSE(Edid::monitorName({good.data(), 127})); // truncated
    for (const std::size_t size : {200, 128 * 257}) {    // not whole blocks, too many
        auto resized = good;
        resized.resize(size);
        EXPECT_FALSE(Edid::monitorName(resized)) << size;
    }
    auto badHeader = good;
    badHeader[1] = 0;
    EXPECT_FALSE(Edid::monitorName(badHeader));
    EXPECT_FALSE(Edid::monitorName(edidWithDescriptor(3, 0xFE, "Other text\n")));
    EXPECT_FALSE(Edid::monitorName(edidWithDescriptor(3, 0xFC, "Bad\x01name\n")));
    EXPECT_FALSE(Edid::monitorName(edidWithDescriptor(3, 0xFC, "Hi\xC3\xA9\n")));
    EXPECT_FALSE(Edid::monitorName(edidWithDescriptor(3, 0xFC, "\n")));
    EXPECT_FALSE(Edid::monitorName({}));
}

} // namespace
} // namespace tarnwick
