// The editor's window: the top area (name, shortcut, custom icon), the master panel (SVN and
// volume), the four tabs over their pages, and the buttons. The pages are in page_*.cpp.
#include "editor/designrows.h"

namespace kal {

using namespace design;

namespace {

constexpr int kFormWidth = 714;
constexpr int kFormHeight = 726;
constexpr int kPanelTop = 72;  // the master panel and the tabs
constexpr int kTabLeft = 186;
constexpr int kTabWidth = 128;
constexpr int kTabHeight = 28;
constexpr int kPageTop = kPanelTop + kTabHeight;  // a tab meets its page

void AddTopArea(EditorDesign& d) {
    auto& c = d.controls;
    c.push_back(Row(ControlType::Label, KAL_CONTROL(frmProfile, lblProfileName), -1, L"Profile &Name", 8, 11, 88, 16));
    c.push_back(Row(ControlType::TextBox, KAL_CONTROL(frmProfile, txtProfileName), -1, L"", 100, 8, 250, 22));
    c.push_back(Row(ControlType::Label, KAL_CONTROL(frmProfile, lblShortcut), -1, L"Shortcut", 8, 39, 88, 16));
    c.push_back(Row(ControlType::TextBox, KAL_CONTROL(frmProfile, txtShortcut), -1, L"", 100, 36, 250, 22));
    c.push_back(
        Row(ControlType::Frame, KAL_CONTROL(frmProfile, fraIcons), -1, L"Custom Profile Icon", 370, 0, 336, 64));
    c.push_back(Row(ControlType::PictureBox, L"pctIcons", -1, L"", 6, 16, 324, 44, L"fraIcons"));
    c.push_back(Row(ControlType::PictureBox, KAL_CONTROL(frmProfile, pctIcon32), -1, L"", 4, 4, 32, 32, L"pctIcons"));
    c.push_back(Row(ControlType::PictureBox, KAL_CONTROL(frmProfile, pctIcon16), -1, L"", 44, 12, 16, 16, L"pctIcons"));
    c.push_back(Row(ControlType::CommandButton, KAL_CONTROL(frmProfile, cmdIconChoose), -1, L"Select", 70, 8, 64, 26,
                    L"pctIcons"));
    c.push_back(Row(ControlType::CommandButton, KAL_CONTROL(frmProfile, cmdIconDelete), -1, L"Delete", 138, 8, 64, 26,
                    L"pctIcons"));
    c.push_back(Row(ControlType::CheckBox, KAL_CONTROL(frmProfile, chkVolumeOverlay), -1, L"Volume Overlay", 206, 8,
                    114, 26, L"pctIcons", kPushLike));
}

void AddMasterPanel(EditorDesign& d) {
    auto& c = d.controls;
    d.shapes.push_back(Box(L"rectMasterVolume", -1, 8, kPanelTop, 170, 428));
    c.push_back(Row(ControlType::Label, L"lblMaster", -1, L"Master", 14, kPanelTop + 4, 60, 16));

    c.push_back(Row(ControlType::Frame, KAL_CONTROL(frmProfile, fraSVN), -1, L"SVN", 14, 94, 158, 74));
    c.push_back(Row(ControlType::PictureBox, KAL_CONTROL(frmProfile, pctSVN), -1, L"", 6, 16, 146, 54, L"fraSVN"));
    c.push_back(Row(ControlType::OptionButton, KAL_CONTROL(frmProfile, optSVN), 255, L"Don't Change", 4, 1, 136, 16,
                    L"pctSVN"));
    c.push_back(
        Row(ControlType::OptionButton, KAL_CONTROL(frmProfile, optSVN), 0, L"Disable", 4, 18, 136, 16, L"pctSVN"));
    c.push_back(
        Row(ControlType::OptionButton, KAL_CONTROL(frmProfile, optSVN), 1, L"Enable", 4, 35, 136, 16, L"pctSVN"));

    const std::wstring vol = L"pctMasterVolume";
    c.push_back(Row(ControlType::Frame, KAL_CONTROL(frmProfile, fraMasterVolume), -1, L"Volume", 14, 172, 158, 324));
    c.push_back(Row(ControlType::PictureBox, KAL_CONTROL(frmProfile, pctMasterVolume), -1, L"", 6, 16, 146, 304,
                    L"fraMasterVolume"));
    c.push_back(
        Row(ControlType::OptionButton, KAL_CONTROL(frmProfile, optVolume), 255, L"Don't Change", 4, 2, 136, 16, vol));
    c.push_back(
        Row(ControlType::OptionButton, KAL_CONTROL(frmProfile, optVolume), 0, L"Use last", 4, 19, 136, 16, vol));
    c.push_back(Row(ControlType::OptionButton, KAL_CONTROL(frmProfile, optVolume), 1, L"Set to:", 4, 36, 136, 16, vol));
    c.push_back(Row(ControlType::Slider, KAL_CONTROL(frmProfile, csliVolume), -1, L"", 14, 58, 36, 150, vol, 0,
                    SliderBag(2, 0, 100, 100)));
    c.push_back(
        Row(ControlType::Label, KAL_CONTROL(frmProfile, lblMasterVolume), -1, L"100%", 2, 212, 60, 16, vol, SS_CENTER));
    c.push_back(Row(ControlType::Label, KAL_CONTROL(frmProfile, lblMasterVolumeDB), -1, L"0dB", 2, 228, 60, 16, vol,
                    SS_CENTER));
    c.push_back(Row(ControlType::CheckBox, KAL_CONTROL(frmProfile, chkIgnoreVolumeForProfileValidation), -1,
                    L"Ignore For Profile Validation", 64, 58, 80, 60, vol, kWrapped));
    c.push_back(Row(ControlType::Slider, KAL_CONTROL(frmProfile, csliMasterBalance), -1, L"", 62, 118, 82, 26, vol, 0,
                    SliderBag(0, -10, 10, 0)));
    c.push_back(Row(ControlType::Label, KAL_CONTROL(frmProfile, lblMasterBalanceL), -1, L"L", 66, 146, 12, 16, vol));
    c.push_back(Row(ControlType::CommandButton, KAL_CONTROL(frmProfile, cmdMasterBalanceReset), -1, L"C", 92, 145, 26,
                    18, vol));
    c.push_back(Row(ControlType::Label, KAL_CONTROL(frmProfile, lblMasterBalanceR), -1, L"R", 132, 146, 12, 16, vol));
    c.push_back(Row(ControlType::CheckBox, KAL_CONTROL(frmProfile, chkVolumeChangeOnlyOnDifferentOutput), -1,
                    L"Only Change On Different Output", 4, 252, 140, 46, vol, kWrapped));
}

// The tab strip draws the tabs and the pages' edges; the shapes lie under them and keep each
// tab's state and the edge's colour.
void AddTabs(EditorDesign& d) {
    static const wchar_t* const captions[] = {L"Output", L"Mixer", L"Equalizer / FlexBass", L"AEC"};
    d.shapes.push_back(Box(L"rectTabContent", -1, kTabLeft, kPageTop, kPageWidth, kPageHeight));
    for (int i = 0; i < 4; ++i) {
        const int x = kTabLeft + i * (kTabWidth + 2);
        Shape back = Box(L"rectTabBackground", i, x, kPanelTop, kTabWidth, kTabHeight);
        back.visible = i == 0;
        d.shapes.push_back(back);
        Shape tab = Box(L"rectTab", i, x, kPanelTop, kTabWidth, kTabHeight);
        tab.fill = 0x80000000;
        d.shapes.push_back(tab);
        d.controls.push_back(
            Row(ControlType::PictureBox, KAL_CONTROL(frmProfile, imgTab), i, L"", x, kPanelTop, kTabWidth, kTabHeight));
        d.controls.push_back(Row(ControlType::Label, KAL_CONTROL(frmProfile, lblTab), i, captions[i], 4, 3,
                                 kTabWidth - 8, kTabHeight - 4, Member(L"imgTab", i), SS_CENTER | SS_CENTERIMAGE));
    }
    for (int i = 0; i < 4; ++i)
        d.controls.push_back(
            Row(ControlType::PictureBox, L"pctTabContent", i, L"", kTabLeft, kPageTop, kPageWidth, kPageHeight));
}

void AddButtons(EditorDesign& d) {
    auto& c = d.controls;
    const int y = kFormHeight - 34;
    c.push_back(Row(ControlType::CheckBox, KAL_CONTROL(frmProfile, chkLiveMode), -1, L"Live Mode OFF", 8, y, 120, 26,
                    {}, kPushLike));
    c.push_back(
        Row(ControlType::CommandButton, KAL_CONTROL(frmProfile, cmdSave), -1, L"&Save", kFormWidth - 272, y, 84, 26));
    c.push_back(
        Row(ControlType::CommandButton, KAL_CONTROL(frmProfile, cmdReset), -1, L"&Reset", kFormWidth - 182, y, 84, 26));
    c.push_back(Row(ControlType::CommandButton, KAL_CONTROL(frmProfile, cmdCancel), -1, L"&Cancel", kFormWidth - 92, y,
                    84, 26));
}

}  // namespace

EditorDesign MakeEditorDesign() {
    EditorDesign d;
    d.layout = FormLayout(L"Profile", kFormWidth * kTwips, kFormHeight * kTwips);
    AddTopArea(d);
    AddMasterPanel(d);
    AddTabs(d);
    AddOutputPage(d);
    AddMixerPage(d);
    AddEqualizerPage(d);
    AddAecPage(d);
    AddButtons(d);
    return d;
}

}  // namespace kal
