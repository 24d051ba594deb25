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
    c.push_back(Row(ControlType::ComboBox, L"cboSpeakersLayout", -1, L"", 2, 18, 232, 22, L"pctSpeakersLayout")
                    .To(Bind(&frmProfile::cboSpeakersLayout)));

    c.push_back(Row(ControlType::Frame, L"fraAnalog", -1, L"&Analog", 8, 72, 250, 52, page));
    c.push_back(Row(ControlType::PictureBox, L"pctAnalogOutput", -1, L"", 6, 16, 238, 32, L"fraAnalog"));
    c.push_back(Row(ControlType::ComboBox, L"cboAnalogOutput", -1, L"", 2, 4, 176, 22, L"pctAnalogOutput")
                    .To(Bind(&frmProfile::cboAnalogOutput)));
    c.push_back(
        Row(ControlType::CommandButton, L"cmdAnalogOutputSettings", -1, L"Set", 184, 3, 50, 24, L"pctAnalogOutput")
            .To(Bind(&frmProfile::cmdAnalogOutputSettings)));
    c.push_back(Row(ControlType::CommandButton, L"cmdHpAmp", -1, L"Amp", 184, 3, 50, 24, L"pctAnalogOutput")
                    .To(Bind(&frmProfile::cmdHpAmp)));

    c.push_back(Row(ControlType::Frame, L"fraStereoUpmix", -1, L"Surround Max (Stereo Upmix)", 8, 128, 250, 52, page));
    c.push_back(Row(ControlType::PictureBox, L"pctStereoUpmix", -1, L"", 6, 16, 238, 32, L"fraStereoUpmix"));
    c.push_back(Row(ControlType::ComboBox, L"cboStereoUpmix", -1, L"", 2, 4, 232, 22, L"pctStereoUpmix")
                    .To(Bind(&frmProfile::cboStereoUpmix)));

    c.push_back(Row(ControlType::Frame, L"fraPlaybackParameters", -1, L"Playback Parameters", 266, 6, 246, 118, page));
    const std::wstring rate = L"pctSampleRate";
    c.push_back(Row(ControlType::PictureBox, rate.c_str(), -1, L"", 6, 16, 234, 98, L"fraPlaybackParameters"));
    c.push_back(Row(ControlType::Label, L"lblCardSampleRate", -1, L"Card Sample Rate", 2, 8, 104, 16, rate));
    c.push_back(Row(ControlType::ComboBox, L"cboSampleRate", -1, L"", 108, 4, 124, 22, rate)
                    .To(Bind(&frmProfile::cboSampleRate)));
    c.push_back(Row(ControlType::Label, L"lblSystemPlayBackQuality", -1, L"Bit Depth ------- System --- Sample Rate", 2,
                    44, 230, 16, rate)
                    .To(Bind(&frmProfile::lblSystemPlayBackQuality)));
    c.push_back(
        Row(ControlType::ComboBox, L"cboBitDepth", -1, L"", 2, 64, 102, 22, rate).To(Bind(&frmProfile::cboBitDepth)));
    c.push_back(Row(ControlType::CheckBox, L"chkSyncSampleRates", -1, L"", 106, 63, 22, 24, rate, kPushLike)
                    .To(Bind(&frmProfile::chkSyncSampleRates)));
    c.push_back(Row(ControlType::ComboBox, L"cboSystemSampleRate", -1, L"", 130, 64, 102, 22, rate)
                    .To(Bind(&frmProfile::cboSystemSampleRate)));

    c.push_back(Row(ControlType::Frame, L"fraDigital", -1, L"&Digital (SPDIF)", 266, 128, 246, 52, page));
    c.push_back(Row(ControlType::PictureBox, L"pctDigitalOutput", -1, L"", 6, 16, 234, 32, L"fraDigital"));
    c.push_back(Row(ControlType::CheckBox, L"chkSPDIF", -1, L"", 2, 6, 18, 18, L"pctDigitalOutput")
                    .To(Bind(&frmProfile::chkSPDIF)));
    c.push_back(Row(ControlType::ComboBox, L"cboSPDIFOutput", -1, L"", 26, 4, 206, 22, L"pctDigitalOutput")
                    .To(Bind(&frmProfile::cboSPDIFOutput)));
}

// A row's name with the member that holds its control.
struct Named {
    const wchar_t* name;
    ControlBinding bind;
};

// A panel with a mode list: Dolby Headphones or Dolby Virtual Speaker.
void AddModePanel(EditorDesign& d, const Named& panel, int top, const Named& check, const wchar_t* checkCaption,
                  const Named& label, const wchar_t* labelCaption, const Named& combo) {
    auto& c = d.controls;
    c.push_back(Row(ControlType::PictureBox, panel.name, -1, L"", 0, top, kPanelWidth, kCollapsed, L"pctEnhancements")
                    .To(panel.bind));
    c.push_back(Row(ControlType::CheckBox, check.name, -1, checkCaption, 16, 4, 148, 18, panel.name).To(check.bind));
    c.push_back(
        Row(ControlType::Label, label.name, -1, labelCaption, 164, 5, 192, 16, panel.name, SS_RIGHT).To(label.bind));
    c.push_back(Row(ControlType::ComboBox, combo.name, -1, L"", 360, 1, 124, 22, panel.name).To(combo.bind));
}

void AddVssPanel(EditorDesign& d, int top) {
    auto& c = d.controls;
    const std::wstring vss = L"pctVSS";
    c.push_back(Row(ControlType::PictureBox, vss.c_str(), -1, L"", 0, top, kPanelWidth, kCollapsed, L"pctEnhancements")
                    .To(Bind(&frmProfile::pctVSS)));
    c.push_back(Row(ControlType::CheckBox, L"chkVSSExpand", -1, L"+", 16, 3, 16, 19, vss, kPushLike)
                    .To(Bind(&frmProfile::chkVSSExpand)));
    c.push_back(Row(ControlType::CheckBox, L"chkVSS", -1, L"7.1 Virtual Speaker Shifter", 32, 4, 220, 18, vss)
                    .To(Bind(&frmProfile::chkVSS)));
    c.push_back(
        Row(ControlType::PictureBox, L"VSSGraph", -1, L"", 16, 27, 240, 240, vss).To(Bind(&frmProfile::VSSGraph)));
    static const wchar_t* const labels[] = {L"L", L"R", L"C", L"SW", L"Ls", L"Rs", L"Lb", L"Rb"};
    for (int i = 0; i < 8; ++i) {
        c.push_back(Row(ControlType::PictureBox, L"VSSSpeaker", i, L"", 108, 108, 24, 24, L"VSSGraph")
                        .To(Bind(&frmProfile::VSSSpeaker)));
        c.push_back(Row(ControlType::Label, L"lblVSSSpeaker", i, labels[i], 264, 0, 20, 14, vss)
                        .To(Bind(&frmProfile::lblVSSSpeaker)));
    }
    c.push_back(Row(ControlType::CommandButton, L"cmdVSSSpeakerDistance", 0, L"Increase Speakers Distance", 264, 241,
                    26, 26, vss, BS_ICON)
                    .To(Bind(&frmProfile::cmdVSSSpeakerDistance)));
    c.push_back(Row(ControlType::CommandButton, L"cmdVSSSpeakerDistance", 1, L"Decrease Speakers Distance", 294, 241,
                    26, 26, vss, BS_ICON)
                    .To(Bind(&frmProfile::cmdVSSSpeakerDistance)));

    const std::wstring layouts = L"pctVSSLayouts";
    c.push_back(Row(ControlType::Frame, L"fraVSSLayouts", -1, L"Virtual Speaker Shifter Layout", 264, 27, 220, 208, vss)
                    .To(Bind(&frmProfile::fraVSSLayouts)));
    c.push_back(Row(ControlType::PictureBox, layouts.c_str(), -1, L"", 6, 16, 208, 188, L"fraVSSLayouts")
                    .To(Bind(&frmProfile::pctVSSLayouts)));
    c.push_back(Row(ControlType::PictureBox, L"pctOptVSSLayout", -1, L"", 0, 0, 208, 22, layouts)
                    .To(Bind(&frmProfile::pctOptVSSLayout)));
    c.push_back(Row(ControlType::OptionButton, L"optVSSLayout", 0, L"Don't Change", 2, 2, 104, 18, L"pctOptVSSLayout")
                    .To(Bind(&frmProfile::optVSSLayout)));
    c.push_back(Row(ControlType::OptionButton, L"optVSSLayout", 1, L"Set To:", 112, 2, 90, 18, L"pctOptVSSLayout")
                    .To(Bind(&frmProfile::optVSSLayout)));
    c.push_back(Row(ControlType::Frame, L"fraVSSUserLayouts", -1, L"User-Defined Layouts", 0, 26, 208, 82, layouts)
                    .To(Bind(&frmProfile::fraVSSUserLayouts)));
    c.push_back(Row(ControlType::PictureBox, L"pctVSSUserLayouts", -1, L"", 6, 16, 196, 62, L"fraVSSUserLayouts")
                    .To(Bind(&frmProfile::pctVSSUserLayouts)));
    c.push_back(
        Row(ControlType::ComboBox, L"cboVSSUserLayouts", -1, L"", 0, 2, 196, 22, L"pctVSSUserLayouts", CBS_DROPDOWN)
            .To(Bind(&frmProfile::cboVSSUserLayouts)));
    c.push_back(Row(ControlType::CommandButton, L"cmdVSSUserLayoutAdd", -1, L"Add", 0, 32, 94, 24, L"pctVSSUserLayouts")
                    .To(Bind(&frmProfile::cmdVSSUserLayoutAdd)));
    c.push_back(
        Row(ControlType::CommandButton, L"cmdVSSUserLayoutDelete", -1, L"Delete", 102, 32, 94, 24, L"pctVSSUserLayouts")
            .To(Bind(&frmProfile::cmdVSSUserLayoutDelete)));
    c.push_back(Row(ControlType::Label, L"lblVSSPresets", -1, L"Presets", 0, 114, 50, 16, layouts)
                    .To(Bind(&frmProfile::lblVSSPresets)));
    d.shapes.push_back(Line(L"lineVSSPresets", -1, 50, 122, 206, 122, layouts));
    c.push_back(Row(ControlType::OptionButton, L"optLoadVSSPreset", 0, L"Default", 0, 136, 208, 24, layouts, kPushLike)
                    .To(Bind(&frmProfile::optLoadVSSPreset)));
    c.push_back(Row(ControlType::OptionButton, L"optLoadVSSPreset", 1, L"Vantor's Positional Layout", 0, 162, 208, 24,
                    layouts, kPushLike)
                    .To(Bind(&frmProfile::optLoadVSSPreset)));
}

// The rows of a Dolby ProLogic IIx or DTS NEO:PC panel.
struct GraphPanelRows {
    Named panel, expand, check, graph, mode, width, widthNarrow, widthWide, depth, depthRear, depthFront, reset;
};

// Dolby ProLogic IIx or DTS NEO:PC: a check box, the mode buttons, the graph and its sliders.
void AddGraphPanel(EditorDesign& d, int top, const wchar_t* checkCaption, const GraphPanelRows& r) {
    auto& c = d.controls;
    const wchar_t* panel = r.panel.name;
    c.push_back(Row(ControlType::PictureBox, panel, -1, L"", 0, top, kPanelWidth, kCollapsed, L"pctEnhancements")
                    .To(r.panel.bind));
    c.push_back(Row(ControlType::CheckBox, r.expand.name, -1, L"+", 16, 3, 16, 19, panel, kPushLike).To(r.expand.bind));
    c.push_back(Row(ControlType::CheckBox, r.check.name, -1, checkCaption, 32, 4, 260, 18, panel).To(r.check.bind));
    c.push_back(Row(ControlType::PictureBox, r.graph.name, -1, L"", 16, 27, 321, 225, panel).To(r.graph.bind));
    c.push_back(Row(ControlType::OptionButton, r.mode.name, 0, L"Music Mode", 346, 27, 136, 26, panel, kPushLike)
                    .To(r.mode.bind));
    c.push_back(Row(ControlType::OptionButton, r.mode.name, 1, L"Movie Mode", 346, 56, 136, 26, panel, kPushLike)
                    .To(r.mode.bind));
    c.push_back(Row(ControlType::Slider, r.width.name, -1, L"", 346, 98, 136, 28, panel, 0, SliderBag(0, 0, 7, 3))
                    .To(r.width.bind));
    c.push_back(
        Row(ControlType::Label, r.widthNarrow.name, -1, L"Narrow", 348, 126, 60, 14, panel).To(r.widthNarrow.bind));
    c.push_back(
        Row(ControlType::Label, r.widthWide.name, -1, L"Wide", 420, 126, 60, 14, panel, SS_RIGHT).To(r.widthWide.bind));
    c.push_back(Row(ControlType::Slider, r.depth.name, -1, L"", 346, 152, 136, 28, panel, 0, SliderBag(0, 0, 14, 7))
                    .To(r.depth.bind));
    c.push_back(Row(ControlType::Label, r.depthRear.name, -1, L"Rear", 348, 180, 60, 14, panel).To(r.depthRear.bind));
    c.push_back(Row(ControlType::Label, r.depthFront.name, -1, L"Front", 420, 180, 60, 14, panel, SS_RIGHT)
                    .To(r.depthFront.bind));
    c.push_back(Row(ControlType::CommandButton, r.reset.name, -1, L"Reset", 346, 226, 136, 26, panel).To(r.reset.bind));
}

}  // namespace

void AddOutputPage(EditorDesign& d) {
    const std::wstring page = Member(L"pctTabContent", 0);
    AddOutputFrames(d, page);
    auto& c = d.controls;
    c.push_back(Row(ControlType::Frame, L"fraEnhancements", -1, L"Analog Out &Enhancements", 8, 186, 504, 124, page)
                    .To(Bind(&frmProfile::fraEnhancements)));
    c.push_back(Row(ControlType::PictureBox, L"pctEnhancements", -1, L"", 8, 16, kPanelWidth, 4 * kCollapsed,
                    L"fraEnhancements")
                    .To(Bind(&frmProfile::pctEnhancements)));
    // Dolby Headphones (headphones) and Dolby Virtual Speaker (speakers) share the top place; an
    // effect with code 2 is indented under them, the others stack from the top.
    AddModePanel(d, {L"pctDolbyHeadphones", Bind(&frmProfile::pctDolbyHeadphones)}, 0,
                 {L"chkDolbyHeadphones", Bind(&frmProfile::chkDolbyHeadphones)}, L"Dolby Headphones",
                 {L"lblDolbyHeadphonesMode", Bind(&frmProfile::lblDolbyHeadphonesMode)}, L"Dolby Heaphones Room:",
                 {L"cboDolbyHeadphonesMode", Bind(&frmProfile::cboDolbyHeadphonesMode)});
    AddModePanel(d, {L"pctDolbyVirtualSpeaker", Bind(&frmProfile::pctDolbyVirtualSpeaker)}, 0,
                 {L"chkDolbyVirtualSpeaker", Bind(&frmProfile::chkDolbyVirtualSpeaker)}, L"Dolby Virtual Speaker",
                 {L"lblDolbyVirtualSpeakerMode", Bind(&frmProfile::lblDolbyVirtualSpeakerMode)},
                 L"Dolby Virtual Speaker Mode:",
                 {L"cboDolbyVirtualSpeakerMode", Bind(&frmProfile::cboDolbyVirtualSpeakerMode)});
    AddVssPanel(d, kCollapsed);
    AddGraphPanel(d, 2 * kCollapsed, L"Dolby ProLogic IIx",
                  {.panel = {L"pctDolby", Bind(&frmProfile::pctDolby)},
                   .expand = {L"chkPL2xExpand", Bind(&frmProfile::chkPL2xExpand)},
                   .check = {L"chkDolby", Bind(&frmProfile::chkDolby)},
                   .graph = {L"pctPL2xGraph", Bind(&frmProfile::pctPL2xGraph)},
                   .mode = {L"optPL2xMode", Bind(&frmProfile::optPL2xMode)},
                   .width = {L"csliPL2xWidth", Bind(&frmProfile::csliPL2xWidth)},
                   .widthNarrow = {L"lblPL2xWidthNarrow", Bind(&frmProfile::lblPL2xWidthNarrow)},
                   .widthWide = {L"lblPL2xWidthWide", Bind(&frmProfile::lblPL2xWidthWide)},
                   .depth = {L"csliPL2xDepth", Bind(&frmProfile::csliPL2xDepth)},
                   .depthRear = {L"lblPL2xDepthRear", Bind(&frmProfile::lblPL2xDepthRear)},
                   .depthFront = {L"lblPL2xDepthFront", Bind(&frmProfile::lblPL2xDepthFront)},
                   .reset = {L"cmdResetPL2xGraphSliders", Bind(&frmProfile::cmdResetPL2xGraphSliders)}});
    AddGraphPanel(d, 3 * kCollapsed, L"DTS NEO:PC",
                  {.panel = {L"pctNeo", Bind(&frmProfile::pctNeo)},
                   .expand = {L"chkNEOExpand", Bind(&frmProfile::chkNEOExpand)},
                   .check = {L"chkNeo", Bind(&frmProfile::chkNeo)},
                   .graph = {L"pctNEOGraph", Bind(&frmProfile::pctNEOGraph)},
                   .mode = {L"optNEOMode", Bind(&frmProfile::optNEOMode)},
                   .width = {L"csliNEOWidth", Bind(&frmProfile::csliNEOWidth)},
                   .widthNarrow = {L"lblNEOWidthNarrow", Bind(&frmProfile::lblNEOWidthNarrow)},
                   .widthWide = {L"lblNEOWidthWide", Bind(&frmProfile::lblNEOWidthWide)},
                   .depth = {L"csliNEODepth", Bind(&frmProfile::csliNEODepth)},
                   .depthRear = {L"lblNEODepthRear", Bind(&frmProfile::lblNEODepthRear)},
                   .depthFront = {L"lblNEODepthFront", Bind(&frmProfile::lblNEODepthFront)},
                   .reset = {L"cmdResetNEOGraphSliders", Bind(&frmProfile::cmdResetNEOGraphSliders)}});
}

}  // namespace kal
