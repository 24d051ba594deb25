// The Equalizer page driven as the user drives it against the simulated card in live mode:
// presets loaded into the sliders with one band packet per changed slider, the preset and the
// user gain profile marked only while the sliders equal them, user profiles added, overwritten
// after the question and deleted, the gain choice enabling its controls, and the name box's
// length rules.
#include <algorithm>
#include <map>

#include "device/profilevalues.h"
#include "editor/controlvalues.h"
#include "editor/portable/profilebytes.h"
#include "editor/userpresets.h"
#include "base/registry.h"
#include "startup/tables.h"
#include "tests/common/window_probes.h"
#include "tests/editor/editor_fixture.h"
#include "tests/tray/dialog_answerer.h"
#include "tray/backup.h"

using namespace kal;
using namespace kal::testing;

namespace {

class Equalizer : public EditorFixture {
protected:
    static std::wstring UserKey() { return gRegRoot + L"\\Presets\\EQ"; }
    static std::array<int, 10> Preset(int i) { return kal::DecodeEqGain(HexToBytes(gEqPresetGains[i])); }
    static std::array<int, 10> Sliders(frmProfile& editor) {
        std::array<int, 10> bands{};
        for (int i = 0; i < 10; ++i) bands[i] = editor.Get<Slider>(L"csliEQ", i).Value();
        return bands;
    }
    static int MarkedPreset(frmProfile& editor) {
        int marked = -1;
        for (Control* c : editor.ControlArray(L"optLoadEQPreset"))
            if (dynamic_cast<OptionButton*>(c)->Value()) marked = c->Index();
        return marked;
    }
    // A new profile in live mode on the Equalizer page with its gains set.
    frmProfile& OpenWithGains() {
        UseEditorCard(kD2);
        frmProfile& editor = OpenEditor(L"");
        editor.imgTab_Click(2);
        EXPECT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optEQProfile", 1)));
        return editor;
    }
    static kaltest::DialogAnswerer Press(Control& button, int answer) {
        kaltest::DialogAnswerer answers;
        answers.button = answer;
        answers.Run([&] { EXPECT_TRUE(User::Click(button)); });
        return answers;
    }
    static void TypeName(ComboBox& box, const std::wstring& name) {
        ::SendMessageW(box.EditWindow(), EM_SETSEL, 0, -1);
        ASSERT_TRUE(User::TypeText(box, name));
    }
};

TEST_F(Equalizer, PresetsSendOneBandPerChangedSliderAndStayMarkedOnlyWhileTheSlidersMatch) {
    frmProfile& editor = OpenWithGains();
    ASSERT_FALSE(editor.LiveProfileName().empty());
    EXPECT_EQ(MarkedPreset(editor), 0);  // the card's flat gains are "Default"
    for (int i = 0; i < 12; ++i) EXPECT_EQ(editor.Ctl(L"optLoadEQPreset", i).Caption(), std::wstring(gEqPresetNames[i]));

    sim::ClearSimRequestLog();
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optLoadEQPreset", 5)));
    EXPECT_EQ(Sliders(editor), Preset(5));
    EXPECT_EQ(MarkedPreset(editor), 5);
    EXPECT_EQ(Writes().size(), 10u);  // every band of "Rock" differs from flat
    EXPECT_EQ(BytesToHex(GetProfileValue(L"", L"EqGain")), gEqPresetGains[5]);
    EXPECT_EQ(editor.Ctl(L"lblEqValue", 0).Caption(), std::to_wstring(Preset(5)[0]) + L"dB");

    // "Dance" shares two bands with "Rock": only the others are sent.
    int changed = 0;
    for (int i = 0; i < 10; ++i) changed += Preset(3)[i] != Preset(5)[i];
    ASSERT_LT(changed, 10);
    sim::ClearSimRequestLog();
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optLoadEQPreset", 3)));
    const auto writes = Writes();
    EXPECT_EQ(writes.size(), static_cast<std::size_t>(changed));
    for (const auto& w : writes) EXPECT_EQ(w.substr(0, 2), L"9:") << w;
    EXPECT_EQ(BytesToHex(GetProfileValue(L"", L"EqGain")), gEqPresetGains[3]);

    // A moved slider clears the mark; moved back, the preset is marked again.
    auto& band = editor.Get<Slider>(L"csliEQ", 4);
    const int value = band.Value();
    sim::ClearSimRequestLog();
    ASSERT_TRUE(User::DragTo(band, value + 1));
    EXPECT_EQ(MarkedPreset(editor), -1);
    // The drag reports the band while it moves and where it stops: each report is that band.
    const auto dragged = Writes();
    EXPECT_FALSE(dragged.empty());
    for (const auto& w : dragged) EXPECT_EQ(w, L"9:04000000" + BytesToHex(EncodeEqBand(value + 1)));
    EXPECT_EQ(GetProfileValue(L"", L"EqGain"), kal::EncodeEqGain(Sliders(editor)));
    ASSERT_TRUE(User::DragTo(band, value));
    EXPECT_EQ(MarkedPreset(editor), 3);
}

// The colour that covers most of a button as it draws itself.
COLORREF MainColour(Control& button) {
    std::map<COLORREF, int> counts;
    for (COLORREF pixel : PaintClient(button.Window(), WM_PRINTCLIENT, PRF_CLIENT | PRF_ERASEBKGND).pixels)
        ++counts[pixel];
    return std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
}

TEST_F(Equalizer, TheGainChoiceEnablesItsControlsAndTheStateFollowsTheRestorePoint) {
    RegWrite(UserKey(), L"Flat", Bytes(40, 0));  // the card's own gains
    UseEditorCard(kD2);
    frmProfile& editor = OpenEditor(L"");
    editor.imgTab_Click(2);
    // A new profile leaves the gains alone: everything inside the choice is off.
    EXPECT_TRUE(OptionSelected(editor, L"optEQProfile", 0));
    for (const wchar_t* name : {L"cboEQUserProfiles", L"cmdEQUserProfileAdd", L"cmdEQUserProfileDelete",
                                L"fraEQUserProfiles", L"lblEQPresets"})
        EXPECT_FALSE(editor.Ctl(name).Enabled()) << name;
    EXPECT_EQ(editor.Get<ComboBox>(L"cboEQUserProfiles").Text(), L"Flat");
    EXPECT_FALSE(editor.Ctl(L"optLoadEQPreset", 11).Enabled());
    EXPECT_FALSE(editor.Ctl(L"csliEQ", 0).Enabled());
    EXPECT_TRUE(editor.Ctl(L"optEQProfile", 1).Enabled());
    // The marked preset looks as disabled as the others, not like the pressed "Live Mode ON".
    ASSERT_EQ(MarkedPreset(editor), 0);
    EXPECT_EQ(editor.Get<CheckBox>(L"chkLiveMode").Value(), 1);
    const COLORREF pressed = MainColour(editor.Ctl(L"chkLiveMode"));
    const COLORREF disabled = MainColour(editor.Ctl(L"optLoadEQPreset", 1));
    ASSERT_NE(pressed, disabled);
    EXPECT_EQ(MainColour(editor.Ctl(L"optLoadEQPreset", 0)), disabled);

    sim::ClearSimRequestLog();
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optEQProfile", 1)));
    EXPECT_TRUE(editor.Ctl(L"optLoadEQPreset", 11).Enabled());
    EXPECT_TRUE(editor.Ctl(L"cboEQUserProfiles").Enabled());
    EXPECT_TRUE(editor.Ctl(L"csliEQ", 9).Enabled());
    // The buttons keep their own rule: a profile is chosen, none is typed.
    EXPECT_FALSE(editor.Ctl(L"cmdEQUserProfileAdd").Enabled());
    EXPECT_TRUE(editor.Ctl(L"cmdEQUserProfileDelete").Enabled());
    // Live, the card holds the gains the editor shows, and without them the restore point's.
    ASSERT_TRUE(User::DragTo(editor.Get<Slider>(L"csliEQ", 3), 6));
    const Bytes shown = GetProfileValue(L"", L"EqGain");
    ASSERT_NE(shown, Bytes(40, 0));
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optEQProfile", 0)));
    EXPECT_FALSE(editor.Ctl(L"optLoadEQPreset", 0).Enabled());
    EXPECT_EQ(GetProfileValue(L"", L"EqGain"), Bytes(40, 0));
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optEQProfile", 1)));
    EXPECT_EQ(GetProfileValue(L"", L"EqGain"), shown);

    // The state: each choice goes to the card; "Don't Change" puts the restore point's back.
    ExpectDontChangePutsBackTheRestorePoint(editor, L"optEQ", L"EqEnable", editor.LiveProfileName());
}

TEST_F(Equalizer, UserProfilesAreAddedOverwrittenOnlyAfterYesAndDeleted) {
    RegWrite(UserKey(), L"Short", Bytes(39, 0));  // damaged: never loaded
    frmProfile& editor = OpenWithGains();
    auto& box = editor.Get<ComboBox>(L"cboEQUserProfiles");
    auto& add = editor.Ctl(L"cmdEQUserProfileAdd");
    auto& remove = editor.Ctl(L"cmdEQUserProfileDelete");
    ASSERT_TRUE(box.Editable());
    EXPECT_EQ(Items(box), std::vector<std::wstring>{L"Short"});
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optLoadEQPreset", 5)));

    // A typed new name enables Add; adding selects the new entry.
    TypeName(box, L"Mine");
    EXPECT_TRUE(add.Enabled());
    EXPECT_FALSE(remove.Enabled());
    auto answers = Press(add, IDYES);
    EXPECT_TRUE(answers.seen.empty());
    EXPECT_EQ(BytesToHex(RegReadBytes(UserKey(), L"Mine").value_or(Bytes{})), gEqPresetGains[5]);
    ASSERT_GE(box.ListIndex(), 0);
    EXPECT_EQ(box.Text(), L"Mine");
    EXPECT_FALSE(add.Enabled());
    EXPECT_TRUE(remove.Enabled());

    // Another preset: the profile is no longer what the sliders show.
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optLoadEQPreset", 10)));
    EXPECT_EQ(box.ListIndex(), -1);
    EXPECT_FALSE(remove.Enabled());
    TypeName(box, L"Mine");
    answers = Press(add, IDNO);
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].text, L"A gain profile already exists with the name \"Mine\". Do you want to overwrite it?");
    EXPECT_EQ(BytesToHex(Present(RegReadBytes(UserKey(), L"Mine"))), gEqPresetGains[5]);
    answers = Press(add, IDYES);
    EXPECT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(BytesToHex(Present(RegReadBytes(UserKey(), L"Mine"))), gEqPresetGains[10]);
    EXPECT_EQ(box.Text(), L"Mine");

    // Choosing a profile loads it; a damaged one leaves the sliders alone.
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optLoadEQPreset", 1)));
    const auto items = Items(box);
    const int mine = static_cast<int>(std::find(items.begin(), items.end(), L"Mine") - items.begin());
    const int shortOne = mine == 0 ? 1 : 0;
    ASSERT_TRUE(User::ChooseItem(box, shortOne));
    EXPECT_EQ(Sliders(editor), Preset(1));
    ASSERT_TRUE(User::ChooseItem(box, mine));
    EXPECT_EQ(Sliders(editor), Preset(10));
    EXPECT_EQ(MarkedPreset(editor), 10);
    EXPECT_EQ(box.ListIndex(), mine);
    EXPECT_TRUE(remove.Enabled());

    answers = Press(remove, IDNO);
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].text, L"Do you want to delete the gain profile \"Mine\"?");
    EXPECT_TRUE(RegReadBytes(UserKey(), L"Mine").has_value());
    Press(remove, IDYES);
    EXPECT_FALSE(RegReadBytes(UserKey(), L"Mine").has_value());
    EXPECT_EQ(Items(box), std::vector<std::wstring>{L"Short"});
    EXPECT_FALSE(remove.Enabled());
    SaveWindowScreenshot(editor.hWnd(), L"frmProfile", L"equalizer-user-profiles");
}

TEST_F(Equalizer, AfterARestoreTheListMarksWhatEachProfileStoresNow) {
    RegWrite(UserKey(), L"Mine", HexToBytes(gEqPresetGains[5]));
    const std::string backup = BuildBackupFile(*ReadRegistryTree(gRegRoot)).bytes;
    RegWrite(UserKey(), L"Mine", HexToBytes(gEqPresetGains[10]));
    frmProfile& editor = OpenWithGains();
    auto& box = editor.Get<ComboBox>(L"cboEQUserProfiles");
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optLoadEQPreset", 10)));
    ASSERT_EQ(box.ListIndex(), 0);
    // Restored with the editor open: "Mine" holds "Rock" again.
    ASSERT_EQ(RestoreSettingsFrom(backup, [] { return true; }).result, RestoreResult::Restored);
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optLoadEQPreset", 1)));
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optLoadEQPreset", 10)));
    EXPECT_EQ(box.ListIndex(), -1);
    EXPECT_FALSE(editor.Ctl(L"cmdEQUserProfileDelete").Enabled());
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optLoadEQPreset", 5)));
    EXPECT_EQ(box.ListIndex(), 0);
    EXPECT_TRUE(editor.Ctl(L"cmdEQUserProfileDelete").Enabled());
}

TEST_F(Equalizer, NamesWarnAtTheLimitAndAreCutWhenTheBoxLosesTheFocus) {
    frmProfile& editor = OpenWithGains();
    auto& box = editor.Get<ComboBox>(L"cboEQUserProfiles");
    const std::wstring full(kUserPresetNameLength, L'n');
    TypeName(box, full);
    EXPECT_TRUE(ComboTextAtLimit(box, L'x'));
    EXPECT_FALSE(ComboTextAtLimit(box, L'\b'));
    // Part of the text selected: the key replaces it, so no warning.
    ::SendMessageW(box.EditWindow(), EM_SETSEL, 0, 3);
    EXPECT_FALSE(ComboTextAtLimit(box, L'x'));
    ::SendMessageW(box.EditWindow(), EM_SETSEL, full.size(), full.size());
    // Not refused: the text grows past the limit, and from then on no warning.
    ASSERT_TRUE(User::TypeText(box, L"xyz"));
    EXPECT_FALSE(ComboTextAtLimit(box, L'x'));
    ::SetFocus(editor.Ctl(L"csliEQ", 0).hWnd());
    EXPECT_EQ(box.Text(), full);
}

}  // namespace
