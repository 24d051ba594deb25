// The Mixer page: the eight recording lines (selection, volume, balance, monitoring, extra
// controls) and the eight playback channel gains.
#include "editor/designrows.h"

namespace kal {

using namespace design;

namespace {

constexpr int kColumnLeft = 66;
constexpr int kColumnStep = 54;
constexpr int kColumnWidth = 52;

int ColumnX(int i) { return kColumnLeft + i * kColumnStep; }

// Column i's level: the volume and dB labels from `top` down, and the vertical slider (pixels).
void AddLevelRows(std::vector<ControlRow>& c, const std::wstring& container, int i, int top, int sliderTop,
                  int sliderHeight, ControlName volume, ControlName db, ControlName slider) {
    const int x = ColumnX(i);
    c.push_back(Row(ControlType::Label, std::move(volume), i, L"100%", x, top, kColumnWidth, 15, container, SS_CENTER));
    c.push_back(Row(ControlType::Label, std::move(db), i, L"0dB", x, top + 16, kColumnWidth, 15, container, SS_CENTER));
    c.push_back(Row(ControlType::Slider, std::move(slider), i, L"", x + 10, sliderTop, 32, sliderHeight, container, 0,
                    SliderBag(2, 0, 100, 100)));
}

void AddRecord(EditorDesign& d, const std::wstring& page) {
    auto& c = d.controls;
    const std::wstring rec = L"pctRecord";
    c.push_back(Row(ControlType::Frame, L"fraRecord", -1, L"&Record", 4, 4, 512, 362, page));
    c.push_back(Row(ControlType::PictureBox, rec.c_str(), -1, L"", 6, 16, 500, 340, L"fraRecord"));
    c.push_back(Row(ControlType::CheckBox, KAL_CONTROL(frmProfile, chkRecordSetAll), -1, L"Set", 4, 4, 56, 18, rec));
    c.push_back(
        Row(ControlType::CommandButton, KAL_CONTROL(frmProfile, cmdResetInputLines), -1, L"Reset", 4, 70, 56, 24, rec));
    c.push_back(
        Row(ControlType::OptionButton, KAL_CONTROL(frmProfile, optInputSelect), 255, L"Ignore", 4, 256, 60, 18, rec));
    c.push_back(Row(ControlType::Label, L"lblRecordMonitor", -1, L"Monitoring", 2, 298, 62, 16, rec));
    c.push_back(Row(ControlType::Label, L"lblRecordSettings", -1, L"Settings", 2, 320, 62, 16, rec));
    d.shapes.push_back(Line(L"MixerRecordLineHor", 0, 2, 25, 498, 25, rec));
    static const wchar_t* const names[] = {L"MIC", L"Line In", L"Aux", L"Wave", L"Mix", L"CD In", L"ALT", L"SPDIF In"};
    for (int i = 0; i < 8; ++i) {
        const int x = ColumnX(i);
        if (i > 0) d.shapes.push_back(Line(L"MixerRecordLineVer", i, x - 2, 4, x - 2, 338, rec));
        c.push_back(Row(ControlType::CheckBox, KAL_CONTROL(frmProfile, chkRecordSet), i, L"", x + 18, 4, 18, 18, rec));
        c.push_back(Row(ControlType::Slider, KAL_CONTROL(frmProfile, csliInputLineBalance), i, L"", x, 28, kColumnWidth,
                        24, rec, 0, SliderBag(0, -10, 10, 0)));
        c.push_back(
            Row(ControlType::Label, KAL_CONTROL(frmProfile, lblInputLineBalanceL), i, L"L", x + 2, 52, 10, 14, rec));
        c.push_back(Row(ControlType::CommandButton, KAL_CONTROL(frmProfile, cmdInputLineBalanceReset), i, L"C", x + 16,
                        52, 20, 15, rec));
        c.push_back(
            Row(ControlType::Label, KAL_CONTROL(frmProfile, lblInputLineBalanceR), i, L"R", x + 40, 52, 10, 14, rec));
        AddLevelRows(c, rec, i, 72, 106, 146, KAL_CONTROL(frmProfile, lblInputLineVolume),
                     KAL_CONTROL(frmProfile, lblInputLineVolumeDB), KAL_CONTROL(frmProfile, csliInputLine));
        c.push_back(
            Row(ControlType::OptionButton, KAL_CONTROL(frmProfile, optInputSelect), i, L"", x + 18, 256, 18, 18, rec));
        c.push_back(Row(ControlType::Label, KAL_CONTROL(frmProfile, lblInputLineCaption), i, names[i], x, 276,
                        kColumnWidth, 16, rec, SS_CENTER));
        c.push_back(
            Row(ControlType::CheckBox, KAL_CONTROL(frmProfile, chkRecordMonitor), i, L"", x + 18, 297, 18, 18, rec));
        c.push_back(Row(ControlType::CommandButton, KAL_CONTROL(frmProfile, cmdRecordExtraOptions), i, L"...", x + 6,
                        318, 40, 20, rec));
    }
}

void AddPlayback(EditorDesign& d, const std::wstring& page) {
    auto& c = d.controls;
    const std::wstring play = L"pctMixerPlayback";
    c.push_back(Row(ControlType::Frame, L"fraPlayBack", -1, L"Playback", 4, 370, 512, 210, page));
    c.push_back(Row(ControlType::PictureBox, KAL_CONTROL(frmProfile, pctMixerPlayback), -1, L"", 6, 16, 500, 188,
                    L"fraPlayBack"));
    c.push_back(Row(ControlType::CheckBox, KAL_CONTROL(frmProfile, chkPlaybackSetAll), -1, L"Set", 4, 4, 56, 18, play));
    c.push_back(Row(ControlType::CommandButton, KAL_CONTROL(frmProfile, cmdResetOutputChannels), -1, L"Reset", 4, 28,
                    56, 24, play));
    d.shapes.push_back(Line(L"MixerPlaybackLineHor", 0, 2, 25, 498, 25, play));
    static const wchar_t* const names[] = {L"L", L"R", L"C", L"SW", L"Ls", L"Rs", L"Lb", L"Rb"};
    for (int i = 0; i < 8; ++i) {
        const int x = ColumnX(i);
        if (i > 0) d.shapes.push_back(Line(L"MixerPlaybackLineVer", i, x - 2, 4, x - 2, 186, play));
        c.push_back(
            Row(ControlType::CheckBox, KAL_CONTROL(frmProfile, chkPlaybackSet), i, L"", x + 18, 4, 18, 18, play));
        AddLevelRows(c, play, i, 28, 60, 104, KAL_CONTROL(frmProfile, lblOutputChannelVolume),
                     KAL_CONTROL(frmProfile, lblOutputChannelVolumeDB), KAL_CONTROL(frmProfile, csliOutputChannel));
        c.push_back(Row(ControlType::Label, KAL_CONTROL(frmProfile, lblOutputChannelCaption), i, names[i], x, 166,
                        kColumnWidth, 16, play, SS_CENTER));
    }
}

}  // namespace

void AddMixerPage(EditorDesign& d) {
    const std::wstring page = Member(L"pctTabContent", 1);
    AddRecord(d, page);
    AddPlayback(d, page);
}

}  // namespace kal
