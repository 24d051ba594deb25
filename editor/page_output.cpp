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
    c.push_back(Row(ControlType::ComboBox, L"cboSpeakersLayout", -1, L"", 2, 18, 232, 22, L"pctSpeakersLayout"));

    c.push_back(Row(ControlType::Frame, L"fraAnalog", -1, L"&Analog", 8, 72, 250, 52, page));
    c.push_back(Row(ControlType::PictureBox, L"pctAnalogOutput", -1, L"", 6, 16, 238, 32, L"fraAnalog"));
    c.push_back(Row(ControlType::ComboBox, L"cboAnalogOutput", -1, L"", 2, 4, 176, 22, L"pctAnalogOutput"));
    c.push_back(
        Row(ControlType::CommandButton, L"cmdAnalogOutputSettings", -1, L"Set", 184, 3, 50, 24, L"pctAnalogOutput"));
    c.push_back(Row(ControlType::CommandButton, L"cmdHpAmp", -1, L"Amp", 184, 3, 50, 24, L"pctAnalogOutput"));

    c.push_back(Row(ControlType::Frame, L"fraStereoUpmix", -1, L"Surround Max (Stereo Upmix)", 8, 128, 250, 52, page));
    c.push_back(Row(ControlType::PictureBox, L"pctStereoUpmix", -1, L"", 6, 16, 238, 32, L"fraStereoUpmix"));
    c.push_back(Row(ControlType::ComboBox, L"cboStereoUpmix", -1, L"", 2, 4, 232, 22, L"pctStereoUpmix"));

    c.push_back(Row(ControlType::Frame, L"fraPlaybackParameters", -1, L"Playback Parameters", 266, 6, 246, 118, page));
    const std::wstring rate = L"pctSampleRate";
    c.push_back(Row(ControlType::PictureBox, rate.c_str(), -1, L"", 6, 16, 234, 98, L"fraPlaybackParameters"));
    c.push_back(Row(ControlType::Label, L"lblCardSampleRate", -1, L"Card Sample Rate", 2, 8, 104, 16, rate));
    c.push_back(Row(ControlType::ComboBox, L"cboSampleRate", -1, L"", 108, 4, 124, 22, rate));
    c.push_back(Row(ControlType::Label, L"lblSystemPlayBackQuality", -1, L"Bit Depth ------- System --- Sample Rate", 2,
                    44, 230, 16, rate));
    c.push_back(Row(ControlType::ComboBox, L"cboBitDepth", -1, L"", 2, 64, 102, 22, rate));
    c.push_back(Row(ControlType::CheckBox, L"chkSyncSampleRates", -1, L"", 106, 63, 22, 24, rate, kPushLike));
    c.push_back(Row(ControlType::ComboBox, L"cboSystemSampleRate", -1, L"", 130, 64, 102, 22, rate));

    c.push_back(Row(ControlType::Frame, L"fraDigital", -1, L"&Digital (SPDIF)", 266, 128, 246, 52, page));
    c.push_back(Row(ControlType::PictureBox, L"pctDigitalOutput", -1, L"", 6, 16, 234, 32, L"fraDigital"));
    c.push_back(Row(ControlType::CheckBox, L"chkSPDIF", -1, L"", 2, 6, 18, 18, L"pctDigitalOutput"));
    c.push_back(Row(ControlType::ComboBox, L"cboSPDIFOutput", -1, L"", 26, 4, 206, 22, L"pctDigitalOutput"));
}

// A panel with a mode list: Dolby Headphones or Dolby Virtual Speaker.
void AddModePanel(EditorDesign& d, const wchar_t* panel, int top, const wchar_t* check, const wchar_t* checkCaption,
                  const wchar_t* label, const wchar_t* labelCaption, const wchar_t* combo) {
    auto& c = d.controls;
    c.push_back(Row(ControlType::PictureBox, panel, -1, L"", 0, top, kPanelWidth, kCollapsed, L"pctEnhancements"));
    c.push_back(Row(ControlType::CheckBox, check, -1, checkCaption, 16, 4, 148, 18, panel));
    c.push_back(Row(ControlType::Label, label, -1, labelCaption, 164, 5, 192, 16, panel, SS_RIGHT));
    c.push_back(Row(ControlType::ComboBox, combo, -1, L"", 360, 1, 124, 22, panel));
}

void AddVssPanel(EditorDesign& d, int top) {
    auto& c = d.controls;
    const std::wstring vss = L"pctVSS";
    c.push_back(Row(ControlType::PictureBox, vss.c_str(), -1, L"", 0, top, kPanelWidth, kCollapsed, L"pctEnhancements"));
    c.push_back(Row(ControlType::CheckBox, L"chkVSSExpand", -1, L"+", 16, 3, 16, 19, vss, kPushLike));
    c.push_back(Row(ControlType::CheckBox, L"chkVSS", -1, L"7.1 Virtual Speaker Shifter", 32, 4, 220, 18, vss));
    c.push_back(Row(ControlType::PictureBox, L"VSSGraph", -1, L"", 16, 27, 240, 240, vss));
    static const wchar_t* const labels[] = {L"L", L"R", L"C", L"SW", L"Ls", L"Rs", L"Lb", L"Rb"};
    for (int i = 0; i < 8; ++i) {
        c.push_back(Row(ControlType::PictureBox, L"VSSSpeaker", i, L"", 108, 108, 24, 24, L"VSSGraph"));
        c.push_back(Row(ControlType::Label, L"lblVSSSpeaker", i, labels[i], 264, 0, 20, 14, vss));
    }
    c.push_back(Row(ControlType::CommandButton, L"cmdVSSSpeakerDistance", 0, L"Increase Speakers Distance", 264, 241,
                    26, 26, vss, BS_ICON));
    c.push_back(Row(ControlType::CommandButton, L"cmdVSSSpeakerDistance", 1, L"Decrease Speakers Distance", 294, 241,
                    26, 26, vss, BS_ICON));

    const std::wstring layouts = L"pctVSSLayouts";
    c.push_back(Row(ControlType::Frame, L"fraVSSLayouts", -1, L"Virtual Speaker Shifter Layout", 264, 27, 220, 208, vss));
    c.push_back(Row(ControlType::PictureBox, layouts.c_str(), -1, L"", 6, 16, 208, 188, L"fraVSSLayouts"));
    c.push_back(Row(ControlType::PictureBox, L"pctOptVSSLayout", -1, L"", 0, 0, 208, 22, layouts));
    c.push_back(Row(ControlType::OptionButton, L"optVSSLayout", 0, L"Don't Change", 2, 2, 104, 18, L"pctOptVSSLayout"));
    c.push_back(Row(ControlType::OptionButton, L"optVSSLayout", 1, L"Set To:", 112, 2, 90, 18, L"pctOptVSSLayout"));
    c.push_back(Row(ControlType::Frame, L"fraVSSUserLayouts", -1, L"User-Defined Layouts", 0, 26, 208, 82, layouts));
    c.push_back(Row(ControlType::PictureBox, L"pctVSSUserLayouts", -1, L"", 6, 16, 196, 62, L"fraVSSUserLayouts"));
    c.push_back(
        Row(ControlType::ComboBox, L"cboVSSUserLayouts", -1, L"", 0, 2, 196, 22, L"pctVSSUserLayouts", CBS_DROPDOWN));
    c.push_back(Row(ControlType::CommandButton, L"cmdVSSUserLayoutAdd", -1, L"Add", 0, 32, 94, 24, L"pctVSSUserLayouts"));
    c.push_back(
        Row(ControlType::CommandButton, L"cmdVSSUserLayoutDelete", -1, L"Delete", 102, 32, 94, 24, L"pctVSSUserLayouts"));
    c.push_back(Row(ControlType::Label, L"lblVSSPresets", -1, L"Presets", 0, 114, 50, 16, layouts));
    d.shapes.push_back(Line(L"lineVSSPresets", -1, 50, 122, 206, 122, layouts));
    c.push_back(Row(ControlType::OptionButton, L"optLoadVSSPreset", 0, L"Default", 0, 136, 208, 24, layouts, kPushLike));
    c.push_back(Row(ControlType::OptionButton, L"optLoadVSSPreset", 1, L"Vantor's Positional Layout", 0, 162, 208, 24,
                    layouts, kPushLike));
}

// Dolby ProLogic IIx or DTS NEO:PC: a check box, the mode buttons, the graph and its sliders.
void AddGraphPanel(EditorDesign& d, const wchar_t* panel, int top, const wchar_t* expand, const wchar_t* check,
                   const wchar_t* checkCaption, const std::wstring& prefix, const wchar_t* graph) {
    auto& c = d.controls;
    auto name = [&](const wchar_t* part) { return prefix + part; };
    c.push_back(Row(ControlType::PictureBox, panel, -1, L"", 0, top, kPanelWidth, kCollapsed, L"pctEnhancements"));
    c.push_back(Row(ControlType::CheckBox, expand, -1, L"+", 16, 3, 16, 19, panel, kPushLike));
    c.push_back(Row(ControlType::CheckBox, check, -1, checkCaption, 32, 4, 260, 18, panel));
    c.push_back(Row(ControlType::PictureBox, graph, -1, L"", 16, 27, 321, 225, panel));
    const std::wstring mode = name(L"Mode");
    c.push_back(Row(ControlType::OptionButton, (L"opt" + mode).c_str(), 0, L"Music Mode", 346, 27, 136, 26, panel,
                    kPushLike));
    c.push_back(Row(ControlType::OptionButton, (L"opt" + mode).c_str(), 1, L"Movie Mode", 346, 56, 136, 26, panel,
                    kPushLike));
    c.push_back(Row(ControlType::Slider, (L"csli" + name(L"Width")).c_str(), -1, L"", 346, 98, 136, 28, panel, 0,
                    SliderBag(0, 0, 7, 3)));
    c.push_back(Row(ControlType::Label, (L"lbl" + name(L"WidthNarrow")).c_str(), -1, L"Narrow", 348, 126, 60, 14, panel));
    c.push_back(
        Row(ControlType::Label, (L"lbl" + name(L"WidthWide")).c_str(), -1, L"Wide", 420, 126, 60, 14, panel, SS_RIGHT));
    c.push_back(Row(ControlType::Slider, (L"csli" + name(L"Depth")).c_str(), -1, L"", 346, 152, 136, 28, panel, 0,
                    SliderBag(0, 0, 14, 7)));
    c.push_back(Row(ControlType::Label, (L"lbl" + name(L"DepthRear")).c_str(), -1, L"Rear", 348, 180, 60, 14, panel));
    c.push_back(
        Row(ControlType::Label, (L"lbl" + name(L"DepthFront")).c_str(), -1, L"Front", 420, 180, 60, 14, panel, SS_RIGHT));
    c.push_back(Row(ControlType::CommandButton, (L"cmdReset" + name(L"GraphSliders")).c_str(), -1, L"Reset", 346, 226,
                    136, 26, panel));
}

}  // namespace

void AddOutputPage(EditorDesign& d) {
    const std::wstring page = Member(L"pctTabContent", 0);
    AddOutputFrames(d, page);
    auto& c = d.controls;
    c.push_back(Row(ControlType::Frame, L"fraEnhancements", -1, L"Analog Out &Enhancements", 8, 186, 504, 124, page));
    c.push_back(Row(ControlType::PictureBox, L"pctEnhancements", -1, L"", 8, 16, kPanelWidth, 4 * kCollapsed,
                    L"fraEnhancements"));
    // Dolby Headphones (headphones) and Dolby Virtual Speaker (speakers) share the top place; an
    // effect with code 2 is indented under them, the others stack from the top.
    AddModePanel(d, L"pctDolbyHeadphones", 0, L"chkDolbyHeadphones", L"Dolby Headphones", L"lblDolbyHeadphonesMode",
                 L"Dolby Heaphones Room:", L"cboDolbyHeadphonesMode");
    AddModePanel(d, L"pctDolbyVirtualSpeaker", 0, L"chkDolbyVirtualSpeaker", L"Dolby Virtual Speaker",
                 L"lblDolbyVirtualSpeakerMode", L"Dolby Virtual Speaker Mode:", L"cboDolbyVirtualSpeakerMode");
    AddVssPanel(d, kCollapsed);
    AddGraphPanel(d, L"pctDolby", 2 * kCollapsed, L"chkPL2xExpand", L"chkDolby", L"Dolby ProLogic IIx", L"PL2x",
                  L"pctPL2xGraph");
    AddGraphPanel(d, L"pctNeo", 3 * kCollapsed, L"chkNEOExpand", L"chkNeo", L"DTS NEO:PC", L"NEO", L"pctNEOGraph");
}

}  // namespace kal
