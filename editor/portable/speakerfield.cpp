#include "editor/portable/speakerfield.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "editor/portable/graphmath.h"

namespace kal {
namespace {

constexpr float kHeightWord = 0.05f;

int WholeTwips(float pixels, float twipsPerPixel) {
    return static_cast<int>(std::nearbyint(static_cast<double>(pixels) * twipsPerPixel));
}

float Pixels(int twips, float twipsPerPixel) { return static_cast<float>(twips / static_cast<double>(twipsPerPixel)); }

void PutFloat(Bytes& out, std::size_t offset, float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    PutUInt32(out, offset, bits);
}

float GetFloat(const Bytes& in, std::size_t offset) {
    const std::uint32_t bits = BytesToUInt32(in, offset);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace

BoxPlace PlaceFromPoint(SpeakerPoint point, const FieldGeometry& field) {
    // Single precision throughout, as the field computes it.
    const float left = point.x * kVssUnitPixels + field.centreX - field.boxWidth / 2;
    const float top = field.centreY - point.y * kVssUnitPixels - field.boxHeight / 2;
    return {WholeTwips(left, field.twipsPerPixelX), WholeTwips(top, field.twipsPerPixelY)};
}

SpeakerPoint PointFromPlace(BoxPlace place, const FieldGeometry& field) {
    const float centreX = Pixels(place.left, field.twipsPerPixelX) + field.boxWidth / 2;
    const float centreY = Pixels(place.top, field.twipsPerPixelY) + field.boxHeight / 2;
    const float x = (centreX - field.centreX) / kVssUnitPixels;
    const float y = -((centreY - field.centreY) / kVssUnitPixels);
    return {x, y};
}

Bytes EncodeSpeakerRecord(SpeakerPoint point) {
    Bytes record(kVssRecordSize, 0);
    PutFloat(record, 0, point.x);
    PutFloat(record, 4, kHeightWord);
    PutFloat(record, 8, point.y);
    return record;
}

Bytes EncodeSpeakerLayout(const std::array<BoxPlace, kVssSpeakers>& places, const FieldGeometry& field) {
    Bytes layout;
    layout.reserve(kVssLayoutSize);
    for (const BoxPlace& place : places) {
        const Bytes record = EncodeSpeakerRecord(PointFromPlace(place, field));
        layout.insert(layout.end(), record.begin(), record.end());
    }
    return layout;
}

std::optional<std::array<SpeakerPoint, kVssSpeakers>> DecodeSpeakerLayout(const Bytes& layout) {
    if (layout.size() != kVssLayoutSize) return std::nullopt;
    std::array<SpeakerPoint, kVssSpeakers> points{};
    for (int i = 0; i < kVssSpeakers; ++i) {
        const std::size_t at = static_cast<std::size_t>(i) * kVssRecordSize;
        points[static_cast<std::size_t>(i)] = {GetFloat(layout, at), GetFloat(layout, at + 8)};
    }
    return points;
}

BoxPlace DragPlace(int speaker, BoxPlace current, int x, int y, const FieldGeometry& field) {
    BoxPlace next = current;
    if (speaker != kVssSubwoofer) {
        float centreY = Pixels(current.top, field.twipsPerPixelY) + static_cast<float>(y);
        centreY = std::clamp(centreY, field.centreY - kVssUnitPixels, field.centreY + kVssUnitPixels);
        next.top = WholeTwips(centreY - field.boxHeight / 2, field.twipsPerPixelY);
    }
    const float lowest = speaker == kVssSubwoofer ? field.centreX : field.centreX - kVssUnitPixels;
    float centreX = Pixels(current.left, field.twipsPerPixelX) + static_cast<float>(x);
    centreX = std::clamp(centreX, lowest, field.centreX + kVssUnitPixels);
    next.left = WholeTwips(centreX - field.boxWidth / 2, field.twipsPerPixelX);
    return next;
}

BoxPlace MoveAlongRadius(BoxPlace current, bool farther, const FieldGeometry& field) {
    const float left = Pixels(current.left, field.twipsPerPixelX);
    const float top = Pixels(current.top, field.twipsPerPixelY);
    const double dx = left + field.boxWidth / 2 - field.centreX;
    const double dy = top + field.boxHeight / 2 - field.centreY;
    const double angle =
        AngleFromPoint(left, top, field.boxHeight, field.boxWidth, field.centreX, field.centreY) * std::numbers::pi / 180;
    const double step = kVssDistanceStep;
    const double r = std::clamp(std::sqrt(dx * dx + dy * dy) + (farther ? step : -step), 10 * step,
                                static_cast<double>(kVssUnitPixels));
    const auto newLeft = static_cast<float>(field.centreX + r * std::sin(angle) - field.boxWidth / 2);
    const auto newTop = static_cast<float>(field.centreY - r * std::cos(angle) - field.boxHeight / 2);
    return {WholeTwips(newLeft, field.twipsPerPixelX), WholeTwips(newTop, field.twipsPerPixelY)};
}

}  // namespace kal
