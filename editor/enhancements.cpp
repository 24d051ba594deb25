// The effect panels of the Output page: which effects the card's behaviour table offers for the
// present output, whether each starts on, where the panels stand and how tall their frame is;
// and the output-dependent settings (swaps, headphone gain) that the new output can't use.
#include "device/effects.h"
#include "device/profilevalues.h"
#include "editor/controlvalues.h"
#include "editor/hpampdialog.h"
#include "editor/profileform.h"
#include "startup/catalogue.h"

namespace kal {
namespace {

constexpr int kFlushLeft = 240;  // twips
constexpr int kFrameMargin = 120;
constexpr int kCollapsedFrame = 20;

bool Offered(int behaviour) { return behaviour == 3 || behaviour == 4; }

void SetLeft(Control& c, int left) { c.Move(left, c.Top(), c.Width(), c.Height()); }
void SetTop(Control& c, int top) { c.Move(c.Left(), top, c.Width(), c.Height()); }

}  // namespace

std::uint8_t frmProfile::SelectedSPDIFFormat() const {
    return static_cast<std::uint8_t>(SelectedItemData(Get<ComboBox>(L"cboSPDIFOutput")));
}

std::wstring frmProfile::OutputMode() const {
    const std::uint8_t format = SelectedSPDIFFormat();
    if (format != 0 && format != 2) return format == 16 ? L"Dolby" : L"DTS";
    const std::wstring output = Output();
    return output.size() == 4 ? output.substr(2) : L"";
}

// The swap goes back to "Don't Set", or in the real-time window to the card's own value.
void frmProfile::ResetSwap(int which, const wchar_t* value) {
    swaps_[static_cast<std::size_t>(which)] = realTimeMode_ ? GetProfileValue(L"", value) : Bytes{255, 0, 0, 0};
}

void frmProfile::UpdateEnhancementsPanel(const std::wstring& mode) {
    const bool digital = mode == L"Dolby" || mode == L"DTS";
    // The two Dolby panels: shown, enabled and checked by their code.
    const struct {
        const wchar_t* effect;
        const wchar_t* check;
        const wchar_t* panel;
    } dolby[] = {{L"DVS", L"chkDolbyVirtualSpeaker", L"pctDolbyVirtualSpeaker"},
                 {L"DH", L"chkDolbyHeadphones", L"pctDolbyHeadphones"}};
    for (const auto& d : dolby) {
        const int b = EffectBehavior(d.effect, Speakers(), mode);
        auto& check = Get<CheckBox>(d.check);
        check.SetValue(b == 4 ? 1 : 0);
        check.SetEnabled(Offered(b));
        check.SetTag(std::to_wstring(b));
        Ctl(d.panel).SetVisible(b != 0);
        Ctl(d.panel).SetTag(std::to_wstring(b));
    }
    // The speaker shifter, ProLogic IIx and NEO:PC: indented under the Dolby panel with code 2,
    // else flush left and stacked.
    const struct {
        const wchar_t* effect;
        const wchar_t* check;
        const wchar_t* expand;
        const wchar_t* panel;
    } stacked[] = {{L"VSS", L"chkVSS", L"chkVSSExpand", L"pctVSS"},
                   {L"PL2X", L"chkDolby", L"chkPL2xExpand", L"pctDolby"},
                   {L"NEO", L"chkNeo", L"chkNEOExpand", L"pctNeo"}};
    for (std::size_t i = 0; i < 3; ++i) {
        const auto& s = stacked[i];
        const int b = EffectBehavior(s.effect, Speakers(), mode);
        auto& check = Get<CheckBox>(s.check);
        auto& expand = Get<CheckBox>(s.expand);
        Control& panel = Ctl(s.panel);
        SetLeft(check, b == 2 ? effectCheckLeft_ : kFlushLeft);
        SetLeft(expand, check.Left() - kFlushLeft);
        Control& vss = Ctl(L"pctVSS");
        Control& pl2x = Ctl(L"pctDolby");
        if (i == 0) {
            SetTop(panel, b == 2 ? vssPanelTop_ : Ctl(L"pctDolbyVirtualSpeaker").Top());
        } else if (i == 1) {
            SetTop(panel, vss.Tag() != L"0" ? vss.Top() + vss.Height() : vss.Top());
        } else {
            SetTop(panel, pl2x.Tag() != L"0"  ? pl2x.Top() + pl2x.Height()
                          : vss.Tag() != L"0" ? vss.Top() + vss.Height()
                                              : vss.Top());
        }
        check.SetValue(b == 4 ? 1 : 0);
        check.SetEnabled(Offered(b));
        panel.SetVisible(b != 0);
        if (expand.Value() == 1 && b == 0) expand.SetValue(0);
        panel.SetTag(std::to_wstring(b));
        if (i == 1)
            check.SetCaption(digital         ? L"SPDIF stereo upmix via Dolby PLIIx"
                             : mode == L"01" ? L"Dolby ProLogic IIx"
                                             : L"Analog upmix via Dolby PLIIx");
    }
    // Settings the new output can't use.
    if (mode != L"01") ResetSwap(0, L"HeadphoneLRXchg");
    const int upmixChannels = Get<ComboBox>(L"cboSpeakersLayout").ListIndex() == 0 ? 2 : Speakers();
    Ctl(L"cboStereoUpmix").SetEnabled(Offered(EffectBehavior(L"SUM", upmixChannels, mode)));
    if ((mode != L"07" && mode != L"06") || digital) ResetSwap(1, L"CenterBassXchg");
    if (mode != L"07") ResetSwap(2, L"SideRearXchg");
    if (gCardCaps && gCardCaps->HPAmp && mode != L"01")
        if (frmHpImpedanceMode* amp = HpImpedanceDialog()) amp->Get<ComboBox>(L"cboHpAmp").SetListIndex(0);

    // The frame holds the shown panels and collapses when there are none.
    Control& content = Ctl(L"pctEnhancements");
    Control& frame = Ctl(L"fraEnhancements");
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
