// The Output page: Windows channels and playback format, the analog and digital outputs, the
// stereo upmix, and the five effect panels with the speaker field and the effect graphs.
#include "editor/designrows.h"

namespace kal {

using namespace design;

namespace {

constexpr int kPanelWidth = 488;
constexpr int kCollapsed = 25;  // 375 twips

void AddOutputFrames(EditorDesign& d, const std::wstring& page) {
    auto& c = d.controls;
    c.push_back(Row(ControlType::Frame, L"fraChannels", -1, L"A&udio Channels", 8, 6, 250, 62, page));
    c.push_back(Row(ControlType::PictureBox, L"pctSpeakersLayout", -1, L"", 6, 16, 238, 42, L"fraChannels"));
    c.push_back(Row(ControlType::Label, L"lblSpeakersLayout", -1, L"OS Speakers Layout / Source Channels", 2, 0, 234, 16,
                    L"pctSpeakersLayout"));
    c.push_back(Row(ControlType::ComboBox, KAL_CONTROL(frmProfile, cboSpeakersLayout), -1, L"", 2, 18, 232, 22,
                    L"pctSpeakersLayout"));

    c.push_back(Row(ControlType::Frame, L"fraAnalog", -1, L"&Analog", 8, 72, 250, 52, page));
    c.push_back(Row(ControlType::PictureBox, L"pctAnalogOutput", -1, L"", 6, 16, 238, 32, L"fraAnalog"));
    c.push_back(Row(ControlType::ComboBox, KAL_CONTROL(frmProfile, cboAnalogOutput), -1, L"", 2, 4, 176, 22,
                    L"pctAnalogOutput"));
    c.push_back(Row(ControlType::CommandButton, KAL_CONTROL(frmProfile, cmdAnalogOutputSettings), -1, L"Set", 184, 3,
                    50, 24, L"pctAnalogOutput"));
    c.push_back(Row(ControlType::CommandButton, KAL_CONTROL(frmProfile, cmdHpAmp), -1, L"Amp", 184, 3, 50, 24,
                    L"pctAnalogOutput"));

    c.push_back(Row(ControlType::Frame, L"fraStereoUpmix", -1, L"Surround Max (Stereo Upmix)", 8, 128, 250, 52, page));
    c.push_back(Row(ControlType::PictureBox, L"pctStereoUpmix", -1, L"", 6, 16, 238, 32, L"fraStereoUpmix"));
    c.push_back(
        Row(ControlType::ComboBox, KAL_CONTROL(frmProfile, cboStereoUpmix), -1, L"", 2, 4, 232, 22, L"pctStereoUpmix"));

    c.push_back(Row(ControlType::Frame, L"fraPlaybackParameters", -1, L"Playback Parameters", 266, 6, 246, 118, page));
    const std::wstring rate = L"pctSampleRate";
    c.push_back(Row(ControlType::PictureBox, rate.c_str(), -1, L"", 6, 16, 234, 98, L"fraPlaybackParameters"));
    c.push_back(Row(ControlType::Label, L"lblCardSampleRate", -1, L"Card Sample Rate", 2, 8, 104, 16, rate));
    c.push_back(Row(ControlType::ComboBox, KAL_CONTROL(frmProfile, cboSampleRate), -1, L"", 108, 4, 124, 22, rate));
    c.push_back(Row(ControlType::Label, KAL_CONTROL(frmProfile, lblSystemPlayBackQuality), -1,
                    L"Bit Depth ------- System --- Sample Rate", 2, 44, 230, 16, rate));
    c.push_back(Row(ControlType::ComboBox, KAL_CONTROL(frmProfile, cboBitDepth), -1, L"", 2, 64, 102, 22, rate));
    c.push_back(Row(ControlType::CheckBox, KAL_CONTROL(frmProfile, chkSyncSampleRates), -1, L"", 106, 63, 22, 24, rate,
                    kPushLike));
    c.push_back(
        Row(ControlType::ComboBox, KAL_CONTROL(frmProfile, cboSystemSampleRate), -1, L"", 130, 64, 102, 22, rate));

    c.push_back(Row(ControlType::Frame, L"fraDigital", -1, L"&Digital (SPDIF)", 266, 128, 246, 52, page));
    c.push_back(Row(ControlType::PictureBox, L"pctDigitalOutput", -1, L"", 6, 16, 234, 32, L"fraDigital"));
    c.push_back(
        Row(ControlType::CheckBox, KAL_CONTROL(frmProfile, chkSPDIF), -1, L"", 2, 6, 18, 18, L"pctDigitalOutput"));
    c.push_back(Row(ControlType::ComboBox, KAL_CONTROL(frmProfile, cboSPDIFOutput), -1, L"", 26, 4, 206, 22,
                    L"pctDigitalOutput"));
}

// A panel with a mode list: Dolby Headphones or Dolby Virtual Speaker.
void AddModePanel(EditorDesign& d, const ControlName& panel, int top, const ControlName& check,
                  const wchar_t* checkCaption, const ControlName& label, const wchar_t* labelCaption,
                  const ControlName& combo) {
    auto& c = d.controls;
    c.push_back(Row(ControlType::PictureBox, panel, -1, L"", 0, top, kPanelWidth, kCollapsed, L"pctEnhancements"));
    c.push_back(Row(ControlType::CheckBox, check, -1, checkCaption, 16, 4, 148, 18, panel.name));
    c.push_back(Row(ControlType::Label, label, -1, labelCaption, 164, 5, 192, 16, panel.name, SS_RIGHT));
    c.push_back(Row(ControlType::ComboBox, combo, -1, L"", 360, 1, 124, 22, panel.name));
}

void AddVssPanel(EditorDesign& d, int top) {
    auto& c = d.controls;
    const std::wstring vss = L"pctVSS";
    c.push_back(Row(ControlType::PictureBox, KAL_CONTROL(frmProfile, pctVSS), -1, L"", 0, top, kPanelWidth, kCollapsed,
                    L"pctEnhancements"));
    c.push_back(
        Row(ControlType::CheckBox, KAL_CONTROL(frmProfile, chkVSSExpand), -1, L"+", 16, 3, 16, 19, vss, kPushLike));
    c.push_back(Row(ControlType::CheckBox, KAL_CONTROL(frmProfile, chkVSS), -1, L"7.1 Virtual Speaker Shifter", 32, 4,
                    220, 18, vss));
    c.push_back(Row(ControlType::PictureBox, KAL_CONTROL(frmProfile, VSSGraph), -1, L"", 16, 27, 240, 240, vss));
    static const wchar_t* const labels[] = {L"L", L"R", L"C", L"SW", L"Ls", L"Rs", L"Lb", L"Rb"};
    for (int i = 0; i < 8; ++i) {
        c.push_back(
            Row(ControlType::PictureBox, KAL_CONTROL(frmProfile, VSSSpeaker), i, L"", 108, 108, 24, 24, L"VSSGraph"));
        c.push_back(Row(ControlType::Label, KAL_CONTROL(frmProfile, lblVSSSpeaker), i, labels[i], 264, 0, 20, 14, vss));
    }
    c.push_back(Row(ControlType::CommandButton, KAL_CONTROL(frmProfile, cmdVSSSpeakerDistance), 0,
                    L"Increase Speakers Distance", 264, 241, 26, 26, vss, BS_ICON));
    c.push_back(Row(ControlType::CommandButton, KAL_CONTROL(frmProfile, cmdVSSSpeakerDistance), 1,
                    L"Decrease Speakers Distance", 294, 241, 26, 26, vss, BS_ICON));

    const std::wstring layouts = L"pctVSSLayouts";
    c.push_back(Row(ControlType::Frame, KAL_CONTROL(frmProfile, fraVSSLayouts), -1, L"Virtual Speaker Shifter Layout",
                    264, 27, 220, 208, vss));
    c.push_back(Row(ControlType::PictureBox, KAL_CONTROL(frmProfile, pctVSSLayouts), -1, L"", 6, 16, 208, 188,
                    L"fraVSSLayouts"));
    c.push_back(
        Row(ControlType::PictureBox, KAL_CONTROL(frmProfile, pctOptVSSLayout), -1, L"", 0, 0, 208, 22, layouts));
    c.push_back(Row(ControlType::OptionButton, KAL_CONTROL(frmProfile, optVSSLayout), 0, L"Don't Change", 2, 2, 104, 18,
                    L"pctOptVSSLayout"));
    c.push_back(Row(ControlType::OptionButton, KAL_CONTROL(frmProfile, optVSSLayout), 1, L"Set To:", 112, 2, 90, 18,
                    L"pctOptVSSLayout"));
    c.push_back(Row(ControlType::Frame, KAL_CONTROL(frmProfile, fraVSSUserLayouts), -1, L"User-Defined Layouts", 0, 26,
                    208, 82, layouts));
    c.push_back(Row(ControlType::PictureBox, KAL_CONTROL(frmProfile, pctVSSUserLayouts), -1, L"", 6, 16, 196, 62,
                    L"fraVSSUserLayouts"));
    c.push_back(Row(ControlType::ComboBox, KAL_CONTROL(frmProfile, cboVSSUserLayouts), -1, L"", 0, 2, 196, 22,
                    L"pctVSSUserLayouts", CBS_DROPDOWN));
    c.push_back(Row(ControlType::CommandButton, KAL_CONTROL(frmProfile, cmdVSSUserLayoutAdd), -1, L"Add", 0, 32, 94, 24,
                    L"pctVSSUserLayouts"));
    c.push_back(Row(ControlType::CommandButton, KAL_CONTROL(frmProfile, cmdVSSUserLayoutDelete), -1, L"Delete", 102, 32,
                    94, 24, L"pctVSSUserLayouts"));
    c.push_back(
        Row(ControlType::Label, KAL_CONTROL(frmProfile, lblVSSPresets), -1, L"Presets", 0, 114, 50, 16, layouts));
    d.shapes.push_back(Line(L"lineVSSPresets", -1, 50, 122, 206, 122, layouts));
    c.push_back(Row(ControlType::OptionButton, KAL_CONTROL(frmProfile, optLoadVSSPreset), 0, L"Default", 0, 136, 208,
                    24, layouts, kPushLike));
    c.push_back(Row(ControlType::OptionButton, KAL_CONTROL(frmProfile, optLoadVSSPreset), 1,
                    L"Vantor's Positional Layout", 0, 162, 208, 24, layouts, kPushLike));
}

// The rows of a Dolby ProLogic IIx or DTS NEO:PC panel.
struct GraphPanelRows {
    ControlName panel, expand, check, graph, mode, width, widthNarrow, widthWide, depth, depthRear, depthFront, reset;
};

// Dolby ProLogic IIx or DTS NEO:PC: a check box, the mode buttons, the graph and its sliders.
void AddGraphPanel(EditorDesign& d, int top, const wchar_t* checkCaption, const GraphPanelRows& r) {
    auto& c = d.controls;
    const std::wstring& panel = r.panel.name;
    c.push_back(Row(ControlType::PictureBox, r.panel, -1, L"", 0, top, kPanelWidth, kCollapsed, L"pctEnhancements"));
    c.push_back(Row(ControlType::CheckBox, r.expand, -1, L"+", 16, 3, 16, 19, panel, kPushLike));
    c.push_back(Row(ControlType::CheckBox, r.check, -1, checkCaption, 32, 4, 260, 18, panel));
    c.push_back(Row(ControlType::PictureBox, r.graph, -1, L"", 16, 27, 321, 225, panel));
    c.push_back(Row(ControlType::OptionButton, r.mode, 0, L"Music Mode", 346, 27, 136, 26, panel, kPushLike));
    c.push_back(Row(ControlType::OptionButton, r.mode, 1, L"Movie Mode", 346, 56, 136, 26, panel, kPushLike));
    c.push_back(Row(ControlType::Slider, r.width, -1, L"", 346, 98, 136, 28, panel, 0, SliderBag(0, 0, 7, 3)));
    c.push_back(Row(ControlType::Label, r.widthNarrow, -1, L"Narrow", 348, 126, 60, 14, panel));
    c.push_back(Row(ControlType::Label, r.widthWide, -1, L"Wide", 420, 126, 60, 14, panel, SS_RIGHT));
    c.push_back(Row(ControlType::Slider, r.depth, -1, L"", 346, 152, 136, 28, panel, 0, SliderBag(0, 0, 14, 7)));
    c.push_back(Row(ControlType::Label, r.depthRear, -1, L"Rear", 348, 180, 60, 14, panel));
    c.push_back(Row(ControlType::Label, r.depthFront, -1, L"Front", 420, 180, 60, 14, panel, SS_RIGHT));
    c.push_back(Row(ControlType::CommandButton, r.reset, -1, L"Reset", 346, 226, 136, 26, panel));
}

}  // namespace

void AddOutputPage(EditorDesign& d) {
    const std::wstring page = Member(L"pctTabContent", 0);
    AddOutputFrames(d, page);
    auto& c = d.controls;
    c.push_back(Row(ControlType::Frame, KAL_CONTROL(frmProfile, fraEnhancements), -1, L"Analog Out &Enhancements", 8,
                    186, 504, 124, page));
    c.push_back(Row(ControlType::PictureBox, KAL_CONTROL(frmProfile, pctEnhancements), -1, L"", 8, 16, kPanelWidth,
                    4 * kCollapsed, L"fraEnhancements"));
    // Dolby Headphones (headphones) and Dolby Virtual Speaker (speakers) share the top place; an
    // effect with code 2 is indented under them, the others stack from the top.
    AddModePanel(d, KAL_CONTROL(frmProfile, pctDolbyHeadphones), 0, KAL_CONTROL(frmProfile, chkDolbyHeadphones),
                 L"Dolby Headphones", KAL_CONTROL(frmProfile, lblDolbyHeadphonesMode), L"Dolby Heaphones Room:",
                 KAL_CONTROL(frmProfile, cboDolbyHeadphonesMode));
    AddModePanel(d, KAL_CONTROL(frmProfile, pctDolbyVirtualSpeaker), 0, KAL_CONTROL(frmProfile, chkDolbyVirtualSpeaker),
                 L"Dolby Virtual Speaker", KAL_CONTROL(frmProfile, lblDolbyVirtualSpeakerMode),
                 L"Dolby Virtual Speaker Mode:", KAL_CONTROL(frmProfile, cboDolbyVirtualSpeakerMode));
    AddVssPanel(d, kCollapsed);
    AddGraphPanel(d, 2 * kCollapsed, L"Dolby ProLogic IIx",
                  {.panel = KAL_CONTROL(frmProfile, pctDolby),
                   .expand = KAL_CONTROL(frmProfile, chkPL2xExpand),
                   .check = KAL_CONTROL(frmProfile, chkDolby),
                   .graph = KAL_CONTROL(frmProfile, pctPL2xGraph),
                   .mode = KAL_CONTROL(frmProfile, optPL2xMode),
                   .width = KAL_CONTROL(frmProfile, csliPL2xWidth),
                   .widthNarrow = KAL_CONTROL(frmProfile, lblPL2xWidthNarrow),
                   .widthWide = KAL_CONTROL(frmProfile, lblPL2xWidthWide),
                   .depth = KAL_CONTROL(frmProfile, csliPL2xDepth),
                   .depthRear = KAL_CONTROL(frmProfile, lblPL2xDepthRear),
                   .depthFront = KAL_CONTROL(frmProfile, lblPL2xDepthFront),
                   .reset = KAL_CONTROL(frmProfile, cmdResetPL2xGraphSliders)});
    AddGraphPanel(d, 3 * kCollapsed, L"DTS NEO:PC",
                  {.panel = KAL_CONTROL(frmProfile, pctNeo),
                   .expand = KAL_CONTROL(frmProfile, chkNEOExpand),
                   .check = KAL_CONTROL(frmProfile, chkNeo),
                   .graph = KAL_CONTROL(frmProfile, pctNEOGraph),
                   .mode = KAL_CONTROL(frmProfile, optNEOMode),
                   .width = KAL_CONTROL(frmProfile, csliNEOWidth),
                   .widthNarrow = KAL_CONTROL(frmProfile, lblNEOWidthNarrow),
                   .widthWide = KAL_CONTROL(frmProfile, lblNEOWidthWide),
                   .depth = KAL_CONTROL(frmProfile, csliNEODepth),
                   .depthRear = KAL_CONTROL(frmProfile, lblNEODepthRear),
                   .depthFront = KAL_CONTROL(frmProfile, lblNEODepthFront),
                   .reset = KAL_CONTROL(frmProfile, cmdResetNEOGraphSliders)});
}

}  // namespace kal
