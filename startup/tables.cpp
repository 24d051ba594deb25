#include "startup/tables.h"

namespace kal {

const std::array<std::wstring_view, 12> gEqPresetNames = {
    L"Default", L"Bass", L"Treble", L"Dance", L"Opera", L"Rock",
    L"S-Rock", L"Jazz", L"Classic", L"Rap", L"Metal", L"H-Metal",
};

const std::array<std::wstring_view, 12> gEqPresetGains = {
    L"00000000000000000000000000000000000000000000000000000000000000000000000000000000",
    L"00000B00000007000000020000000000000000000000FAFF0000F6FF0000F6FF0000FEFF0000FEFF",
    L"0000F6FF0000F5FF0000F4FF0000FAFF000002000000070000000C0000000D0000000A0000000E00",
    L"0000050000000200000000000000F6FF0000FBFF0000FFFF000005000000090000000B0000000B00",
    L"0000FAFF000000000000040000000700000009000000080000000400000002000000020000000000",
    L"00000600000002000000F8FF0000F4FF0000FBFF000003000000080000000A0000000A0000000600",
    L"0000050000000400000002000000FEFF0000F8FF0000F4FF0000FBFF000000000000040000000800",
    L"0000F7FF0000060000000000000008000000F8FF000009000000FEFF00000C000000080000000000",
    L"00000000000007000000FFFF0000F9FF0000F3FF0000F8FF0000000000000A00000004000000FAFF",
    L"0000F3FF0000F6FF0000FCFF000002000000070000000B00000002000000F4FF0000FEFF00000800",
    L"00000C00000007000000FDFF0000040000000D0000000800000002000000FDFF0000080000000B00",
    L"0000F2FF0000F8FF000000000000050000000E00000004000000FCFF0000F8FF0000F8FF0000F6FF",
};

const std::array<std::wstring_view, 8> gInputLineNames = {
    L"MIC", L"Line In", L"Aux", L"Wave", L"Mix", L"CD In", L"ALT", L"SPDIF In",
};

const std::array<std::wstring_view, 8> gChannelNames = {
    L"Left", L"Right", L"Center", L"Woofer", L"LSurr", L"RSurr", L"LBack", L"RBack",
};

const std::array<std::wstring_view, 8> gChannelVolumeValues = {
    L"WaveOutVolL", L"WaveOutVolR", L"CentreVol", L"LfeVol", L"RearVolL", L"RearVolR", L"SideVolL", L"SideVolR",
};

KeyedCollection<std::wstring> gDriverDefaults;

std::wstring ReplaceAll(std::wstring text, std::wstring_view from, std::wstring_view to) {
    if (from.empty()) return text;
    for (std::size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

void BuildDriverDefaults(bool isXP) {
    std::wstring pl2x(kPl2xParamTemplate);
    for (auto [from, to] : {std::pair{L"XX", L"00"}, {L"HH", L"03"}, {L"VV", L"07"}, {L"M1", L"02"}, {L"M2", L"00"}})
        pl2x = ReplaceAll(std::move(pl2x), from, to);
    std::wstring neo(kNeoParamTemplate);
    for (auto [from, to] : {std::pair{L"XX", L"00"}, {L"HHHHHHHH", L"2449123F"}, {L"VV", L"07"}, {L"M1", L"02"}})
        neo = ReplaceAll(std::move(neo), from, to);

    const std::wstring speakerLayout =
        L"77259BBECDCC4C3D77259B3E01000000"
        L"77259B3ECDCC4C3D77259B3E01000000"
        L"00000000CDCC4C3D7671DB3E00000000"
        L"7671DB3ECDCC4C3D0000000000000000"
        L"77259BBECDCC4C3D77259BBE00000000"
        L"77259B3ECDCC4C3D77259BBE00000000"
        L"DA57E3BDCDCC4C3D6EFBD3BE00000000"
        L"DA57E33DCDCC4C3D6EFBD3BE00000000";

    auto& d = gDriverDefaults;
    d.Clear();
    d.Add(L"Shortcut", L"0000");
    d.Add(L"SmartVolumeParams", L"00000000");
    d.Add(L"SystemSpeakers", L"00");
    d.Add(L"OutputFormat", L"44AC0000");
    d.Add(L"PanelConfig", L"00000000");
    d.Add(L"SpeakerConfig", L"04000000");
    d.Add(L"HpImpedanceModeRear", L"00000000");
    d.Add(L"HpImpedanceModeFront", L"00000000");
    d.Add(L"SpDigitalOut", L"00000000");
    d.Add(L"DVSEnable", L"00000000");
    d.Add(L"DVSMode", L"05000000");
    d.Add(L"DHEnable", L"00000000");
    d.Add(L"DHRoom", L"01000000");
    d.Add(L"EnableXear3D", L"00000000");
    d.Add(L"Pl2xParam", pl2x);
    d.Add(L"VSpeakerPos", speakerLayout);
    d.Add(L"NeoParam", neo);
    d.Add(L"EqEnable", L"00");
    d.Add(L"EqGain", std::wstring(gEqPresetGains[0]));
    d.Add(L"BassManagement", L"00000000");
    d.Add(L"BassCornerFrequency", L"78000000");
    d.Add(L"SpeakerSize", L"00000000");
    d.Add(L"ListenerMode", L"01000000");
    d.Add(L"Dual2D", isXP ? L"00000000" : L"01000000");
    d.Add(L"CenterBassXchg", L"00000000");
    d.Add(L"HeadphoneLRXchg", L"00000000");
    d.Add(L"MuteSubwoofer", L"00000000");
    d.Add(L"HeadphoneMuteRear", L"01000000");
    d.Add(L"SideRearXchg", L"00000000");
    d.Add(L"AEC", L"000000000000000000000000000000000000A0400000004200002040000080420F00000400000000");
    for (auto name : gChannelVolumeValues) d.Add(std::wstring(name), L"00000000");
}

}  // namespace kal
