// The virtual speaker field in the window: a layout placed and encoded again, the veil of
// "Don't Change", and speakers dragged with the mouse stopping at their limits.
#include "tests/editor/editor_fixture.h"

#include <cstring>

#include "device/portable/texts_values.h"
#include "editor/drawing.h"

using namespace kal;
using namespace kal::testing;

namespace {

class SpeakerField : public EditorFixture {};

float X(const Bytes& layout, int speaker) {
    const std::uint32_t bits = BytesToUInt32(layout, static_cast<std::size_t>(speaker) * 16);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}
float Y(const Bytes& layout, int speaker) {
    const std::uint32_t bits = BytesToUInt32(layout, static_cast<std::size_t>(speaker) * 16 + 8);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}


// The field gives back the card's own bytes of every speaker that has not moved; a moved speaker
// is encoded as the editor stores it.
TEST_F(SpeakerField, ARealTimeLayoutShowsEverySpeakerAndKeepsTheCardsBytesUntilOneMoves) {
    UseEditorCard(kD2);
    sim::SetSimLiveValue(L"VSpeakerPos", HexToBytes(kVssPositionalLayout));
    frmProfile& editor = OpenRealTime();
    EXPECT_TRUE(editor.Get<OptionButton>(L"optVSSLayout", 1).Value());
    EXPECT_EQ(BytesToHex(editor.EncodeVSpeakerPos()), kVssPositionalLayout);
    editor.ExpandVSSPanel(true);
    Pump(30);
    for (int i = 0; i < kVssSpeakers; ++i) EXPECT_TRUE(editor.Ctl(L"VSSSpeaker", i).Visible()) << i;
    SaveWindowScreenshot(editor.hWnd(), L"frmProfile", L"realtime-speaker-field");
    DragSpeaker(editor, 0, 0, 40);
    const std::wstring moved = BytesToHex(editor.EncodeVSpeakerPos());
    EXPECT_EQ(moved.substr(16 * 2), std::wstring(kVssPositionalLayout).substr(16 * 2));
    EXPECT_NE(moved.substr(0, 16 * 2), std::wstring(kVssPositionalLayout).substr(0, 16 * 2));
}

TEST_F(SpeakerField, ANewProfileShowsTheLiveLayoutUnderAVeil) {
    UseEditorCard(kD2);
    sim::SetSimLiveValue(L"VSpeakerPos", HexToBytes(kVssDefaultLayout));
    frmProfile& editor = OpenEditor(L"");
    EXPECT_TRUE(editor.Get<OptionButton>(L"optVSSLayout", 0).Value());
    for (int i = 0; i < kVssSpeakers; ++i) EXPECT_FALSE(editor.Ctl(L"VSSSpeaker", i).Visible()) << i;
    EXPECT_FALSE(editor.Ctl(L"optLoadVSSPreset", 0).Enabled());
    EXPECT_EQ(BytesToHex(editor.EncodeVSpeakerPos()), kVssDefaultLayout);
    editor.ExpandVSSPanel(true);
    // Choosing "Set To:" shows the speakers.
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optVSSLayout", 1)));
    for (int i = 0; i < kVssSpeakers; ++i) EXPECT_TRUE(editor.Ctl(L"VSSSpeaker", i).Visible()) << i;
    EXPECT_TRUE(editor.Ctl(L"optLoadVSSPreset", 0).Enabled());
}

// In a live editor the speaker shifter switched on and off, with the layout at "Don't Change" or
// set to the card's, leaves the card's layout byte for byte.
TEST_F(SpeakerField, TheSpeakerShifterLeavesALayoutTheUserDidNotTouch) {
    UseEditorCard(kD2);
    sim::SetSimLiveValue(L"VSpeakerPos", HexToBytes(kVssPositionalLayout));
    frmProfile& editor = OpenEditor(L"");
    ASSERT_FALSE(editor.LiveProfileName().empty());
    ASSERT_TRUE(User::ChooseItem(*editor.cboAnalogOutput, IndexOf(*editor.cboAnalogOutput, 0x0006)));
    editor.ExpandVSSPanel(true);
    for (const int layout : {0, 1}) {
        ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optVSSLayout", layout)));
        for (int click = 0; click < 2; ++click) {
            ASSERT_TRUE(User::Click(*editor.chkVSS)) << layout;
            EXPECT_EQ(BytesToHex(GetProfileValue(L"", L"VSpeakerPos")), kVssPositionalLayout) << layout << click;
        }
    }
}

TEST_F(SpeakerField, DraggedSpeakersStopAtTheirLimits) {
    UseEditorCard(kD2);
    sim::SetSimLiveValue(L"VSpeakerPos", HexToBytes(kVssDefaultLayout));
    frmProfile& editor = OpenRealTime();
    editor.ExpandVSSPanel(true);
    Pump(30);
    sim::ClearSimRequestLog();

    // The front left speaker pulled far up and left stops at the corner of the square.
    DragSpeaker(editor, 0, -600, -600);
    Bytes layout = editor.EncodeVSpeakerPos();
    EXPECT_FLOAT_EQ(X(layout, 0), -1.0f);
    EXPECT_FLOAT_EQ(Y(layout, 0), 1.0f);
    EXPECT_FALSE(editor.VssDragging());
    for (int i = 0; i < kVssSpeakers; ++i) EXPECT_TRUE(editor.Ctl(L"VSSSpeaker", i).Visible()) << i;
    // The box stands where the value says.
    const BoxPlace place = editor.SpeakerPlace(0);
    EXPECT_EQ(editor.Ctl(L"VSSSpeaker", 0).Left(), place.left);
    EXPECT_EQ(editor.Ctl(L"VSSSpeaker", 0).Top(), place.top);

    // The subwoofer moves sideways only, never left of the listener.
    const float subY = Y(layout, kVssSubwoofer);
    DragSpeaker(editor, kVssSubwoofer, -600, 300);
    layout = editor.EncodeVSpeakerPos();
    EXPECT_FLOAT_EQ(X(layout, kVssSubwoofer), 0.0f);
    EXPECT_EQ(Y(layout, kVssSubwoofer), subY);
    DragSpeaker(editor, kVssSubwoofer, 600, 0);
    EXPECT_FLOAT_EQ(X(editor.EncodeVSpeakerPos(), kVssSubwoofer), 1.0f);
    // Other speakers keep their places and the card's bytes.
    layout = editor.EncodeVSpeakerPos();
    const std::wstring stored(kVssDefaultLayout);
    EXPECT_EQ(BytesToHex(layout).substr(32 * 2, 16 * 2), stored.substr(32 * 2, 16 * 2));
    SaveWindowScreenshot(editor.hWnd(), L"frmProfile", L"realtime-dragged");
    // The real-time window is live: the drags went to the card as speaker positions, nothing else.
    const auto writes = Writes();
    EXPECT_FALSE(writes.empty());
    for (const auto& w : writes) EXPECT_EQ(w.substr(0, 3), L"10:") << w;
}

TEST_F(SpeakerField, ClosingFromTheTitleBarAfterADragLeavesGdiplusShutDown) {
    UseEditorCard(kD2);
    frmProfile& editor = OpenRealTime();
    editor.ExpandVSSPanel(true);
    Pump(30);
    DragSpeaker(editor, 0, 20, 20);
    HWND speaker = editor.Ctl(L"VSSSpeaker", 0).Window();
    ASSERT_EQ(::GetFocus(), speaker);
    ASSERT_NE(gGdiplusToken, 0u);
    // The speaker box loses the focus while the window closes: it draws nothing any more.
    ::SendMessageW(editor.hWnd(), WM_CLOSE, 0, 0);
    Pump(10);
    EXPECT_EQ(ProfileEditor(), nullptr);
    EXPECT_EQ(gGdiplusToken, 0u);
}

TEST_F(SpeakerField, AnAllZeroStoredLayoutIsReplacedByTheDefault) {
    UseEditorCard(kD2);
    Store(L"Zero", L"VSpeakerPos", std::wstring(256, L'0').c_str());
    frmProfile& editor = OpenEditor(L"Zero");
    EXPECT_FALSE(RegReadBytes(Profile(L"Zero"), L"VSpeakerPos").has_value());
    EXPECT_TRUE(editor.Get<OptionButton>(L"optVSSLayout", 0).Value());
    EXPECT_EQ(BytesToHex(editor.EncodeVSpeakerPos()), kVssDefaultLayout);
}

TEST_F(SpeakerField, GraphsFollowTheirPanelsExpandState) {
    UseEditorCard(kD2);
    // Four speakers on stereo sources: the speaker shifter, ProLogic IIx and NEO:PC are offered.
    sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(L"03000000"));
    gAudio->SetSpeakers(gPlaybackLineIds[0], 2);
    frmProfile& editor = OpenEditor(L"");
    Control& frame = editor.Ctl(L"fraEnhancements");
    const int collapsed = frame.Height();
    const int neoTop = editor.Ctl(L"pctNeo").Top();
    ASSERT_TRUE(User::Click(editor.Ctl(L"chkVSSExpand")));
    EXPECT_EQ(frame.Height(), collapsed + 4065 - 375);
    EXPECT_EQ(editor.Ctl(L"pctNeo").Top(), neoTop + 4065 - 375);
    EXPECT_TRUE(editor.Ctl(L"VSSGraph").Visible());
    // Expanding NEO collapses the speaker shifter first.
    ASSERT_TRUE(User::Click(editor.Ctl(L"chkNEOExpand")));
    EXPECT_EQ(editor.Get<CheckBox>(L"chkVSSExpand").Value(), 0);
    EXPECT_FALSE(editor.Ctl(L"VSSGraph").Visible());
    EXPECT_EQ(frame.Height(), collapsed + 4065 - 375);
    EXPECT_EQ(editor.Ctl(L"pctNeo").Top(), neoTop);
    EXPECT_TRUE(editor.Ctl(L"pctNEOGraph").Visible());
    // Music mode shows the sliders, movie mode hides them; the modes are NEO:PC's while it is on.
    if (editor.Get<CheckBox>(L"chkNeo").Value() != 1) {
        ASSERT_TRUE(User::Click(editor.Ctl(L"chkNeo")));
    }
    ASSERT_TRUE(User::Click(editor.Ctl(L"optNEOMode", 0)));
    EXPECT_TRUE(editor.Ctl(L"csliNEOWidth").Visible());
    ASSERT_TRUE(User::Click(editor.Ctl(L"optNEOMode", 1)));
    EXPECT_FALSE(editor.Ctl(L"csliNEOWidth").Visible());
    SaveWindowScreenshot(editor.hWnd(), L"frmProfile", L"new-neo-movie");
    ASSERT_TRUE(User::Click(editor.Ctl(L"chkNEOExpand")));
    EXPECT_EQ(frame.Height(), collapsed);
}

}  // namespace
