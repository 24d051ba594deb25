// The effect graphs of Dolby ProLogic IIx and DTS NEO:PC (a depth disc and a width wedge over a
// fixed picture of a 7.1 set-up drawn once per window) and the expanding and collapsing of the
// three effect panels that have detail.
#include <cmath>
#include <numbers>

#include "editor/drawing.h"
#include "editor/hooks.h"
#include "editor/profileform.h"

namespace kal {
namespace {

constexpr int kExpandedHeight = 4065;
constexpr int kCollapsedHeight = 375;
constexpr float kGraphDiameter = 182;

SIZE ClientSize(HWND window) {
    RECT r{};
    ::GetClientRect(window, &r);
    return {r.right, r.bottom};
}

void DrawSpeakerIcon(HDC dc, float cx, float cy, float r, float angle, const wchar_t* caption, std::uint32_t colour) {
    const double a = angle / 180.0 * std::numbers::pi;
    const auto left = static_cast<float>(r * std::sin(a) + cx - 16);
    const auto top = static_cast<float>(cy - r * std::cos(a) - 16);
    DrawCaptionGdip(L"SPEAKER", kPictureType, dc, left, top, 0, 0, angle, caption, nullptr, colour, 100);
}

}  // namespace

void frmProfile::DrawEffectGraphBackground() {
    auto& model = *pctPL2xGraph;
    const SIZE size = ClientSize(model.Window());
    const auto w = static_cast<float>(size.cx), h = static_cast<float>(size.cy);
    effectGraphCentreX_ = w / 2;
    effectGraphCentreY_ = h / 2 - 4 + 7;
    UniqueDC dc(::CreateCompatibleDC(model.hDC()));
    UniqueBitmap bitmap(::CreateCompatibleBitmap(model.hDC(), size.cx, size.cy));
    if (!dc || !bitmap) return;
    {
        SelectGuard select(dc.get(), bitmap.get());
        RECT all{0, 0, size.cx, size.cy};
        ::FillRect(dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        const std::uint32_t border = TranslateOleColor(ContentBorderColour());
        DrawRectangleGdip(dc.get(), border, w - 1, h - 1, 1, false, 0, 0);
        DrawCaptionGdip(L"SOUND_FIELD_LINES", kPictureType, dc.get(), (w - 198) / 2, (h - 198) / 2 + 7, 0, 0, 0, L"",
                        nullptr, 0, 100);
        DrawCaptionGdip(L"SOUND_FIELD_MAN", kPictureType, dc.get(), (w - 198) / 2, (h - 198) / 2 + 7 - 4, 0, 0, 0, L"",
                        nullptr, 0, 100);
        DrawCaptionGdip(L"SUBWOOFER", kPictureType, dc.get(), 260, 20, 0, 0, 0, L"SW", nullptr, border, 100);
        const struct {
            const wchar_t* caption;
            float angle;
        } speakers[] = {{L"L", -45}, {L"C", 0}, {L"R", 45}, {L"Rs", 120}, {L"Rb", 160}, {L"Lb", 200}, {L"Ls", 240}};
        for (const auto& s : speakers)
            DrawSpeakerIcon(dc.get(), effectGraphCentreX_, effectGraphCentreY_, 80, s.angle, s.caption, border);
    }
    effectGraphBackground_ = std::move(bitmap);
}

frmProfile::EffectPanelControls frmProfile::EffectPanel(int panel) const {
    switch (panel) {
    case kPl2xPanel:
        return {pctDolby,
                chkPL2xExpand,
                chkDolby,
                pctPL2xGraph,
                optPL2xMode,
                csliPL2xWidth,
                csliPL2xDepth,
                {lblPL2xWidthNarrow, lblPL2xWidthWide, lblPL2xDepthFront, lblPL2xDepthRear},
                cmdResetPL2xGraphSliders};
    case kNeoPanel:
        return {pctNeo,
                chkNEOExpand,
                chkNeo,
                pctNEOGraph,
                optNEOMode,
                csliNEOWidth,
                csliNEODepth,
                {lblNEOWidthNarrow, lblNEOWidthWide, lblNEODepthFront, lblNEODepthRear},
                cmdResetNEOGraphSliders};
    default: return {pctVSS, chkVSSExpand, chkVSS, VSSGraph};
    }
}

void frmProfile::DrawEffectGraph(int panel) {
    const EffectPanelControls parts = EffectPanel(panel);
    auto& graph = *parts.graph;
    if (effectGraphBackground_) {
        const SIZE size = ClientSize(graph.Window());
        UniqueDC dc(::CreateCompatibleDC(graph.hDC()));
        SelectGuard select(dc.get(), effectGraphBackground_.get());
        ::BitBlt(graph.hDC(), 0, 0, size.cx, size.cy, dc.get(), 0, 0, SRCCOPY);
    }
    const bool movie = parts.modes[1]->Value();
    const bool greyed = parts.check->Value() == 0;
    const int depth = movie ? 7 : parts.depth->Value();
    DrawGradientEllipse(graph.hDC(), effectGraphCentreX_, effectGraphCentreY_, kGraphDiameter, depth, greyed);
    const int width = movie ? 0 : parts.width->Value();
    DrawArcGdip(graph.hDC(), effectGraphCentreX_, effectGraphCentreY_, kGraphDiameter, width, greyed);
    graph.Refresh();
}

void frmProfile::DrawPL2xGraph() { DrawEffectGraph(kPl2xPanel); }

void frmProfile::DrawNEOGraph() { DrawEffectGraph(kNeoPanel); }

void frmProfile::ExpandVSSPanel(bool expand) { ExpandPanel(kVssPanel, expand); }
void frmProfile::ExpandPL2xPanel(bool expand) { ExpandPanel(kPl2xPanel, expand); }
void frmProfile::ExpandNEOPanel(bool expand) { ExpandPanel(kNeoPanel, expand); }

void frmProfile::ExpandPanel(int which, bool expand) {
    if (expand) {
        for (int other : {kVssPanel, kPl2xPanel, kNeoPanel})
            if (other != which) EffectPanel(other).expand->SetValue(0);
    } else {
        SetPanelExpanded(which, false);
    }
    Control& panel = *EffectPanel(which).panel;
    const int height = expand ? kExpandedHeight : kCollapsedHeight;
    const int delta = height - panel.Height();
    for (Control* c : ControlList{fraEnhancements, pctEnhancements})
        c->Move(c->Left(), c->Top(), c->Width(), c->Height() + delta);
    // The panels below this one, in their stacking order.
    for (int below = which + 1; below <= kNeoPanel; ++below) {
        Control& c = *EffectPanel(below).panel;
        c.Move(c.Left(), c.Top() + delta, c.Width(), c.Height());
    }
    panel.Move(panel.Left(), panel.Top(), panel.Width(), height);
    if (expand) SetPanelExpanded(which, true);
    ::InvalidateRect(fraEnhancements->Window(), nullptr, TRUE);
}

void frmProfile::SetPanelExpanded(int which, bool shown) {
    const EffectPanelControls parts = EffectPanel(which);
    auto& panel = *parts.panel;
    if (!shown) panel.Cls();
    const std::uint32_t colour = shown ? panelColour_ : TranslateOleColor(0x8000000F);
    if (hooks_) hooks_->Tint(parts.check->Window(), colour);
    parts.graph->SetVisible(shown);
    if (which == kVssPanel) {
        fraVSSLayouts->SetVisible(shown);
        for (CommandButton* c : cmdVSSSpeakerDistance) c->SetVisible(shown);
    } else {
        for (OptionButton* c : parts.modes) c->SetVisible(shown);
        const bool music = shown && parts.modes[0]->Value();
        for (Control* c : ControlList{parts.width, parts.depth, parts.labels[0], parts.labels[1], parts.labels[2],
                                      parts.labels[3], parts.reset})
            c->SetVisible(music);
    }
    if (shown) {
        panel.SetBackColor(panelColour_);
        const SIZE size = ClientSize(panel.Window());
        DrawRectangleGdip(panel.hDC(), ContentBorderColour(), static_cast<float>(size.cx - 1),
                          static_cast<float>(size.cy - 5), 1, true, colour, 100);
        panel.Refresh();
    } else {
        panel.SetBackColor(TranslateOleColor(0x8000000F));
    }
}

void frmProfile::WireGraphEvents() {
    for (int which : {kVssPanel, kPl2xPanel, kNeoPanel}) {
        const EffectPanelControls parts = EffectPanel(which);
        auto& expand = *parts.expand;
        expand.Click = [this, &expand, which] { ExpandPanel(which, expand.Value() == 1); };
        if (which == kVssPanel) continue;
        const bool pl2x = which == kPl2xPanel;
        auto redraw = [this, which] { DrawEffectGraph(which); };
        parts.check->Click = redraw;
        for (OptionButton* c : parts.modes) {
            c->Click = [this, redraw, which, expandBox = &expand] {
                if (expandBox->Value() == 1) SetPanelExpanded(which, true);
                redraw();
            };
        }
        parts.width->Change = redraw;
        parts.depth->Change = redraw;
        parts.reset->Click = [width = parts.width, depth = parts.depth, pl2x] {
            width->SetValue(pl2x ? 3 : 4);
            depth->SetValue(7);
        };
    }
}

}  // namespace kal
