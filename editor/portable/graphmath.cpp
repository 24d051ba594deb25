#include "editor/portable/graphmath.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kal {
namespace {

std::uint32_t ClampByte(double v) {
    const double r = std::nearbyint(v);
    return static_cast<std::uint32_t>(std::clamp(r, 0.0, 255.0));
}

}  // namespace

std::uint8_t OpacityAlpha(int opacity) {
    return static_cast<std::uint8_t>(ClampByte(std::abs(opacity) / 100.0 * 255.0));
}

std::uint32_t ArgbFromRgb(std::uint32_t rgb, int opacity) {
    const std::uint32_t r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
    return static_cast<std::uint32_t>(OpacityAlpha(opacity)) << 24 | r << 16 | g << 8 | b;
}

std::uint32_t ScaleColorBytes(std::uint32_t rgb, double factor) {
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
        out |= ClampByte(((rgb >> shift) & 0xFF) * std::abs(factor)) << shift;
    return out;
}

double AngleFromPoint(float left, float top, float height, float width, float cx, float cy) {
    const float px = left + width / 2, py = top + height / 2;
    const float dx = px - cx, dy = py - cy;
    double base;
    if (dy == 0) base = (dx > 0 ? 90.0 : dx < 0 ? -90.0 : 0.0);
    else base = std::atan(static_cast<double>(dx) / dy) * 180.0 / std::numbers::pi;
    return (dy >= 0 ? 180.0 : 0.0) - base;
}

Glow GlowRings(float width, float height, int opacity, int rings) {
    Glow glow;
    for (int level = rings; level >= 1; --level) {
        const float grow = static_cast<float>(level * (level + 1)) / 2;
        const double fade = static_cast<double>(level) / rings * opacity / 100.0 * 85.0;
        glow.rings.push_back({width + grow, height + grow, static_cast<float>(level),
                              static_cast<int>(std::nearbyint(opacity - fade))});
    }
    if (rings >= 1) glow.fillOpacity = static_cast<int>(std::nearbyint(opacity * (1 - 0.85 / rings)));
    return glow;
}

DepthBlend DepthBlendFor(int depth) {
    const double k = std::abs(7 - depth);
    const double s = (7 - k) / 7 * 0.35 + 0.15;
    const double p = (s * 14 + 14 - depth) / (s * 28 + 14);
    DepthBlend blend;
    blend.positions = {0.0f, static_cast<float>(p - s), static_cast<float>(p), static_cast<float>(p + s), 1.0f};
    blend.factors = {0, 0, 1, 0, 0};
    return blend;
}

Wedge WedgeFor(float cx, float cy, float diameter, int width) {
    Wedge w;
    w.sweep = static_cast<float>(width) / 7 * 90;
    w.startAngle = 270 - w.sweep / 2;
    const double half = w.sweep / 2 * std::numbers::pi / 180;
    w.x1 = static_cast<float>(cx - diameter * std::sin(half) / 2);
    w.y1 = static_cast<float>(cy - diameter * std::cos(half) / 2);
    w.x2 = 2 * cx - w.x1;
    w.y2 = w.y1;
    return w;
}

CaptionSide CaptionSideFor(float angle) {
    if (angle == 90) return CaptionSide::Right;
    if (angle == 270) return CaptionSide::Left;
    if (angle >= 90 && angle <= 270) return CaptionSide::Below;
    return CaptionSide::Above;
}

int WholeRotation(float angle) {
    return static_cast<int>(std::nearbyint(static_cast<double>(angle) + 360)) % 360;
}

}  // namespace kal
