// Colours, angles and the shapes of the effect graphs.
#include <gtest/gtest.h>

#include "editor/portable/graphmath.h"

using namespace kal;

TEST(GraphColours, OpacityRoundsHalfToEven) {
    EXPECT_EQ(ArgbFromRgb(0x0000FF, 30), 0x4CFF0000u);  // 76.5 -> 76
    EXPECT_EQ(OpacityAlpha(100), 255);
    EXPECT_EQ(OpacityAlpha(-100), 255);
    EXPECT_EQ(OpacityAlpha(0), 0);
    EXPECT_EQ(OpacityAlpha(10), 26);   // 25.5 -> 26
    EXPECT_EQ(OpacityAlpha(50), 128);  // 127.5 -> 128
    EXPECT_EQ(ArgbFromRgb(0x123456, 100), 0xFF563412u);
}

TEST(GraphColours, ScaleColorLightensEachByteUpTo255) {
    EXPECT_EQ(ScaleColorBytes(0xF0F0F0, 1.02), 0xF5F5F5u);  // 244.8 -> 245
    EXPECT_EQ(ScaleColorBytes(0xFFFF80, 1.02), 0xFFFF83u);  // 130.56 -> 131, 260 -> 255
    EXPECT_EQ(ScaleColorBytes(0x000019, 1.1), 0x00001Cu);   // 27.5 -> 28
    EXPECT_EQ(ScaleColorBytes(0x00001B, 1.5), 0x000028u);   // 40.5 -> 40
    EXPECT_EQ(ScaleColorBytes(0x102030, -1), 0x102030u);
}

TEST(GraphAngles, ClockwiseFromStraightUp) {
    // A 10 x 10 rectangle around a point, centre (100, 100).
    auto at = [](float x, float y) { return AngleFromPoint(x - 5, y - 5, 10, 10, 100, 100); };
    EXPECT_DOUBLE_EQ(at(100, 50), 0);
    EXPECT_DOUBLE_EQ(at(150, 100), 90);
    EXPECT_DOUBLE_EQ(at(100, 150), 180);
    EXPECT_DOUBLE_EQ(at(50, 100), 270);
    EXPECT_DOUBLE_EQ(at(50, 50), -45);
    EXPECT_DOUBLE_EQ(at(150, 150), 135);
    EXPECT_DOUBLE_EQ(at(100, 100), 180);
}

TEST(GraphGlow, RingsFadeOutwardsAndTheCentreIsFilled) {
    const Glow glow = GlowRings(14, 14, 20, 5);
    ASSERT_EQ(glow.rings.size(), 5u);
    const int expected[] = {3, 6, 10, 13, 17};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(glow.rings[i].opacity, expected[i]) << i;
    EXPECT_FLOAT_EQ(glow.rings[0].width, 14 + 15);  // ring 5: 5 * 6 / 2
    EXPECT_FLOAT_EQ(glow.rings[0].penWidth, 5);
    EXPECT_FLOAT_EQ(glow.rings[4].height, 14 + 1);
    EXPECT_EQ(glow.fillOpacity, 17);
    EXPECT_EQ(GlowRings(10, 10, 20, 0).fillOpacity, -1);
}

TEST(GraphDepth, BandMovesFromBottomToTop) {
    const DepthBlend middle = DepthBlendFor(7);
    EXPECT_FLOAT_EQ(middle.positions[2], 0.5f);
    EXPECT_FLOAT_EQ(middle.positions[1], 0.0f);
    EXPECT_FLOAT_EQ(middle.positions[3], 1.0f);
    const DepthBlend front = DepthBlendFor(0);
    EXPECT_NEAR(front.positions[2], 0.8846, 1e-4);
    EXPECT_NEAR(front.positions[3], 1.0346, 1e-4);
    const DepthBlend rear = DepthBlendFor(14);
    EXPECT_NEAR(rear.positions[2], 0.1154, 1e-4);
    EXPECT_NEAR(rear.positions[1], -0.0346, 1e-4);
    EXPECT_EQ(middle.factors, (std::array<float, 5>{0, 0, 1, 0, 0}));
}

TEST(GraphWidth, WidestWedgeOpensAQuarterCentredOnUp) {
    const Wedge w = WedgeFor(100, 100, 182, 7);
    EXPECT_FLOAT_EQ(w.sweep, 90);
    EXPECT_FLOAT_EQ(w.startAngle, 225);
    EXPECT_NEAR(w.x1, 100 - 91 * 0.70710678, 1e-3);
    EXPECT_NEAR(w.y1, 100 - 91 * 0.70710678, 1e-3);
    EXPECT_FLOAT_EQ(w.x2, 200 - w.x1);
    const Wedge narrow = WedgeFor(0, 0, 182, 1);
    EXPECT_NEAR(narrow.sweep, 90.0 / 7, 1e-5);
}

TEST(GraphCaptions, SideFollowsTheRotation) {
    EXPECT_EQ(CaptionSideFor(0), CaptionSide::Above);
    EXPECT_EQ(CaptionSideFor(-45), CaptionSide::Above);
    EXPECT_EQ(CaptionSideFor(89.9f), CaptionSide::Above);
    EXPECT_EQ(CaptionSideFor(90), CaptionSide::Right);
    EXPECT_EQ(CaptionSideFor(180), CaptionSide::Below);
    EXPECT_EQ(CaptionSideFor(270), CaptionSide::Left);
    EXPECT_EQ(CaptionSideFor(300), CaptionSide::Above);
    EXPECT_EQ(WholeRotation(-45), 315);
    EXPECT_EQ(WholeRotation(22.5f), 22);  // 382.5 -> 382
    EXPECT_EQ(WholeRotation(23.5f), 24);
}
