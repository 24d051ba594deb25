// The speaker layouts around the virtual speaker field, driven as the user drives them in the
// live real-time window: the two presets placed and recognised by position alone, user layouts
// added, chosen, re-marked after a drag and deleted, clicks ignored while a speaker is dragged,
// and the distance buttons moving every speaker within their limits.
#include <algorithm>
#include <cmath>

#include "device/profilevalues.h"
#include "device/portable/texts_values.h"
#include "editor/controlvalues.h"
#include "base/registry.h"
#include "tests/editor/editor_fixture.h"
#include "tests/tray/dialog_answerer.h"

using namespace kal;
using namespace kal::testing;

namespace {

class Layouts : public EditorFixture {
protected:
    static std::wstring UserKey() { return gRegRoot + L"\\Presets\\VSS"; }
    // The real-time window on four speakers with stereo sources (the shifter is offered), its
    // speaker panel open, the card holding `layout`.
    frmProfile& OpenField(const Bytes& layout) {
        UseEditorCard(kD2);
        sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(L"03000000"));
        gAudio->SetSpeakers(gPlaybackLineIds[0], 2);
        sim::SetSimLiveValue(L"VSpeakerPos", layout);
        frmProfile& editor = OpenRealTime();
        if (editor.Get<CheckBox>(L"chkVSSExpand").Value() == 0) {
            EXPECT_TRUE(User::Click(editor.Ctl(L"chkVSSExpand")));
        }
        Pump(30);
        sim::ClearSimRequestLog();
        return editor;
    }
    static int MarkedPreset(frmProfile& editor) {
        for (int i = 0; i < 2; ++i)
            if (editor.Get<OptionButton>(L"optLoadVSSPreset", i).Value()) return i;
        return -1;
    }
    // Pixels from the listener to the speaker's centre.
    static float Distance(frmProfile& editor, int speaker) {
        const BoxPlace p = editor.SpeakerPlace(speaker);
        const FieldGeometry& f = editor.Field();
        return std::hypot(static_cast<float>(p.left) / f.twipsPerPixelX + f.boxWidth / 2 - f.centreX,
                          static_cast<float>(p.top) / f.twipsPerPixelY + f.boxHeight / 2 - f.centreY);
    }
    static void ExpectLayoutWrites(std::size_t layouts) {
        const auto writes = Writes();
        EXPECT_EQ(writes.size(), 8 * layouts);
        for (const auto& w : writes) EXPECT_EQ(w.substr(0, 3), L"10:") << w;
    }
    static void Press(Control& button, int answer, kaltest::DialogAnswerer& answers) {
        answers.button = answer;
        answers.seen.clear();
        answers.Run([&] { EXPECT_TRUE(User::Click(button)); });
    }
    static void MouseDown(frmProfile& editor, int speaker) {
        ::SendMessageW(editor.Ctl(L"VSSSpeaker", speaker).Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 12));
    }
    static void MouseUp(frmProfile& editor, int speaker) {
        ::SendMessageW(editor.Ctl(L"VSSSpeaker", speaker).Window(), WM_LBUTTONUP, 0, MAKELPARAM(12, 12));
    }
};

Bytes WithRecord(Bytes layout, int speaker, SpeakerPoint point) {
    const Bytes record = EncodeSpeakerRecord(point);
    std::copy(record.begin(), record.end(), layout.begin() + speaker * kVssRecordSize);
    return layout;
}

TEST_F(Layouts, PresetsPlaceTheSpeakersAndAreRecognisedByPositionAlone) {
    // The default layout with other height words and flags, and a damaged layout.
    Bytes tall = HexToBytes(kVssDefaultLayout);
    for (int i = 0; i < kVssSpeakers; ++i) {
        tall[i * 16 + 7] = 0x3F;
        tall[i * 16 + 12] = 7;
    }
    RegWrite(UserKey(), L"Tall", tall);
    RegWrite(UserKey(), L"Short", Bytes(127, 0));
    frmProfile& editor = OpenField(HexToBytes(kVssPositionalLayout));
    EXPECT_EQ(MarkedPreset(editor), 1);

    // The field holds the preset's own bytes until a speaker moves.
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optLoadVSSPreset", 0)));
    EXPECT_EQ(BytesToHex(editor.EncodeVSpeakerPos()), kVssDefaultLayout);
    EXPECT_EQ(MarkedPreset(editor), 0);
    ExpectLayoutWrites(1);
    EXPECT_TRUE(ArraysEqual(GetProfileValue(L"", L"VSpeakerPos"), kVssDefaultLayout));

    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optLoadVSSPreset", 1)));
    EXPECT_EQ(MarkedPreset(editor), 1);
    auto& box = editor.Get<ComboBox>(L"cboVSSUserLayouts");
    const auto items = Items(box);
    const int tallAt = static_cast<int>(std::find(items.begin(), items.end(), L"Tall") - items.begin());
    ASSERT_LT(tallAt, 2);
    sim::ClearSimRequestLog();
    ASSERT_TRUE(User::ChooseItem(box, tallAt));
    EXPECT_EQ(MarkedPreset(editor), 0);
    ExpectLayoutWrites(1);
    SaveWindowScreenshot(editor.hWnd(), L"frmProfile", L"realtime-vss-user-layout");
    // A damaged layout moves nothing and sends nothing.
    const Bytes before = editor.EncodeVSpeakerPos();
    sim::ClearSimRequestLog();
    ASSERT_TRUE(User::ChooseItem(box, 1 - tallAt));
    EXPECT_EQ(editor.EncodeVSpeakerPos(), before);
    EXPECT_TRUE(Writes().empty());
}

TEST_F(Layouts, UserLayoutsFollowTheFieldAndNothingChangesWhileASpeakerIsDragged) {
    frmProfile& editor = OpenField(HexToBytes(kVssDefaultLayout));
    auto& box = editor.Get<ComboBox>(L"cboVSSUserLayouts");
    auto& add = editor.Ctl(L"cmdVSSUserLayoutAdd");
    auto& remove = editor.Ctl(L"cmdVSSUserLayoutDelete");
    EXPECT_FALSE(add.Enabled());
    ASSERT_TRUE(User::TypeText(box, L"Mine"));
    EXPECT_TRUE(add.Enabled());
    kaltest::DialogAnswerer answers;
    Press(add, IDYES, answers);
    EXPECT_TRUE(answers.seen.empty());
    EXPECT_EQ(RegReadBytes(UserKey(), L"Mine").value_or(Bytes{}), editor.EncodeVSpeakerPos());
    EXPECT_EQ(box.Text(), L"Mine");
    EXPECT_TRUE(remove.Enabled());

    // A dragged speaker: neither the preset nor the user layout any more.
    MouseDown(editor, 0);
    ::SendMessageW(editor.Ctl(L"VSSSpeaker", 0).Window(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 30));
    MouseUp(editor, 0);
    EXPECT_EQ(MarkedPreset(editor), -1);
    EXPECT_EQ(box.ListIndex(), -1);
    EXPECT_FALSE(remove.Enabled());
    ASSERT_TRUE(User::ChooseItem(box, 0));
    EXPECT_EQ(MarkedPreset(editor), 0);
    EXPECT_EQ(box.ListIndex(), 0);

    // While a speaker is held, preset and user layout clicks change nothing.
    MouseDown(editor, 2);
    ASSERT_TRUE(editor.VssDragging());
    const Bytes held = editor.EncodeVSpeakerPos();
    sim::ClearSimRequestLog();
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optLoadVSSPreset", 1)));
    ASSERT_TRUE(User::ChooseItem(box, 0));
    EXPECT_EQ(editor.EncodeVSpeakerPos(), held);
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(MarkedPreset(editor), 0);
    EXPECT_EQ(box.ListIndex(), 0);
    MouseUp(editor, 2);

    // The questions name the layouts (their flows are the gain profiles').
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optLoadVSSPreset", 1)));
    ASSERT_TRUE(User::TypeText(box, L"Mine"));
    Press(add, IDNO, answers);
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].text,
              L"A Virtual Speaker Shifter layout already exists with the name \"Mine\". Do you want to overwrite it?");
    ASSERT_TRUE(User::ChooseItem(box, 0));
    Press(remove, IDYES, answers);
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].text, L"Do you want to delete the Virtual Speaker Shifter layout \"Mine\"?");
    EXPECT_EQ(box.ListCount(), 0);
}

TEST_F(Layouts, DistanceButtonsMoveEverySpeakerAlongItsAngleWithinTheirLimits) {
    // Front left 97 pixels straight ahead, front right at the nearest distance to the right.
    Bytes layout = WithRecord(HexToBytes(kVssDefaultLayoutAlt), 0, {0.0f, 1.0f});
    layout = WithRecord(layout, 1, {0.2f, 0.0f});
    frmProfile& editor = OpenField(layout);
    ASSERT_NEAR(Distance(editor, 0), 97.0f, 0.01f);
    ASSERT_NEAR(Distance(editor, 1), 19.4f, 0.01f);
    const float centre = Distance(editor, 2);
    auto& farther = editor.Ctl(L"cmdVSSSpeakerDistance", 0);
    auto& closer = editor.Ctl(L"cmdVSSSpeakerDistance", 1);

    ASSERT_TRUE(User::Click(farther));
    EXPECT_NEAR(Distance(editor, 0), 97.0f, 0.07f);
    EXPECT_NEAR(Distance(editor, 1), 19.4f + 1.94f, 0.07f);
    EXPECT_NEAR(Distance(editor, 2), centre + 1.94f, 0.07f);
    ExpectLayoutWrites(1);
    EXPECT_TRUE(ArraysEqual(GetProfileValue(L"", L"VSpeakerPos"), editor.EncodeVSpeakerPos()));
    // Straight ahead stays straight ahead.
    EXPECT_EQ(editor.SpeakerPlace(0).left, editor.Ctl(L"VSSSpeaker", 2).Left());

    sim::ClearSimRequestLog();
    ASSERT_TRUE(User::Click(closer));
    ASSERT_TRUE(User::Click(closer));
    EXPECT_NEAR(Distance(editor, 1), 19.4f, 0.07f);
    EXPECT_NEAR(Distance(editor, 0), 97.0f - 2 * 1.94f, 0.07f);
    ExpectLayoutWrites(2);
    for (int i = 0; i < kVssSpeakers; ++i) {
        // The box stands on the whole pixel of its place.
        EXPECT_LT(std::abs(editor.Ctl(L"VSSSpeaker", i).Left() - editor.SpeakerPlace(i).left), 15) << i;
        EXPECT_TRUE(editor.Ctl(L"VSSSpeaker", i).Visible()) << i;
    }
    SaveWindowScreenshot(editor.hWnd(), L"frmProfile", L"realtime-vss-distance");
}

TEST_F(Layouts, SetToEnablesThePresetsWhileTheUserButtonsKeepTheirRule) {
    UseEditorCard(kD2);
    frmProfile& editor = OpenEditor(L"");
    EXPECT_TRUE(editor.Get<OptionButton>(L"optVSSLayout", 0).Value());
    EXPECT_FALSE(editor.Ctl(L"optLoadVSSPreset", 0).Enabled());
    EXPECT_FALSE(editor.Ctl(L"cboVSSUserLayouts").Enabled());
    editor.ExpandVSSPanel(true);
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optVSSLayout", 1)));
    EXPECT_TRUE(editor.Ctl(L"optLoadVSSPreset", 1).Enabled());
    EXPECT_TRUE(editor.Ctl(L"cboVSSUserLayouts").Enabled());
    EXPECT_FALSE(editor.Ctl(L"cmdVSSUserLayoutAdd").Enabled());
    EXPECT_FALSE(editor.Ctl(L"cmdVSSUserLayoutDelete").Enabled());
}

}  // namespace
