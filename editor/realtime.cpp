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
    // No "Don't Change" among the Windows speaker layouts.
    ::SendMessageW(cboSpeakersLayout->Window(), CB_DELETESTRING, 0, 0);

    // The top area goes; everything on the window moves up by its height.
    const int topArea = FindShape(L"rectMasterVolume")->twips.top - fraIcons->Top();
    for (Control* c : ControlList{fraIcons, lblProfileName, lblShortcut, txtProfileName, txtShortcut})
        c->SetVisible(false);
    for (Control* c : Controls())
        if (c->Window() && ::GetParent(c->Window()) == hWnd()) MoveBy(*c, -topArea);
    for (Shape& s : shapes_) {
        if (!s.container.empty()) continue;
        s.twips.top -= topArea;
        s.twips.bottom -= topArea;
    }
    // Shorter by the top area: the design's margin of 120 twips stays below the buttons.
    SetContentHeight(cmdCancel->Top() + cmdCancel->Height() + 120);

    // SVN without "Don't Change"; the volume frame takes the room and keeps its bottom edge.
    Control& svnOff = *optSVN[0];
    Control& svnKeep = *optSVN[255];
    const int svnRow = svnOff.Top() - svnKeep.Top();
    svnKeep.SetVisible(false);
    SetTop(svnOff, svnKeep.Top());
    MoveBy(*optSVN[1], -svnRow);
    GrowBy(*pctSVN, -svnRow);
    GrowBy(*fraSVN, -svnRow);
    Control& volumeFrame = *fraMasterVolume;
    volumeFrame.Move(volumeFrame.Left(), volumeFrame.Top() - svnRow, volumeFrame.Width(),
                     volumeFrame.Height() + svnRow);
    GrowBy(*pctMasterVolume, svnRow);

    // The volume frame: no choices and flags, the slider takes their room.
    Control& ignore = *chkIgnoreVolumeForProfileValidation;
    Control& onlyDifferent = *chkVolumeChangeOnlyOnDifferentOutput;
    for (Control* c : ControlList{&ignore, optVolume[255], optVolume[0], optVolume[1], &onlyDifferent})
        c->SetVisible(false);
    Control& balance = *csliMasterBalance;
    const int flagsRoom = balance.Top() - ignore.Top();
    SetTop(balance, ignore.Top());
    for (Control* c : ControlList{lblMasterBalanceL, lblMasterBalanceR, cmdMasterBalanceReset}) MoveBy(*c, -flagsRoom);
    Control& volume = *csliVolume;
    volume.Move(volume.Left(), volume.Top() - (flagsRoom - 120), volume.Width(), volume.Height() + (flagsRoom - 120));
    // The slider takes the room down to the labels, which end 15 twips above the box's bottom as
    // in the design (the flag's own height does not count: it grew to show its caption whole).
    const int volumeGrowth = pctMasterVolume->Height() - 15 - (lblMasterVolumeDB->Top() + lblMasterVolumeDB->Height());
    GrowBy(volume, volumeGrowth);
    MoveBy(*lblMasterVolume, volumeGrowth);
    MoveBy(*lblMasterVolumeDB, volumeGrowth);

    // The speaker layout is always set: no choice, the user layouts move up.
    Control& userLayouts = *fraVSSUserLayouts;
    const int layoutChoice = userLayouts.Top() - optVSSLayout[0]->Top();
    pctOptVSSLayout->SetVisible(false);
    SetTop(userLayouts, optVSSLayout[0]->Top());
    MoveShape(L"lineVSSPresets", -1, 0, -layoutChoice, 0, -layoutChoice);
    for (Control* c : ControlList{lblVSSPresets, optLoadVSSPreset[0], optLoadVSSPreset[1]}) MoveBy(*c, -layoutChoice);
    GrowBy(*pctVSSLayouts, -layoutChoice);
    GrowBy(*fraVSSLayouts, -layoutChoice);

    // Playback channels: no "Set" boxes.
    const int playbackSetRow = lblOutputChannelVolume[0]->Top() - chkPlaybackSetAll->Top();
    SetShapeVisible(L"MixerPlaybackLineHor", 0, false);
    chkPlaybackSetAll->SetVisible(false);
    for (int i = 0; i < 8; ++i) {
        chkPlaybackSet[i]->SetVisible(false);
        MoveBy(*lblOutputChannelVolume[i], -playbackSetRow);
        MoveBy(*lblOutputChannelVolumeDB[i], -playbackSetRow);
        Control& slider = *csliOutputChannel[i];
        slider.Move(slider.Left(), slider.Top() - playbackSetRow, slider.Width(), slider.Height() + playbackSetRow);
    }
    SetTop(*cmdResetOutputChannels, lblOutputChannelVolume[0]->Top());

    // Recording lines: no "Set" boxes and no "Ignore".
    const int recordSetRow = csliInputLineBalance[0]->Top() - chkRecordSetAll->Top();
    SetShapeVisible(L"MixerRecordLineHor", 0, false);
    chkRecordSetAll->SetVisible(false);
    optInputSelect[255]->SetVisible(false);
    for (int i = 0; i < 8; ++i) {
        chkRecordSet[i]->SetVisible(false);
        if (i > 0) MoveShape(L"MixerRecordLineVer", i, 0, -recordSetRow, 0, 0);
        for (Control* c : ControlList{csliInputLineBalance[i], lblInputLineBalanceL[i], lblInputLineBalanceR[i],
                                      cmdInputLineBalanceReset[i], lblInputLineVolume[i], lblInputLineVolumeDB[i]})
            MoveBy(*c, -recordSetRow);
        Control& slider = *csliInputLine[i];
        slider.Move(slider.Left(), slider.Top() - recordSetRow, slider.Width(), slider.Height() + recordSetRow);
    }
    SetTop(*cmdResetInputLines, lblInputLineVolume[0]->Top());

    // The equalizer is on or off, and its gains always apply.
    Control& keep = *optEQ[255];
    keep.SetVisible(false);
    SetLeft(*optEQ[1], optEQ[0]->Left());
    SetLeft(*optEQ[0], keep.Left());
    optEQProfile[0]->SetVisible(false);
    optEQProfile[1]->SetVisible(false);

    // Nothing to save, reset or try live: Cancel closes the window.
    for (Control* c : ControlList{cmdSave, chkLiveMode, cmdReset}) c->SetVisible(false);
    cmdCancel->SetCaption(L"Close");
    ::InvalidateRect(hWnd(), nullptr, TRUE);
}

}  // namespace kal
