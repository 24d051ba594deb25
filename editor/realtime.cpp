// The real-time settings window: the editor without anything of a profile (name, shortcut,
// icon, "Don't Change" choices, "Set" boxes, Save, Reset, Live Mode), its controls moved up so
// that no gaps are left, and shorter by the top area. Every move is taken from the designed
// positions.
#include "editor/profileform.h"

namespace kal {
namespace {

void MoveBy(Control& c, int dy) { c.Move(c.Left(), c.Top() + dy, c.Width(), c.Height()); }
void GrowBy(Control& c, int dh) { c.Move(c.Left(), c.Top(), c.Width(), c.Height() + dh); }
void SetTop(Control& c, int top) { c.Move(c.Left(), top, c.Width(), c.Height()); }
void SetLeft(Control& c, int left) { c.Move(left, c.Top(), c.Width(), c.Height()); }

}  // namespace

void frmProfile::CompactForRealTime() {
    if (compacted_ || !Loaded()) return;
    compacted_ = true;
    // 2. No "Don't Change" among the Windows speaker layouts.
    ::SendMessageW(Ctl(L"cboSpeakersLayout").Window(), CB_DELETESTRING, 0, 0);

    // 3. The top area goes; everything on the window moves up by its height.
    const int d3 = FindShape(L"rectMasterVolume")->twips.top - Ctl(L"fraIcons").Top();
    for (const wchar_t* name : {L"fraIcons", L"lblProfileName", L"lblShortcut", L"txtProfileName", L"txtShortcut"})
        Ctl(name).SetVisible(false);
    for (Control* c : Controls())
        if (c->Window() && ::GetParent(c->Window()) == hWnd()) MoveBy(*c, -d3);
    for (Shape& s : shapes_) {
        if (!s.container.empty()) continue;
        s.twips.top -= d3;
        s.twips.bottom -= d3;
    }
    RECT window{};
    ::GetWindowRect(hWnd(), &window);
    ::SetWindowPos(hWnd(), nullptr, 0, 0, window.right - window.left,
                   window.bottom - window.top - TwipsToPixelsY(d3), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    // 4. SVN without "Don't Change"; the volume frame takes the room and keeps its bottom edge.
    Control& svnOff = Ctl(L"optSVN", 0);
    Control& svnKeep = Ctl(L"optSVN", 255);
    const int d4 = svnOff.Top() - svnKeep.Top();
    svnKeep.SetVisible(false);
    SetTop(svnOff, svnKeep.Top());
    MoveBy(Ctl(L"optSVN", 1), -d4);
    GrowBy(Ctl(L"pctSVN"), -d4);
    GrowBy(Ctl(L"fraSVN"), -d4);
    Control& volumeFrame = Ctl(L"fraMasterVolume");
    volumeFrame.Move(volumeFrame.Left(), volumeFrame.Top() - d4, volumeFrame.Width(), volumeFrame.Height() + d4);
    GrowBy(Ctl(L"pctMasterVolume"), d4);

    // 5. The volume frame: no choices and flags, the slider takes their room.
    Control& ignore = Ctl(L"chkIgnoreVolumeForProfileValidation");
    Control& onlyDifferent = Ctl(L"chkVolumeChangeOnlyOnDifferentOutput");
    for (Control* c : {&ignore, &Ctl(L"optVolume", 255), &Ctl(L"optVolume", 0), &Ctl(L"optVolume", 1), &onlyDifferent})
        c->SetVisible(false);
    Control& balance = Ctl(L"csliMasterBalance");
    const int d5 = balance.Top() - ignore.Top();
    SetTop(balance, ignore.Top());
    for (const wchar_t* name : {L"lblMasterBalanceL", L"lblMasterBalanceR", L"cmdMasterBalanceReset"})
        MoveBy(Ctl(name), -d5);
    Control& volume = Ctl(L"csliVolume");
    volume.Move(volume.Left(), volume.Top() - (d5 - 120), volume.Width(), volume.Height() + (d5 - 120));
    const int e5 = onlyDifferent.Height() + 480;
    GrowBy(volume, e5);
    MoveBy(Ctl(L"lblMasterVolume"), e5);
    MoveBy(Ctl(L"lblMasterVolumeDB"), e5);

    // 6. The speaker layout is always set: no choice, the user layouts move up.
    Control& userLayouts = Ctl(L"fraVSSUserLayouts");
    const int d6 = userLayouts.Top() - Ctl(L"optVSSLayout", 0).Top();
    Ctl(L"pctOptVSSLayout").SetVisible(false);
    SetTop(userLayouts, Ctl(L"optVSSLayout", 0).Top());
    MoveShape(L"lineVSSPresets", -1, 0, -d6, 0, -d6);
    for (Control* c : {&Ctl(L"lblVSSPresets"), &Ctl(L"optLoadVSSPreset", 0), &Ctl(L"optLoadVSSPreset", 1)})
        MoveBy(*c, -d6);
    GrowBy(Ctl(L"pctVSSLayouts"), -d6);
    GrowBy(Ctl(L"fraVSSLayouts"), -d6);

    // 7. Playback channels: no "Set" boxes.
    const int d7 = Ctl(L"lblOutputChannelVolume", 0).Top() - Ctl(L"chkPlaybackSetAll").Top();
    SetShapeVisible(L"MixerPlaybackLineHor", 0, false);
    Ctl(L"chkPlaybackSetAll").SetVisible(false);
    for (int i = 0; i < 8; ++i) {
        Ctl(L"chkPlaybackSet", i).SetVisible(false);
        MoveBy(Ctl(L"lblOutputChannelVolume", i), -d7);
        MoveBy(Ctl(L"lblOutputChannelVolumeDB", i), -d7);
        Control& slider = Ctl(L"csliOutputChannel", i);
        slider.Move(slider.Left(), slider.Top() - d7, slider.Width(), slider.Height() + d7);
    }
    SetTop(Ctl(L"cmdResetOutputChannels"), Ctl(L"lblOutputChannelVolume", 0).Top());

    // 8. Recording lines: no "Set" boxes and no "Ignore".
    const int d8 = Ctl(L"csliInputLineBalance", 0).Top() - Ctl(L"chkRecordSetAll").Top();
    SetShapeVisible(L"MixerRecordLineHor", 0, false);
    Ctl(L"chkRecordSetAll").SetVisible(false);
    Ctl(L"optInputSelect", 255).SetVisible(false);
    for (int i = 0; i < 8; ++i) {
        Ctl(L"chkRecordSet", i).SetVisible(false);
        if (i > 0) MoveShape(L"MixerRecordLineVer", i, 0, -d8, 0, 0);
        for (const wchar_t* name : {L"csliInputLineBalance", L"lblInputLineBalanceL", L"lblInputLineBalanceR",
                                    L"cmdInputLineBalanceReset", L"lblInputLineVolume", L"lblInputLineVolumeDB"})
            MoveBy(Ctl(name, i), -d8);
        Control& slider = Ctl(L"csliInputLine", i);
        slider.Move(slider.Left(), slider.Top() - d8, slider.Width(), slider.Height() + d8);
    }
    SetTop(Ctl(L"cmdResetInputLines"), Ctl(L"lblInputLineVolume", 0).Top());

    // 9. The equalizer is on or off, and its gains always apply.
    Control& keep = Ctl(L"optEQ", 255);
    keep.SetVisible(false);
    SetLeft(Ctl(L"optEQ", 1), Ctl(L"optEQ", 0).Left());
    SetLeft(Ctl(L"optEQ", 0), keep.Left());
    Ctl(L"optEQProfile", 0).SetVisible(false);
    Ctl(L"optEQProfile", 1).SetVisible(false);

    // 10. Buttons.
    for (const wchar_t* name : {L"cmdSave", L"chkLiveMode", L"cmdReset"}) Ctl(name).SetVisible(false);
    Ctl(L"cmdCancel").SetCaption(L"Close");
    ::InvalidateRect(hWnd(), nullptr, TRUE);
}

}  // namespace kal
