// The real-time settings window: nothing of a profile, the gaps closed by the distances of the
// design, opened from the tray and only brought to the front while an editor is open; and what
// closing the editor gives back (the profiles' shortcut keys, every window object).
#include "tests/editor/editor_fixture.h"

#include <map>

#include "tests/common/window_probes.h"
#include "tray/formopeners.h"
#include "tray/hotkeys.h"

using namespace kal;
using namespace kal::testing;

namespace {

class RealTime : public EditorFixture {};

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

}  // namespace
