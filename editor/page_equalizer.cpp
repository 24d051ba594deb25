// The Equalizer / FlexBass page: bass management with the speaker sizes, the equalizer state,
// its gain profile (built-in presets, user profiles) and the ten band sliders.
#include "editor/designrows.h"

namespace kal {

using namespace design;

namespace {

void AddFlexBass(EditorDesign& d, const std::wstring& page) {
    auto& c = d.controls;
    const std::wstring bass = L"pctFlexBass";
    c.push_back(Row(ControlType::Frame, L"fraFlexBass", -1, L"FlexBass", 4, 4, 512, 150, page));
    c.push_back(Row(ControlType::PictureBox, bass.c_str(), -1, L"", 6, 16, 500, 128, L"fraFlexBass"));
    c.push_back(
        Row(ControlType::OptionButton, KAL_CONTROL(frmProfile, optFlexBass), 0, L"Disable", 4, 4, 80, 18, bass));
    c.push_back(
        Row(ControlType::OptionButton, KAL_CONTROL(frmProfile, optFlexBass), 1, L"Enable", 90, 4, 80, 18, bass));
    c.push_back(Row(ControlType::Label, KAL_CONTROL(frmProfile, lblLTECrossoverFrequency), -1,
                    L"LTE Crossover Frequency", 4, 32, 170, 16, bass));
    c.push_back(Row(ControlType::Slider, KAL_CONTROL(frmProfile, csliCrossover), -1, L"", 2, 50, 176, 28, bass, 0,
                    SliderBag(0, 50, 250, 120)));
    c.push_back(
        Row(ControlType::Label, KAL_CONTROL(frmProfile, lblCrossoverValue), -1, L"120 Hz", 180, 56, 60, 16, bass));
    c.push_back(Row(ControlType::Frame, L"fraSpeakersSize", -1, L"Speakers Si&ze", 250, 0, 246, 124, bass));
    c.push_back(Row(ControlType::PictureBox, L"pctSpeakersSize", -1, L"", 6, 16, 234, 104, L"fraSpeakersSize"));
    static const wchar_t* const sizes[] = {L"Front", L"Center", L"Rear", L"Side"};
    for (int i = 0; i < 4; ++i) {
        const int y = 4 + i * 25;
        c.push_back(Row(ControlType::Label, KAL_CONTROL(frmProfile, lblSpeakerSize), i, sizes[i], 4, y + 3, 80, 16,
                        L"pctSpeakersSize"));
        c.push_back(Row(ControlType::ComboBox, KAL_CONTROL(frmProfile, cboSpeakerSize), i, L"", 90, y, 140, 22,
                        L"pctSpeakersSize"));
    }
}

void AddEqualizer(EditorDesign& d, const std::wstring& page) {
    auto& c = d.controls;
    c.push_back(Row(ControlType::Frame, L"fraEQ", -1, L"Equalizer", 4, 160, 512, 420, page));
    c.push_back(Row(ControlType::PictureBox, L"pctEQ", -1, L"", 6, 16, 500, 398, L"fraEQ"));
    c.push_back(Row(ControlType::Frame, L"fraEQActivate", -1, L"State", 0, 0, 260, 46, L"pctEQ"));
    c.push_back(Row(ControlType::PictureBox, L"pctEQActivate", -1, L"", 6, 16, 248, 24, L"fraEQActivate"));
    c.push_back(Row(ControlType::OptionButton, KAL_CONTROL(frmProfile, optEQ), 255, L"Don't Change", 2, 3, 104, 18,
                    L"pctEQActivate"));
    c.push_back(
        Row(ControlType::OptionButton, KAL_CONTROL(frmProfile, optEQ), 1, L"Enable", 110, 3, 66, 18, L"pctEQActivate"));
    c.push_back(Row(ControlType::OptionButton, KAL_CONTROL(frmProfile, optEQ), 0, L"Disable", 178, 3, 66, 18,
                    L"pctEQActivate"));

    c.push_back(Row(ControlType::Frame, L"fraEQProfile", -1, L"EQ Gain Profile", 0, 52, 500, 344, L"pctEQ"));
    c.push_back(Row(ControlType::OptionButton, KAL_CONTROL(frmProfile, optEQProfile), 0, L"Don't Change", 10, 18, 104,
                    18, L"fraEQProfile"));
    c.push_back(Row(ControlType::OptionButton, KAL_CONTROL(frmProfile, optEQProfile), 1, L"Set To:", 120, 18, 90, 18,
                    L"fraEQProfile"));
    const std::wstring gains = L"pctEQProfile";
    c.push_back(
        Row(ControlType::PictureBox, KAL_CONTROL(frmProfile, pctEQProfile), -1, L"", 6, 40, 488, 298, L"fraEQProfile"));
    static const wchar_t* const scale[] = {L"+20db", L"+10db", L"    0db", L"-10db", L"-20db"};
    for (int i = 0; i < 5; ++i)
        c.push_back(Row(ControlType::Label, L"lblEQScale", i, scale[i], 0, 22 + i * 34, 40, 14, gains));
    static const wchar_t* const bands[] = {L"30", L"60", L"120", L"250", L"500", L"1k", L"2k", L"4k", L"8k", L"16k"};
    for (int i = 0; i < 10; ++i) {
        const int x = 42 + i * 30;
        c.push_back(
            Row(ControlType::Label, KAL_CONTROL(frmProfile, lblEqValue), i, L"0dB", x, 0, 28, 14, gains, SS_CENTER));
        c.push_back(Row(ControlType::Slider, KAL_CONTROL(frmProfile, csliEQ), i, L"", x, 16, 28, 158, gains, 0,
                        SliderBag(2, -20, 20, 0)));
        c.push_back(Row(ControlType::Label, L"lblEQBand", i, bands[i], x, 176, 28, 14, gains, SS_CENTER));
    }
    d.shapes.push_back(Line(L"lineEQZero", -1, 40, 95, 342, 95, gains));
    c.push_back(Row(ControlType::Label, L"lblEQPresets", -1, L"Presets", 350, 0, 60, 14, gains));
    d.shapes.push_back(Line(L"lineEQPresets", -1, 398, 7, 486, 7, gains));
    for (int i = 0; i < 12; ++i)
        c.push_back(Row(ControlType::OptionButton, KAL_CONTROL(frmProfile, optLoadEQPreset), i, L"", 350 + (i % 2) * 69,
                        18 + (i / 2) * 26, 67, 24, gains, kPushLike));
    c.push_back(Row(ControlType::Frame, L"fraEQUserProfiles", -1, L"User-Defined Gain Profiles", 0, 200, 488, 62, gains));
    c.push_back(Row(ControlType::PictureBox, L"pctEQUserProfiles", -1, L"", 6, 16, 476, 42, L"fraEQUserProfiles"));
    c.push_back(Row(ControlType::ComboBox, KAL_CONTROL(frmProfile, cboEQUserProfiles), -1, L"", 0, 6, 300, 22,
                    L"pctEQUserProfiles", CBS_DROPDOWN));
    c.push_back(Row(ControlType::CommandButton, KAL_CONTROL(frmProfile, cmdEQUserProfileAdd), -1, L"Add", 310, 5, 78,
                    24, L"pctEQUserProfiles"));
    c.push_back(Row(ControlType::CommandButton, KAL_CONTROL(frmProfile, cmdEQUserProfileDelete), -1, L"Delete", 394, 5,
                    78, 24, L"pctEQUserProfiles"));
}

}  // namespace

void AddEqualizerPage(EditorDesign& d) {
    const std::wstring page = Member(L"pctTabContent", 2);
    AddFlexBass(d, page);
    AddEqualizer(d, page);
}

}  // namespace kal
