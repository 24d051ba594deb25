// Icon pictures as pixel arrays: straight (not premultiplied) alpha in 0xAARRGGBB words, rows
// from the top, and the icon's mask (true = transparent) kept consistent with the alpha.
#pragma once
#include <cstdint>
#include <vector>

namespace kal {

struct IconPixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;  // width * height
    std::vector<bool> transparent;    // the mask: true where the pixel shows the background

    IconPixels() = default;
    IconPixels(int w, int h) : width(w), height(h), argb(static_cast<std::size_t>(w * h), 0),
                               transparent(static_cast<std::size_t>(w * h), true) {}
    std::uint32_t& At(int x, int y) { return argb[static_cast<std::size_t>(y * width + x)]; }
    std::uint32_t At(int x, int y) const { return argb[static_cast<std::size_t>(y * width + x)]; }
    bool Clear(int x, int y) const { return transparent[static_cast<std::size_t>(y * width + x)]; }
    bool operator==(const IconPixels&) const = default;
};

// The mask from the alpha: transparent exactly where the alpha is 0.
void MaskFromAlpha(IconPixels& icon);
// Pictures without an alpha channel (every alpha 0): alpha from the mask.
void AlphaFromMask(IconPixels& icon);

// `overlay` drawn over `base` (same size; the overlay's pixels outside the base are ignored).
IconPixels Over(const IconPixels& overlay, const IconPixels& base);

// The rectangle made fully transparent (colour black, mask set); the part outside the picture
// is ignored.
void ClearArea(IconPixels& icon, int left, int top, int width, int height);
// Whether every mask pixel of a row (column = -1) or of a column (row = -1) is transparent.
bool IsLineTransparent(const IconPixels& icon, int row, int column);
// Fully transparent columns at the right edge and rows at the bottom edge.
int EmptyRightColumns(const IconPixels& icon);
int EmptyBottomRows(const IconPixels& icon);

}  // namespace kal
