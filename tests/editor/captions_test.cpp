// The captions beside the speaker pictures of the speaker field and the effect graphs: the font
// scales with the screen's dots per inch while the pictures keep their pixels, so a caption
// larger than its picture is drawn whole on every side of it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "editor/drawing.h"
#include "toolkit/font.h"

using namespace kal;

namespace {

TEST(SpeakerCaptions, ACaptionLargerThanItsPictureIsDrawnWhole) {
    constexpr int kSide = 160;
    constexpr float kPicture = 16, kAt = (kSide - kPicture) / 2;
    constexpr std::uint32_t kRed = 0x0000FF;  // OLE colour: blue, green, red
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, kSide, kSide);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    // 7 points at 96 dots per inch and, as 144 would make it, at 10.5.
    for (const double points : {7.0, 10.5}) {
        for (const wchar_t* caption : {L"L", L"Ls", L"Lb", L"SW", L"Rs", L"Rb", L"C"}) {
            for (const float angle : {-45.0f, 0.0f, 120.0f, 160.0f, 240.0f}) {
                SCOPED_TRACE(::testing::Message() << points << " pt, angle " << angle << ", "
                                                  << std::string(caption, caption + wcslen(caption)));
                RECT all{0, 0, kSide, kSide};
                ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
                UIFont font;
                font.size = points;
                ASSERT_TRUE(DrawCaptionGdip(L"SPEAKER", kPictureType, dc, kAt, kAt, kPicture, kPicture, angle, caption,
                                            &font, kRed, 100));
                // The text's own width in that font, and the red ink's extent beside the picture.
                LOGFONTW lf{};
                lf.lfHeight = -::MulDiv(static_cast<int>(points + 0.5), ::GetDeviceCaps(dc, LOGPIXELSY), 72);
                wcscpy_s(lf.lfFaceName, font.name.c_str());
                HFONT measureFont = ::CreateFontIndirectW(&lf);
                HGDIOBJ oldFont = ::SelectObject(dc, measureFont);
                SIZE text{};
                ::GetTextExtentPoint32W(dc, caption, static_cast<int>(wcslen(caption)), &text);
                ::SelectObject(dc, oldFont);
                ::DeleteObject(measureFont);
                int left = kSide, right = -1, top = kSide, bottom = -1;
                for (int y = 0; y < kSide; ++y) {
                    for (int x = 0; x < kSide; ++x) {
                        const COLORREF c = ::GetPixel(dc, x, y);
                        if (GetRValue(c) < 160 || GetGValue(c) > 120 || GetBValue(c) > 120) continue;
                        left = std::min(left, x), right = std::max(right, x);
                        top = std::min(top, y), bottom = std::max(bottom, y);
                    }
                }
                ASSERT_GE(right, left);
                EXPECT_GE(right - left + 1, text.cx);
                EXPECT_GE(bottom - top + 1, text.cy * 3 / 4);
            }
        }
    }
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
}

}  // namespace
