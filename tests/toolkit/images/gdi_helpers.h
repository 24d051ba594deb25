// Small drawing helpers for the image tests: icons with known pixels and pixel read-back.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "toolkit/images/iconrecord.h"

namespace kal::test {

using Pixels = std::vector<std::uint32_t>;  // 0xAARRGGBB, top row first

// A 32-bit top-down DIB section selected into its own memory context.
class Canvas {
public:
    Canvas(int width, int height, std::uint32_t fill = 0xFF808080) : w_(width), h_(height) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        dc_.reset(::CreateCompatibleDC(nullptr));
        bitmap_.reset(::CreateDIBSection(dc_.get(), &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0));
        old_ = ::SelectObject(dc_.get(), bitmap_.get());
        Fill(fill);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas() { ::SelectObject(dc_.get(), old_); }

    HDC dc() const { return dc_.get(); }
    HBITMAP bitmap() const { return bitmap_.get(); }
    void Fill(std::uint32_t colour) {
        ::GdiFlush();
        for (int i = 0; i < w_ * h_; ++i) bits_[i] = colour;
    }
    std::uint32_t At(int x, int y) const {
        ::GdiFlush();
        return bits_[y * w_ + x];
    }
    std::uint32_t Rgb(int x, int y) const { return At(x, y) & 0xFFFFFF; }
    void Set(int x, int y, std::uint32_t v) {
        ::GdiFlush();
        bits_[y * w_ + x] = v;
    }
    Pixels Area(int x0, int y0, int w, int h) const {
        ::GdiFlush();
        Pixels p;
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x) p.push_back(bits_[y * w_ + x] & 0xFFFFFF);
        return p;
    }

private:
    int w_, h_;
    UniqueDC dc_;
    UniqueBitmap bitmap_;
    HGDIOBJ old_ = nullptr;
    std::uint32_t* bits_ = nullptr;
};

// A colour icon of w x h whose pixels come from `pixel(x, y)` (0xAARRGGBB); opaque mask.
template <typename F>
HICON MakeIcon(int w, int h, F pixel) {
    Canvas colour(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) colour.Set(x, y, pixel(x, y));
    std::vector<std::uint8_t> maskBits(static_cast<std::size_t>(((w + 15) / 16) * 2 * h), 0);
    UniqueBitmap mask(::CreateBitmap(w, h, 1, 1, maskBits.data()));
    // The colour bitmap must not stay selected while the icon is made.
    HBITMAP copy = static_cast<HBITMAP>(::CopyImage(colour.bitmap(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    UniqueBitmap colourCopy(copy);
    ICONINFO info{TRUE, 0, 0, mask.get(), colourCopy.get()};
    return ::CreateIconIndirect(&info);
}

// An opaque icon with a pattern derived from `seed`, so that every seed gives other pixels.
inline HICON PatternIcon(int size, std::uint32_t seed) {
    return MakeIcon(size, size, [seed](int x, int y) {
        const std::uint32_t r = (seed * 53 + x * 11) & 0xFF;
        const std::uint32_t g = (seed * 97 + y * 13) & 0xFF;
        const std::uint32_t b = (seed * 31 + (x ^ y) * 7) & 0xFF;
        return 0xFF000000u | (r << 16) | (g << 8) | b;
    });
}

// Image i of a list drawn on grey, as RGB pixels.
inline Pixels ImagePixels(HIMAGELIST list, int i, int size) {
    Canvas c(size, size);
    ::ImageList_Draw(list, i, c.dc(), 0, 0, ILD_TRANSPARENT);
    return c.Area(0, 0, size, size);
}

// An icon drawn on grey, as RGB pixels.
inline Pixels IconPixels(HICON icon, int size) {
    Canvas c(size, size);
    ::DrawIconEx(c.dc(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    return c.Area(0, 0, size, size);
}

inline Bytes ReadFileBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFileBytes(const std::wstring& path, const Bytes& bytes) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace kal::test
