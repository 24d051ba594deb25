// The effect panels of the Output page: which effects the card's behaviour table offers for the
// present output, whether each starts on, where the panels stand and how tall their frame is;
// and the output-dependent settings (swaps, headphone gain) that the new output can't use.
#include "device/effects.h"
#include "device/portable/texts.h"
#include "device/profilevalues.h"
#include "editor/controlvalues.h"
#include "editor/hpampdialog.h"
#include "editor/profileform.h"
#include "startup/catalogue.h"

#include <functional>
#include <utility>

namespace kal {
namespace {

constexpr int kFlushLeft = 240;  // twips
constexpr int kFrameMargin = 120;
constexpr int kCollapsedFrame = 20;

bool Offered(int behaviour) { return behaviour == 3 || behaviour == 4; }

void SetLeft(Control& c, int left) { c.Move(left, c.Top(), c.Width(), c.Height()); }
void SetTop(Control& c, int top) { c.Move(c.Left(), top, c.Width(), c.Height()); }

}  // namespace

// The chosen format; with the output on and no entry chosen, the loaded format that the list
// has no entry for.
std::uint8_t frmProfile::SelectedSPDIFFormat() const {
    const auto& formats = *cboSPDIFOutput;
    if (formats.ListIndex() < 0 && chkSPDIF->Value() == 1) return unlistedDigital_;
    return static_cast<std::uint8_t>(SelectedItemData(formats));
}

std::wstring frmProfile::OutputMode() const {
    const std::uint8_t format = SelectedSPDIFFormat();
    if (format != 0 && format != 2) return format == 16 ? L"Dolby" : L"DTS";
    const std::wstring output = Output();
    return output.size() == 4 ? output.substr(2) : L"";
}

// The swap shows the card's own value.
void frmProfile::ResetSwap(int which, const wchar_t* value) {
    swaps_[static_cast<std::size_t>(which)] = GetProfileValue(L"", value);
}

// Left/right swaps headphones; centre/bass needs 5.1 or 7.1 analog; side/rear needs 7.1.
bool frmProfile::SwapUsed(int which, const std::wstring& mode) {
    if (which == 0) return mode == L"01";
    if (which == 1) return mode == L"06" || mode == L"07";
    return mode == L"07";
}

// An effect box's value for the profile: what it shows, or while the output doesn't offer it,
// what it held when the output last did.
bool frmProfile::EffectOn(const CheckBox& box) const {
    if (!box.Enabled())
        if (const auto kept = record_.Kept(AsideKey(box) + L"@hidden")) return *kept == 1;
    return box.Value() == 1;
}

// The editor of a profile keeps each effect box's value aside before the output changes: a box
// the new output hides saves it as the profile's value and shows it again when an output offers
// the box once more.
void frmProfile::KeepEffectsAside() {
    for (CheckBox* box : AecEffects()) {
        const std::wstring key = AsideKey(*box) + L"@hidden";
        // A box hidden since the load keeps what the profile loaded into it.
        if (box->Enabled() || !record_.Kept(key)) record_.Keep(key, box->Value());
    }
}

// The real-time window shows each box's default for the output. The editor of a profile keeps
// the user's value while the output offers the box; a box offered again shows what it held when
// last offered, after a change from outside too; a box not offered is cleared (EffectOn gives
// its kept value), except while following the card.
void frmProfile::ShowEffectBox(CheckBox& box, int behaviour) {
    if (realTimeMode_ || !Offered(behaviour)) {
        if (!followingCard_)
            box.SetValue(behaviour == 4 ? 1 : 0);
        else if (realTimeMode_ && Offered(behaviour))
            // Another program's output: the effect as the card holds it.
            box.SetValue(CardEffectOn(box) ? 1 : 0);
    } else if (!box.Enabled()) {
        if (const auto kept = record_.Kept(AsideKey(box) + L"@hidden")) box.SetValue(*kept);
    }
}

// The card's value that switches the effect of `box`, and whether `value` of it has it on.
const wchar_t* frmProfile::EffectValueName(const CheckBox& box) const {
    if (&box == chkDolbyHeadphones) return L"DHEnable";
    if (&box == chkDolbyVirtualSpeaker) return L"DVSEnable";
    if (&box == chkVSS) return L"EnableXear3D";
    return &box == chkDolby ? L"Pl2xParam" : L"NeoParam";
}

bool frmProfile::EffectValueOn(const CheckBox& box, const Bytes& value) const {
    if (&box == chkDolby) return DecodePl2xParam(value).on;
    if (&box == chkNeo) return DecodeNeoParam(value).on;
    return FirstByte(value) == 1;
}

bool frmProfile::CardEffectOn(const CheckBox& box) const {
    return EffectValueOn(box, GetProfileValue(L"", EffectValueName(box)));
}

std::array<bool, 5> frmProfile::EffectsEnabled() const {
    std::array<bool, 5> out{};
    const std::array<CheckBox*, 5> effects = AecEffects();
    for (std::size_t i = 0; i < effects.size(); ++i) out[i] = effects[i]->Enabled();
    return out;
}

// In the live editor an effect box that comes back (an output that offers it, a Dolby
// virtualizer turned on) goes to the card as it shows: while it was away the card kept what
// another program set, or a reload of the profile didn't reach it.
void frmProfile::SendReturningEffects(const std::array<bool, 5>& wasEnabled) {
    if (realTimeMode_ || liveProfileName_.empty() || record_.Locked()) return;
    const std::array<CheckBox*, 5> effects = AecEffects();
    for (std::size_t i = 0; i < effects.size(); ++i) {
        CheckBox& box = *effects[i];
        if (!wasEnabled[i] && box.Enabled() && (box.Value() == 1) != CardEffectOn(box) && box.Click) box.Click();
    }
}

// The headphone gain list stands for the output's panel: another panel keeps the list's choice
// aside for the panel it leaves and shows the new one's, as kept or as the profile holds it.
void frmProfile::ShowPanelGain() {
    frmHpImpedanceMode* amp = gCardCaps && gCardCaps->HPAmp ? HpImpedanceDialog() : nullptr;
    const Bytes to = PanelConfig();
    if (!amp || ampPanel_.empty() || to.empty()) return;
    // Showing the new panel's gain sends nothing: the card is still on the panel the output
    // leaves, whose gain the list's own send would overwrite; the output's send carries the gain.
    ComboBox& list = *amp->cboHpAmp;
    struct ClickHeld {
        ComboBox& box;
        std::function<void()> click = std::exchange(box.Click, nullptr);
        ~ClickHeld() { box.Click = std::move(click); }
    } held{list};
    // The real-time window shows the card's gain of the panel it goes to, as the card holds it
    // now: another program may have set it within the second after the window's own send.
    if (realTimeMode_) {
        amp->CurrentAmp(L"", to);
        ampPanel_ = to;
        return;
    }
    if (FirstByte(ampPanel_) == FirstByte(to)) return;
    record_.Keep(L"cboHpAmp@" + HpImpedanceValueName(ampPanel_), list.ListIndex());
    if (const auto kept = record_.Take(L"cboHpAmp@" + HpImpedanceValueName(to))) {
        list.SetListIndex(*kept);
    } else {
        amp->CurrentAmp(Tag(), to);
    }
    ampPanel_ = to;
}

// The list index kept aside for the gain of panel value `name` (-1: no entry); none when the
// list doesn't keep one.
std::optional<int> frmProfile::KeptPanelGain(const std::wstring& name) const {
    return record_.Kept(L"cboHpAmp@" + name);
}

void frmProfile::UpdateEnhancementsPanel(const std::wstring& mode) {
    const bool digital = mode == L"Dolby" || mode == L"DTS";
    const std::array<bool, 5> wasEnabled = EffectsEnabled();
    if (!realTimeMode_) KeepEffectsAside();
    // The two Dolby panels: shown, enabled and checked by their code.
    const struct {
        const wchar_t* effect;
        CheckBox* check;
        PictureBox* panel;
    } dolby[] = {{L"DVS", chkDolbyVirtualSpeaker, pctDolbyVirtualSpeaker},
                 {L"DH", chkDolbyHeadphones, pctDolbyHeadphones}};
    for (const auto& d : dolby) {
        const int b = EffectBehavior(d.effect, Speakers(), mode);
        auto& check = *d.check;
        ShowEffectBox(check, b);
        check.SetEnabled(Offered(b));
        check.SetTag(std::to_wstring(b));
        d.panel->SetVisible(b != 0);
        d.panel->SetTag(std::to_wstring(b));
    }
    // The speaker shifter, ProLogic IIx and NEO:PC: indented under the Dolby panel with code 2,
    // else flush left and stacked.
    static const wchar_t* const stacked[] = {L"VSS", L"PL2X", L"NEO"};  // in EffectPanel's order
    for (int i = 0; i < 3; ++i) {
        const EffectPanelControls parts = EffectPanel(i);
        const int b = EffectBehavior(stacked[i], Speakers(), mode);
        auto& check = *parts.check;
        auto& expand = *parts.expand;
        Control& panel = *parts.panel;
        SetLeft(check, b == 2 ? effectCheckLeft_ : kFlushLeft);
        SetLeft(expand, check.Left() - kFlushLeft);
        Control& vss = *pctVSS;
        Control& pl2x = *pctDolby;
        if (i == 0) {
            SetTop(panel, b == 2 ? vssPanelTop_ : pctDolbyVirtualSpeaker->Top());
        } else if (i == 1) {
            SetTop(panel, vss.Tag() != L"0" ? vss.Top() + vss.Height() : vss.Top());
        } else {
            SetTop(panel, pl2x.Tag() != L"0"  ? pl2x.Top() + pl2x.Height()
                          : vss.Tag() != L"0" ? vss.Top() + vss.Height()
                                              : vss.Top());
        }
        ShowEffectBox(check, b);
        check.SetEnabled(Offered(b));
        panel.SetVisible(b != 0);
        if (expand.Value() == 1 && b == 0) expand.SetValue(0);
        panel.SetTag(std::to_wstring(b));
        if (i == 1)
            check.SetCaption(digital         ? L"SPDIF stereo upmix via Dolby PLIIx"
                             : mode == L"01" ? L"Dolby ProLogic IIx"
                                             : L"Analog upmix via Dolby PLIIx");
    }
    // The effects under a Dolby virtualizer that is on stay usable, as its own box makes them.
    if (chkDolbyHeadphones->Enabled() && chkDolbyHeadphones->Value() == 1)
        UpdateVirtualizerControls(*chkDolbyHeadphones, *lblDolbyHeadphonesMode, *cboDolbyHeadphonesMode);
    if (chkDolbyVirtualSpeaker->Enabled() && chkDolbyVirtualSpeaker->Value() == 1)
        UpdateVirtualizerControls(*chkDolbyVirtualSpeaker, *lblDolbyVirtualSpeakerMode, *cboDolbyVirtualSpeakerMode);
    UpdateModeList(*chkDolbyHeadphones, *lblDolbyHeadphonesMode, *cboDolbyHeadphonesMode);
    UpdateModeList(*chkDolbyVirtualSpeaker, *lblDolbyVirtualSpeakerMode, *cboDolbyVirtualSpeakerMode);
    const int upmixChannels = cboSpeakersLayout->ListIndex() == 0 ? 2 : Speakers();
    cboStereoUpmix->SetEnabled(Offered(EffectBehavior(L"SUM", upmixChannels, mode)));
    SendReturningEffects(wasEnabled);
    // The real-time window's output shows each effect at its default: a box that already showed
    // it raised no click, while the card may hold another value there (one it kept while the
    // output hid the effect). Such a box sends what it shows.
    if (realTimeMode_ && !followingCard_ && !liveProfileName_.empty() && !record_.Locked())
        for (CheckBox* box : AecEffects())
            if (box->Enabled() && (box->Value() == 1) != CardEffectOn(*box) && box->Click) box->Click();
    // Settings the new output can't use: the real-time window shows the card's own; the editor
    // of a profile keeps the user's choices aside, saved as they are and shown again with an
    // output that has them (live mode doesn't send them meanwhile).
    if (realTimeMode_) {
        static const wchar_t* const swaps[3] = {L"HeadphoneLRXchg", L"CenterBassXchg", L"SideRearXchg"};
        for (int i = 0; i < 3; ++i)
            if (!SwapUsed(i, mode)) ResetSwap(i, swaps[i]);
    }

    // The frame holds the shown panels and collapses when there are none.
    Control& content = *pctEnhancements;
    Control& frame = *fraEnhancements;
    frame.SetVisible(true);
    int total = 0;
    for (Control* c : Controls())
        if (c->Window() && ::GetParent(c->Window()) == content.Window() && c->Tag() != L"0") total += c->Height();
    content.Move(content.Left(), content.Top(), content.Width(), total);
    const int target = total != 0 ? total + content.Top() + kFrameMargin : kCollapsedFrame;
    frame.Move(frame.Left(), frame.Top(), frame.Width(), target);
    frame.SetVisible(frame.Height() > kCollapsedFrame);
}

}  // namespace kal
