// Live mode and the three small dialogs: the restore point, the warning, changes reaching the
// card at once and the card put back byte for byte when live mode ends; the headphone gain,
// swaps and custom-control choices, also in the real-time window.
#include <cmath>
#include <functional>
#include <map>
#include <set>

#include "device/audio.h"
#include "device/cardlines.h"
#include "device/linevalues.h"
#include "device/mixervalues.h"
#include "device/portable/audio_levels.h"
#include "device/portable/packets.h"
#include "sim/audio_format.h"
#include "device/portable/texts_values.h"
#include "device/profilevalues.h"
#include "device/restorepoints.h"
#include "editor/controlvalues.h"
#include "editor/portable/profilebytes.h"
#include "editor/customcontrolsdialog.h"
#include "editor/hpampdialog.h"
#include "editor/swapsdialog.h"
#include "startup/names.h"
#include "startup/settings.h"
#include "base/registry.h"
#include "startup/tables.h"
#include "startup/utility.h"
#include "tests/editor/follow_fixture.h"
#include "tests/editor/refused_writes.h"
#include "tests/startup/product_state.h"
#include "tests/tray/dialog_answerer.h"
#include "tray/balloons.h"

using namespace kal;
using namespace kal::testing;

namespace {

class LiveMode : public EditorFixture {
protected:
    // The card's driver settings (as the driver reports them, defaults included) and the Windows
    // side of its speakers output.
    static std::map<std::wstring, std::wstring> CardState() {
        std::set<std::wstring> names;
        for (const auto& [name, hex] : gDriverDefaults) names.insert(name);
        for (const std::wstring& name : RegEnumValues(gDriverSettingsKey)) names.insert(name);
        for (const wchar_t* name : {L"_mixerBitDepth", L"_mixerSampleRate", L"_mixer00000", L"_mixer00010"})
            names.insert(name);
        std::map<std::wstring, std::wstring> state;
        for (const std::wstring& name : names) state[name] = BytesToHex(GetProfileValue(L"", name));
        return state;
    }
    static std::vector<std::wstring> LiveKeys() {
        std::vector<std::wstring> keys;
        for (const std::wstring& key : RegEnumKeys(gRegProfiles))
            if (key.find(L"~Live") != std::wstring::npos) keys.push_back(key);
        return keys;
    }
    // The card at 20 % and a profile that sets the master volume to `level` (hex) on both sides.
    void CardAtTwentyPercentWith(const std::wstring& profile, const wchar_t* level) {
        UseEditorCard(kD2);
        Load(L"");
        SetVolumeBalance(20 * kCurrencyScale, 0, 0, 0);
        Store(profile, L"_mixer00000", level);
        Store(profile, L"_mixer00010", level);
    }
    // The card's headphones on the rear panel at the first gain, and a profile `profile` that
    // puts them on the front panel at the third.
    void HeadphonesOnTheRearAndProfile(const std::wstring& profile) {
        UseEditorCard(kDG);
        Load(L"");
        SetCard({{L"PanelConfig", L"00000000"},
                 {L"SpeakerConfig", L"01000000"},
                 {L"HpImpedanceModeRear", L"00000000"},
                 {L"HpImpedanceModeFront", L"00000000"}});
        Store(profile, L"PanelConfig", L"01000000");
        Store(profile, L"SpeakerConfig", L"01000000");
        Store(profile, L"HpImpedanceModeFront", L"02000000");
    }
    // That profile "Fast" raising Windows' rate of the speakers from 48 to 96 kHz.
    void FastRaisingWindowsRate() {
        HeadphonesOnTheRearAndProfile(L"Fast");
        gAudio->SetDeviceFormat(gPlaybackLineIds[0], 48000, 16, 0);
        Store(L"Fast", L"_mixerSampleRate", L"00770100");
    }
    static int IndexOf(const ComboBox& box, std::intptr_t data) {
        for (int i = 0; i < box.ListCount(); ++i)
            if (box.ItemData(i) == data) return i;
        return -1;
    }
    static std::vector<std::wstring> Texts(const kaltest::DialogAnswerer& a) {
        std::vector<std::wstring> out;
        for (const auto& seen : a.seen) out.push_back(seen.text);
        return out;
    }
    // Saves under the editor's own name and answers the box that reports it.
    static void ClickSave(frmProfile& editor) {
        kaltest::DialogAnswerer answers;
        answers.Run([&] { User::Click(editor.Ctl(L"cmdSave")); });
    }
    // Lets the notifications and timers of changes from outside run, once the program's own
    // change (which they would be taken for) is a second old.
    static void LetOutsideChangesArrive() {
        while (IsSelfChange()) Pump(50);
    }
    // A shortcut key as the main form's window receives it (1: master volume up).
    void PressShortcut(int action) { ::SendMessageW(form_->hWnd(), WM_HOTKEY, action, 0); }
    static int MasterPercent(const std::wstring& profile) {
        Currency volume = 0, balance = 0;
        GetProfileVolumeBalance(volume, balance, 0, 0, profile);
        return static_cast<int>(std::nearbyint(Fixed4ToDouble(volume)));
    }
    static std::intptr_t CardRate(frmProfile& editor) {
        return SelectedItemData(editor.Get<ComboBox>(L"cboSampleRate"));
    }
    // The choices both journeys below make and keep: SVN "Enable", "Set to:" the volume, the
    // card at 96 kHz; equalizer and upmix at "Don't Change".
    static void ExpectTheChoices(frmProfile& editor, int volume, std::intptr_t rate) {
        EXPECT_TRUE(editor.Get<OptionButton>(L"optSVN", 1).Value());
        EXPECT_TRUE(editor.Get<OptionButton>(L"optVolume", 1).Value());
        EXPECT_EQ(editor.Get<Slider>(L"csliVolume").Value(), volume);
        EXPECT_EQ(CardRate(editor), rate);
        EXPECT_TRUE(editor.Get<OptionButton>(L"optEQ", 255).Value());
        EXPECT_EQ(editor.Get<ComboBox>(L"cboStereoUpmix").ListIndex(), 0);
    }
    // What Save stored of them, and which of the first two playback rows it sets.
    static void ExpectSaved(const std::wstring& profile, int volume, std::uint32_t rate, std::array<bool, 2> rows) {
        EXPECT_EQ(RegReadBytes(Profile(profile), L"SmartVolumeParams"), EncodeCode(1));
        EXPECT_EQ(MasterPercent(profile), volume);
        EXPECT_EQ(RegReadBytes(Profile(profile), L"OutputFormat"), EncodeNumber(rate));
        EXPECT_EQ(RegReadBytes(Profile(profile), L"WaveOutVolL").has_value(), rows[0]);
        EXPECT_EQ(RegReadBytes(Profile(profile), L"WaveOutVolR").has_value(), rows[1]);
        EXPECT_FALSE(RegReadBytes(Profile(profile), L"EqEnable"));
        EXPECT_FALSE(RegReadBytes(Profile(profile), L"Dual2D"));
    }
    static void ChooseTheChoices(frmProfile& editor) {
        ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optSVN", 1)));
        ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optVolume", 1)));
        auto& rates = editor.Get<ComboBox>(L"cboSampleRate");
        ASSERT_TRUE(User::ChooseItem(rates, IndexOf(rates, 96000)));
        editor.imgTab_Click(1);
    }
};

TEST_F(LiveMode, ThreeChangesGoToTheCardAndLiveModeOffPutsItBack) {
    UseEditorCard(kD2);
    Load(L"");
    Store(L"Edit", L"PanelConfig", L"00000000");
    Store(L"Edit", L"SpeakerConfig", L"04000000");
    Store(L"Edit", L"EqEnable", L"01");
    SetCard({{L"SpeakerConfig", L"01000000"}, {L"EqEnable", L"00"}});
    const auto before = CardState();
    frmProfile& editor = OpenEditor(L"Edit");
    EXPECT_TRUE(editor.LiveProfileName().empty());

    const auto answers = ClickLive(editor);
    EXPECT_TRUE(answers.seen.empty());  // nothing louder: no warning
    EXPECT_EQ(editor.Ctl(L"chkLiveMode").Caption(), L"Live Mode ON");
    ASSERT_FALSE(editor.LiveProfileName().empty());
    EXPECT_EQ(LiveKeys(), std::vector<std::wstring>{editor.LiveProfileName()});
    // The restore point holds the card as it was; the card now holds the edited profile.
    EXPECT_EQ(RegReadBytes(Profile(editor.LiveProfileName()), L"SpeakerConfig"), HexToBytes(L"01000000"));
    EXPECT_EQ(BytesToHex(Present(sim::SimLiveValue(L"SpeakerConfig"))), L"04000000");
    EXPECT_EQ(BytesToHex(Present(sim::SimLiveValue(L"EqEnable"))), L"01");

    // 1. The analog output.
    auto& outputs = editor.Get<ComboBox>(L"cboAnalogOutput");
    ASSERT_TRUE(User::ChooseItem(outputs, IndexOf(outputs, 0x0007)));
    EXPECT_EQ(BytesToHex(Present(sim::SimLiveValue(L"SpeakerConfig"))), L"07000000");
    // 2. The Windows bit depth.
    auto& depths = editor.Get<ComboBox>(L"cboBitDepth");
    const std::uint8_t depth = Nth(GetProfileValue(L"", L"_mixerBitDepth"), 0);
    const int other = IndexOf(depths, depth == 24 ? 16 : 24);
    ASSERT_GT(other, 0);
    ASSERT_TRUE(User::ChooseItem(depths, other));
    EXPECT_EQ(Nth(GetProfileValue(L"", L"_mixerBitDepth"), 0), depth == 24 ? 16 : 24);
    // 3. A swap from its dialog.
    const auto beforeSwap = CardState();
    ASSERT_TRUE(User::Click(editor.Ctl(L"cmdAnalogOutputSettings")));
    frmAnalogOutputSettings* swaps = AnalogOutputSettingsDialog();
    ASSERT_NE(swaps, nullptr);
    const int onNow = Nth(GetProfileValue(L"", L"CenterBassXchg"), 0) == 1 ? 0 : 1;
    ASSERT_TRUE(User::ChooseOption(swaps->Get<OptionButton>(L"optCenterBassXchg", onNow)));
    EXPECT_NE(CardState(), beforeSwap);
    EXPECT_EQ(BytesToHex(editor.GetCenterBassXchg()), HexPad(onNow, 2) + L"000000");
    ASSERT_TRUE(User::Click(swaps->Ctl(L"cmdClose")));
    EXPECT_EQ(AnalogOutputSettingsDialog(), nullptr);

    ClickLive(editor);
    EXPECT_EQ(editor.Ctl(L"chkLiveMode").Caption(), L"Live Mode OFF");
    EXPECT_TRUE(editor.LiveProfileName().empty());
    EXPECT_EQ(CardState(), before);
    EXPECT_TRUE(LiveKeys().empty());
}

TEST_F(LiveMode, CancelPutsTheVolumeBackWhateverTheSameOutputBoxSays) {
    CardAtTwentyPercentWith(L"Quiet", L"14");
    Store(L"Quiet", L"NoVolChangeOnSameOut", L"01");
    // The card's output is the one whose volume was remembered last: the usual case.
    SetLastOutput(HexToBytes(BytesToHex(GetProfileValue(L"", L"PanelConfig")) +
                             BytesToHex(GetProfileValue(L"", L"SpeakerConfig"))));
    // The tray tip tells the master volume the card has, through the edit and after it.
    std::wstring tip;
    SetShellNotifyObserver([&](DWORD, const NOTIFYICONDATAW& data, BOOL) {
        if (data.uFlags & NIF_TIP) tip = data.szTip;
    });
    frmProfile& editor = OpenEditor(L"Quiet");
    ASSERT_EQ(editor.Get<CheckBox>(L"chkVolumeChangeOnlyOnDifferentOutput").Value(), 1);
    EXPECT_TRUE(ClickLive(editor).seen.empty());
    ASSERT_TRUE(User::DragTo(editor.Get<Slider>(L"csliVolume"), 80));
    ASSERT_EQ(GetProfileValue(L"", L"_mixer00000"), Bytes{80});
    EXPECT_NE(tip.find(L"80%"), std::wstring::npos) << tip;
    ASSERT_TRUE(User::Click(editor.Ctl(L"cmdCancel")));
    EXPECT_EQ(ProfileEditor(), nullptr);
    EXPECT_EQ(GetProfileValue(L"", L"_mixer00000"), Bytes{20});
    EXPECT_EQ(GetProfileValue(L"", L"_mixer00010"), Bytes{20});
    EXPECT_NE(tip.find(L"20%"), std::wstring::npos) << tip;
    SetShellNotifyObserver(nullptr);
    EXPECT_TRUE(LiveKeys().empty());
}

// "Use last" and "Don't Change" show the card's level: also when live mode comes back after
// another program changed the volume meanwhile.
TEST_F(LiveMode, TheVolumeSliderShowsTheCardsLevelWhenLiveModeComesBack) {
    for (const int option : {0, 255}) {
        SCOPED_TRACE(option);
        CardAtTwentyPercentWith(L"Last", L"FF");
        if (option == 255) {
            RegDeleteValue(Profile(L"Last"), L"_mixer00000");
            RegDeleteValue(Profile(L"Last"), L"_mixer00010");
            Store(L"Last", L"SmartVolumeParams", L"00000000");
        }
        frmProfile& editor = OpenEditor(L"Last");
        ASSERT_TRUE(editor.optVolume[option]->Value());
        EXPECT_TRUE(ClickLive(editor).seen.empty());
        ASSERT_FALSE(editor.LiveProfileName().empty());
        EXPECT_EQ(editor.csliVolume->Value(), 20);
        ClickLive(editor);
        ASSERT_TRUE(editor.LiveProfileName().empty());
        LetOutsideChangesArrive();
        auto other = OtherProgramsVolume(gPlaybackLineIds[0]);
        for (UINT c = 0; c < 2; ++c) other->SetChannelVolumeLevelScalar(c, 0.6f, nullptr);
        sim::WaitForSimNotifications();
        Pump(20);
        ASSERT_EQ(MasterPercent(L""), 60);
        EXPECT_TRUE(ClickLive(editor).seen.empty());
        ASSERT_FALSE(editor.LiveProfileName().empty());
        EXPECT_EQ(MasterPercent(L""), 60);
        EXPECT_EQ(editor.csliVolume->Value(), 60);
        EXPECT_FALSE(editor.csliVolume->Enabled());
        CloseEditor();
    }
}

TEST_F(LiveMode, CancelPutsBackWhatTheOutputChosenDuringTheEditReached) {
    UseEditorCard(kDG, std::vector<std::uint8_t>{1, 3, 4, 6, 7});
    Load(L"");
    SetCard({{L"PanelConfig", L"00000000"}, {L"SpeakerConfig", L"04000000"}});
    sim::SetSimLiveValue(std::wstring(gChannelVolumeValues[4]), HexToBytes(L"0000FBFF"));  // -5 dB, not the default
    Store(L"Two", L"PanelConfig", L"00000000");
    Store(L"Two", L"SpeakerConfig", L"04000000");
    const auto before = CardState();
    frmProfile& editor = OpenEditor(L"Two");
    ClickLive(editor);
    auto& outputs = editor.Get<ComboBox>(L"cboAnalogOutput");
    // A rear channel of 7.1, unused by two speakers when live mode began.
    ASSERT_TRUE(User::ChooseItem(outputs, IndexOf(outputs, 0x0007)));
    editor.imgTab_Click(1);
    const std::wstring rear(gChannelVolumeValues[4]);
    const Bytes rearBefore = GetProfileValue(L"", rear);
    ASSERT_TRUE(User::Click(editor.Ctl(L"chkPlaybackSet", 4)));
    auto& channel = editor.Get<Slider>(L"csliOutputChannel", 4);
    ASSERT_TRUE(User::DragTo(channel, channel.Value() > 50 ? 20 : 80));
    EXPECT_NE(GetProfileValue(L"", rear), rearBefore);
    // The front headphones' gain, another panel than the card's when live mode began.
    editor.imgTab_Click(0);
    ASSERT_TRUE(User::ChooseItem(outputs, IndexOf(outputs, 0x0101)));
    ASSERT_TRUE(User::Click(editor.Ctl(L"cmdHpAmp")));
    ASSERT_NE(HpImpedanceDialog(), nullptr);
    auto& gains = HpImpedanceDialog()->Get<ComboBox>(L"cboHpAmp");
    const std::uint8_t front = Nth(GetProfileValue(L"", L"HpImpedanceModeFront"), 0);
    ASSERT_TRUE(User::ChooseItem(gains, IndexOf(gains, front == 2 ? 1 : 2)));
    EXPECT_NE(Nth(GetProfileValue(L"", L"HpImpedanceModeFront"), 0), front);
    ASSERT_TRUE(User::Click(HpImpedanceDialog()->Ctl(L"cmdClose")));
    ASSERT_NE(CardState(), before);

    ASSERT_TRUE(User::Click(editor.Ctl(L"cmdCancel")));
    EXPECT_EQ(CardState(), before);
    EXPECT_TRUE(LiveKeys().empty());
}

// A digital format the card's list lacks (Dolby Digital Live on a DTS-only card) is kept for the
// profile and never sent: a Reset in live mode, which loads it again, leaves the card with a
// format of its own.
TEST_F(LiveMode, AKeptFormatTheCardLacksIsNotSentByReset) {
    UseEditorCard(kDS);
    Store(L"Elsewhere", L"SpDigitalOut", L"10000000");
    frmProfile& editor = OpenEditor(L"Elsewhere");
    ClickLive(editor);
    ASSERT_FALSE(editor.LiveProfileName().empty());
    ASSERT_TRUE(User::Click(editor.Ctl(L"cmdReset")));
    auto& formats = editor.Get<ComboBox>(L"cboSPDIFOutput");
    EXPECT_EQ(editor.Get<CheckBox>(L"chkSPDIF").Value(), 1);
    EXPECT_EQ(formats.ListIndex(), -1);
    ASSERT_EQ(IndexOf(formats, 16), -1);
    const std::uint8_t held = FirstByte(GetProfileValue(L"", L"SpDigitalOut"));
    EXPECT_TRUE(held == 0 || IndexOf(formats, held) >= 0) << int{held};
}

TEST_F(LiveMode, ALouderProfileWarnsAndNoLeavesEverythingAsItWas) {
    CardAtTwentyPercentWith(L"Loud", L"64");
    frmProfile& editor = OpenEditor(L"Loud");
    sim::ClearSimRequestLog();
    const auto answers = ClickLive(editor, IDNO);
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].title, L"Edit Profile \"Loud\"");
    EXPECT_EQ(answers.seen[0].text,
              L"Warning! You are enabling Live Mode on a profile which increases the Master Volume and/or sets a "
              L"Headphones Gain level.\r\nIf you go ahead, the profile settings will become effective. Make sure this "
              L"doesn't lead to an excessive output volume, or you risk damaging your hearing or the audio "
              L"equipment.\r\n\r\nDo you want to proceed?");
    EXPECT_EQ(editor.Get<CheckBox>(L"chkLiveMode").Value(), 0);
    EXPECT_EQ(editor.Ctl(L"chkLiveMode").Caption(), L"Live Mode OFF");
    EXPECT_TRUE(editor.LiveProfileName().empty());
    EXPECT_TRUE(LiveKeys().empty());
    EXPECT_TRUE(Writes().empty());
}

// Live mode's way back checks each step. With the registry refusing once live mode is on, the
// other panel's headphone gain still goes back (straight to the card, no key of its own). With the
// card refusing a value, the user is told which, live mode stays on with its restore point, and
// the next off puts the card back; Cancel with the card refusing keeps the restore point, which
// the next start of the program puts back.
TEST_F(LiveMode, TheWayBackIsCheckedStepByStep) {
    HeadphonesOnTheRearAndProfile(L"Front");
    const auto before = CardState();
    frmProfile& editor = OpenEditor(L"Front");
    auto liveOn = [&] {
        ClickLive(editor);
        ASSERT_EQ(BytesToHex(GetProfileValue(L"", L"HpImpedanceModeFront")), L"02000000");
        ASSERT_EQ(LiveKeys().size(), 1u);
    };
    liveOn();
    {
        kaltest::RefusedProfileWrites refused;
        EXPECT_TRUE(ClickLive(editor).seen.empty());
    }
    EXPECT_EQ(CardState(), before);
    EXPECT_TRUE(LiveKeys().empty());

    const std::wstring refusedGain =
        L"Live Mode could not put the card back as it was: the card refused HpImpedanceModeFront.\r\nThese settings "
        L"stand on the card as Live Mode left them; the others are back. ";
    liveOn();
    sim::InjectSimFailure(DrvPropHpAmpGain, 31);
    EXPECT_EQ(Texts(ClickLive(editor)), std::vector<std::wstring>{refusedGain + L"Live Mode stays on: turn it off "
                                                                               L"again to put the card back."});
    EXPECT_EQ(editor.Get<CheckBox>(L"chkLiveMode").Value(), 1);
    EXPECT_EQ(editor.Ctl(L"chkLiveMode").Caption(), L"Live Mode ON");
    EXPECT_EQ(LiveKeys().size(), 1u);
    EXPECT_EQ(BytesToHex(GetProfileValue(L"", L"HpImpedanceModeFront")), L"02000000");
    EXPECT_TRUE(ClickLive(editor).seen.empty());
    EXPECT_EQ(CardState(), before);
    EXPECT_TRUE(LiveKeys().empty());

    liveOn();
    sim::InjectSimFailure(DrvPropHpAmpGain, 31);
    kaltest::DialogAnswerer answers;
    answers.Run([&] { User::Click(editor.Ctl(L"cmdCancel")); });
    EXPECT_EQ(Texts(answers), std::vector<std::wstring>{refusedGain + L"The card's earlier settings are kept and put "
                                                                      L"back when Kalvenor starts next."});
    EXPECT_EQ(ProfileEditor(), nullptr);
    EXPECT_EQ(LiveKeys().size(), 1u);
    Load(L"");
    EXPECT_EQ(CardState(), before);
    EXPECT_TRUE(LiveKeys().empty());
}

// The way back with the restore point itself in trouble. Unreadable (the registry refuses, or
// another program deleted it): what was recorded with it serves, and the card comes back whole.
// Its delete refused: it is marked as put back, and the next start only deletes it. Its delete
// and mark refused: the user is told and live mode stays on until a way back removes it.
TEST_F(LiveMode, ARestorePointInTroubleStillBringsTheCardBackAndIsNeverPutBackTwice) {
    HeadphonesOnTheRearAndProfile(L"Front");
    Store(L"Front", L"_mixerSampleRate", L"00770100");
    Store(L"Front", L"EqEnable", L"01");
    SetCard({{L"EqEnable", L"00"}});
    const auto before = CardState();
    frmProfile& editor = OpenEditor(L"Front");
    const std::wstring notRemoved =
        L"The card is back as it was, but its earlier settings, kept for the way back, could not be removed. Live "
        L"Mode stays on: turn it off again to put the card back.";
    const std::wstring eqRefused =
        L"Live Mode could not put the card back as it was: the card refused EqEnable.\r\nThese settings stand on the "
        L"card as Live Mode left them; the others are back. Live Mode stays on: turn it off again to put the card back.";
    struct Trouble {
        const char* what;
        std::vector<RegCall> refused;
        bool deleted;                     // another program deleted the restore point
        bool cardRefuses;                 // the card refuses the equalizer
        std::vector<std::wstring> texts;  // what the user is told
        std::size_t left;                 // restore points left
    };
    const std::vector<Trouble> troubles{
        {"read refused", {RegCall::Read}, false, false, {}, 0},
        {"listing refused", {RegCall::List}, false, false, {}, 0},
        {"deleted from outside", {}, true, false, {}, 0},
        {"delete refused", {RegCall::Delete}, false, false, {}, 1},
        {"delete and mark refused", {RegCall::Delete, RegCall::Write}, false, false, {notRemoved}, 1},
        {"the card refuses a value", {}, false, true, {eqRefused}, 1},
    };
    for (const Trouble& t : troubles) {
        SCOPED_TRACE(t.what);
        ClickLive(editor);
        ASSERT_EQ(LiveKeys().size(), 1u);
        ASSERT_EQ(BytesToHex(GetProfileValue(L"", L"HpImpedanceModeFront")), L"02000000");
        const std::wstring point = LiveKeys()[0];
        if (t.deleted) RegDeleteTree(gRegProfiles, point);
        if (t.cardRefuses) sim::InjectSimFailure(DrvPropEq, 31);
        std::vector<std::wstring> texts;
        {
            kaltest::RefusedCalls refusing(t.refused, point);
            texts = Texts(ClickLive(editor));
        }
        EXPECT_EQ(texts, t.texts);
        EXPECT_EQ(CardState() == before, !t.cardRefuses);
        EXPECT_EQ(LiveKeys().size(), t.left);
        EXPECT_EQ(editor.Get<CheckBox>(L"chkLiveMode").Value(), t.texts.empty() ? 0 : 1);
        if (!t.texts.empty()) {
            // The next way back puts back and removes it.
            EXPECT_TRUE(ClickLive(editor).seen.empty());
            EXPECT_EQ(CardState(), before);
            EXPECT_TRUE(LiveKeys().empty());
        } else if (t.left != 0) {
            // Marked as put back: the next start deletes it and leaves the card as it is now.
            SetCard({{L"HpImpedanceModeFront", L"01000000"}});
            const auto now = CardState();
            Load(L"");
            EXPECT_EQ(CardState(), now);
            EXPECT_TRUE(LiveKeys().empty());
            SetCard({{L"HpImpedanceModeFront", L"00000000"}});
        }
    }
}

// One restore point at a time, known by its exact form. Two ways back the card refused in one run
// leave one restore point, the earliest card's, and the next start puts back that card. A profile
// whose name merely holds "~Live" (brought back from a backup) is never taken for one. A restore
// point the next start can't read stays, and the user is told.
TEST_F(LiveMode, OneRestorePointAtATimeAndOnlyOneOfItsOwnFormIsPutBackAtStart) {
    HeadphonesOnTheRearAndProfile(L"Front");
    Store(L"1st~Live set", L"HpImpedanceModeFront", L"01000000");
    const auto before = CardState();
    std::wstring kept;
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        frmProfile& editor = OpenEditor(L"Front");
        ClickLive(editor);
        ASSERT_EQ(BytesToHex(GetProfileValue(L"", L"HpImpedanceModeFront")), L"02000000");
        sim::InjectSimFailure(DrvPropHpAmpGain, 31);
        kaltest::DialogAnswerer answers;
        answers.Run([&] { User::Click(editor.Ctl(L"cmdCancel")); });
        ASSERT_EQ(answers.seen.size(), 1u);
        ASSERT_EQ(LiveKeys().size(), 2u) << "the restore point and the profile \"1st~Live set\"";
        if (run == 0) kept = KeptRestorePoints().at(0);
        EXPECT_EQ(KeptRestorePoints(), std::vector<std::wstring>{kept});
    }
    // The next start can't read it: it stays, and the user is told.
    balloons_.clear();
    {
        kaltest::RefusedCalls refusing({RegCall::Read}, kept);
        Load(L"");
    }
    EXPECT_EQ(KeptRestorePoints(), std::vector<std::wstring>{kept});
    ASSERT_FALSE(balloons_.empty());
    EXPECT_NE(balloons_.back().text.find(L"could not be read"), std::wstring::npos) << balloons_.back().text;
    // The card refuses a value at the next start: it stays again.
    sim::InjectSimFailure(DrvPropHpAmpGain, 31);
    Load(L"");
    EXPECT_EQ(KeptRestorePoints(), std::vector<std::wstring>{kept});
    ASSERT_FALSE(balloons_.empty());
    EXPECT_NE(balloons_.back().text.find(L"the card refused HpImpedanceModeFront"), std::wstring::npos)
        << balloons_.back().text;
    Load(L"");
    EXPECT_EQ(CardState(), before);
    EXPECT_TRUE(KeptRestorePoints().empty());
    EXPECT_EQ(RegReadBytes(Profile(L"1st~Live set"), L"HpImpedanceModeFront"), HexToBytes(L"01000000"));
}

// What can't join the restore point is never changed by live mode: a restore point half written
// when the registry refused a value goes (live mode doesn't start, and the next start finds
// nothing to put back), and a recording line that came into service while the registry refused
// its values is left alone.
TEST_F(LiveMode, WhatCannotJoinTheRestorePointIsNeverChanged) {
    UseEditorCard(kD2);
    Load(L"");
    ASSERT_FALSE(gInputLineIds[1].empty());
    Store(L"Rec", L"EqEnable", L"01");
    SetCard({{L"EqEnable", L"00"}});
    frmProfile& editor = OpenEditor(L"Rec");
    {
        kaltest::RefusedCalls refusing([](RegCall call, const std::wstring& path, const std::wstring& name) {
            return call == RegCall::Write && path.find(L"~Live") != std::wstring::npos && name == L"SpeakerConfig";
        });
        const std::vector<std::wstring> told = Texts(ClickLive(editor));
        ASSERT_EQ(told.size(), 1u);
        EXPECT_NE(told[0].find(L"Live Mode was not turned on"), std::wstring::npos);
    }
    EXPECT_EQ(editor.Get<CheckBox>(L"chkLiveMode").Value(), 0);
    EXPECT_TRUE(LiveKeys().empty());
    EXPECT_EQ(GetProfileValue(L"", L"EqEnable"), Bytes{0});

    const int endpoint = sim::FindSimEndpoint(gInputLineIds[1]);
    const std::wstring level = MixerValueName(1, 1, 0, 0);
    gLastSelfChange.store(::timeGetTime() - 5000);
    sim::SetSimEndpointState(endpoint, DEVICE_STATE_DISABLED);
    ASSERT_TRUE(PumpUntil([&] { return !editor.chkRecordSet[1]->Enabled(); }));
    ClickLive(editor);
    ASSERT_EQ(LiveKeys().size(), 1u);
    {
        kaltest::RefusedCalls refusing({RegCall::Write}, LiveKeys()[0]);
        gLastSelfChange.store(::timeGetTime() - 5000);
        sim::SetSimEndpointState(endpoint, DEVICE_STATE_ACTIVE);
        ASSERT_TRUE(PumpUntil([&] { return editor.chkRecordSet[1]->Enabled(); }));
    }
    editor.imgTab_Click(1);
    const Bytes was = GetProfileValue(L"", level);
    if (editor.chkRecordSet[1]->Value() == 0) {
        ASSERT_TRUE(User::Click(*editor.chkRecordSet[1]));
    }
    ASSERT_TRUE(User::DragTo(*editor.csliInputLine[1], FirstByte(was) > 50 ? 10 : 90));
    EXPECT_EQ(GetProfileValue(L"", level), was);
    EXPECT_TRUE(ClickLive(editor).seen.empty());
    EXPECT_EQ(GetProfileValue(L"", level), was);
    EXPECT_EQ(GetProfileValue(L"", L"EqEnable"), Bytes{0});
    EXPECT_TRUE(LiveKeys().empty());
}

// Windows' side of the way back is checked too: with Windows refusing the speakers' format, the
// format can't go back; the user is told, and live mode stays on with its restore point until a
// way back puts it back.
// Live mode's start says when the card didn't take the profile whole.
TEST_F(LiveMode, WindowsSideOfTheWayBackAndTheStartOfLiveModeAreChecked) {
    FastRaisingWindowsRate();
    const auto before = CardState();
    frmProfile& editor = OpenEditor(L"Fast");
    sim::InjectSimFailure(DrvPropHpAmpGain, 31);
    const std::vector<std::wstring> started = Texts(ClickLive(editor));
    ASSERT_FALSE(started.empty());
    EXPECT_EQ(started.back(), L"Live Mode is on, but the card did not take the profile whole: the card refused "
                              L"PanelConfig.\r\nThese settings stand on the card as they were.");
    EXPECT_EQ(editor.Get<CheckBox>(L"chkLiveMode").Value(), 1);
    ASSERT_EQ(BytesToHex(GetProfileValue(L"", kMixerSampleRate)), L"00770100");
    sim::RefuseSimFormatWrites(true);
    const std::vector<std::wstring> told = Texts(ClickLive(editor));
    sim::RefuseSimFormatWrites(false);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(kMixerSampleRate), std::wstring::npos) << told[0];
    EXPECT_EQ(editor.Get<CheckBox>(L"chkLiveMode").Value(), 1);
    EXPECT_EQ(KeptRestorePoints().size(), 1u);
    EXPECT_TRUE(ClickLive(editor).seen.empty());
    EXPECT_EQ(CardState(), before);
    EXPECT_TRUE(KeptRestorePoints().empty());
}

// The speakers out of service close a live editor: Windows' side of the way back can't reach
// them, and nothing asks the user; their return puts the card back whole.
TEST_F(LiveMode, TheSpeakersReturnPutsBackWhatTheirAbsenceRefused) {
    FastRaisingWindowsRate();
    const auto before = CardState();
    frmProfile& editor = OpenEditor(L"Fast");
    ClickLive(editor);
    ASSERT_EQ(BytesToHex(GetProfileValue(L"", kMixerSampleRate)), L"00770100");
    const int speakers = sim::FindSimEndpoint(gPlaybackLineIds[0]);
    kaltest::DialogAnswerer answers;
    answers.Run([&] {
        gLastSelfChange.store(::timeGetTime() - 5000);
        sim::SetSimEndpointState(speakers, DEVICE_STATE_UNPLUGGED);
        EXPECT_TRUE(PumpUntil([&] { return ProfileEditor() == nullptr; }));
    });
    EXPECT_TRUE(answers.seen.empty()) << Narrow(answers.seen.front().text);
    EXPECT_EQ(KeptRestorePoints().size(), 1u);
    gLastSelfChange.store(::timeGetTime() - 5000);
    sim::SetSimEndpointState(speakers, DEVICE_STATE_ACTIVE);
    EXPECT_TRUE(PumpUntil([&] { return KeptRestorePoints().empty(); }));
    EXPECT_EQ(CardState(), before);
}

// Live mode starts only with a restore point it can put the card back from. With the registry
// refusing the restore point, the box goes back off, the user is told why and the card keeps its
// settings: for a stored profile at the box, and for a new profile, which opens in live mode.
// Once the registry takes writes again, live mode starts and its end puts the card back.
TEST_F(LiveMode, WithoutARestorePointLiveModeDoesNotStart) {
    UseEditorCard(kD2);
    Load(L"");
    Store(L"Eq", L"EqEnable", L"01");
    sim::SetSimLiveValue(L"EqEnable", HexToBytes(L"00"));
    const auto before = CardState();
    for (const wchar_t* profile : {L"Eq", L""}) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(profile)));
        frmProfile* editor = nullptr;
        {
            kaltest::RefusedProfileWrites refused;
            kaltest::DialogAnswerer answers;
            if (*profile) {
                editor = &OpenEditor(profile);
                sim::ClearSimRequestLog();
                answers = ClickLive(*editor);
                EXPECT_TRUE(Writes().empty());
            } else {
                answers.Run([&] { editor = &OpenEditor(profile); });
            }
            EXPECT_EQ(Texts(answers), std::vector<std::wstring>{L"Live Mode was not turned on: the card's present "
                                                                L"settings could not be stored, so they could not be "
                                                                L"put back afterwards."});
            EXPECT_EQ(editor->Get<CheckBox>(L"chkLiveMode").Value(), 0);
            EXPECT_EQ(editor->Ctl(L"chkLiveMode").Caption(), L"Live Mode OFF");
            EXPECT_TRUE(editor->LiveProfileName().empty());
            EXPECT_TRUE(LiveKeys().empty());
            // The equalizer turned on, and live mode turned off if it came on: the card is as it was.
            editor->imgTab_Click(2);
            ASSERT_TRUE(User::ChooseOption(editor->Get<OptionButton>(L"optEQ", 0)));
            ASSERT_TRUE(User::ChooseOption(editor->Get<OptionButton>(L"optEQ", 1)));
            if (editor->Get<CheckBox>(L"chkLiveMode").Value() == 1) ClickLive(*editor);
            EXPECT_EQ(CardState(), before);
        }
        EXPECT_TRUE(ClickLive(*editor).seen.empty());
        ASSERT_FALSE(editor->LiveProfileName().empty());
        if (*profile) {
            EXPECT_EQ(BytesToHex(Present(sim::SimLiveValue(L"EqEnable"))), L"01");
        }
        ClickLive(*editor);
        EXPECT_EQ(CardState(), before);
        EXPECT_TRUE(LiveKeys().empty());
        CloseEditor();
    }
}

// "Use last" warns by the volume remembered for the output the editor shows, the one live mode
// sends, not the stored profile's output.
TEST_F(LiveMode, UseLastWarnsByTheVolumeOfTheOutputTheEditorShows) {
    const struct {
        std::uint8_t storedOutput, shownOutput;
        bool warns;
    } cases[] = {{10, 90, true}, {90, 10, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.warns ? "louder shown output" : "quieter shown output");
        CardAtTwentyPercentWith(L"Last", L"FF");
        Store(L"Last", L"PanelConfig", L"00000000");
        Store(L"Last", L"SpeakerConfig", L"04000000");
        SetLastVolume(L"04", c.storedOutput);
        SetLastVolume(L"01", c.shownOutput);
        frmProfile& editor = OpenEditor(L"Last");
        ASSERT_TRUE(editor.Get<OptionButton>(L"optVolume", 0).Value());
        auto& outputs = editor.Get<ComboBox>(L"cboAnalogOutput");
        ASSERT_TRUE(User::ChooseItem(outputs, IndexOf(outputs, 0x0001)));
        EXPECT_EQ(ClickLive(editor).seen.size(), c.warns ? 1u : 0u);
        ASSERT_FALSE(editor.LiveProfileName().empty());
        EXPECT_EQ(MasterPercent(L""), c.shownOutput);
        CloseEditor();
    }
}

// A restore point kept from an earlier run, under the very name the clock gives now (as one of
// another day may be): live mode starts from it rather than replacing it, its end puts that card
// back, and the next start puts back one of the others alone.
TEST_F(LiveMode, AKeptRestorePointIsWhereLiveModeStartsWhateverItsName) {
    UseEditorCard(kD2);
    SetCard({{L"EqEnable", L"00"}});
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    const int start = (t.wHour * 3600 + t.wMinute * 60 + t.wSecond) * 100 + t.wMilliseconds / 10;
    std::set<std::wstring> kept;
    for (int c = start; c < start + 300; ++c) {
        const float seconds = static_cast<float>(c / 100) + static_cast<float>(c % 100) / 100.0f;
        const std::wstring name = LiveProfileNameFor(seconds, DecimalSeparator());
        kept.insert(name);
        Store(name, L"EqEnable", L"01");
    }
    frmProfile& editor = OpenEditor(L"");
    const std::wstring live = editor.LiveProfileName();
    ASSERT_TRUE(kept.count(live)) << live;
    EXPECT_EQ(RegReadBytes(Profile(live), L"EqEnable"), Bytes{1});
    EXPECT_FALSE(RegReadBytes(Profile(live), L"SpeakerConfig"));
    CloseEditor();
    EXPECT_EQ(GetProfileValue(L"", L"EqEnable"), Bytes{1});
    EXPECT_FALSE(RegKeyExists(Profile(live)));
    SetCard({{L"EqEnable", L"00"}});
    Load(L"");
    EXPECT_EQ(GetProfileValue(L"", L"EqEnable"), Bytes{1});
    EXPECT_TRUE(KeptRestorePoints().empty());
}

TEST_F(LiveMode, SwapsDialogShowsTheOutputsExchangesAndDontSetPutsBackOnlyWhatTheRestorePointHolds) {
    UseEditorCard(kD2);
    Load(L"");
    sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(L"07000000"));
    frmProfile& editor = OpenEditor(L"");
    ASSERT_FALSE(editor.LiveProfileName().empty());
    ASSERT_TRUE(User::Click(editor.Ctl(L"cmdAnalogOutputSettings")));
    ASSERT_NE(AnalogOutputSettingsDialog(), nullptr);
    frmAnalogOutputSettings& swaps = *AnalogOutputSettingsDialog();
    Pump(50);
    // 7.1: the centre/bass frame at the top, the side/rear frame 120 twips below it.
    EXPECT_FALSE(swaps.Ctl(L"fraHeadphoneLRXchg").Visible());
    Control& centre = swaps.Ctl(L"fraCenterBassXchg");
    Control& side = swaps.Ctl(L"fraSideRearXchg");
    EXPECT_EQ(centre.Top(), swaps.Ctl(L"fraHeadphoneLRXchg").Top());
    EXPECT_EQ(side.Top(), centre.Top() + centre.Height() + 120);
    EXPECT_TRUE(swaps.Get<OptionButton>(L"optSideRearXchg", 255).Value());  // a new profile: "Don't Set"
    SaveWindowScreenshot(swaps.hWnd(), L"frmAnalogOutputSettings", L"7.1");

    // Without the value in the restore point "Don't Set" sends nothing at all.
    ExpectDontChangePutsBackTheRestorePoint(swaps, L"optSideRearXchg", L"SideRearXchg", editor.LiveProfileName());
    EXPECT_EQ(BytesToHex(editor.GetSideRearXchg()), L"FF000000");
}

// "Ignore" for the recording source and the layout's "Don't Change" put back the restore
// point's value after a choice sent another.
TEST_F(LiveMode, IgnoreAndTheLayoutsDontChangePutBackTheRestorePoint) {
    UseEditorCard(kD2);
    ASSERT_FALSE(gInputLineIds[1].empty());
    sim::SetSimLiveValue(L"VSpeakerPos", HexToBytes(kVssDefaultLayout));
    frmProfile& editor = OpenEditor(L"");
    ASSERT_FALSE(editor.LiveProfileName().empty());
    editor.ExpandVSSPanel(true);
    auto choose = [&](const wchar_t* group, int index) {
        ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(group, index))) << group;
    };
    const struct {
        const wchar_t* value;
        int tab;
        std::function<void()> change, dontChange;
    } cases[] = {
        {kMixerInputLineSel, 1,
         [&] { choose(L"optInputSelect", FirstByte(GetProfileValue(L"", kMixerInputLineSel)) == 1 ? 0 : 1); },
         [&] { choose(L"optInputSelect", 255); }},
        {L"VSpeakerPos", 0,
         [&] {
             choose(L"optVSSLayout", 1);
             choose(L"optLoadVSSPreset", 1);
         },
         [&] { choose(L"optVSSLayout", 0); }},
        // Reset reloads "Don't Change": the card goes back to the restore point's layout too.
        {L"VSpeakerPos", 0,
         [&] {
             choose(L"optVSSLayout", 1);
             choose(L"optLoadVSSPreset", 1);
         },
         [&] {
             ASSERT_TRUE(User::Click(editor.Ctl(L"cmdReset")));
             editor.ExpandVSSPanel(true);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        editor.imgTab_Click(c.tab);
        const Bytes original = GetProfileValue(L"", c.value);
        c.change();
        EXPECT_NE(GetProfileValue(L"", c.value), original);
        c.dontChange();
        EXPECT_EQ(BytesToHex(GetProfileValue(L"", c.value)), BytesToHex(original));
    }
}

TEST_F(LiveMode, SwapsDialogForHeadphonesInTheRealTimeWindow) {
    UseEditorCard(kD2);
    sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(L"01000000"));
    frmProfile& editor = OpenRealTime();
    ASSERT_TRUE(User::Click(editor.Ctl(L"cmdAnalogOutputSettings")));
    ASSERT_NE(AnalogOutputSettingsDialog(), nullptr);
    frmAnalogOutputSettings& swaps = *AnalogOutputSettingsDialog();
    Pump(50);
    EXPECT_TRUE(swaps.Ctl(L"fraHeadphoneLRXchg").Visible());
    EXPECT_FALSE(swaps.Ctl(L"fraCenterBassXchg").Visible());
    EXPECT_FALSE(swaps.Ctl(L"optHeadphoneLRXchg", 255).Visible());
    EXPECT_LT(swaps.Ctl(L"optHeadphoneLRXchg", 0).Left(), swaps.Ctl(L"optHeadphoneLRXchg", 1).Left());
    // The card's own value is shown, and a choice goes to the card.
    const std::uint8_t now = Nth(GetProfileValue(L"", L"HeadphoneLRXchg"), 0);
    EXPECT_TRUE(swaps.Get<OptionButton>(L"optHeadphoneLRXchg", now).Value());
    ASSERT_TRUE(User::ChooseOption(swaps.Get<OptionButton>(L"optHeadphoneLRXchg", now ? 0 : 1)));
    EXPECT_EQ(Nth(GetProfileValue(L"", L"HeadphoneLRXchg"), 0), now ? 0 : 1);
    SaveWindowScreenshot(swaps.hWnd(), L"frmAnalogOutputSettings", L"realtime-headphones");
}

TEST_F(LiveMode, HeadphoneGainIsReadSavedAndSentPerPanel) {
    UseEditorCard(kSTX);
    Store(L"Amp", L"PanelConfig", L"01000000");
    Store(L"Amp", L"SpeakerConfig", L"01000000");
    Store(L"Amp", L"HpImpedanceModeFront", L"02000000");
    frmProfile& editor = OpenEditor(L"Amp");
    frmHpImpedanceMode* amp = HpImpedanceDialog();
    ASSERT_NE(amp, nullptr);
    EXPECT_FALSE(amp->Visible());
    auto& gains = amp->Get<ComboBox>(L"cboHpAmp");
    ASSERT_EQ(gains.ListCount(), 4);
    EXPECT_EQ(gains.List(0), L"Don't change");
    EXPECT_EQ(BytesToHex(amp->HpAmp()), L"02000000");
    ASSERT_TRUE(User::Click(editor.Ctl(L"cmdHpAmp")));
    Pump(50);
    EXPECT_TRUE(amp->Visible());
    SaveWindowScreenshot(amp->hWnd(), L"frmHpImpedanceMode", L"front");
    ASSERT_TRUE(User::ChooseItem(gains, 2));  // gain mode 1
    editor.SaveValues(L"AmpOut", false);
    EXPECT_EQ(RegReadBytes(Profile(L"AmpOut"), L"HpImpedanceModeFront"), HexToBytes(L"01000000"));
    EXPECT_FALSE(RegReadBytes(Profile(L"AmpOut"), L"HpImpedanceModeRear"));
    ASSERT_TRUE(User::ChooseItem(gains, 0));
    editor.SaveValues(L"AmpNone", false);
    EXPECT_FALSE(RegReadBytes(Profile(L"AmpNone"), L"HpImpedanceModeFront"));
    // Closing only hides it; the editor's closing unloads it.
    ASSERT_TRUE(User::Click(amp->Ctl(L"cmdClose")));
    EXPECT_EQ(HpImpedanceDialog(), amp);
    EXPECT_FALSE(amp->Visible());
    CloseEditor();
    EXPECT_EQ(HpImpedanceDialog(), nullptr);

    // The real-time window offers no "Don't change", shows the card's gain and sets it at once.
    SetCard({{L"PanelConfig", L"01000000"}, {L"SpeakerConfig", L"01000000"}, {L"HpImpedanceModeFront", L"01000000"}});
    OpenRealTime();
    amp = HpImpedanceDialog();
    ASSERT_NE(amp, nullptr);
    EXPECT_EQ(amp->Get<ComboBox>(L"cboHpAmp").ListCount(), 3);
    EXPECT_EQ(BytesToHex(amp->HpAmp()), L"01000000");
    sim::ClearSimRequestLog();
    ASSERT_TRUE(User::Click(ProfileEditor()->Ctl(L"cmdHpAmp")));
    ASSERT_TRUE(User::ChooseItem(amp->Get<ComboBox>(L"cboHpAmp"), 2));
    EXPECT_EQ(BytesToHex(GetProfileValue(L"", L"HpImpedanceModeFront")), L"02000000");
}

// A headphone gain goes to the card only while the output is headphones: a speaker output hides
// it, after a Reset or another panel's speakers too.
TEST_F(LiveMode, AHeadphoneGainTheOutputHidesIsNotSent) {
    const struct {
        const char* what;
        std::function<void(frmProfile&)> act;
        const wchar_t *rear, *front;
    } cases[] = {
        {"Reset", [](frmProfile& e) { ASSERT_TRUE(User::Click(e.Ctl(L"cmdReset"))); }, L"00000000", L"00000000"},
        {"front 2 speakers",
         [](frmProfile& e) {
             auto& outputs = e.Get<ComboBox>(L"cboAnalogOutput");
             ASSERT_TRUE(User::ChooseItem(outputs, IndexOf(outputs, 0x0104)));
         },
         L"00000000", L"00000000"},
        {"rear headphones",
         [](frmProfile& e) {
             auto& outputs = e.Get<ComboBox>(L"cboAnalogOutput");
             ASSERT_TRUE(User::ChooseItem(outputs, IndexOf(outputs, 0x0001)));
         },
         L"02000000", L"00000000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        UseEditorCard(kDG);
        SetCard({{L"HpImpedanceModeRear", L"00000000"}, {L"HpImpedanceModeFront", L"00000000"}});
        Store(L"Rear2", L"PanelConfig", L"00000000");
        Store(L"Rear2", L"SpeakerConfig", L"04000000");
        Store(L"Rear2", L"HpImpedanceModeRear", L"02000000");
        Store(L"Rear2", L"HpImpedanceModeFront", L"02000000");
        frmProfile& editor = OpenEditor(L"Rear2");
        ClickLive(editor);
        ASSERT_FALSE(editor.LiveProfileName().empty());
        c.act(editor);
        EXPECT_EQ(BytesToHex(GetProfileValue(L"", L"HpImpedanceModeRear")), c.rear);
        EXPECT_EQ(BytesToHex(GetProfileValue(L"", L"HpImpedanceModeFront")), c.front);
        CloseEditor();
    }
}

// A stored profile that names no panel (as the demo profile "Movie"): a gain chosen for its
// headphones reaches the card in live mode, and when the tray applies the saved profile.
TEST_F(LiveMode, AHeadphoneGainChosenForAProfileWithoutAPanelReachesTheCard) {
    UseEditorCard(kSTX);
    Load(L"");
    sim::SetSimLiveValue(L"PanelConfig", HexToBytes(L"01000000"));  // the card on the front panel
    sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(L"04000000"));
    Store(L"Movie", L"SpeakerConfig", L"01000000");
    Store(L"Movie", L"EqEnable", L"00");
    frmProfile& editor = OpenEditor(L"Movie");
    const std::wstring gainName = HpImpedanceValueName(editor.PanelConfig());
    ASSERT_TRUE(User::Click(editor.Ctl(L"cmdHpAmp")));
    frmHpImpedanceMode* amp = HpImpedanceDialog();
    ASSERT_NE(amp, nullptr);
    ASSERT_TRUE(User::ChooseItem(amp->Get<ComboBox>(L"cboHpAmp"), 3));  // gain mode 2
    ASSERT_TRUE(User::Click(amp->Ctl(L"cmdClose")));
    // Live mode sends it with the panel; so does a choice made in live mode.
    ClickLive(editor);
    ASSERT_FALSE(editor.LiveProfileName().empty());
    EXPECT_EQ(GetProfileValue(L"", L"PanelConfig"), editor.PanelConfig());
    EXPECT_EQ(BytesToHex(GetProfileValue(L"", gainName)), L"02000000");
    ASSERT_TRUE(User::Click(editor.Ctl(L"cmdHpAmp")));
    ASSERT_TRUE(User::ChooseItem(amp->Get<ComboBox>(L"cboHpAmp"), 2));  // gain mode 1
    EXPECT_EQ(BytesToHex(GetProfileValue(L"", gainName)), L"01000000");
    ASSERT_TRUE(User::ChooseItem(amp->Get<ComboBox>(L"cboHpAmp"), 3));
    ASSERT_TRUE(User::Click(amp->Ctl(L"cmdClose")));
    ClickSave(editor);
    ASSERT_EQ(ProfileEditor(), nullptr);
    ASSERT_EQ(RegReadBytes(Profile(L"Movie"), gainName), HexToBytes(L"02000000"));

    SetCard({{L"PanelConfig", L"01000000"}, {L"SpeakerConfig", L"04000000"}});
    sim::SetSimLiveValue(gainName, HexToBytes(L"00000000"));
    form_->SetXonarValues(L"Movie", false, false);
    EXPECT_EQ(BytesToHex(GetProfileValue(L"", L"SpeakerConfig")), L"01000000");
    EXPECT_EQ(BytesToHex(GetProfileValue(L"", gainName)), L"02000000");
}

TEST_F(LiveMode, CustomControlsDialogSetsTheLinesExtraControls) {
    UseEditorCard(kD2);
    ASSERT_FALSE(gInputLineIds[0].empty());
    ASSERT_NE(gInputLineMonitorControl[0], 0);
    frmProfile& editor = OpenEditor(L"");
    editor.imgTab_Click(1);
    // The line's further options are offered while its row is part of the profile.
    EXPECT_FALSE(editor.Ctl(L"cmdRecordExtraOptions", 0).Enabled());
    ASSERT_TRUE(User::Click(editor.Ctl(L"chkRecordSet", 0)));
    ASSERT_TRUE(User::Click(editor.Ctl(L"cmdRecordExtraOptions", 0)));
    frmInputLineCustomControls* dialog = InputLineCustomControlsDialog();
    ASSERT_NE(dialog, nullptr);
    Pump(50);
    // The microphone's boost gets a frame; its monitoring switch does not.
    Control& frame = dialog->Ctl(L"fraCustomControl", 0);
    EXPECT_EQ(frame.Caption(), L"Mic Boost");
    const int n = std::stoi(frame.Tag());
    EXPECT_NE(n, gInputLineMonitorControl[0]);
    const Control* second = dialog->Find(L"fraCustomControl", 1);
    EXPECT_TRUE(!second || !second->Visible());
    const std::wstring group = frmInputLineCustomControls::OptionGroup(0);
    EXPECT_TRUE(dialog->Get<OptionButton>(group, 255).Value());  // a new profile: "Don't Set"
    SaveWindowScreenshot(dialog->hWnd(), L"frmInputLineCustomControls", L"mic");

    // Live mode (a new profile's) sends each choice; "Don't Set" puts back the card's value.
    const std::wstring name = MixerValueName(1, 0, 0, n);
    const std::uint8_t original = Nth(GetProfileValue(L"", name), 0);
    ASSERT_TRUE(User::ChooseOption(dialog->Get<OptionButton>(group, original ? 0 : 1)));
    EXPECT_EQ(editor.GetCustomControlsValues(0, n), original ? 0 : 1);
    EXPECT_EQ(Nth(GetProfileValue(L"", name), 0), original ? 0 : 1);
    ASSERT_TRUE(User::ChooseOption(dialog->Get<OptionButton>(group, 255)));
    EXPECT_EQ(editor.GetCustomControlsValues(0, n), 255);
    EXPECT_EQ(Nth(GetProfileValue(L"", name), 0), original);
    ASSERT_TRUE(User::Click(dialog->Ctl(L"cmdClose")));
    CloseEditor();

    // The real-time window: no "Don't Set", the other two moved left.
    OpenRealTime().imgTab_Click(1);
    ASSERT_TRUE(User::Click(ProfileEditor()->Ctl(L"cmdRecordExtraOptions", 0)));
    dialog = InputLineCustomControlsDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->Ctl(group, 255).Visible());
    EXPECT_EQ(dialog->Ctl(group, 0).Left(), 120);
    EXPECT_EQ(dialog->Ctl(group, 1).Left(), 1440);
}

TEST_F(LiveMode, CustomControlsDialogOffersEveryControlOfTheLine) {
    UseEditorCard(kD2);
    const std::wstring id = gInputLineIds[0];
    const int monitor = gInputLineMonitorControl[0];
    ASSERT_TRUE(gAudio->CustomControls.Contains(id));
    ASSERT_NE(monitor, 0);
    // The microphone given fifteen controls: its boost again and again besides its monitoring.
    KeyedCollection<AudioControlList> lists;
    for (const auto& [line, list] : gAudio->CustomControls) {
        AudioControlList copy = list;
        if (line == id) {
            ASSERT_GE(copy.size(), 2u);
            while (copy.size() < 15) copy.push_back(list[monitor == 1 ? 1 : 0]);
        }
        lists.Add(line, std::move(copy));
    }
    gAudio->CustomControls = std::move(lists);
    frmProfile& editor = OpenEditor(L"");
    editor.imgTab_Click(1);
    ASSERT_TRUE(User::Click(editor.Ctl(L"chkRecordSet", 0)));
    ASSERT_TRUE(User::Click(editor.Ctl(L"cmdRecordExtraOptions", 0)));
    frmInputLineCustomControls* dialog = InputLineCustomControlsDialog();
    ASSERT_NE(dialog, nullptr);
    Pump(50);
    // One frame for each of the fourteen, 120 twips apart, each naming its control.
    std::set<int> offered;
    for (int k = 0; k < 14; ++k) {
        Control* frame = dialog->Find(L"fraCustomControl", k);
        ASSERT_NE(frame, nullptr) << k;
        EXPECT_TRUE(frame->Visible()) << k;
        EXPECT_EQ(frame->Caption(), L"Mic Boost") << k;
        offered.insert(std::stoi(frame->Tag()));
        if (k > 0) {
            const Control& above = dialog->Ctl(L"fraCustomControl", k - 1);
            EXPECT_EQ(frame->Top(), above.Top() + above.Height() + 120) << k;
        }
    }
    EXPECT_EQ(offered.size(), 14u);
    EXPECT_EQ(offered.count(monitor), 0u);
    const Control& last = dialog->Ctl(L"fraCustomControl", 13);
    EXPECT_GT(dialog->Ctl(L"cmdClose").Top(), last.Top() + last.Height());
    // The last frame's choice reaches the editor.
    const int n = std::stoi(last.Tag());
    ASSERT_TRUE(User::ChooseOption(dialog->Get<OptionButton>(frmInputLineCustomControls::OptionGroup(13), 1)));
    EXPECT_EQ(editor.GetCustomControlsValues(0, n), 1);
    SaveWindowScreenshot(dialog->hWnd(), L"frmInputLineCustomControls", L"fourteen");
}

TEST_F(LiveMode, ThePopupsChangesAndWindowsFormatChangesShowInALiveEditor) {
    UseEditorCard(kD2);
    gAudio->SetSpeakers(gPlaybackLineIds[0], 2);
    frmProfile& editor = OpenRealTime();
    EXPECT_TRUE(editor.Get<OptionButton>(L"optSVN", 0).Value() || editor.Get<OptionButton>(L"optSVN", 1).Value());
    SetCard({{L"SmartVolumeParams", L"01000000"}, {L"SpeakerConfig", L"06000000"}});
    SetVolumeBalance(30 * kCurrencyScale, 0, 0, 0);
    // What the volume pop-up asks of a live editor after it changed the card.
    IVolumeEditorLink& link = editor;
    link.CurrentSVN();
    link.CurrentOutput();
    link.CurrentVolume();
    EXPECT_TRUE(editor.Get<OptionButton>(L"optSVN", 1).Value());
    EXPECT_EQ(editor.Output(), L"0006");
    EXPECT_EQ(editor.Get<Slider>(L"csliVolume").Value(), 30);
    // Windows changed the speakers' channels: the editor reloads them without sending them back.
    gAudio->SetSpeakers(gPlaybackLineIds[0], 6);
    sim::ClearSimRequestLog();
    editor.RefreshSpeakersAndFormat();
    EXPECT_EQ(editor.Speakers(), 6);
    EXPECT_EQ(SelectedItemData(editor.Get<ComboBox>(L"cboSpeakersLayout")), 6);
    EXPECT_FALSE(editor.LiveProfileName().empty());
    EXPECT_TRUE(Writes().empty());
}

TEST_F(LiveMode, ANewDefaultRecordingDeviceMovesOnlyALiveEditorsSource) {
    UseEditorCard(kD2);
    ASSERT_FALSE(gInputLineIds[1].empty());
    Load(L"");
    Store(L"Rec", kMixerInputLineSel, L"01");  // "Line In"
    frmProfile& editor = OpenEditor(L"Rec");
    ASSERT_TRUE(editor.Get<OptionButton>(L"optInputSelect", 1).Value());
    LetOutsideChangesArrive();
    // Out of live mode the editor shows the stored profile, whatever Windows records from.
    sim::SetSimDefaultEndpoint(eCapture, eConsole, gInputLineIds[0]);
    Pump(300);
    EXPECT_TRUE(editor.Get<OptionButton>(L"optInputSelect", 1).Value());
    ClickSave(editor);
    EXPECT_EQ(RegReadBytes(Profile(L"Rec"), kMixerInputLineSel), Bytes{1});

    // Live, it shows the source the card records from.
    frmProfile& live = OpenEditor(L"Rec");
    ClickLive(live);
    ASSERT_FALSE(live.LiveProfileName().empty());
    LetOutsideChangesArrive();
    sim::SetSimDefaultEndpoint(eCapture, eConsole, gInputLineIds[0]);
    // As long as a loaded machine needs for the notification to arrive.
    EXPECT_TRUE(PumpUntil([&] { return live.Get<OptionButton>(L"optInputSelect", 0).Value(); }, 3000));
}

// A refresh of the live editor after a change of the card from outside keeps what the user chose;
// a setting that changed on the card shows the card's new value.
TEST_F(LiveMode, ANewProfileKeepsTheUsersChoicesWhenTheCardChangesFromOutside) {
    UseEditorCard(kD2);
    Load(L"");
    SetVolumeBalance(40 * kCurrencyScale, 0, 0, 0);
    frmProfile& editor = OpenEditor(L"");
    ChooseTheChoices(editor);
    ASSERT_TRUE(User::Click(editor.Ctl(L"chkPlaybackSet", 0)));

    PressShortcut(1);
    ASSERT_EQ(MasterPercent(L""), 42);
    ExpectTheChoices(editor, 42, 96000);
    EXPECT_EQ(editor.Get<CheckBox>(L"chkPlaybackSet", 0).Value(), 1);

    // Another program sets the card to 48 kHz, turns the upmix off and the equalizer over.
    LetOutsideChangesArrive();
    const std::uint8_t eq = Nth(GetProfileValue(L"", L"EqEnable"), 0);
    sim::SetSimLiveValue(L"OutputFormat", EncodeNumber(48000));
    sim::SetSimLiveValue(L"Dual2D", EncodeCode(0));
    sim::SetSimLiveValue(L"EqEnable", Bytes{static_cast<std::uint8_t>(eq ? 0 : 1)});
    EXPECT_TRUE(PumpUntil([&] { return CardRate(editor) == 48000; }, 2000));
    ExpectTheChoices(editor, 42, 48000);
    EXPECT_EQ(editor.Get<CheckBox>(L"chkPlaybackSet", 0).Value(), 1);

    editor.Get<TextBox>(L"txtProfileName").SetText(L"Fresh");
    ClickSave(editor);
    ASSERT_EQ(ProfileEditor(), nullptr);
    ExpectSaved(L"Fresh", 42, 48000, {true, false});
}

TEST_F(LiveMode, AStoredProfileKeepsItsEditsWhenTheCardChangesFromOutside) {
    kaltest::ProductStateLock product;
    UseEditorCard(kD2);
    Load(L"");
    SetVolumeBalance(50 * kCurrencyScale, 0, 0, 0);
    Store(L"Evening", L"SmartVolumeParams", L"00000000");
    Store(L"Evening", L"OutputFormat", L"80BB0000");  // 48 kHz
    Store(L"Evening", MixerValueName(0, 0, 0, 0), L"28");
    Store(L"Evening", MixerValueName(0, 0, 1, 0), L"28");
    RegWrite(Profile(L"Evening"), L"WaveOutVolL", kal::EncodeChannelGain(0));
    frmProfile& editor = OpenEditor(L"Evening");
    ClickLive(editor);
    ASSERT_FALSE(editor.LiveProfileName().empty());
    ChooseTheChoices(editor);
    ASSERT_TRUE(User::Click(editor.Ctl(L"chkPlaybackSet", 0)));
    ASSERT_TRUE(User::Click(editor.Ctl(L"chkPlaybackSet", 1)));
    ASSERT_TRUE(User::DragTo(editor.Get<Slider>(L"csliVolume"), 45));

    PressShortcut(1);
    ExpectTheChoices(editor, 47, 96000);

    // The program run with "/noui" from a script: 44.1 kHz, upmix off.
    const std::wstring outside = std::wstring(kaltest::kUserSettings) + L"\\Profiles\\Outside";
    RegWrite(outside, L"OutputFormat", EncodeNumber(44100));
    RegWrite(outside, L"Dual2D", EncodeCode(0));
    LetOutsideChangesArrive();
    const kaltest::ChildRun run = kaltest::RunChild(kaltest::ProgramExe(), L"/noui /profile=Outside");
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(GetProfileValue(L"", L"Dual2D"), EncodeCode(0));
    EXPECT_TRUE(PumpUntil([&] { return CardRate(editor) == 44100; }, 3000));
    ExpectTheChoices(editor, 47, 44100);

    ClickSave(editor);
    ASSERT_EQ(ProfileEditor(), nullptr);
    ExpectSaved(L"Evening", 47, 44100, {false, true});
}

}  // namespace

// A profile may hold two channels for a line of one channel (made on another card, or brought
// by a backup): the line's level is its one channel's, as shown, sent live and saved.
TEST_F(LiveMode, AOneChannelLineIsItsOneChannelWhateverTheProfileHoldsBesideIt) {
    UseEditorCard(kD2);
    int line = -1;
    {
        frmProfile& editor = OpenEditor(L"");
        for (int i = 0; i < 8 && line < 0; ++i)
            if (editor.Find(L"chkRecordSet", i) && editor.Ctl(L"chkRecordSet", i).Enabled() &&
                editor.Get<Slider>(L"csliInputLineBalance", i).Tag() == L"1")
                line = i;
        CloseEditor();
    }
    ASSERT_GE(line, 0) << "the card has no one-channel recording line";
    Load(L"");
    const std::wstring left = MixerValueName(1, line, 0, 0);
    Store(L"Two on one", left, L"31");
    Store(L"Two on one", MixerValueName(1, line, 1, 0), L"46");
    frmProfile& editor = OpenEditor(L"Two on one");
    ClickLive(editor);
    editor.imgTab_Click(1);
    auto& set = editor.Get<CheckBox>(L"chkRecordSet", line);
    auto& volume = editor.Get<Slider>(L"csliInputLine", line);
    ASSERT_EQ(set.Value(), 1);
    EXPECT_EQ(volume.Value(), 49);
    EXPECT_EQ(MixerProfileValue(L"", left), Bytes{49});
    // Dragged, and out of the profile and back: the level shown goes to the card whole.
    ASSERT_TRUE(User::DragTo(volume, 60));
    EXPECT_EQ(MixerProfileValue(L"", left), Bytes{60});
    ASSERT_TRUE(User::Click(set));
    ASSERT_TRUE(User::Click(set));
    EXPECT_EQ(volume.Value(), 60);
    EXPECT_EQ(MixerProfileValue(L"", left), Bytes{60});
    editor.SaveValues(L"Saved", false);
    EXPECT_EQ(kal::testing::StoredValues(L"Saved")[left], L"3C");
}
