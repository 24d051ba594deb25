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

struct PanelParts {
    const wchar_t* panel;
    const wchar_t* expand;
    const wchar_t* check;
    const wchar_t* colourModel;  // the control whose colour the check box takes while shown
    const wchar_t* graph;
    const wchar_t* prefix;       // "PL2x", "NEO"; null for the speaker shifter
};

constexpr PanelParts kPanels[] = {
    {L"pctVSS", L"chkVSSExpand", L"chkVSS", L"fraVSSLayouts", L"VSSGraph", nullptr},
    {L"pctDolby", L"chkPL2xExpand", L"chkDolby", L"lblPL2xWidthNarrow", L"pctPL2xGraph", L"PL2x"},
    {L"pctNeo", L"chkNEOExpand", L"chkNeo", L"lblNEOWidthNarrow", L"pctNEOGraph", L"NEO"},
};

const PanelParts* FindPanel(const std::wstring& panel) {
    for (const PanelParts& p : kPanels)
        if (panel == p.panel) return &p;
    return nullptr;
}

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
    auto& model = Get<PictureBox>(L"pctPL2xGraph");
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

void frmProfile::DrawEffectGraph(const wchar_t* graphName, const wchar_t* mode, const wchar_t* depthName,
                                 const wchar_t* widthName, const wchar_t* check) {
    auto& graph = Get<PictureBox>(graphName);
    if (effectGraphBackground_) {
        const SIZE size = ClientSize(graph.Window());
        UniqueDC dc(::CreateCompatibleDC(graph.hDC()));
        SelectGuard select(dc.get(), effectGraphBackground_.get());
        ::BitBlt(graph.hDC(), 0, 0, size.cx, size.cy, dc.get(), 0, 0, SRCCOPY);
    }
    const bool movie = Get<OptionButton>(mode, 1).Value();
    const bool greyed = Get<CheckBox>(check).Value() == 0;
    const int depth = movie ? 7 : Get<Slider>(depthName).Value();
    DrawGradientEllipse(graph.hDC(), effectGraphCentreX_, effectGraphCentreY_, kGraphDiameter, depth, greyed);
    const int width = movie ? 0 : Get<Slider>(widthName).Value();
    DrawArcGdip(graph.hDC(), effectGraphCentreX_, effectGraphCentreY_, kGraphDiameter, width, greyed);
    graph.Refresh();
}

void frmProfile::DrawPL2xGraph() {
    DrawEffectGraph(L"pctPL2xGraph", L"optPL2xMode", L"csliPL2xDepth", L"csliPL2xWidth", L"chkDolby");
}

void frmProfile::DrawNEOGraph() {
    DrawEffectGraph(L"pctNEOGraph", L"optNEOMode", L"csliNEODepth", L"csliNEOWidth", L"chkNeo");
}

void frmProfile::ExpandVSSPanel(bool expand) { ExpandPanel(L"pctVSS", expand); }
void frmProfile::ExpandPL2xPanel(bool expand) { ExpandPanel(L"pctDolby", expand); }
void frmProfile::ExpandNEOPanel(bool expand) { ExpandPanel(L"pctNeo", expand); }

void frmProfile::ExpandPanel(const wchar_t* panelName, bool expand) {
    const PanelParts* parts = FindPanel(panelName);
    if (!parts) return;
    if (expand) {
        for (const PanelParts& other : kPanels)
            if (&other != parts) Get<CheckBox>(other.expand).SetValue(0);
    } else {
        SetPanelExpanded(panelName, false);
    }
    Control& panel = Ctl(panelName);
    const int height = expand ? kExpandedHeight : kCollapsedHeight;
    const int delta = height - panel.Height();
    for (const wchar_t* name : {L"fraEnhancements", L"pctEnhancements"}) {
        Control& c = Ctl(name);
        c.Move(c.Left(), c.Top(), c.Width(), c.Height() + delta);
    }
    // The panels below this one, in their stacking order.
    bool below = false;
    for (const PanelParts& other : kPanels) {
        if (below) {
            Control& c = Ctl(other.panel);
            c.Move(c.Left(), c.Top() + delta, c.Width(), c.Height());
        }
        if (&other == parts) below = true;
    }
    panel.Move(panel.Left(), panel.Top(), panel.Width(), height);
    if (expand) SetPanelExpanded(panelName, true);
    ::InvalidateRect(Ctl(L"fraEnhancements").Window(), nullptr, TRUE);
}

void frmProfile::SetPanelExpanded(const wchar_t* panelName, bool shown) {
    const PanelParts* parts = FindPanel(panelName);
    if (!parts) return;
    auto& panel = Get<PictureBox>(panelName);
    if (!shown) panel.Cls();
    const std::uint32_t colour = shown ? panelColour_ : TranslateOleColor(0x8000000F);
    Control& check = Ctl(parts->check);
    if (hooks_) hooks_->Tint(check.Window(), colour);
    Ctl(parts->graph).SetVisible(shown);
    if (!parts->prefix) {
        Ctl(L"fraVSSLayouts").SetVisible(shown);
        for (Control* c : ControlArray(L"cmdVSSSpeakerDistance")) c->SetVisible(shown);
    } else {
        const std::wstring p = parts->prefix;
        for (Control* c : ControlArray(L"opt" + p + L"Mode")) c->SetVisible(shown);
        const bool music = shown && Get<OptionButton>(L"opt" + p + L"Mode", 0).Value();
        for (const std::wstring& name : {L"csli" + p + L"Width", L"csli" + p + L"Depth", L"lbl" + p + L"WidthNarrow",
                                         L"lbl" + p + L"WidthWide", L"lbl" + p + L"DepthFront", L"lbl" + p + L"DepthRear",
                                         L"cmdReset" + p + L"GraphSliders"})
            Ctl(name).SetVisible(music);
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
    for (const PanelParts& p : kPanels) {
        auto& expand = Get<CheckBox>(p.expand);
        expand.Click = [this, &expand, panel = p.panel] { ExpandPanel(panel, expand.Value() == 1); };
        if (!p.prefix) continue;
        const std::wstring prefix = p.prefix;
        const bool pl2x = prefix == L"PL2x";
        auto redraw = [this, pl2x] { pl2x ? DrawPL2xGraph() : DrawNEOGraph(); };
        Ctl(p.check).Click = redraw;
        for (Control* c : ControlArray(L"opt" + prefix + L"Mode")) {
            c->Click = [this, redraw, panel = p.panel, expandBox = &expand] {
                if (expandBox->Value() == 1) SetPanelExpanded(panel, true);
                redraw();
            };
        }
        Ctl(L"csli" + prefix + L"Width").Change = redraw;
        Ctl(L"csli" + prefix + L"Depth").Change = redraw;
        Ctl(L"cmdReset" + prefix + L"GraphSliders").Click = [this, prefix, pl2x] {
            Get<Slider>(L"csli" + prefix + L"Width").SetValue(pl2x ? 3 : 4);
            Get<Slider>(L"csli" + prefix + L"Depth").SetValue(7);
        };
    }
}

}  // namespace kal
