#include "listview/portable/columnrules.h"

#include <gtest/gtest.h>

using namespace kal;

TEST(ColumnRules, AlignmentSwapsCentreAndRight) {
    EXPECT_EQ(SwapAlignment(0), 0);
    EXPECT_EQ(SwapAlignment(1), 2);
    EXPECT_EQ(SwapAlignment(2), 1);
    EXPECT_EQ(SwapAlignment(SwapAlignment(1)), 1);
}

TEST(ColumnRules, TileLinesAreListedOnceAndKeepTheirOrder) {
    using V = std::vector<std::int32_t>;
    EXPECT_EQ(TileColumnsAfter({}, 2, true), V({2}));
    EXPECT_EQ(TileColumnsAfter({2}, 2, true), std::nullopt);  // twice: listed once
    EXPECT_EQ(TileColumnsAfter({1, 2, 3}, 2, false), V({1, 3}));
    EXPECT_EQ(TileColumnsAfter({1, 3}, 2, false), std::nullopt);
    EXPECT_EQ(TileColumnsAfter({3}, 3, false), V{});
    EXPECT_EQ(TileColumnsAfter({3, 1}, 2, true), V({3, 1, 2}));
}
