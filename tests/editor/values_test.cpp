// The editor's profile values: what a save of untouched "Don't Change" choices writes, a stored
// profile loaded and written back byte for byte, damaged values opened without harm, and the
// encoders with nothing chosen in their lists.
#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "device/audio.h"
#include "device/cardlines.h"
#include "device/portable/mixer_names.h"
#include "device/portable/texts_values.h"
#include "editor/controlvalues.h"
#include "editor/hpampdialog.h"
#include "editor/portable/profilebytes.h"
#include "device/transport.h"
#include "base/registry.h"
#include "tests/editor/editor_fixture.h"
#include "tests/common/window_probes.h"
#include "tests/tray/dialog_answerer.h"
#include "toolkit/utility.h"

using namespace kal;
using namespace kal::testing;

namespace {

class EditorValues : public EditorFixture {
protected:
    static std::set<std::wstring> Names(const std::map<std::wstring, std::wstring>& values) {
        std::set<std::wstring> names;
        for (const auto& [name, value] : values) names.insert(name);
        return names;
    }
    // The first recording line the card has.
    static int FirstInputLine() {
        for (int j = 0; j < 8; ++j)
            if (!gInputLineIds[static_cast<std::size_t>(j)].empty()) return j;
        return -1;
    }
    // Saves the editor under `name` as the user would, answering the boxes with `button`.
    static kaltest::DialogAnswerer Save(frmProfile& editor, const std::wstring& name, int button = IDYES) {
        kaltest::DialogAnswerer answers;
        answers.button = button;
        editor.Get<TextBox>(L"txtProfileName").SetText(name);
        answers.Run([&] { User::Click(editor.Ctl(L"cmdSave")); });
        return answers;
    }
};

TEST_F(EditorValues, ANewProfileSavedUntouchedHoldsOnlyTheValuesWithoutDontChange) {
    UseEditorCard(kD2);
    frmProfile& editor = OpenEditor(L"");
    const auto answers = Save(editor, L"Fresh");
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].text, L"Profile successfully saved.");
    EXPECT_EQ(ProfileEditor(), nullptr);
    std::set<std::wstring> expected{L"PanelConfig",
                                    L"SpeakerConfig",
                                    L"SpDigitalOut",
                                    L"DVSEnable",
                                    L"DVSMode",
                                    L"DHEnable",
                                    L"DHRoom",
                                    L"EnableXear3D",
                                    L"Pl2xParam",
                                    L"BassManagement",
                                    L"BassCornerFrequency",
                                    L"SpeakerSize",
                                    L"AEC"};
    if (DriverQuery38()) expected.insert(L"NeoParam");
    const auto values = Values(L"Fresh");
    EXPECT_EQ(Names(values), expected);
    // Taken from the card as the editor showed it.
    EXPECT_EQ(Entry(values, L"SpeakerConfig"), BytesToHex(Present(sim::SimLiveValue(L"SpeakerConfig"))));
    EXPECT_EQ(Entry(values, L"AEC").size(), 80u);
    // The restore point of the new profile's live mode is gone with the editor.
    for (const std::wstring& key : RegEnumKeys(gRegProfiles)) EXPECT_EQ(key.find(L"~Live"), std::wstring::npos) << key;
}

TEST_F(EditorValues, AProfileWithEveryValueIsWrittenBackByteForByte) {
    using Pairs = std::vector<std::pair<std::wstring, std::wstring>>;
    // Once with FlexBass on (150 Hz), once off (80 Hz): a disabled crossover keeps its value too.
    // Then values that this card's lists have no entry for, as in a profile from another machine
    // (the lists named show nothing): a front panel on a card without one; 7.1 refused by the
    // speaker trials, with its headphone gain and rear channels; 192 kHz on a 96 kHz card; a
    // 20-bit Windows format.
    struct Case {
        const wchar_t* profile;
        const wchar_t* card;
        std::optional<std::vector<std::uint8_t>> trials;
        bool flexBass;
        Pairs changed;
        std::vector<std::wstring> dropped;
        std::vector<const wchar_t*> showingNothing;
    };
    const Case cases[] = {
        {L"Full", kD2, std::nullopt, true, {}, {}, {}},
        {L"NoFlexBass", kD2, std::nullopt, false, {}, {}, {}},
        {L"FrontPanel",
         kD2,
         std::nullopt,
         true,
         {{L"PanelConfig", L"01000000"}, {L"SpeakerConfig", L"04000000"}},
         {L"CentreVol", L"SideVolR"},
         {L"cboAnalogOutput"}},
        {L"Refused71",
         kDG,
         std::vector<std::uint8_t>{1, 3, 4, 6},
         true,
         {{L"HpImpedanceModeRear", L"02000000"}, {L"OutputFormat", L"00EE0200"}, {L"_mixerBitDepth", L"14"}},
         {},
         {L"cboAnalogOutput", L"cboSampleRate", L"cboBitDepth"}},
    };
    const std::wstring icon = SourceTreePath(KALVENOR_SOURCE_DIR, "resources/icons/hp.ico");
    for (const Case& c : cases) {
        UseEditorCard(c.card, c.trials);
        const int line = FirstInputLine();
        ASSERT_GE(line, 0);
        const bool flexBass = c.flexBass;
        const std::wstring profile = c.profile;
        RegWrite(Profile(profile), L"CustomIcon", icon + L"|1");
        Pairs stored = {
            {L"Shortcut", L"7A03"},
            {L"SmartVolumeParams", L"01000000"},
            {L"VolIgnoreForValidation", L"01"},
            {L"_mixer00000", L"50"},
            {L"_mixer00010", L"28"},
            {L"NoVolChangeOnSameOut", L"01"},
            {L"SystemSpeakers", L"08"},
            {L"_mixerBitDepth", L"10"},
            {L"_mixerSampleRate", L"80BB0000"},
            {L"OutputFormat", L"00770100"},
            {L"Dual2D", L"01000000"},
            {L"PanelConfig", L"00000000"},
            {L"SpeakerConfig", L"07000000"},
            {L"HeadphoneLRXchg", L"01000000"},
            {L"CenterBassXchg", L"01000000"},
            {L"SideRearXchg", L"00000000"},
            {L"SpDigitalOut", L"02000000"},
            {L"DVSEnable", L"00000000"},
            {L"DVSMode", L"06000000"},
            {L"DHEnable", L"00000000"},
            {L"DHRoom", L"02000000"},
            {L"EnableXear3D", L"01000000"},
            {L"VSpeakerPos", std::wstring(kVssDefaultLayoutAlt)},
            {L"Pl2xParam", BytesToHex(EncodePl2xParam(false, false, 5, 9, false))},
            {L"WaveOutVolL", L"00000000"},
            {L"CentreVol", L"0000FAFF"},
            {L"SideVolR", L"0000F6FF"},
            {MixerValueName(1, line, 0, 0), L"3C"},
            {MixerValueName(1, line, 1, 0), L"1E"},
            {L"_mixerInputLineSel", HexPad(line, 2)},
            {L"EqEnable", L"01"},
            {L"EqGain", std::wstring(gEqPresetGains[5])},
            {L"BassManagement", flexBass ? L"01000000" : L"00000000"},
            {L"BassCornerFrequency", flexBass ? L"96000000" : L"50000000"},
            {L"SpeakerSize", L"F7000000"},
            {L"AEC", BytesToHex(EncodeAEC(false))},
        };
        for (const auto& [name, hex] : c.changed) {
            const auto at = std::find_if(stored.begin(), stored.end(), [&](const auto& v) { return v.first == name; });
            if (at == stored.end())
                stored.emplace_back(name, hex);
            else
                at->second = hex;
        }
        std::erase_if(stored, [&](const auto& v) { return std::ranges::count(c.dropped, v.first) > 0; });
        for (const auto& [name, hex] : stored) Store(profile, name, hex.c_str());
        if (DriverQuery38()) Store(profile, L"NeoParam", BytesToHex(EncodeNeoParam(true, true, 4, 7)).c_str());
        // The line's extra control (the microphone's boost), when it has one besides its monitoring.
        const auto& id = gInputLineIds[static_cast<std::size_t>(line)];
        const int controls =
            gAudio->CustomControls.Contains(id) ? static_cast<int>(gAudio->CustomControls.At(id).size()) : 0;
        for (int k = 1; k <= controls; ++k) Store(profile, MixerValueName(1, line, 0, k), k % 2 ? L"01" : L"00");

        frmProfile& editor = OpenEditor(profile);
        EXPECT_EQ(editor.Caption(), L"Edit Profile \"" + profile + L"\"");
        EXPECT_EQ(editor.Get<TextBox>(L"txtShortcut").Tag(), L"7A|03");
        // ProLogic IIx is off: its width shows the movie mode's, the stored 5 kept aside for Save.
        EXPECT_FALSE(editor.Ctl(L"csliPL2xWidth").Enabled());
        EXPECT_EQ(editor.Get<Slider>(L"csliPL2xWidth").Value(), 3);
        EXPECT_EQ(editor.Get<Slider>(L"csliCrossover").Value(), flexBass ? 150 : 80);
        EXPECT_EQ(editor.Ctl(L"lblCrossoverValue").Caption(), flexBass ? L"150 Hz" : L"80 Hz");
        EXPECT_EQ(editor.Ctl(L"csliCrossover").Enabled(), flexBass);
        for (const wchar_t* list : c.showingNothing) EXPECT_EQ(editor.Get<ComboBox>(list).ListIndex(), -1) << list;
        editor.SaveValues(profile + L"Copy", false);
        EXPECT_EQ(Values(profile + L"Copy"), Values(profile)) << profile;
        if (c.showingNothing.size() > 1) {
            // A group the user changes is saved as chosen; the others still as loaded.
            auto& outputs = editor.Get<ComboBox>(L"cboAnalogOutput");
            ASSERT_TRUE(User::ChooseItem(outputs, IndexOf(outputs, 0x0004)));
            ASSERT_TRUE(User::ChooseItem(editor.Get<ComboBox>(L"cboSampleRate"), 0));
            editor.SaveValues(profile + L"Changed", false);
            const auto changed = Values(profile + L"Changed");
            EXPECT_EQ(Entry(changed, L"SpeakerConfig"), L"04000000");
            EXPECT_EQ(changed.count(L"OutputFormat"), 0u);
            EXPECT_EQ(Entry(changed, L"_mixerBitDepth"), L"14");
        }
        CloseEditor();
    }
}

// A digital format and a headphone gain that this card's lists lack show no entry, a recording
// line whose device is disabled can't be set: all three are saved as loaded. The groups the
// user then changes are saved as chosen, the others still as loaded; a line the user takes out
// of the profile leaves it.
TEST_F(EditorValues, UnlistedFormatAndGainAndAnInactiveLineAreKeptUntilTheUserChangesThem) {
    UseEditorCard(kDG);  // no Dolby, no DTS, three gain modes
    const int line = FirstInputLine();
    int inactive = -1;
    for (int j = line + 1; j < 8 && inactive < 0; ++j)
        if (!gInputLineIds[static_cast<std::size_t>(j)].empty()) inactive = j;
    ASSERT_GE(inactive, 0);
    // The line's switch besides its monitoring.
    const int control = gInputLineMonitorControl[static_cast<std::size_t>(line)] == 1 ? 2 : 1;
    const std::wstring& id = gInputLineIds[static_cast<std::size_t>(line)];
    ASSERT_TRUE(gAudio->CustomControls.Contains(id));
    ASSERT_GE(gAudio->CustomControls.At(id).size(), static_cast<std::size_t>(control));
    sim::SetSimEndpointState(sim::FindSimEndpoint(gInputLineIds[static_cast<std::size_t>(inactive)]),
                             DEVICE_STATE_DISABLED);
    sim::WaitForSimNotifications();
    const std::pair<std::wstring, const wchar_t*> stored[] = {
        {L"PanelConfig", L"00000000"},
        {L"SpeakerConfig", L"01000000"},
        {L"SpDigitalOut", L"10000000"},
        {L"HpImpedanceModeRear", L"03000000"},
        {MixerValueName(1, line, 0, 0), L"3C"},
        {MixerValueName(1, line, 1, 0), L"3C"},
        {MixerValueName(1, line, 0, control), L"01"},
        {MixerValueName(1, inactive, 0, 0), L"21"},
        {MixerValueName(1, inactive, 1, 0), L"0B"},
    };
    for (const auto& [name, hex] : stored) Store(L"Other", name, hex);
    frmProfile& editor = OpenEditor(L"Other");
    EXPECT_EQ(editor.Get<CheckBox>(L"chkSPDIF").Value(), 1);
    EXPECT_EQ(editor.Get<ComboBox>(L"cboSPDIFOutput").ListIndex(), -1);
    EXPECT_FALSE(editor.Ctl(L"cboAnalogOutput").Enabled());
    ASSERT_NE(HpImpedanceDialog(), nullptr);
    EXPECT_EQ(HpImpedanceDialog()->Get<ComboBox>(L"cboHpAmp").ListIndex(), -1);
    EXPECT_FALSE(editor.Ctl(L"chkRecordSet", inactive).Enabled());
    editor.SaveValues(L"Untouched", false);
    const auto untouched = Values(L"Untouched");
    for (const auto& [name, hex] : stored) EXPECT_EQ(Entry(untouched, name), hex) << name;

    // The user chooses PCM, a gain, and another level of the active line.
    ASSERT_TRUE(User::ChooseItem(editor.Get<ComboBox>(L"cboSPDIFOutput"), 0));
    ASSERT_TRUE(User::Click(editor.Ctl(L"cmdHpAmp")));
    ASSERT_NE(HpImpedanceDialog(), nullptr);
    auto& gains = HpImpedanceDialog()->Get<ComboBox>(L"cboHpAmp");
    ASSERT_TRUE(User::ChooseItem(gains, IndexOf(gains, 1)));
    ASSERT_TRUE(User::Click(HpImpedanceDialog()->Ctl(L"cmdClose")));
    editor.imgTab_Click(1);
    ASSERT_TRUE(User::DragTo(editor.Get<Slider>(L"csliInputLine", line), 25));
    editor.SaveValues(L"Changed", false);
    const auto changed = Values(L"Changed");
    EXPECT_EQ(Entry(changed, L"SpDigitalOut"), L"02000000");
    EXPECT_EQ(Entry(changed, L"HpImpedanceModeRear"), L"01000000");
    EXPECT_EQ(Entry(changed, MixerValueName(1, line, 0, 0)), L"19");
    EXPECT_EQ(Entry(changed, MixerValueName(1, inactive, 0, 0)), L"21");
    EXPECT_EQ(Entry(changed, MixerValueName(1, inactive, 1, 0)), L"0B");
    EXPECT_EQ(Entry(changed, L"SpeakerConfig"), L"01000000");
    // "Don't change" chosen for the gain leaves it out.
    editor.imgTab_Click(0);
    ASSERT_TRUE(User::Click(editor.Ctl(L"cmdHpAmp")));
    ASSERT_NE(HpImpedanceDialog(), nullptr);
    ASSERT_TRUE(User::ChooseItem(gains, IndexOf(gains, 255)));
    ASSERT_TRUE(User::Click(HpImpedanceDialog()->Ctl(L"cmdClose")));
    editor.SaveValues(L"NoGain", false);
    EXPECT_EQ(Values(L"NoGain").count(L"HpImpedanceModeRear"), 0u);
    // The active line taken out of the profile: its values go with it, the inactive line's stay.
    editor.imgTab_Click(1);
    ASSERT_TRUE(User::Click(editor.Ctl(L"chkRecordSet", line)));
    editor.SaveValues(L"LineOut", false);
    const auto lineOut = Values(L"LineOut");
    for (const auto& [name, hex] : stored) {
        if (const auto ref = ParseMixerValueName(name)) {
            EXPECT_EQ(lineOut.count(name), ref->line == line ? 0u : 1u) << name;
        }
    }
}

// A change the user takes back counts as none: another output and back, echo cancellation on
// and off, FlexBass off and on, a Dolby format and back leave every stored value as it was,
// also those the change hid meanwhile (effects, swaps, speaker sizes, the crossover, the rows
// of the channels a narrower output lacks). A stored Enable of echo cancellation turned off is
// the only change.
TEST_F(EditorValues, ChangesTheUserTakesBackLeaveEveryStoredValue) {
    UseEditorCard(kD2);
    const std::map<std::wstring, std::wstring> profile{
        {L"PanelConfig", L"00000000"},
        {L"SpeakerConfig", L"07000000"},
        {L"CenterBassXchg", L"01000000"},
        {L"SideRearXchg", L"01000000"},
        {L"EnableXear3D", L"01000000"},
        {L"Pl2xParam", BytesToHex(EncodePl2xParam(true, true, 3, 5, false))},
        {L"NeoParam", BytesToHex(EncodeNeoParam(true, false, 2, 4))},
        {L"EqEnable", L"01"},
        {L"BassManagement", L"01000000"},
        {L"BassCornerFrequency", L"00000000"},
        {L"SpeakerSize", L"F7000000"},
        {L"CentreVol", L"0000FBFF"},
        {L"SideVolL", L"0000F6FF"},
        {L"AEC", BytesToHex(EncodeAEC(false))}};
    struct Case {
        const char* what;
        std::function<bool(frmProfile&)> act;
        bool aecStored = false;
    };
    auto output = [](frmProfile& e, std::intptr_t code) {
        auto& box = *e.cboAnalogOutput;
        for (int i = 0; i < box.ListCount(); ++i)
            if (box.ItemData(i) == code) return User::ChooseItem(box, i);
        return false;
    };
    auto option = [](frmProfile& e, auto& group, int tab, int index) {
        e.imgTab_Click(tab);
        return User::ChooseOption(*group[static_cast<std::size_t>(index)]);
    };
    const Case cases[] = {
        {"two speakers and back", [&](frmProfile& e) { return output(e, 0x0004) && output(e, 0x0007); }},
        {"headphones and back", [&](frmProfile& e) { return output(e, 0x0001) && output(e, 0x0007); }},
        {"echo cancellation on and off",
         [&](frmProfile& e) { return option(e, e.optAEC, 3, 1) && option(e, e.optAEC, 3, 0); }},
        {"FlexBass off and on",
         [&](frmProfile& e) { return option(e, e.optFlexBass, 2, 0) && option(e, e.optFlexBass, 2, 1); }},
        {"Dolby Digital Live and back",
         [&](frmProfile& e) {
             return User::Click(*e.chkSPDIF) && User::ChooseItem(*e.cboSPDIFOutput, IndexOf(*e.cboSPDIFOutput, 16)) &&
                    User::Click(*e.chkSPDIF);
         }},
        {"echo cancellation stored on, turned off", [&](frmProfile& e) { return option(e, e.optAEC, 3, 0); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteTree(gRegProfiles, L"Undo");
        for (const auto& [name, hex] : profile) Store(L"Undo", name, hex.c_str());
        if (c.aecStored) Store(L"Undo", L"AEC", BytesToHex(EncodeAEC(true)).c_str());
        frmProfile& editor = OpenEditor(L"Undo");
        ASSERT_TRUE(c.act(editor));
        editor.SaveValues(L"UndoSaved", false);
        auto expected = Values(L"Undo");
        if (c.aecStored) expected[L"AEC"] = BytesToHex(EncodeAEC(false));
        EXPECT_EQ(Values(L"UndoSaved"), expected);
        RegDeleteTree(gRegProfiles, L"UndoSaved");
        CloseEditor();
    }
}

// Headphones moved from the rear panel to the front and back: each panel's gain stays with its
// panel, shown while the output is on it and saved as stored.
TEST_F(EditorValues, TheHeadphoneGainOfEachPanelStaysWithItsPanel) {
    UseEditorCard(kDG);
    Store(L"Panels", L"PanelConfig", L"00000000");
    Store(L"Panels", L"SpeakerConfig", L"01000000");
    Store(L"Panels", L"HpImpedanceModeRear", L"02000000");
    Store(L"Panels", L"HpImpedanceModeFront", L"01000000");
    frmProfile& editor = OpenEditor(L"Panels");
    const frmHpImpedanceMode* amp = HpImpedanceDialog();
    ASSERT_NE(amp, nullptr);
    auto& outputs = *editor.cboAnalogOutput;
    const std::intptr_t shown[] = {0x0101, 0x0001, 0x0101};
    for (const std::intptr_t output : shown) {
        SCOPED_TRACE(output);
        ASSERT_TRUE(User::ChooseItem(outputs, IndexOf(outputs, output)));
        EXPECT_EQ(SelectedItemData(*amp->cboHpAmp, -1), output == 0x0101 ? 1 : 2);
        editor.SaveValues(L"PanelsSaved", false);
        const auto saved = Values(L"PanelsSaved");
        EXPECT_EQ(Entry(saved, L"HpImpedanceModeRear"), L"02000000");
        EXPECT_EQ(Entry(saved, L"HpImpedanceModeFront"), L"01000000");
        RegDeleteTree(gRegProfiles, L"PanelsSaved");
    }
}

TEST_F(EditorValues, DamagedValuesOpenAndAreNotWrittenBack) {
    UseEditorCard(kD2);
    Store(L"Bad", L"SpeakerConfig", L"09000000");    // no such output
    Store(L"Bad", L"SmartVolumeParams", L"0100");    // wrong length
    Store(L"Bad", L"OutputFormat", L"39300000");     // 12345 Hz
    Store(L"Bad", L"EqGain", L"0000");               // wrong length
    Store(L"Bad", L"AEC", L"00000000000000000700");  // wrong length, byte 8 out of range
    Store(L"Bad", L"NeoParam", L"0100000002000000FFFFFFFF07000000");
    Store(L"Bad", L"_mixerInputLineSel", L"09");
    RegWrite(Profile(L"Bad"), L"EqEnable", std::wstring(L"01"));  // text, not bytes
    frmProfile& editor = OpenEditor(L"Bad");
    EXPECT_TRUE(editor.Get<OptionButton>(L"optSVN", 255).Value());
    EXPECT_TRUE(editor.Get<OptionButton>(L"optEQ", 255).Value());
    EXPECT_TRUE(editor.Get<OptionButton>(L"optEQProfile", 0).Value());
    EXPECT_TRUE(editor.Get<OptionButton>(L"optInputSelect", 255).Value());
    EXPECT_EQ(editor.Get<ComboBox>(L"cboSampleRate").ListIndex(), 0);
    EXPECT_TRUE(editor.Get<OptionButton>(L"optAEC", 0).Value());
    editor.SaveValues(L"Back", false);
    const auto values = Values(L"Back");
    for (const wchar_t* absent : {L"SmartVolumeParams", L"OutputFormat", L"EqGain", L"EqEnable", L"_mixerInputLineSel"})
        EXPECT_EQ(values.count(absent), 0u) << absent;
    // Values without "Don't Change" come back sound: the driver's default output, AEC off.
    EXPECT_EQ(Entry(values, L"SpeakerConfig").size(), 8u);
    EXPECT_NE(Entry(values, L"SpeakerConfig"), L"09000000");
    EXPECT_EQ(Entry(values, L"AEC"), BytesToHex(EncodeAEC(false)));
}

TEST_F(EditorValues, CardValuesOutOfRangeLeaveTheirControlsAsTheyWere) {
    UseEditorCard(kD2);
    sim::SetSimLiveValue(L"SmartVolumeParams", HexToBytes(L"07000000"));
    sim::SetSimLiveValue(L"BassManagement", HexToBytes(L"05000000"));
    frmProfile& editor = OpenRealTime();
    // No option of the group was chosen by the stray codes, and the window stands.
    EXPECT_EQ(FindSetOption(editor, L"optSVN"), -1);
    EXPECT_EQ(FindSetOption(editor, L"optFlexBass"), -1);
    EXPECT_TRUE(editor.Visible());
}

TEST_F(EditorValues, NothingChosenWritesNoOutputAndKeepsTheLoadedModes) {
    UseEditorCard(kD2);
    Store(L"Modes", L"DVSMode", L"06000000");
    Store(L"Modes", L"DHRoom", L"03000000");
    frmProfile& editor = OpenEditor(L"Modes");
    editor.Get<ComboBox>(L"cboAnalogOutput").SetListIndex(-1);
    editor.Get<ComboBox>(L"cboDolbyVirtualSpeakerMode").SetListIndex(-1);
    editor.Get<ComboBox>(L"cboDolbyHeadphonesMode").SetListIndex(-1);
    EXPECT_TRUE(editor.PanelConfig().empty());
    EXPECT_TRUE(editor.SpeakerConfig().empty());
    EXPECT_EQ(BytesToHex(editor.DVSMode()), L"06000000");
    EXPECT_EQ(BytesToHex(editor.DHRoom()), L"03000000");
    editor.SaveValues(L"Out", false);
    const auto values = Values(L"Out");
    EXPECT_EQ(values.count(L"PanelConfig"), 0u);
    EXPECT_EQ(values.count(L"SpeakerConfig"), 0u);
    EXPECT_EQ(Entry(values, L"DVSMode"), L"06000000");
}

TEST_F(EditorValues, EnhancementPanelsFollowTheOutput) {
    UseEditorCard(kD2);
    gAudio->SetSpeakers(gPlaybackLineIds[0], 2);
    Store(L"Phones", L"SpeakerConfig", L"01000000");
    Store(L"Phones", L"PanelConfig", L"00000000");
    Store(L"Phones", L"SideRearXchg", L"01000000");
    frmProfile& editor = OpenEditor(L"Phones");
    // Headphones on stereo: Dolby Headphones on top, the shifter and ProLogic indented below.
    EXPECT_TRUE(editor.Ctl(L"pctDolbyHeadphones").Visible());
    EXPECT_FALSE(editor.Ctl(L"pctDolbyVirtualSpeaker").Visible());
    EXPECT_TRUE(editor.Ctl(L"chkDolbyHeadphones").Enabled());
    EXPECT_FALSE(editor.Ctl(L"chkVSS").Enabled());
    EXPECT_EQ(editor.Ctl(L"chkDolby").Left(), editor.EffectCheckLeft());
    EXPECT_EQ(editor.Ctl(L"chkPL2xExpand").Left(), editor.EffectCheckLeft() - 240);
    EXPECT_EQ(editor.Ctl(L"chkDolby").Caption(), L"Dolby ProLogic IIx");
    EXPECT_TRUE(editor.Ctl(L"pctNeo").Visible());
    EXPECT_EQ(editor.Ctl(L"chkNeo").Left(), editor.EffectCheckLeft());
    Control& frame = editor.Ctl(L"fraEnhancements");
    Control& content = editor.Ctl(L"pctEnhancements");
    EXPECT_EQ(content.Height(), 4 * 375);
    EXPECT_EQ(frame.Height(), content.Height() + content.Top() + 120);
    EXPECT_EQ(BytesToHex(editor.GetSideRearXchg()), L"01000000");
    SaveWindowScreenshot(editor.hWnd(), L"frmProfile", L"headphones-panels");

    // Four speakers: no Dolby panel, the others stacked flush left; the swaps it can't use are
    // kept aside, saved as they are.
    editor.SetHeadphoneLRXchg(HexToBytes(L"01000000"));
    sim::ClearSimRequestLog();
    ASSERT_TRUE(User::ChooseItem(editor.Get<ComboBox>(L"cboAnalogOutput"), 2));
    EXPECT_FALSE(editor.Ctl(L"pctDolbyHeadphones").Visible());
    EXPECT_TRUE(editor.Ctl(L"chkVSS").Enabled());
    EXPECT_EQ(editor.Ctl(L"chkVSS").Left(), 240);
    EXPECT_EQ(editor.Ctl(L"pctDolby").Top(), editor.Ctl(L"pctVSS").Top() + editor.Ctl(L"pctVSS").Height());
    EXPECT_EQ(editor.Ctl(L"chkDolby").Caption(), L"Analog upmix via Dolby PLIIx");
    EXPECT_TRUE(editor.Ctl(L"pctNeo").Visible());
    EXPECT_EQ(BytesToHex(editor.GetHeadphoneLRXchg()), L"01000000");
    EXPECT_EQ(BytesToHex(editor.GetSideRearXchg()), L"01000000");
    editor.SaveValues(L"Speakers", false);
    EXPECT_EQ(BytesToHex(RegReadBytes(Profile(L"Speakers"), L"SideRearXchg").value_or(Bytes{})), L"01000000");
    EXPECT_TRUE(editor.Ctl(L"cboStereoUpmix").Enabled());
    EXPECT_FALSE(editor.Ctl(L"cmdAnalogOutputSettings").Enabled());
    // Outside live mode the card was left alone.
    EXPECT_EQ(Writes(), std::vector<std::wstring>{});
}

}  // namespace
