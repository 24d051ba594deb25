// The captions beside the speaker pictures of the speaker field and the effect graphs: the font
// scales with the screen's dots per inch while the pictures keep their pixels, so at 144 a caption
// is larger than its picture, and is drawn whole all the same.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "editor/drawing.h"
#include "tests/tray/tray_fixture.h"
#include "toolkit/font.h"

using namespace kal;
using namespace kal::testing;

namespace {

TEST(SpeakerCaptions, EachCaptionIsDrawnWholeBesideItsPicture) {
    constexpr int kSide = 160;
    // The field's picture: a 32-bit bitmap in a memory context of the screen.
    HDC dc = ::CreateCompatibleDC(nullptr);
    const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
    ASSERT_EQ(dpi, InDpiChild() ? 144 : 96);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kSide, -kSide, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    // The caption font: the interface font at 7 points.
    HFONT gdiFont = ::CreateFontW(-::MulDiv(7, dpi, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                                  GetSystemFont().name.c_str());
    auto red = [&](int x, int y) {
        const COLORREF c = ::GetPixel(dc, x, y);
        return GetRValue(c) > 160 && GetGValue(c) < 120 && GetBValue(c) < 120;
    };
    for (const std::wstring caption : {L"L", L"C", L"Ls", L"Lb", L"SW", L"Rb"}) {
        for (const float angle : {-45.0f, 0.0f, 45.0f, 120.0f, 160.0f, 240.0f}) {
            for (const float at : {72.0f, 72.5f}) {
                SCOPED_TRACE(::testing::Message() << dpi << " dpi, angle " << angle << " at " << at << ", caption of "
                                                  << caption.size() << ": " << static_cast<char>(caption[0]));
                RECT all{0, 0, kSide, kSide};
                ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
                ASSERT_TRUE(DrawCaptionGdip(L"SPEAKER", kPictureType, dc, at, at, 16, 16, angle, caption, nullptr,
                                            0x0000FF, 100));
                // The red frame spans the text's own width and most of its height, and the text
                // stands inside it.
                HGDIOBJ was = ::SelectObject(dc, gdiFont);
                SIZE text{};
                ::GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
                ::SelectObject(dc, was);
                RECT ink{kSide, kSide, -1, -1};
                for (int y = 0; y < kSide; ++y)
                    for (int x = 0; x < kSide; ++x)
                        if (red(x, y))
                            ink = {std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y), std::max<LONG>(ink.right, x),
                                   std::max<LONG>(ink.bottom, y)};
                EXPECT_GE(ink.right - ink.left + 1, text.cx);
                EXPECT_GE(ink.bottom - ink.top + 1, text.cy * 3 / 4);
                int inside = 0;
                for (int y = ink.top + 2; y <= ink.bottom - 2; ++y)
                    for (int x = ink.left + 2; x <= ink.right - 2; ++x) inside += red(x, y);
                EXPECT_GE(inside, text.cy / 2);
            }
        }
    }
    ::DeleteObject(gdiFont);
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    if (InDpiChild()) MarkDpiChildDone();
}

TEST(SpeakerCaptionsScaled, EachCaptionIsDrawnWholeBesideItsPictureAt144Dpi) {
    EXPECT_TRUE(RunTestsAtDpi(L"SpeakerCaptions.EachCaptionIsDrawnWholeBesideItsPicture", 144));
}

}  // namespace
