// The speaker layout as the editor's field writes it: the built-in reference layouts placed on
// the field and read back give their stored second forms byte for byte; dragging stays inside
// the field's limits.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "device/portable/texts_values.h"
#include "editor/portable/speakerfield.h"

using namespace kal;

namespace {

const FieldGeometry kField96{};  // 240-pixel field, 24-pixel boxes, 96 dots per inch

Bytes PlaceAndEncode(std::wstring_view table, const FieldGeometry& field) {
    const auto points = DecodeSpeakerLayout(HexToBytes(table));
    EXPECT_TRUE(points.has_value());
    if (!points) return {};
    std::array<BoxPlace, kVssSpeakers> places{};
    for (int i = 0; i < kVssSpeakers; ++i) places[i] = PlaceFromPoint((*points)[i], field);
    return EncodeSpeakerLayout(places, field);
}

float FloatAt(const Bytes& b, std::size_t at) {
    const std::uint32_t bits = BytesToUInt32(b, at);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

TEST(SpeakerLayout, BuiltInLayoutsPlacedAndReadBackGiveTheirSecondTables) {
    EXPECT_EQ(BytesToHex(PlaceAndEncode(kVssDefaultLayout, kField96)), kVssDefaultLayoutAlt);
    EXPECT_EQ(BytesToHex(PlaceAndEncode(kVssPositionalLayout, kField96)), kVssPositionalLayoutAlt);
    // Placing the second form again changes nothing: it already stands on whole twips.
    EXPECT_EQ(BytesToHex(PlaceAndEncode(kVssDefaultLayoutAlt, kField96)), kVssDefaultLayoutAlt);
}

TEST(SpeakerLayout, RecordsCarryTheHeightWordAndNoFlag) {
    const Bytes record = EncodeSpeakerRecord({0.5f, -0.25f});
    ASSERT_EQ(record.size(), 16u);
    EXPECT_EQ(BytesToHex(Bytes(record.begin() + 4, record.begin() + 8)), L"CDCC4C3D");
    EXPECT_EQ(BytesToUInt32(record, 12), 0u);
    EXPECT_EQ(FloatAt(record, 0), 0.5f);
    EXPECT_EQ(FloatAt(record, 8), -0.25f);
}

TEST(SpeakerLayout, LevelWithTheListenerIsNegativeZero) {
    const SpeakerPoint p = PointFromPlace(PlaceFromPoint({0.4286f, 0.0f}, kField96), kField96);
    EXPECT_TRUE(std::signbit(p.y));
    EXPECT_EQ(p.y, 0.0f);
}

TEST(SpeakerLayout, OnlyExactly128BytesDecode) {
    EXPECT_FALSE(DecodeSpeakerLayout(Bytes(127, 0)).has_value());
    EXPECT_FALSE(DecodeSpeakerLayout(Bytes(129, 0)).has_value());
    EXPECT_FALSE(DecodeSpeakerLayout(Bytes{}).has_value());
    const auto points = DecodeSpeakerLayout(HexToBytes(kVssDefaultLayout));
    ASSERT_TRUE(points);
    EXPECT_FLOAT_EQ((*points)[2].y, 0.4286f);  // centre straight ahead
    EXPECT_FLOAT_EQ((*points)[3].x, 0.4286f);  // subwoofer to the right
}

TEST(SpeakerLayout, PlacesFollowTheFieldsTwipsPerPixel) {
    FieldGeometry field120 = kField96;
    field120.twipsPerPixelX = field120.twipsPerPixelY = 12;  // 120 dots per inch
    const BoxPlace centre = PlaceFromPoint({0, 0}, field120);
    EXPECT_EQ(centre.left, (120 - 12) * 12);
    EXPECT_EQ(centre.top, (120 - 12) * 12);
}

TEST(SpeakerDrag, CornerSpeakersStopAtTheSquaresEdge) {
    const BoxPlace start = PlaceFromPoint({0, 0}, kField96);
    // Pointer far beyond the upper left: the centre stops 97 pixels left of and above the listener.
    const BoxPlace moved = DragPlace(0, start, -500, -500, kField96);
    const SpeakerPoint p = PointFromPlace(moved, kField96);
    EXPECT_FLOAT_EQ(p.x, -1.0f);
    EXPECT_FLOAT_EQ(p.y, 1.0f);
    const SpeakerPoint q = PointFromPlace(DragPlace(7, start, 900, 900, kField96), kField96);
    EXPECT_FLOAT_EQ(q.x, 1.0f);
    EXPECT_FLOAT_EQ(q.y, -1.0f);
    // Inside the limits the centre goes to the pointer.
    const SpeakerPoint r = PointFromPlace(DragPlace(5, start, 12 + 10, 12 - 20, kField96), kField96);
    EXPECT_FLOAT_EQ(r.x * kVssUnitPixels, 10.0f);
    EXPECT_FLOAT_EQ(r.y * kVssUnitPixels, 20.0f);
}

TEST(SpeakerDrag, SubwooferMovesSidewaysOnlyAndStaysRightOfTheListener) {
    const BoxPlace start = PlaceFromPoint({0.5f, 0.25f}, kField96);
    const BoxPlace up = DragPlace(kVssSubwoofer, start, 12, -300, kField96);
    EXPECT_EQ(up.top, start.top);
    const SpeakerPoint left = PointFromPlace(DragPlace(kVssSubwoofer, start, -400, 12, kField96), kField96);
    EXPECT_FLOAT_EQ(left.x, 0.0f);
    const SpeakerPoint right = PointFromPlace(DragPlace(kVssSubwoofer, start, 400, 12, kField96), kField96);
    EXPECT_FLOAT_EQ(right.x, 1.0f);
}

}  // namespace
