// Handlers of the effect panels of the Output page: effects on and off with their modes and
// graph sliders, the Dolby virtualizers gating the effects that run after them, and every
// change sent at once in live mode. The panels' expanding and drawing are in graphs.cpp.
#include "device/packets.h"
#include "editor/controlvalues.h"
#include "editor/hooks.h"
#include "editor/portable/profilebytes.h"
#include "editor/profileform.h"

namespace kal {
namespace {

// The fixed width and depth of Movie mode: ProLogic IIx, NEO:PC.
constexpr int kMovieWidth[2] = {3, 4};
constexpr int kMovieDepth = 7;

}  // namespace

void frmProfile::SendGraphEffect(bool pl2x) {
    if (liveProfileName_.empty()) return;
    if (pl2x)
        ApplyPl2xParam(EncodePl2xParam());
    else
        ApplyNeoParam(EncodeNeoParam());
    NoteOwnSend({pl2x ? L"Pl2xParam" : L"NeoParam"});
}

void frmProfile::SendDolbyHeadphones() {
    if (liveProfileName_.empty()) return;
    Bytes enable = EncodeFlag(chkDolbyHeadphones->Value() == 1);
    Bytes room = DHRoom();
    ApplyDH(enable, room);
    NoteOwnSend({L"DHEnable", L"DHRoom"});
}

void frmProfile::SendDolbyVirtualSpeaker() {
    if (liveProfileName_.empty()) return;
    Bytes enable = EncodeFlag(chkDolbyVirtualSpeaker->Value() == 1);
    Bytes mode = DVSMode();
    ApplyDVS(enable, mode);
    NoteOwnSend({L"DVSEnable", L"DVSMode"});
}

// The shifter, ProLogic IIx and NEO:PC run after a Dolby virtualizer: only while it is on. The
// editor of a profile keeps their values aside meanwhile and brings them back with it. An effect
// the output hides stays hidden: the virtualizer brings back none the output doesn't offer.
void frmProfile::UpdateVirtualizerControls(const CheckBox& box, Label& modeLabel, ComboBox& modes) {
    const bool on = box.Value() == 1;
    const std::array<bool, 5> wasEnabled = EffectsEnabled();
    for (int panel : {kVssPanel, kPl2xPanel, kNeoPanel}) {
        const EffectPanelControls e = EffectPanel(panel);
        if (e.panel->Tag() == L"0") continue;
        CheckBox* effect = e.check;
        const std::wstring key = AsideKey(*effect) + L"@hidden";
        if (!on) {
            if (!realTimeMode_ && effect->Enabled()) record_.Keep(key, effect->Value());
            effect->SetValue(0);
        } else if (const auto kept = record_.Kept(key); !realTimeMode_ && !effect->Enabled() && kept) {
            effect->SetValue(*kept);
        }
        effect->SetEnabled(on);
    }
    UpdateModeList(box, modeLabel, modes);
    SendReturningEffects(wasEnabled);
}

// A Dolby mode list is usable while its effect is offered and on; off, it keeps its entry aside.
void frmProfile::UpdateModeList(const CheckBox& box, Label& modeLabel, ComboBox& modes) {
    const bool on = box.Enabled() && box.Value() == 1;
    modeLabel.SetEnabled(on);
    SetComboEnabled(modes, on);
}

// A mode as loaded, into the list whether its effect is on or not.
void frmProfile::LoadModeList(const CheckBox& box, Label& modeLabel, ComboBox& modes, std::uint8_t mode) {
    SetComboEnabled(modes, true);
    modes.SetTag(L"");
    SelectItemData(modes, mode);
    UpdateModeList(box, modeLabel, modes);
}

void frmProfile::GraphEffectChanged(bool pl2x, bool modeChanged) {
    const EffectPanelControls e = EffectPanel(pl2x ? kPl2xPanel : kNeoPanel);
    const bool on = e.check->Value() == 1;
    const bool music = OptionSelected(e.modes, 0);
    const bool active = modeChanged ? music && on : on;
    SetSliderEnabled(*e.width, active, kMovieWidth[pl2x ? 0 : 1]);
    SetSliderEnabled(*e.depth, active, kMovieDepth);
    if (!modeChanged) {
        for (OptionButton* option : e.modes) option->SetEnabled(on);
        for (Label* label : e.labels) label->SetEnabled(on);
    }
    pl2x ? DrawPL2xGraph() : DrawNEOGraph();
    SendGraphEffect(pl2x);
}

void frmProfile::WireEffectEvents() {
    // A virtualizer the output doesn't offer, which the real-time window shows on as another
    // program set it, leaves the effects under it as the output has them.
    chkDolbyHeadphones->Click = [this] {
        SendDolbyHeadphones();
        if (chkDolbyHeadphones->Enabled())
            UpdateVirtualizerControls(*chkDolbyHeadphones, *lblDolbyHeadphonesMode, *cboDolbyHeadphonesMode);
    };
    cboDolbyHeadphonesMode->Click = [this] { SendDolbyHeadphones(); };
    chkDolbyVirtualSpeaker->Click = [this] {
        SendDolbyVirtualSpeaker();
        if (chkDolbyVirtualSpeaker->Enabled())
            UpdateVirtualizerControls(*chkDolbyVirtualSpeaker, *lblDolbyVirtualSpeakerMode,
                                      *cboDolbyVirtualSpeakerMode);
    };
    cboDolbyVirtualSpeakerMode->Click = [this] { SendDolbyVirtualSpeaker(); };
    chkVSS->Click = [this] {
        if (liveProfileName_.empty()) return;
        Bytes on = EncodeFlag(chkVSS->Value() == 1);
        ApplyXear3D(on);
        // The layout as its own choice sends it: "Don't Change" keeps the restore point's.
        if (const auto layout = LiveChoice(!optVSSLayout[1]->Value(), L"VSpeakerPos", EncodeVSpeakerPos()))
            ApplyVSpeakerPos(*layout);
        ApplyPl2xParam(LivePl2xParam());
        NoteOwnSend({L"EnableXear3D", L"VSpeakerPos", L"Pl2xParam"});
    };
    // The expand boxes show what a click would do next.
    for (CheckBox* box : {chkVSSExpand, chkPL2xExpand, chkNEOExpand}) {
        box->Click = [box, expand = box->Click] {
            box->SetCaption(box->Value() == 1 ? L"-" : L"+");
            if (expand) expand();
        };
    }
    // An effect's box taking the focus opens its panel.
    for (int panel : {kVssPanel, kPl2xPanel, kNeoPanel})
        hooks_->Watch(EffectPanel(panel).check->Window(), Hooks::Kind::EffectBox, panel, {WM_SETFOCUS});
    for (const bool pl2x : {true, false}) {
        const EffectPanelControls e = EffectPanel(pl2x ? kPl2xPanel : kNeoPanel);
        e.check->Click = [this, pl2x] { GraphEffectChanged(pl2x, false); };
        // The mode buttons keep their panel's layout (graphs.cpp), then enable and send.
        for (OptionButton* option : e.modes) {
            option->Click = [this, pl2x, layout = option->Click] {
                if (layout) layout();
                GraphEffectChanged(pl2x, true);
            };
        }
        for (Slider* slider : {e.width, e.depth}) {
            slider->Change = [this, pl2x] {
                pl2x ? DrawPL2xGraph() : DrawNEOGraph();
                SendGraphEffect(pl2x);
            };
        }
    }
}

void frmProfile::EffectBox_GotFocus(int panel) {
    if (panel < kVssPanel || panel > kNeoPanel) return;
    auto& expand = *EffectPanel(panel).expand;
    if (expand.Value() != 1) expand.SetValue(1);
}

}  // namespace kal
