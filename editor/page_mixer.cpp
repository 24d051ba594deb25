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

void AddRecord(EditorDesign& d, const std::wstring& page) {
    auto& c = d.controls;
    const std::wstring rec = L"pctRecord";
    c.push_back(Row(ControlType::Frame, L"fraRecord", -1, L"&Record", 4, 4, 512, 362, page));
    c.push_back(Row(ControlType::PictureBox, rec.c_str(), -1, L"", 6, 16, 500, 340, L"fraRecord"));
    c.push_back(Row(ControlType::CheckBox, L"chkRecordSetAll", -1, L"Set", 4, 4, 56, 18, rec)
                    .To(Bind(&frmProfile::chkRecordSetAll)));
    c.push_back(Row(ControlType::CommandButton, L"cmdResetInputLines", -1, L"Reset", 4, 70, 56, 24, rec)
                    .To(Bind(&frmProfile::cmdResetInputLines)));
    c.push_back(Row(ControlType::OptionButton, L"optInputSelect", 255, L"Ignore", 4, 256, 60, 18, rec)
                    .To(Bind(&frmProfile::optInputSelect)));
    c.push_back(Row(ControlType::Label, L"lblRecordMonitor", -1, L"Monitoring", 2, 298, 62, 16, rec));
    c.push_back(Row(ControlType::Label, L"lblRecordSettings", -1, L"Settings", 2, 320, 62, 16, rec));
    d.shapes.push_back(Line(L"MixerRecordLineHor", 0, 2, 25, 498, 25, rec));
    static const wchar_t* const names[] = {L"MIC", L"Line In", L"Aux", L"Wave", L"Mix", L"CD In", L"ALT", L"SPDIF In"};
    for (int i = 0; i < 8; ++i) {
        const int x = ColumnX(i);
        if (i > 0) d.shapes.push_back(Line(L"MixerRecordLineVer", i, x - 2, 4, x - 2, 338, rec));
        c.push_back(Row(ControlType::CheckBox, L"chkRecordSet", i, L"", x + 18, 4, 18, 18, rec)
                        .To(Bind(&frmProfile::chkRecordSet)));
        c.push_back(Row(ControlType::Slider, L"csliInputLineBalance", i, L"", x, 28, kColumnWidth, 24, rec, 0,
                        SliderBag(0, -10, 10, 0))
                        .To(Bind(&frmProfile::csliInputLineBalance)));
        c.push_back(Row(ControlType::Label, L"lblInputLineBalanceL", i, L"L", x + 2, 52, 10, 14, rec)
                        .To(Bind(&frmProfile::lblInputLineBalanceL)));
        c.push_back(Row(ControlType::CommandButton, L"cmdInputLineBalanceReset", i, L"C", x + 16, 52, 20, 15, rec)
                        .To(Bind(&frmProfile::cmdInputLineBalanceReset)));
        c.push_back(Row(ControlType::Label, L"lblInputLineBalanceR", i, L"R", x + 40, 52, 10, 14, rec)
                        .To(Bind(&frmProfile::lblInputLineBalanceR)));
        c.push_back(Row(ControlType::Label, L"lblInputLineVolume", i, L"100%", x, 72, kColumnWidth, 15, rec, SS_CENTER)
                        .To(Bind(&frmProfile::lblInputLineVolume)));
        c.push_back(Row(ControlType::Label, L"lblInputLineVolumeDB", i, L"0dB", x, 88, kColumnWidth, 15, rec, SS_CENTER)
                        .To(Bind(&frmProfile::lblInputLineVolumeDB)));
        c.push_back(
            Row(ControlType::Slider, L"csliInputLine", i, L"", x + 10, 106, 32, 146, rec, 0, SliderBag(2, 0, 100, 100))
                .To(Bind(&frmProfile::csliInputLine)));
        c.push_back(Row(ControlType::OptionButton, L"optInputSelect", i, L"", x + 18, 256, 18, 18, rec)
                        .To(Bind(&frmProfile::optInputSelect)));
        c.push_back(
            Row(ControlType::Label, L"lblInputLineCaption", i, names[i], x, 276, kColumnWidth, 16, rec, SS_CENTER)
                .To(Bind(&frmProfile::lblInputLineCaption)));
        c.push_back(Row(ControlType::CheckBox, L"chkRecordMonitor", i, L"", x + 18, 297, 18, 18, rec)
                        .To(Bind(&frmProfile::chkRecordMonitor)));
        c.push_back(Row(ControlType::CommandButton, L"cmdRecordExtraOptions", i, L"...", x + 6, 318, 40, 20, rec)
                        .To(Bind(&frmProfile::cmdRecordExtraOptions)));
    }
}

void AddPlayback(EditorDesign& d, const std::wstring& page) {
    auto& c = d.controls;
    const std::wstring play = L"pctMixerPlayback";
    c.push_back(Row(ControlType::Frame, L"fraPlayBack", -1, L"Playback", 4, 370, 512, 210, page));
    c.push_back(Row(ControlType::PictureBox, play.c_str(), -1, L"", 6, 16, 500, 188, L"fraPlayBack")
                    .To(Bind(&frmProfile::pctMixerPlayback)));
    c.push_back(Row(ControlType::CheckBox, L"chkPlaybackSetAll", -1, L"Set", 4, 4, 56, 18, play)
                    .To(Bind(&frmProfile::chkPlaybackSetAll)));
    c.push_back(Row(ControlType::CommandButton, L"cmdResetOutputChannels", -1, L"Reset", 4, 28, 56, 24, play)
                    .To(Bind(&frmProfile::cmdResetOutputChannels)));
    d.shapes.push_back(Line(L"MixerPlaybackLineHor", 0, 2, 25, 498, 25, play));
    static const wchar_t* const names[] = {L"L", L"R", L"C", L"SW", L"Ls", L"Rs", L"Lb", L"Rb"};
    for (int i = 0; i < 8; ++i) {
        const int x = ColumnX(i);
        if (i > 0) d.shapes.push_back(Line(L"MixerPlaybackLineVer", i, x - 2, 4, x - 2, 186, play));
        c.push_back(Row(ControlType::CheckBox, L"chkPlaybackSet", i, L"", x + 18, 4, 18, 18, play)
                        .To(Bind(&frmProfile::chkPlaybackSet)));
        c.push_back(
            Row(ControlType::Label, L"lblOutputChannelVolume", i, L"100%", x, 28, kColumnWidth, 15, play, SS_CENTER)
                .To(Bind(&frmProfile::lblOutputChannelVolume)));
        c.push_back(
            Row(ControlType::Label, L"lblOutputChannelVolumeDB", i, L"0dB", x, 44, kColumnWidth, 15, play, SS_CENTER)
                .To(Bind(&frmProfile::lblOutputChannelVolumeDB)));
        c.push_back(Row(ControlType::Slider, L"csliOutputChannel", i, L"", x + 10, 60, 32, 104, play, 0,
                        SliderBag(2, 0, 100, 100))
                        .To(Bind(&frmProfile::csliOutputChannel)));
        c.push_back(
            Row(ControlType::Label, L"lblOutputChannelCaption", i, names[i], x, 166, kColumnWidth, 16, play, SS_CENTER)
                .To(Bind(&frmProfile::lblOutputChannelCaption)));
    }
}

}  // namespace

void AddMixerPage(EditorDesign& d) {
    const std::wstring page = Member(L"pctTabContent", 1);
    AddRecord(d, page);
    AddPlayback(d, page);
}

}  // namespace kal
