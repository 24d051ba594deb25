#include "tray/portable/iconpixels.h"

#include <algorithm>

namespace kal {

void MaskFromAlpha(IconPixels& icon) {
    for (std::size_t i = 0; i < icon.argb.size(); ++i) icon.transparent[i] = (icon.argb[i] >> 24) == 0;
}

void AlphaFromMask(IconPixels& icon) {
    for (std::size_t i = 0; i < icon.argb.size(); ++i)
        icon.argb[i] = icon.transparent[i] ? 0u : (icon.argb[i] & 0x00FFFFFFu) | 0xFF000000u;
}

IconPixels Over(const IconPixels& overlay, const IconPixels& base) {
    IconPixels out = base;
    const int w = std::min(base.width, overlay.width), h = std::min(base.height, overlay.height);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t o = overlay.At(x, y), b = base.At(x, y);
            const std::uint32_t ao = o >> 24, ab = b >> 24;
            if (ao == 0) continue;
            // Straight alpha, scaled by 255: a = ao + ab (1 - ao).
            const std::uint32_t abPart = ab * (255 - ao);  // x255
            const std::uint32_t a255 = ao * 255 + abPart;  // x255
            std::uint32_t pixel = (a255 + 127) / 255 << 24;
            for (int shift = 0; shift <= 16; shift += 8) {
                const std::uint32_t co = (o >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
                const std::uint32_t c = (co * ao * 255 + cb * abPart + a255 / 2) / a255;
                pixel |= std::min<std::uint32_t>(c, 255) << shift;
            }
            out.At(x, y) = pixel;
        }
    }
    MaskFromAlpha(out);
    return out;
}

void ClearArea(IconPixels& icon, int left, int top, int width, int height) {
    const int x0 = std::max(left, 0), y0 = std::max(top, 0);
    const int x1 = std::min(left + width, icon.width), y1 = std::min(top + height, icon.height);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            icon.At(x, y) = 0;
            icon.transparent[static_cast<std::size_t>(y * icon.width + x)] = true;
        }
}

bool IsLineTransparent(const IconPixels& icon, int row, int column) {
    if (row == -1) {
        if (column < 0 || column >= icon.width) return false;
        for (int y = 0; y < icon.height; ++y)
            if (!icon.Clear(column, y)) return false;
        return true;
    }
    if (column == -1) {
        if (row < 0 || row >= icon.height) return false;
        for (int x = 0; x < icon.width; ++x)
            if (!icon.Clear(x, row)) return false;
        return true;
    }
    return false;
}

int EmptyRightColumns(const IconPixels& icon) {
    int n = 0;
    for (int x = icon.width - 1; x >= 0 && IsLineTransparent(icon, -1, x); --x) ++n;
    return n;
}

int EmptyBottomRows(const IconPixels& icon) {
    int n = 0;
    for (int y = icon.height - 1; y >= 0 && IsLineTransparent(icon, y, -1); --y) ++n;
    return n;
}

}  // namespace kal
