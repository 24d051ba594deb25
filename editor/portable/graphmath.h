// The arithmetic of the editor's drawings that needs no Windows API: colours with opacity,
// angles around a centre, the glow rings of a speaker, the depth band and width wedge of the
// effect graphs, and where a picture's caption goes.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

namespace kal {

// The alpha byte of an opacity in percent: |opacity| / 100 * 255, rounded half to even, at most 255.
std::uint8_t OpacityAlpha(int opacity);
// A GDI+ colour (bytes from low to high: blue, green, red, alpha) from an RGB value (0x00BBGGRR).
std::uint32_t ArgbFromRgb(std::uint32_t rgb, int opacity);
// Each of the four bytes times |factor|, rounded half to even and limited to 255.
std::uint32_t ScaleColorBytes(std::uint32_t rgb, double factor);

// Degrees clockwise from straight up of the rectangle's centre around (cx, cy), screen
// coordinates (y down): up 0, right 90, down 180, left 270, upper left between -90 and 0.
double AngleFromPoint(float left, float top, float height, float width, float cx, float cy);

// The soft glow under a speaker: rings from the outermost in, then the filled ellipse.
struct GlowRing {
    float width = 0;
    float height = 0;
    float penWidth = 0;
    int opacity = 0;
};
struct Glow {
    std::vector<GlowRing> rings;
    // Opacity of the filled centre; -1: filled fully transparent (no rings).
    int fillOpacity = -1;
};
Glow GlowRings(float width, float height, int opacity, int rings);

// The depth band of an effect graph (depth 0 to 14): blend positions and factors from top to
// bottom of the disc.
struct DepthBlend {
    std::array<float, 5> positions{};
    std::array<float, 5> factors{};
};
DepthBlend DepthBlendFor(int depth);

// The width wedge (width 1 to 7): the arc's start and sweep in GDI+ degrees (clockwise from the
// positive x axis) and the two points where the arc meets the sides.
struct Wedge {
    float startAngle = 0;
    float sweep = 0;
    float x1 = 0, y1 = 0;  // left end
    float x2 = 0, y2 = 0;  // right end
};
Wedge WedgeFor(float cx, float cy, float diameter, int width);

// Where a picture's caption stands for a rotation angle.
enum class CaptionSide { Above, Below, Right, Left };
CaptionSide CaptionSideFor(float angle);

// A whole rotation in degrees 0 to 359: the angle rounded half to even, plus 360, modulo 360.
int WholeRotation(float angle);

}  // namespace kal
