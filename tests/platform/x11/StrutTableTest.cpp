#include "platform/x11/StrutTable.h"

#include <cstring>
#include <gtest/gtest.h>

namespace tarnwick {
namespace {

using X11Properties::RawProperty;

RawProperty cardinals(std::vector<std::uint32_t> values) {
    RawProperty p{X11Properties::kAtomCardinal, 32, std::vector<std::uint8_t>(values.size() * 4)};
    std::memcpy(p.bytes.data(), values.data(), p.bytes.size());
    return p;
}

TEST(StrutTableTest, OnlyShownDocksReserveRoom) {
    StrutTable table;
    table.update(7, cardinals({0, 0, 32, 0, 0, 0, 0, 0, 0, 1599, 0, 0}), std::nullopt);
    ASSERT_EQ(table.struts(1600, 900).size(), 1u);
    table.setShown(7, false);
    EXPECT_TRUE(table.struts(1600, 900).empty());
    table.setShown(7, true);
    EXPECT_EQ(table.struts(1600, 900).size(), 1u);
    table.remove(7);
    table.setShown(7, true); // a late event for a window gone
    EXPECT_FALSE(table.tracks(7));
    EXPECT_TRUE(table.struts(1600, 900).empty());
}

TEST(StrutTableTest, PartialWinsPlainFollowsScreenAndGarbageCountsAsNone) {
    StrutTable table;
    table.update(1, cardinals({0, 0, 30, 0, 0, 0, 0, 0, 0, 99, 0, 0}), cardinals({0, 0, 50, 0}));
    table.update(2, RawProperty{}, cardinals({0, 20, 0, 0}));
    table.update(3, cardinals({1, 2, 3}), cardinals({1}));
    const auto small = table.struts(800, 600);
    ASSERT_EQ(small.size(), 2u);
    EXPECT_EQ(small[0].top, 30u);
    EXPECT_EQ(small[0].topEndX, 99u);
    EXPECT_EQ(small[1].right, 20u);
    EXPECT_EQ(small[1].rightEndY, 599u);
    EXPECT_EQ(table.struts(1600, 1200)[1].rightEndY, 1199u);
    // A property that is gone takes its strut with it.
    table.update(2, std::nullopt, std::nullopt);
    EXPECT_EQ(table.struts(800, 600).size(), 1u);
}

} // namespace
} // namespace tarnwick
