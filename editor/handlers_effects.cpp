// Handlers of the effect panels of the Output page: effects on and off with their modes and
// graph sliders, the Dolby virtualizers gating the effects that run after them, and every
// change sent at once in live mode. The panels' expanding and drawing are in graphs.cpp.
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

void frmProfile::SendGraphEffect(bool pl2x, std::initializer_list<GraphPart> own) {
    std::vector<std::size_t> parts;
    for (GraphPart part : own) parts.push_back(static_cast<std::size_t>(part));
    SendToCard({{pl2x ? L"Pl2xParam" : L"NeoParam", pl2x ? EncodePl2xParam() : EncodeNeoParam(), parts}});
}

// A Dolby virtualizer's box sends its switch, its list its mode; the other goes as the card holds it.
void frmProfile::SendDolbyHeadphones(bool box) {
    if (box)
        SendToCard({{L"DHEnable", EncodeFlag(chkDolbyHeadphones->Value() == 1), kWholeValue}});
    else
        SendToCard({{L"DHRoom", DHRoom(), kWholeValue}});
}

void frmProfile::SendDolbyVirtualSpeaker(bool box) {
    if (box)
        SendToCard({{L"DVSEnable", EncodeFlag(chkDolbyVirtualSpeaker->Value() == 1), kWholeValue}});
    else
        SendToCard({{L"DVSMode", DVSMode(), kWholeValue}});
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

// The mode buttons, the levels and their labels are usable while the effect's box is on; off,
// the levels are kept aside and show the movie mode's fixed ones.
void frmProfile::EnableGraphControls(int panel) {
    const EffectPanelControls e = EffectPanel(panel);
    const bool on = e.check->Value() == 1;
    // Switched off, the levels show the movie mode's and keep the user's aside: that sends nothing
    // (the card keeps its levels, another program's too).
    ScopedValue<bool> parking(parkingGraphLevels_, !on);
    SetSliderEnabled(*e.width, on, kMovieWidth[panel == kPl2xPanel ? 0 : 1]);
    SetSliderEnabled(*e.depth, on, kMovieDepth);
    for (OptionButton* option : e.modes) option->SetEnabled(on);
    for (Label* label : e.labels) label->SetEnabled(on);
}

void frmProfile::GraphEffectChanged(bool pl2x, bool modeChanged) {
    const EffectPanelControls e = EffectPanel(pl2x ? kPl2xPanel : kNeoPanel);
    if (modeChanged) {
        const bool active = OptionSelected(e.modes, 0) && e.check->Value() == 1;
        SetSliderEnabled(*e.width, active, kMovieWidth[pl2x ? 0 : 1]);
        SetSliderEnabled(*e.depth, active, kMovieDepth);
    } else {
        EnableGraphControls(pl2x ? kPl2xPanel : kNeoPanel);
    }
    pl2x ? DrawPL2xGraph() : DrawNEOGraph();
    // A mode sets the levels with it (the movie mode's are fixed).
    if (modeChanged)
        SendGraphEffect(pl2x, {GraphPart::Mode, GraphPart::Width, GraphPart::Depth});
    else
        SendGraphEffect(pl2x, {GraphPart::Switch});
}

void frmProfile::WireEffectEvents() {
    // A virtualizer the output doesn't offer, which the real-time window shows on as another
    // program set it, leaves the effects under it as the output has them.
    chkDolbyHeadphones->Click = [this] {
        SendDolbyHeadphones(true);
        if (chkDolbyHeadphones->Enabled())
            UpdateVirtualizerControls(*chkDolbyHeadphones, *lblDolbyHeadphonesMode, *cboDolbyHeadphonesMode);
    };
    cboDolbyHeadphonesMode->Click = [this] { SendDolbyHeadphones(false); };
    chkDolbyVirtualSpeaker->Click = [this] {
        SendDolbyVirtualSpeaker(true);
        if (chkDolbyVirtualSpeaker->Enabled())
            UpdateVirtualizerControls(*chkDolbyVirtualSpeaker, *lblDolbyVirtualSpeakerMode,
                                      *cboDolbyVirtualSpeakerMode);
    };
    cboDolbyVirtualSpeakerMode->Click = [this] { SendDolbyVirtualSpeaker(false); };
    // The shifter's box sends its switch; its layout and ProLogic IIx go with it only where the
    // card holds what the editor last saw of them but not what the editor gives.
    chkVSS->Click = [this] {
        std::vector<ToSend> send{{L"EnableXear3D", EncodeFlag(chkVSS->Value() == 1), kWholeValue}};
        if (const auto layout = LiveChoice(!optVSSLayout[1]->Value(), L"VSpeakerPos", EncodeVSpeakerPos()))
            send.push_back({L"VSpeakerPos", *layout, {}});
        if (!realTimeMode_) send.push_back({L"Pl2xParam", LivePl2xParam(), {}});
        SendToCard(send);
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
            slider->Change = [this, pl2x, width = slider == e.width] {
                pl2x ? DrawPL2xGraph() : DrawNEOGraph();
                if (!parkingGraphLevels_) SendGraphEffect(pl2x, {width ? GraphPart::Width : GraphPart::Depth});
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
