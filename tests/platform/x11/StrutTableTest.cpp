#include "platform/x11/StrutTable.h"

#include <cstring>
#include <gtest/gtest.h>

namespace tarnwick {
namespace {

using X11Properties::RawProperty;

RawProperty cardinals(std::vector<std::uint32_t> values) {
    RawProperty p;
    p.type = X11Properties::kAtomCardinal;
    p.format = 32;
    p.bytes.resize(values.size() * 4);
    std::memcpy(p.bytes.data(), values.data(), p.bytes.size());
    return p;
}

TEST(StrutTableTest, WindowStaysTrackedWhileEitherSourceHoldsIt) {
    StrutTable table;
    EXPECT_TRUE(table.add(7, StrutTable::Listed));
    EXPECT_FALSE(table.add(7, StrutTable::Mapped)); // already read
    table.update(7, cardinals({0, 0, 32, 0, 0, 0, 0, 0, 0, 1599, 0, 0}), std::nullopt);
    EXPECT_FALSE(table.remove(7, StrutTable::Mapped));
    ASSERT_EQ(table.struts(1600, 900).size(), 1u);
    EXPECT_TRUE(table.remove(7, StrutTable::Listed));
    EXPECT_TRUE(table.struts(1600, 900).empty());
    // A late reply for a window no longer tracked is dropped.
    table.update(7, cardinals({0, 0, 32, 0, 0, 0, 0, 0, 0, 1599, 0, 0}), std::nullopt);
    EXPECT_FALSE(table.tracks(7));
    EXPECT_TRUE(table.struts(1600, 900).empty());
}

TEST(StrutTableTest, ReplaceReportsOnlyChangesOfItsOwnSource) {
    StrutTable table;
    table.add(1, StrutTable::Mapped);
    table.add(2, StrutTable::Listed);
    std::vector<StrutTable::Window> added, dropped;
    table.replace(StrutTable::Listed, {1, 3}, added, dropped);
    EXPECT_EQ(added, (std::vector<StrutTable::Window>{3}));
    EXPECT_EQ(dropped, (std::vector<StrutTable::Window>{2}));
    added.clear();
    dropped.clear();
    table.replace(StrutTable::Listed, {}, added, dropped);
    EXPECT_TRUE(added.empty());
    EXPECT_EQ(dropped, (std::vector<StrutTable::Window>{3})); // 1 is still mapped
    EXPECT_TRUE(table.tracks(1));
}

TEST(StrutTableTest, PartialWinsPlainFollowsScreenAndGarbageCountsAsNone) {
    StrutTable table;
    for (StrutTable::Window w : {1u, 2u, 3u}) {
        table.add(w, StrutTable::Mapped);
    }
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
