// The virtual speaker field without the window: the 128-byte speaker layout (eight 16-byte
// records of float32 x, float32 0.05, float32 y, uint32 flag, little-endian), and the geometry
// between a layout and the speaker boxes on the field. Box positions are kept in whole twips,
// as the field stores them, so a layout placed and read back encodes the same at any moment.
#pragma once
#include <array>
#include <cstdint>
#include <optional>

#include "base/hextext.h"

namespace kal {

inline constexpr int kVssSpeakers = 8;
inline constexpr int kVssRecordSize = 16;
inline constexpr int kVssLayoutSize = kVssSpeakers * kVssRecordSize;
// Pixels of the field that make 1.0 of a layout's x or y.
inline constexpr float kVssUnitPixels = 97.0f;
// The subwoofer: dragged sideways only, and never left of the listener.
inline constexpr int kVssSubwoofer = 3;

// x across the listener (positive right), y along the view (positive in front), in layout units.
struct SpeakerPoint {
    float x = 0;
    float y = 0;
};

// The field: its centre in pixels, the speaker box size in pixels, and twips per pixel.
struct FieldGeometry {
    float centreX = 120;
    float centreY = 120;
    float boxWidth = 24;
    float boxHeight = 24;
    float twipsPerPixelX = 15;
    float twipsPerPixelY = 15;
};

// A speaker box's Left and Top on the field, whole twips.
struct BoxPlace {
    int left = 0;
    int top = 0;
    bool operator==(const BoxPlace&) const = default;
};

// The box that shows a speaker at the point (its centre on the point, rounded to whole twips).
BoxPlace PlaceFromPoint(SpeakerPoint point, const FieldGeometry& field);
// The point a box stands for, in single precision: a speaker level with the listener gets -0.0.
SpeakerPoint PointFromPlace(BoxPlace place, const FieldGeometry& field);

// The 16-byte record of one speaker: x, 0.05, y, flag 0.
Bytes EncodeSpeakerRecord(SpeakerPoint point);
// The 128-byte layout of eight boxes, speaker 0 first.
Bytes EncodeSpeakerLayout(const std::array<BoxPlace, kVssSpeakers>& places, const FieldGeometry& field);
// The eight points of a layout; nullopt unless it has exactly 128 bytes.
std::optional<std::array<SpeakerPoint, kVssSpeakers>> DecodeSpeakerLayout(const Bytes& layout);

// Where a dragged box goes when the pointer is at (x, y) pixels inside it: its centre follows
// the pointer within a square of 97 pixels around the listener; the subwoofer keeps its height
// and stays right of the listener.
BoxPlace DragPlace(int speaker, BoxPlace current, int x, int y, const FieldGeometry& field);

// One step of the distance buttons: 97 / 50 pixels.
inline constexpr float kVssDistanceStep = kVssUnitPixels / 50;
// Where a box goes when its speaker moves one step farther from the listener (or closer) along
// its angle; the distance stays within [10 steps, 97 pixels].
BoxPlace MoveAlongRadius(BoxPlace current, bool farther, const FieldGeometry& field);

}  // namespace kal
