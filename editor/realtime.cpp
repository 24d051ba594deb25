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
    ::SendMessageW(cboSpeakersLayout->Window(), CB_DELETESTRING, 0, 0);

    // 3. The top area goes; everything on the window moves up by its height.
    const int d3 = FindShape(L"rectMasterVolume")->twips.top - fraIcons->Top();
    for (Control* c : ControlList{fraIcons, lblProfileName, lblShortcut, txtProfileName, txtShortcut})
        c->SetVisible(false);
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
    Control& svnOff = *optSVN[0];
    Control& svnKeep = *optSVN[255];
    const int d4 = svnOff.Top() - svnKeep.Top();
    svnKeep.SetVisible(false);
    SetTop(svnOff, svnKeep.Top());
    MoveBy(*optSVN[1], -d4);
    GrowBy(*pctSVN, -d4);
    GrowBy(*fraSVN, -d4);
    Control& volumeFrame = *fraMasterVolume;
    volumeFrame.Move(volumeFrame.Left(), volumeFrame.Top() - d4, volumeFrame.Width(), volumeFrame.Height() + d4);
    GrowBy(*pctMasterVolume, d4);

    // 5. The volume frame: no choices and flags, the slider takes their room.
    Control& ignore = *chkIgnoreVolumeForProfileValidation;
    Control& onlyDifferent = *chkVolumeChangeOnlyOnDifferentOutput;
    for (Control* c : ControlList{&ignore, optVolume[255], optVolume[0], optVolume[1], &onlyDifferent})
        c->SetVisible(false);
    Control& balance = *csliMasterBalance;
    const int d5 = balance.Top() - ignore.Top();
    SetTop(balance, ignore.Top());
    for (Control* c : ControlList{lblMasterBalanceL, lblMasterBalanceR, cmdMasterBalanceReset}) MoveBy(*c, -d5);
    Control& volume = *csliVolume;
    volume.Move(volume.Left(), volume.Top() - (d5 - 120), volume.Width(), volume.Height() + (d5 - 120));
    const int e5 = onlyDifferent.Height() + 480;
    GrowBy(volume, e5);
    MoveBy(*lblMasterVolume, e5);
    MoveBy(*lblMasterVolumeDB, e5);

    // 6. The speaker layout is always set: no choice, the user layouts move up.
    Control& userLayouts = *fraVSSUserLayouts;
    const int d6 = userLayouts.Top() - optVSSLayout[0]->Top();
    pctOptVSSLayout->SetVisible(false);
    SetTop(userLayouts, optVSSLayout[0]->Top());
    MoveShape(L"lineVSSPresets", -1, 0, -d6, 0, -d6);
    for (Control* c : ControlList{lblVSSPresets, optLoadVSSPreset[0], optLoadVSSPreset[1]}) MoveBy(*c, -d6);
    GrowBy(*pctVSSLayouts, -d6);
    GrowBy(*fraVSSLayouts, -d6);

    // 7. Playback channels: no "Set" boxes.
    const int d7 = lblOutputChannelVolume[0]->Top() - chkPlaybackSetAll->Top();
    SetShapeVisible(L"MixerPlaybackLineHor", 0, false);
    chkPlaybackSetAll->SetVisible(false);
    for (int i = 0; i < 8; ++i) {
        chkPlaybackSet[i]->SetVisible(false);
        MoveBy(*lblOutputChannelVolume[i], -d7);
        MoveBy(*lblOutputChannelVolumeDB[i], -d7);
        Control& slider = *csliOutputChannel[i];
        slider.Move(slider.Left(), slider.Top() - d7, slider.Width(), slider.Height() + d7);
    }
    SetTop(*cmdResetOutputChannels, lblOutputChannelVolume[0]->Top());

    // 8. Recording lines: no "Set" boxes and no "Ignore".
    const int d8 = csliInputLineBalance[0]->Top() - chkRecordSetAll->Top();
    SetShapeVisible(L"MixerRecordLineHor", 0, false);
    chkRecordSetAll->SetVisible(false);
    optInputSelect[255]->SetVisible(false);
    for (int i = 0; i < 8; ++i) {
        chkRecordSet[i]->SetVisible(false);
        if (i > 0) MoveShape(L"MixerRecordLineVer", i, 0, -d8, 0, 0);
        for (Control* c : ControlList{csliInputLineBalance[i], lblInputLineBalanceL[i], lblInputLineBalanceR[i],
                                      cmdInputLineBalanceReset[i], lblInputLineVolume[i], lblInputLineVolumeDB[i]})
            MoveBy(*c, -d8);
        Control& slider = *csliInputLine[i];
        slider.Move(slider.Left(), slider.Top() - d8, slider.Width(), slider.Height() + d8);
    }
    SetTop(*cmdResetInputLines, lblInputLineVolume[0]->Top());

    // 9. The equalizer is on or off, and its gains always apply.
    Control& keep = *optEQ[255];
    keep.SetVisible(false);
    SetLeft(*optEQ[1], optEQ[0]->Left());
    SetLeft(*optEQ[0], keep.Left());
    optEQProfile[0]->SetVisible(false);
    optEQProfile[1]->SetVisible(false);

    // 10. Buttons.
    for (Control* c : ControlList{cmdSave, chkLiveMode, cmdReset}) c->SetVisible(false);
    cmdCancel->SetCaption(L"Close");
    ::InvalidateRect(hWnd(), nullptr, TRUE);
}

}  // namespace kal
