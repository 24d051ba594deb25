// Tray icon rules, balloon texts and icon pixel operations.
#include <gtest/gtest.h>

#include "tray/portable/iconpixels.h"
#include "tray/portable/trayrules.h"

using namespace kal;

namespace {

TEST(TrayRules, FieldsAreCutAndLeaveRoomForTheTerminator) {
    EXPECT_EQ(FitField(std::wstring(127, L'x'), kTrayTipChars).size(), 127u);
    EXPECT_EQ(FitField(std::wstring(200, L'x'), kTrayTipChars).size(), 127u);
    EXPECT_EQ(FitField(L"short", kBalloonTitleChars), L"short");
    EXPECT_EQ(FitField(std::wstring(300, L'y'), kBalloonTextChars).size(), 255u);
}

TEST(TrayRules, OutputPictureFollowsTheLiveOutput) {
    EXPECT_EQ(OutputPictureName(0, 1), L"HP");
    EXPECT_EQ(OutputPictureName(0, 4), L"SPEAKERS");
    EXPECT_EQ(OutputPictureName(2, 1), L"HP");  // PCM to the digital output: the analog one decides
    EXPECT_EQ(OutputPictureName(3, 1), L"SPDIF");
    EXPECT_EQ(OutputPictureName(0x10, 6), L"SPDIF");
    EXPECT_EQ(Win10Variant(L"HP", true), L"HP_WIN10");
    EXPECT_EQ(Win10Variant(L"HP", false), L"HP");
}

TEST(TrayRules, SizesAndLevels) {
    EXPECT_EQ(ScaleByDPI(16, 96), 16);
    EXPECT_EQ(ScaleByDPI(16, 144), 24);
    EXPECT_EQ(ScaleByDPI(16, 120), 20);
    EXPECT_EQ(VolumeLevelPixels(100 * kCurrencyScale, 16), 16);
    EXPECT_EQ(VolumeLevelPixels(0, 16), 0);
    EXPECT_EQ(VolumeLevelPixels(3 * kCurrencyScale, 16), 0);   // 0.48 px
    EXPECT_EQ(VolumeLevelPixels(50 * kCurrencyScale, 16), 8);
    EXPECT_EQ(VolumeLevelPixels(53125, 16), 1);                // 0.85 px
    // The horizontal bar only where the bottom has more room than the right edge.
    EXPECT_TRUE(UseHorizontalVolumeBar(0, 4));
    EXPECT_FALSE(UseHorizontalVolumeBar(4, 4));
    EXPECT_FALSE(UseHorizontalVolumeBar(5, 0));
}

TEST(TrayRules, BalloonTexts) {
    EXPECT_EQ(DetectionPrefix(L""), L"\r\nA Xonar sound card has been detected, but ");
    EXPECT_EQ(DetectionPrefix(L"Xonar DX"), L"\r\nA Xonar DX has been detected, but ");
    EXPECT_EQ(UpdateSucceededText(1, 0, 7),
              L"\r\nApplication successfully updated to version 1.0.7\r\n\r\nClick here to read the changelog.");
    EXPECT_EQ(UpdateFailedText(L"Kalvenor"),
              L"\r\nAn attempt to update Kalvenor has failed.\r\n\r\nYou can retry by using the \"Update\" menu.");
    EXPECT_EQ(VolumeMessage(40, std::nullopt), L"Master volume successfully set to 40%.");
    EXPECT_EQ(VolumeMessage(40, L"-12,5"), L"Master volume successfully set to 40% / -12,5dB.");
    EXPECT_EQ(ProfileLoadedText(L"Music", L""), L"\r\nProfile \"Music\" successfully loaded.");
    EXPECT_EQ(ProfileLoadedText(L"Music", L"Master volume successfully set to 0%."),
              L"\r\nProfile \"Music\" successfully loaded. Master volume successfully set to 0%.");
    EXPECT_NE(ProfileNotFoundText(L"Gone").find(L"\"Gone\""), std::wstring::npos);
    EXPECT_EQ(ProfileNotFoundText(L"Gone").substr(0, 2), L"\r\n");
}

TEST(TrayRules, DecimalsUpToFourWithoutTrailingZeros) {
    EXPECT_EQ(FormatDecimal(0, L"."), L"0");
    EXPECT_EQ(FormatDecimal(-125000, L"."), L"-12.5");
    EXPECT_EQ(FormatDecimal(-125000, L","), L"-12,5");
    EXPECT_EQ(FormatDecimal(123456, L"."), L"12.3456");
    EXPECT_EQ(FormatDecimal(10001, L"."), L"1.0001");
    EXPECT_EQ(FormatDecimal(-1, L"."), L"-0.0001");
    EXPECT_EQ(FormatDecimal(960000, L"."), L"96");
}

IconPixels Filled(int w, int h, std::uint32_t colour) {
    IconPixels p(w, h);
    for (auto& px : p.argb) px = colour;
    MaskFromAlpha(p);
    return p;
}

TEST(IconPixels, EmptyEdgesAreCountedFromTheMask) {
    IconPixels p(8, 8);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) p.At(x, y) = 0xFF112233;
    MaskFromAlpha(p);
    EXPECT_EQ(EmptyRightColumns(p), 2);
    EXPECT_EQ(EmptyBottomRows(p), 3);
    EXPECT_TRUE(IsLineTransparent(p, -1, 7));
    EXPECT_FALSE(IsLineTransparent(p, -1, 5));
    EXPECT_TRUE(IsLineTransparent(p, 5, -1));
    EXPECT_FALSE(IsLineTransparent(p, 0, -1));
    // A faint pixel counts as drawn.
    p.At(7, 0) = 0x01000000;
    MaskFromAlpha(p);
    EXPECT_EQ(EmptyRightColumns(p), 0);
    EXPECT_EQ(EmptyRightColumns(IconPixels(4, 4)), 4);
}

TEST(IconPixels, ClearAreaMakesPixelsTransparentInColourAndMask) {
    IconPixels p = Filled(6, 6, 0xFFFFFFFF);
    ClearArea(p, 4, 0, 10, 6);
    EXPECT_EQ(EmptyRightColumns(p), 2);
    EXPECT_EQ(p.At(5, 3), 0u);
    EXPECT_EQ(p.At(3, 3), 0xFFFFFFFFu);
    ClearArea(p, -3, -3, 4, 4);  // outside parts ignored
    EXPECT_EQ(p.At(0, 0), 0u);
    EXPECT_EQ(p.At(1, 1), 0xFFFFFFFFu);
}

TEST(IconPixels, OverlayOverBase) {
    const IconPixels base = Filled(2, 1, 0xFF0000FF);  // opaque blue
    IconPixels overlay(2, 1);
    overlay.At(0, 0) = 0xFFFF0000;  // opaque red
    overlay.At(1, 0) = 0x80FF0000;  // half red
    MaskFromAlpha(overlay);
    const IconPixels out = Over(overlay, base);
    EXPECT_EQ(out.At(0, 0), 0xFFFF0000u);
    const std::uint32_t mixed = out.At(1, 0);
    EXPECT_EQ(mixed >> 24, 0xFFu);
    EXPECT_NEAR(static_cast<int>((mixed >> 16) & 0xFF), 128, 1);
    EXPECT_NEAR(static_cast<int>(mixed & 0xFF), 127, 1);
    // Over a transparent base the overlay keeps its own alpha; the mask follows.
    const IconPixels clear = Over(overlay, IconPixels(2, 1));
    EXPECT_EQ(clear.At(1, 0), 0x80FF0000u);
    EXPECT_FALSE(clear.Clear(1, 0));
    EXPECT_TRUE(Over(IconPixels(2, 1), IconPixels(2, 1)).Clear(0, 0));
}

TEST(IconPixels, AlphaFromMaskForPicturesWithoutAlpha) {
    IconPixels p(2, 1);
    p.At(0, 0) = 0x00ABCDEF;
    p.At(1, 0) = 0x00ABCDEF;
    p.transparent = {false, true};
    AlphaFromMask(p);
    EXPECT_EQ(p.At(0, 0), 0xFFABCDEFu);
    EXPECT_EQ(p.At(1, 0), 0u);
}

}  // namespace
