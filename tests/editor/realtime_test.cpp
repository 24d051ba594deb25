// The real-time settings window: nothing of a profile, the gaps closed by the distances of the
// design, opened from the tray and only brought to the front while an editor is open; and what
// closing the editor gives back (the profiles' shortcut keys, every window object).
#include "tests/editor/follow_fixture.h"

#include <map>

#include "tests/common/window_probes.h"
#include "tray/formopeners.h"
#include "tray/hotkeys.h"

using namespace kal;
using namespace kal::testing;

namespace {

class RealTime : public FollowCardFixture {};

struct Place {
    int left, top, width, height;
    bool visible;
};

std::map<std::wstring, Place> Places(frmProfile& editor) {
    std::map<std::wstring, Place> places;
    for (Control* c : editor.Controls()) {
        const std::wstring key = c->Index() >= 0 ? c->Name() + L"(" + std::to_wstring(c->Index()) + L")" : c->Name();
        places[key] = {c->Left(), c->Top(), c->Width(), c->Height(), c->Visible()};
    }
    return places;
}

int ClientHeight(HWND window) {
    RECT r{};
    ::GetClientRect(window, &r);
    return r.bottom;
}

TEST_F(RealTime, LayoutClosesTheGapsOfWhatAProfileNeeds) {
    UseEditorCard(kD2);
    frmProfile& designed = OpenEditor(L"");
    auto d = Places(designed);
    const int designedHeight = ClientHeight(designed.hWnd());
    const int topArea = designed.FindShape(L"rectMasterVolume")->twips.top - d[L"fraIcons"].top;
    const RECT designedLine = designed.FindShape(L"lineVSSPresets")->twips;
    const RECT designedRecordLine = designed.FindShape(L"MixerRecordLineVer", 3)->twips;
    CloseEditor();

    frmProfile& rt = OpenRealTime();
    EXPECT_TRUE(rt.RealTimeMode());
    EXPECT_EQ(rt.Caption(), L"Real Time Settings");
    auto r = Places(rt);
    // Shorter by the top area; everything on the window moved up by it.
    EXPECT_EQ(ClientHeight(rt.hWnd()), designedHeight - TwipsToPixelsY(topArea));
    EXPECT_EQ(r[L"cmdCancel"].top, d[L"cmdCancel"].top - topArea);
    EXPECT_EQ(r[L"pctTabContent(1)"].top, d[L"pctTabContent(1)"].top - topArea);
    EXPECT_EQ(rt.FindShape(L"rectMasterVolume")->twips.top, d[L"fraIcons"].top);
    for (const wchar_t* gone : {L"fraIcons", L"lblProfileName", L"lblShortcut", L"txtProfileName", L"txtShortcut",
                                L"cmdSave", L"cmdReset", L"chkLiveMode", L"optSVN(255)", L"optVolume(255)",
                                L"optVolume(0)", L"optVolume(1)", L"chkIgnoreVolumeForProfileValidation",
                                L"chkVolumeChangeOnlyOnDifferentOutput", L"pctOptVSSLayout", L"chkPlaybackSetAll",
                                L"chkRecordSetAll", L"optInputSelect(255)", L"optEQ(255)", L"optEQProfile(0)",
                                L"optEQProfile(1)"})
        EXPECT_FALSE(r[gone].visible) << gone;
    for (int i = 0; i < 8; ++i) {
        EXPECT_FALSE(r[L"chkPlaybackSet(" + std::to_wstring(i) + L")"].visible) << i;
        EXPECT_FALSE(r[L"chkRecordSet(" + std::to_wstring(i) + L")"].visible) << i;
    }
    EXPECT_EQ(rt.Ctl(L"cmdCancel").Caption(), L"Close");
    EXPECT_EQ(rt.Get<ComboBox>(L"cboSpeakersLayout").List(0), L"2 Channels (Stereo Sources)");
    EXPECT_EQ(rt.Get<ComboBox>(L"cboSpeakersLayout").ListCount(), 4);
    EXPECT_EQ(rt.Get<ComboBox>(L"cboSampleRate").List(0), L"44.1 KHz");
    EXPECT_EQ(rt.Get<ComboBox>(L"cboStereoUpmix").List(0), L"Disable");

    // SVN: the two choices close up, the volume frame keeps its bottom edge.
    const int svn = d[L"optSVN(0)"].top - d[L"optSVN(255)"].top;
    EXPECT_EQ(r[L"optSVN(0)"].top, d[L"optSVN(255)"].top);
    EXPECT_EQ(r[L"optSVN(1)"].top, d[L"optSVN(1)"].top - svn);
    EXPECT_EQ(r[L"fraSVN"].height, d[L"fraSVN"].height - svn);
    EXPECT_EQ(r[L"fraMasterVolume"].top + r[L"fraMasterVolume"].height,
              d[L"fraMasterVolume"].top + d[L"fraMasterVolume"].height - topArea);
    // Volume: the balance takes the flag's place, the slider the choices' and the flag's room.
    const int bal = d[L"csliMasterBalance"].top - d[L"chkIgnoreVolumeForProfileValidation"].top;
    EXPECT_EQ(r[L"csliMasterBalance"].top, d[L"chkIgnoreVolumeForProfileValidation"].top);
    EXPECT_EQ(r[L"lblMasterBalanceL"].top, d[L"lblMasterBalanceL"].top - bal);
    const int grow = r[L"lblMasterVolume"].top - d[L"lblMasterVolume"].top;
    EXPECT_EQ(r[L"lblMasterVolumeDB"].top + r[L"lblMasterVolumeDB"].height, r[L"pctMasterVolume"].height - 15);
    EXPECT_EQ(r[L"csliVolume"].top, d[L"csliVolume"].top - (bal - 120));
    EXPECT_EQ(r[L"csliVolume"].height, d[L"csliVolume"].height + (bal - 120) + grow);
    // Nothing left in the volume frame reaches past its bottom.
    EXPECT_LE(r[L"lblMasterVolumeDB"].top + r[L"lblMasterVolumeDB"].height, r[L"pctMasterVolume"].height);
    // The user layouts take the layout choice's place.
    const int vss = d[L"fraVSSUserLayouts"].top - d[L"optVSSLayout(0)"].top;
    EXPECT_EQ(r[L"fraVSSUserLayouts"].top, d[L"optVSSLayout(0)"].top);
    EXPECT_EQ(r[L"optLoadVSSPreset(1)"].top, d[L"optLoadVSSPreset(1)"].top - vss);
    EXPECT_EQ(r[L"fraVSSLayouts"].height, d[L"fraVSSLayouts"].height - vss);
    const RECT line = rt.FindShape(L"lineVSSPresets")->twips;
    EXPECT_EQ(line.top, designedLine.top - vss);
    EXPECT_EQ(line.bottom, designedLine.bottom - vss);
    // Mixer: sliders grow into the room of the "Set" row; only the upper ends of the lines move.
    const int play = d[L"lblOutputChannelVolume(0)"].top - d[L"chkPlaybackSetAll"].top;
    EXPECT_EQ(r[L"csliOutputChannel(5)"].top, d[L"csliOutputChannel(5)"].top - play);
    EXPECT_EQ(r[L"csliOutputChannel(5)"].height, d[L"csliOutputChannel(5)"].height + play);
    EXPECT_EQ(r[L"cmdResetOutputChannels"].top, r[L"lblOutputChannelVolume(0)"].top);
    const int rec = d[L"csliInputLineBalance(0)"].top - d[L"chkRecordSetAll"].top;
    EXPECT_EQ(r[L"csliInputLine(2)"].height, d[L"csliInputLine(2)"].height + rec);
    EXPECT_EQ(r[L"cmdResetInputLines"].top, r[L"lblInputLineVolume(0)"].top);
    const RECT recordLine = rt.FindShape(L"MixerRecordLineVer", 3)->twips;
    EXPECT_EQ(recordLine.top, designedRecordLine.top - rec);
    EXPECT_EQ(recordLine.bottom, designedRecordLine.bottom);
    // Equalizer: "Enable" and "Disable" take the places of "Disable" and "Don't Change".
    EXPECT_EQ(r[L"optEQ(1)"].left, d[L"optEQ(0)"].left);
    EXPECT_EQ(r[L"optEQ(0)"].left, d[L"optEQ(255)"].left);
    SaveTabScreenshots(rt, L"realtime");
}

TEST_F(RealTime, OpensFromTheTrayAndOnlyComesToTheFrontOverAnOpenEditor) {
    UseEditorCard(kD2);
    Store(L"Music", L"EqEnable", L"01");
    TrayOpeners().realTimeSettings = &ShowRealTimeSettings;
    frmKalvenor& main = Load(L"");
    ASSERT_TRUE(main.HotkeysEnabled());
    main.SysTrayDblClickEventHandler();
    Pump(30);
    ASSERT_NE(ProfileEditor(), nullptr);
    EXPECT_TRUE(ProfileEditor()->RealTimeMode());
    EXPECT_TRUE(ProfileEditor()->Visible());
    CloseEditor();

    frmProfile& editor = OpenEditor(L"Music");
    ShowRealTimeSettings();
    EXPECT_EQ(ProfileEditor(), &editor);
    EXPECT_FALSE(editor.RealTimeMode());
    EXPECT_EQ(editor.Caption(), L"Edit Profile \"Music\"");
    EXPECT_TRUE(editor.Ctl(L"cmdSave").Visible());
    CloseEditor();
    TrayOpeners().realTimeSettings = nullptr;
}

TEST_F(RealTime, ProfileKeysAreFreeWhileEditingAndComeBackWithoutTheProfileManager) {
    UseEditorCard(kD2);
    Store(L"A", L"Shortcut", L"7A03");  // Ctrl+Shift+F11
    frmKalvenor& main = Load(L"");
    ASSERT_FALSE(KeyIsFree(MOD_CONTROL | MOD_SHIFT, 0x7A));
    OpenEditor(L"A");
    EXPECT_TRUE(KeyIsFree(MOD_CONTROL | MOD_SHIFT, 0x7A));
    // A menu rebuild while the editor is open leaves them off.
    main.UpdateMenus();
    EXPECT_TRUE(KeyIsFree(MOD_CONTROL | MOD_SHIFT, 0x7A));
    CloseEditor();
    EXPECT_FALSE(KeyIsFree(MOD_CONTROL | MOD_SHIFT, 0x7A));
    // The real-time window leaves them registered.
    OpenRealTime();
    EXPECT_FALSE(KeyIsFree(MOD_CONTROL | MOD_SHIFT, 0x7A));
}

TEST_F(RealTime, OpeningAndClosingTwentyTimesGivesBackEveryWindowObject) {
    UseEditorCard(kD2);
    // The first opening makes what lives for the process (window classes, the font, caches).
    OpenEditor(L"");
    CloseEditor();
    OpenRealTime();
    CloseEditor();
    Pump(50);
    const auto before = GuiObjectCounts();
    for (int i = 0; i < 10; ++i) {
        frmProfile& editor = OpenEditor(L"");
        editor.ExpandPL2xPanel(true);
        editor.imgTab_Click(1);
        CloseEditor();
        OpenRealTime();
        CloseEditor();
    }
    Pump(50);
    const auto after = GuiObjectCounts();
    EXPECT_EQ(after.first, before.first) << "GDI objects";
    EXPECT_EQ(after.second, before.second) << "USER objects";
}

// Echo cancellation's Disable puts back the card exactly as its Enable found it, whatever comes
// between (the program's refresh once the second of the own change is over, a volume key): the
// output, the equalizer, an effect the output hides (ProLogic IIx at 5.1 with Windows at six
// channels) and the speaker shifter's own layout bytes. Echo cancellation switched off by another
// program after the Enable does the same, as the editor's live mode does.
TEST_F(RealTime, EchoCancellationsDisablePutsBackWhatItsEnableFound) {
    enum class Between { Nothing, Second, VolumeKey, OffFromOutside };
    const std::vector<std::wstring> names{L"SpeakerConfig", L"EqEnable", L"Pl2xParam", L"EnableXear3D",
                                          L"VSpeakerPos"};
    for (Between between : {Between::Nothing, Between::Second, Between::VolumeKey, Between::OffFromOutside}) {
        SCOPED_TRACE(static_cast<int>(between));
        UseEditorCard(kD2);
        sim::SetSimLiveValue(L"SpeakerConfig", EncodeCode(6));
        sim::SetSimLiveValue(L"EqEnable", Bytes{1});
        sim::SetSimLiveValue(L"EnableXear3D", EncodeCode(1));
        Bytes pl2x = GetProfileValue(L"", L"Pl2xParam");
        pl2x.at(0) = 1;
        sim::SetSimLiveValue(L"Pl2xParam", pl2x);
        gAudio->SetSpeakers(gPlaybackLineIds[0], 6);
        Load(L"");
        std::map<std::wstring, std::wstring> before;
        for (const std::wstring& n : names) before[n] = BytesToHex(GetProfileValue(L"", n));
        frmProfile& rt = OpenRealTime();
        rt.imgTab_Click(3);
        ASSERT_TRUE(User::ChooseOption(*rt.optAEC[1]));
        EXPECT_EQ(FirstByte(GetProfileValue(L"", L"SpeakerConfig")), 4);
        EXPECT_EQ(FirstByte(GetProfileValue(L"", L"EqEnable")), 0);
        if (between != Between::Nothing) LetTheSecondPass();
        if (between == Between::VolumeKey) {
            ::SendMessageW(form_->hWnd(), WM_HOTKEY, 1, 0);
            LetTheSecondPass();
        }
        EXPECT_FALSE(rt.imgTab[0]->Enabled());
        EXPECT_FALSE(rt.cboAnalogOutput->Enabled());
        if (between == Between::OffFromOutside) {
            sim::SetSimLiveValue(L"AEC", EncodeAEC(false));
            LetTheSecondPass();
        } else {
            ASSERT_TRUE(User::ChooseOption(*rt.optAEC[0]));
        }
        for (const std::wstring& n : names) EXPECT_EQ(BytesToHex(GetProfileValue(L"", n)), before[n]) << Narrow(n);
        EXPECT_TRUE(rt.imgTab[0]->Enabled());
        EXPECT_EQ(SelectedItemData(*rt.cboAnalogOutput), 6);
        CloseEditor();
        gAudio->SetSpeakers(gPlaybackLineIds[0], 2);
    }
}

// Echo cancellation on shows the card's own output, equalizer, FlexBass and effects on locked pages:
// opened so, after a refresh, after it came on from outside; off, the pages open on the card.
TEST_F(RealTime, EchoCancellationOnShowsTheCardOnLockedPages) {
    UseEditorCard(kD2);
    for (const auto& [name, value] : std::initializer_list<std::pair<const wchar_t*, Bytes>>{
             {L"SpeakerConfig", EncodeCode(7)},
             {L"EqEnable", EncodeFlag(true)},
             {L"BassManagement", EncodeFlag(true)},
             {L"EnableXear3D", EncodeCode(1)},
             {L"AEC", EncodeAEC(true)}})
        sim::SetSimLiveValue(name, value);
    Load(L"");
    frmProfile& rt = OpenRealTime();
    auto expectShown = [&](bool locked, const char* when) {
        SCOPED_TRACE(when);
        EXPECT_EQ(SelectedItemData(*rt.cboAnalogOutput), 7);
        EXPECT_TRUE(OptionSelected(rt.optEQ, 1));
        EXPECT_TRUE(OptionSelected(rt.optFlexBass, 1));
        EXPECT_EQ(OptionSelected(rt.optAEC, 1), locked);
        EXPECT_EQ(rt.imgTab[0]->Enabled(), !locked);
        EXPECT_EQ(rt.imgTab[2]->Enabled(), !locked);
        EXPECT_EQ(rt.cboAnalogOutput->Enabled(), !locked);
        // The output offers the speaker shifter: its box shows the card's, locked or not.
        EXPECT_EQ(rt.Ctl(L"pctVSS").Tag(), L"3");
        EXPECT_EQ(rt.chkVSS->Value(), 1);
    };
    expectShown(true, "opened");
    // A volume key refreshes the window at once.
    ::SendMessageW(form_->hWnd(), WM_HOTKEY, 1, 0);
    LetTheSecondPass();
    expectShown(true, "refreshed");
    sim::SetSimLiveValue(L"AEC", EncodeAEC(false));
    LetTheSecondPass();
    expectShown(false, "off from outside");
    sim::SetSimLiveValue(L"AEC", EncodeAEC(true));
    LetTheSecondPass();
    expectShown(true, "on from outside");
    // The user's Disable opens the pages on what the card holds.
    rt.imgTab_Click(3);
    ASSERT_TRUE(User::ChooseOption(*rt.optAEC[0]));
    expectShown(false, "disabled");
    EXPECT_EQ(FirstByte(GetProfileValue(L"", L"SpeakerConfig")), 7);
    EXPECT_EQ(FirstByte(GetProfileValue(L"", L"EqEnable")), 1);
    EXPECT_EQ(FirstByte(GetProfileValue(L"", L"BassManagement")), 1);
}

// The tray's icon and tip show the output the window chose at once, not a second later.
TEST_F(RealTime, TheTrayShowsTheWindowsOutputAtOnce) {
    UseEditorCard(kD2);
    Load(L"");
    frmProfile& rt = OpenRealTime();
    ComboBox& outputs = *rt.cboAnalogOutput;
    ASSERT_GE(outputs.ListCount(), 2);
    modifies_.clear();
    ASSERT_TRUE(User::ChooseItem(outputs, outputs.ListIndex() == 0 ? 1 : 0));
    sim::WaitForSimNotifications();
    Pump(150);
    EXPECT_TRUE(IsSelfChange());
    EXPECT_FALSE(modifies_.empty());
}

// The swaps and the headphone gain dialogs stay open after a choice in them, once the second of
// the own change is over and the program's refresh ran.
TEST_F(RealTime, DialogsStayOpenAfterAChoice) {
    for (bool gain : {false, true}) {
        SCOPED_TRACE(gain ? "gain" : "swaps");
        UseEditorCard(kDG);
        sim::SetSimLiveValue(L"SpeakerConfig", EncodeCode(1));
        Load(L"");
        frmProfile& rt = OpenRealTime();
        ASSERT_TRUE(User::Click(gain ? *rt.cmdHpAmp : *rt.cmdAnalogOutputSettings));
        auto open = [gain] {
            return gain ? HpImpedanceDialog() && HpImpedanceDialog()->Visible() : AnalogOutputSettingsDialog() != nullptr;
        };
        ASSERT_TRUE(open());
        if (gain) {
            ComboBox& box = *HpImpedanceDialog()->cboHpAmp;
            ASSERT_TRUE(User::ChooseItem(box, box.ListIndex() == 1 ? 2 : 1));
        } else {
            auto& options = AnalogOutputSettingsDialog()->optHeadphoneLRXchg;
            OptionButton* other = nullptr;
            for (OptionButton* o : options)
                if (o && User::CanAct(*o) && !o->Value()) other = o;
            ASSERT_NE(other, nullptr);
            ASSERT_TRUE(User::ChooseOption(*other));
        }
        LetTheSecondPass();
        EXPECT_TRUE(open());
        CloseEditor();
    }
}

// An effect the user's output brings back shows what the card then runs: its default for the
// output, sent also where the box already showed it and the card kept another value while the
// output hid the effect.
TEST_F(RealTime, AnEffectTheUsersOutputBringsBackShowsWhatTheCardRuns) {
    for (const wchar_t* kept : {L"01000000", L"00000000"}) {
        SCOPED_TRACE(::testing::Message() << "Dolby Headphones kept " << kept);
        UseEditorCard(kD2);
        SetCard({{L"PanelConfig", L"00000000"}, {L"SpeakerConfig", L"07000000"}, {L"DHEnable", kept}});
        gAudio->SetSpeakers(gPlaybackLineIds[0], 8);
        Load(L"");
        frmProfile& rt = OpenRealTime();
        ASSERT_FALSE(rt.chkDolbyHeadphones->Enabled());
        LetTheSecondPass();
        ASSERT_TRUE(User::ChooseItem(*rt.cboAnalogOutput, IndexOf(*rt.cboAnalogOutput, 0x0001)));
        ASSERT_TRUE(rt.chkDolbyHeadphones->Enabled());
        EXPECT_EQ(rt.chkDolbyHeadphones->Value(), FirstByte(GetProfileValue(L"", L"DHEnable")));
        CloseEditor();
    }
}

}  // namespace

// A channel the output hides while another program sets its level shows that level when an
// output brings it back.
TEST_F(RealTime, AHiddenChannelComesBackAtTheCardsLevel) {
    UseEditorCard(kD2);
    sim::SetSimLiveValue(L"SpeakerConfig", EncodeCode(6));
    gAudio->SetSpeakers(gPlaybackLineIds[0], 6);
    Load(L"");
    frmProfile& rt = OpenRealTime();
    rt.imgTab_Click(1);
    const int rear = 4;
    const std::wstring name(gChannelVolumeValues[rear]);
    ASSERT_TRUE(rt.csliOutputChannel[rear]->Enabled());
    LetTheSecondPass();
    ChangeFromOutside(L"SpeakerConfig", EncodeCode(4));
    ASSERT_FALSE(rt.csliOutputChannel[rear]->Enabled());
    ChangeFromOutside(name, HexToBytes(L"0000F6FF"));  // -10 dB
    ChangeFromOutside(L"SpeakerConfig", EncodeCode(6));
    ASSERT_TRUE(rt.csliOutputChannel[rear]->Enabled());
    EXPECT_EQ(rt.csliOutputChannel[rear]->Value(), GetChannelGainPercent(rear, L""));
    EXPECT_NE(rt.csliOutputChannel[rear]->Value(), GetChannelGainPercent(0, L""));
}
