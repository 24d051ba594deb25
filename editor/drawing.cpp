#include "editor/drawing.h"

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "editor/portable/graphmath.h"
#include "toolkit/colour.h"

namespace kal {

ULONG_PTR gGdiplusToken = 0;

namespace {

namespace gp = Gdiplus::DllExports;
using Gdiplus::GpGraphics;

// Owners of the flat interface's objects.
template <typename T, auto Delete>
struct GdipDeleter {
    void operator()(T* object) const { Delete(object); }
};
template <typename T, auto Delete>
using GdipOwner = std::unique_ptr<T, GdipDeleter<T, Delete>>;
using Graphics = GdipOwner<GpGraphics, &gp::GdipDeleteGraphics>;
using Brush = GdipOwner<Gdiplus::GpBrush, &gp::GdipDeleteBrush>;
using Pen = GdipOwner<Gdiplus::GpPen, &gp::GdipDeletePen>;
using Path = GdipOwner<Gdiplus::GpPath, &gp::GdipDeletePath>;
using Image = GdipOwner<Gdiplus::GpImage, &gp::GdipDisposeImage>;
using Font = GdipOwner<Gdiplus::GpFont, &gp::GdipDeleteFont>;
using Format = GdipOwner<Gdiplus::GpStringFormat, &gp::GdipDeleteStringFormat>;
struct StreamReleaser {
    void operator()(IStream* s) const { s->Release(); }
};

constexpr std::uint32_t kGrey = 0x808080;
constexpr std::uint32_t kRed = 0x0000FF;
constexpr int kHighlight = COLOR_HIGHLIGHT;

// Starts GDI+ when needed; a graphics object on the context, null when GDI+ did not start.
Graphics CreateGraphicsFromHDC(HDC dc) {
    if (!dc) return nullptr;
    if (gGdiplusToken == 0) {
        Gdiplus::GdiplusStartupInput input;
        ULONG_PTR token = 0;
        if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return nullptr;
        gGdiplusToken = token;
    }
    GpGraphics* g = nullptr;
    if (gp::GdipCreateFromHDC(dc, &g) != Gdiplus::Ok) return nullptr;
    gp::GdipSetPageUnit(g, Gdiplus::UnitPixel);
    return Graphics(g);
}

Brush SolidBrush(std::uint32_t argb) {
    Gdiplus::GpSolidFill* b = nullptr;
    gp::GdipCreateSolidFill(argb, &b);
    return Brush(b);
}

Pen MakePen(std::uint32_t argb, float width) {
    Gdiplus::GpPen* p = nullptr;
    gp::GdipCreatePen1(argb, width, Gdiplus::UnitPixel, &p);
    return Pen(p);
}

Image LoadImageResource(const wchar_t* name, const wchar_t* type) {
    const Bytes bytes = ResourceBytes(name, type);
    std::unique_ptr<IStream, StreamReleaser> stream(StreamFromBytes(bytes));
    if (!stream) return nullptr;
    Gdiplus::GpImage* image = nullptr;
    if (gp::GdipLoadImageFromStream(stream.get(), &image) != Gdiplus::Ok) return nullptr;
    return Image(image);
}

// The caption font: the interface font (or the given one) at its size in pixels of the context.
Font CaptionFont(HDC dc, const UIFont* given) {
    UIFont font = given ? *given : GetSystemFont();
    if (!given) font.size = 7;
    const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
    LOGFONTW lf = MakeLogFont(font, dpi);
    lf.lfHeight = -::MulDiv(static_cast<int>(std::nearbyint(font.size)), dpi, 72);
    Gdiplus::GpFont* f = nullptr;
    if (gp::GdipCreateFontFromLogfontW(dc, &lf, &f) != Gdiplus::Ok) return nullptr;
    return Font(f);
}

void DrawCaption(GpGraphics* g, HDC dc, float x, float y, float width, float height, float angle,
                 const std::wstring& caption, const UIFont* font, std::uint32_t colour, int opacity) {
    Font f = CaptionFont(dc, font);
    Brush brush = SolidBrush(ColorToARGB(colour, opacity));
    Gdiplus::GpStringFormat* raw = nullptr;
    gp::GdipCreateStringFormat(Gdiplus::StringFormatFlagsNoWrap, LANG_NEUTRAL, &raw);
    Format format(raw);
    if (!f || !brush || !format) return;
    Gdiplus::RectF layout;
    Gdiplus::StringAlignment align = Gdiplus::StringAlignmentCenter, line = Gdiplus::StringAlignmentCenter;
    switch (CaptionSideFor(angle)) {
    case CaptionSide::Right:
        layout = {x + width, y, width, height};
        align = Gdiplus::StringAlignmentNear;
        break;
    case CaptionSide::Left:
        layout = {x - width, y, width, height};
        align = Gdiplus::StringAlignmentFar;
        break;
    case CaptionSide::Below:
        layout = {x, y + height, width, height};
        line = Gdiplus::StringAlignmentNear;
        break;
    case CaptionSide::Above:
        layout = {x, y - height, width, height};
        line = Gdiplus::StringAlignmentFar;
        break;
    }
    // The text's size, unbounded (the font scales with the screen's dots per inch, the pictures
    // keep their pixels: the text may be larger than the picture), then its box placed in the
    // layout rectangle by the alignments (measuring with a line alignment is not the same on
    // every GDI+).
    const Gdiplus::RectF unbounded{layout.X, layout.Y, 0, 0};
    Gdiplus::RectF size{};
    gp::GdipMeasureString(g, caption.c_str(), static_cast<INT>(caption.size()), f.get(), &unbounded, format.get(), &size,
                          nullptr, nullptr);
    const auto place = [](float start, float room, float extent, Gdiplus::StringAlignment a) {
        if (a == Gdiplus::StringAlignmentNear) return start;
        if (a == Gdiplus::StringAlignmentFar) return start + room - extent;
        return start + (room - extent) / 2;
    };
    const Gdiplus::RectF box{place(layout.X, layout.Width, size.Width, align),
                             place(layout.Y, layout.Height, size.Height, line), size.Width, size.Height};
    Pen frame = MakePen(ColorToARGB(colour, opacity), 1);
    if (frame) gp::GdipDrawRectangle(g, frame.get(), box.X - 1, box.Y - 1, box.Width + 1, box.Height);
    // Drawn from the box's corner without bounds: a box as wide as the measured text can still
    // be a fraction too narrow for the drawn glyph, which then is left out.
    const Gdiplus::RectF origin{box.X, box.Y, 0, 0};
    gp::GdipDrawString(g, caption.c_str(), static_cast<INT>(caption.size()), f.get(), &origin, format.get(), brush.get());
}

}  // namespace

void ShutdownGdiplus() {
    if (gGdiplusToken == 0) return;
    Gdiplus::GdiplusShutdown(gGdiplusToken);
    gGdiplusToken = 0;
}

std::uint32_t TranslateOleColor(std::uint32_t oleColour) {
    const std::int32_t rgb = TranslateColor(oleColour);
    return rgb < 0 ? 0 : static_cast<std::uint32_t>(rgb);
}

std::uint32_t ColorToARGB(std::uint32_t oleColour, int opacity) {
    return ArgbFromRgb(TranslateOleColor(oleColour), opacity);
}

std::uint32_t ScaleColor(std::uint32_t oleColour, double factor) {
    return ScaleColorBytes(TranslateOleColor(oleColour), factor);
}

IStream* StreamFromBytes(const Bytes& bytes) {
    if (bytes.empty()) return nullptr;
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!memory) return nullptr;
    void* target = ::GlobalLock(memory);
    if (!target) {
        ::GlobalFree(memory);
        return nullptr;
    }
    std::memcpy(target, bytes.data(), bytes.size());
    ::GlobalUnlock(memory);
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        ::GlobalFree(memory);
        return nullptr;
    }
    return stream;
}

Bytes ResourceBytes(const wchar_t* name, const wchar_t* type) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(module, name, type);
    if (!found) return {};
    HGLOBAL loaded = ::LoadResource(module, found);
    const auto* data = static_cast<const std::uint8_t*>(loaded ? ::LockResource(loaded) : nullptr);
    if (!data) return {};
    return Bytes(data, data + ::SizeofResource(module, found));
}

void DrawRectangleGdip(HDC dc, std::uint32_t lineColour, float width, float height, int lineWidth, bool filled,
                       std::uint32_t fillColour, int fillOpacity) {
    Graphics g = CreateGraphicsFromHDC(dc);
    if (!g) return;
    if (filled) {
        Brush brush = SolidBrush(ColorToARGB(fillColour, fillOpacity));
        if (brush) gp::GdipFillRectangle(g.get(), brush.get(), 0, 0, width, height);
    }
    Pen pen = MakePen(ColorToARGB(lineColour, 100), static_cast<float>(lineWidth));
    if (pen) gp::GdipDrawRectangle(g.get(), pen.get(), 0, 0, width, height);
}

void DrawShadowEllipse(HDC dc, float cx, float cy, float width, float height, std::uint32_t colour, int opacity,
                       int rings) {
    Graphics g = CreateGraphicsFromHDC(dc);
    if (!g) return;
    gp::GdipSetSmoothingMode(g.get(), Gdiplus::SmoothingModeAntiAlias);
    const Glow glow = GlowRings(width, height, opacity, rings);
    for (const GlowRing& ring : glow.rings) {
        Pen pen = MakePen(ColorToARGB(colour, ring.opacity), ring.penWidth);
        if (pen)
            gp::GdipDrawEllipse(g.get(), pen.get(), cx - ring.width / 2, cy - ring.height / 2, ring.width, ring.height);
    }
    Brush fill = SolidBrush(glow.fillOpacity < 0 ? 0 : ColorToARGB(colour, glow.fillOpacity));
    if (fill) gp::GdipFillEllipse(g.get(), fill.get(), cx - width / 2, cy - height / 2, width, height);
}

void DrawArcGdip(HDC dc, float cx, float cy, float diameter, int width, bool greyed) {
    Graphics g = CreateGraphicsFromHDC(dc);
    if (!g) return;
    const std::uint32_t colour = ColorToARGB(greyed ? kGrey : kRed, 30);
    if (width == 0) {
        Pen pen = MakePen(colour, 1);
        if (pen) gp::GdipDrawLine(g.get(), pen.get(), cx, cy, cx, cy - diameter / 2);
        return;
    }
    gp::GdipSetSmoothingMode(g.get(), Gdiplus::SmoothingModeAntiAlias);
    const Wedge w = WedgeFor(cx, cy, diameter, width);
    Gdiplus::GpPath* raw = nullptr;
    gp::GdipCreatePath(Gdiplus::FillModeAlternate, &raw);
    Path path(raw);
    Brush brush = SolidBrush(colour);
    if (!path || !brush) return;
    gp::GdipAddPathArc(path.get(), cx - diameter / 2, cy - diameter / 2, diameter, diameter, w.startAngle, w.sweep);
    gp::GdipAddPathLine(path.get(), w.x1, w.y1, cx, cy);
    gp::GdipAddPathLine(path.get(), cx, cy, w.x2, w.y2);
    gp::GdipFillPath(g.get(), brush.get(), path.get());
}

void DrawGradientEllipse(HDC dc, float cx, float cy, float diameter, int depth, bool greyed) {
    Graphics g = CreateGraphicsFromHDC(dc);
    if (!g) return;
    const std::uint32_t base = greyed ? kGrey : ::GetSysColor(kHighlight);
    const std::uint32_t c1 = ArgbFromRgb(base, 10), c2 = ArgbFromRgb(base, 30);
    const Gdiplus::RectF square{cx - diameter / 2, cy - diameter / 2, diameter, diameter};
    Gdiplus::GpLineGradient* raw = nullptr;
    if (gp::GdipCreateLineBrushFromRect(&square, c1, c2, Gdiplus::LinearGradientModeVertical, Gdiplus::WrapModeTile,
                                        &raw) != Gdiplus::Ok)
        return;
    Brush brush(raw);
    DepthBlend blend = DepthBlendFor(depth);
    // Near the ends the band's fade reaches past the disc: the blend is limited to the disc.
    for (float& position : blend.positions) position = std::clamp(position, 0.0f, 1.0f);
    if (gp::GdipSetLineBlend(raw, blend.factors.data(), blend.positions.data(), 5) != Gdiplus::Ok) return;
    gp::GdipSetSmoothingMode(g.get(), Gdiplus::SmoothingModeAntiAlias);
    gp::GdipFillEllipse(g.get(), brush.get(), square.X, square.Y, diameter, diameter);
    Pen pen = MakePen(c2, 2);
    if (pen) gp::GdipDrawEllipse(g.get(), pen.get(), square.X, square.Y, diameter, diameter);
}

bool DrawCaptionGdip(const wchar_t* resource, const wchar_t* type, HDC dc, float x, float y, float width, float height,
                     float angle, const std::wstring& caption, const UIFont* font, std::uint32_t captionColour,
                     int opacity, float sourceX, float sourceY, float sourceWidth, float sourceHeight) {
    Graphics g = CreateGraphicsFromHDC(dc);
    if (!g) return false;
    Image image = LoadImageResource(resource, type);
    if (!image) return false;
    UINT imageWidth = 0, imageHeight = 0;
    gp::GdipGetImageWidth(image.get(), &imageWidth);
    gp::GdipGetImageHeight(image.get(), &imageHeight);
    if (sourceHeight == 0) sourceHeight = static_cast<float>(imageHeight);
    if (sourceWidth == 0) sourceWidth = static_cast<float>(imageWidth);
    if (width == 0) width = sourceWidth;
    if (height == 0) height = sourceHeight;
    if (!caption.empty()) DrawCaption(g.get(), dc, x, y, width, height, angle, caption, font, captionColour, opacity);
    gp::GdipSetInterpolationMode(g.get(), Gdiplus::InterpolationModeBicubic);
    const auto whole = [](float v) { return static_cast<float>(std::nearbyint(v)); };
    if (angle == 0) {
        gp::GdipDrawImageRectRect(g.get(), image.get(), whole(x), whole(y), whole(width), whole(height), whole(sourceX),
                                  whole(sourceY), sourceWidth, sourceHeight, Gdiplus::UnitPixel, nullptr, nullptr,
                                  nullptr);
    } else {
        gp::GdipRotateWorldTransform(g.get(), static_cast<float>(WholeRotation(angle)), Gdiplus::MatrixOrderPrepend);
        gp::GdipTranslateWorldTransform(g.get(), x + width / 2, y + height / 2, Gdiplus::MatrixOrderAppend);
        const float halfW = std::trunc(width / 2), halfH = std::trunc(height / 2);
        gp::GdipDrawImageRectRect(g.get(), image.get(), -halfW, -halfH, width, height, sourceX, sourceY, sourceWidth,
                                  sourceHeight, Gdiplus::UnitPixel, nullptr, nullptr, nullptr);
    }
    return true;
}

}  // namespace kal
