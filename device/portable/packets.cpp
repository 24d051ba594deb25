#include "device/portable/packets.h"

#include <algorithm>
#include <cwctype>

#include "startup/tables.h"

namespace kal {

namespace {

void ResizeTo(Bytes& value, std::size_t size) { value.resize(size, 0); }

std::uint8_t First(const Bytes& value) { return value.empty() ? 0 : value[0]; }

Bytes Dwords(std::initializer_list<std::uint32_t> words) {
    Bytes b(words.size() * 4, 0);
    std::size_t at = 0;
    for (std::uint32_t w : words) {
        PutUInt32(b, at, w);
        at += 4;
    }
    return b;
}

// Parameter blocks whose bytes after the first are all zero carry only the on/off byte: the
// driver's present parameters go with it.
std::uint32_t SendParams(DriverLink& link, std::uint32_t id, std::wstring_view name, const Bytes& value,
                         std::size_t size) {
    if (value.size() != size) return 0;
    Bytes packet = value;
    if (std::all_of(value.begin() + 1, value.end(), [](std::uint8_t b) { return b == 0; })) {
        packet = link.Live(name);
        if (packet.empty()) packet.push_back(0);
        packet[0] = value[0];
    }
    return link.Send(id, packet, false);
}

}  // namespace

const PropertySetId& PropertySetForDriver(std::wstring_view driverText) {
    return ContainsNoCase(driverText, L"stxii") ? kPropertySetStxII : kPropertySetDefault;
}

std::array<std::uint8_t, kKsPropertyHeaderSize> KsPropertyHeader(const PropertySetId& set, std::uint32_t id,
                                                                 bool isGet) {
    std::array<std::uint8_t, kKsPropertyHeaderSize> h{};
    std::copy(set.begin(), set.end(), h.begin());
    const std::uint32_t flags = isGet ? kKsPropertyGet : kKsPropertySet;
    for (int i = 0; i < 4; ++i) {
        h[16 + i] = static_cast<std::uint8_t>(id >> (8 * i));
        h[20 + i] = static_cast<std::uint8_t>(flags >> (8 * i));
    }
    return h;
}

int ChannelIndex(std::wstring_view valueName) {
    for (std::size_t i = 0; i < gChannelVolumeValues.size(); ++i)
        if (gChannelVolumeValues[i] == valueName) return static_cast<int>(i);
    return -1;
}

std::wstring AudioFilterBasePath(std::wstring_view interfacePath) {
    const std::size_t last = interfacePath.rfind(L'\\');
    if (last == std::wstring_view::npos) return {};
    const std::wstring tail(interfacePath.substr(last));  // "\" + last part
    std::wstring path(interfacePath);
    for (std::size_t at; (at = path.find(tail)) != std::wstring::npos;) path.erase(at, tail.size());
    return path;
}


namespace packets {

std::uint32_t OutputFormat(DriverLink& link, Bytes& value) {
    ResizeTo(value, 8);
    Bytes packet = value;
    return link.Send(DrvPropOutputFormat, packet, false);
}

std::uint32_t PanelConfig(DriverLink& link, Bytes& value, const Bytes& gain) {
    ResizeTo(value, 1);
    Bytes packet = value;
    const std::uint32_t rc = link.Send(DrvPropPanelConfig, packet, false);
    if (rc != 0 || gain.empty() || gain[0] == 255 || !link.HasHpAmp()) return rc;
    Bytes gainPacket = gain;
    return link.Send(DrvPropHpAmpGain, gainPacket, false);
}

std::uint32_t SpDigitalOut(DriverLink& link, Bytes& value) {
    ResizeTo(value, 1);
    Bytes packet = {value[0], 0x2C, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0};
    return link.Send(DrvPropSpDigitalOut, packet, false);
}

std::uint32_t DVS(DriverLink& link, Bytes& enable, Bytes& mode) {
    ResizeTo(enable, 1);
    ResizeTo(mode, 1);
    Bytes packet = Dwords({enable[0], mode[0]});
    return link.Send(DrvPropDolbyVirtualSpeaker, packet, false);
}

std::uint32_t DH(DriverLink& link, Bytes& enable, Bytes& room) {
    ResizeTo(enable, 1);
    ResizeTo(room, 1);
    Bytes packet = Dwords({enable[0], room[0]});
    return link.Send(DrvPropDolbyHeadphone, packet, false);
}

std::uint32_t Xear3D(DriverLink& link, Bytes& value) {
    ResizeTo(value, 1);
    Bytes packet = Dwords({8, 3, value[0], 0, 0});
    return link.Send(DrvPropVss, packet, false);
}

std::uint32_t VSpeakerPos(DriverLink& link, const Bytes& layout) {
    if (layout.size() != kSpeakerLayoutSize) return 0;
    Bytes packet(20, 0);
    for (std::uint8_t i = 0; i < 8; ++i) {
        packet[0] = i;
        std::copy_n(layout.begin() + 16 * i, 12, packet.begin() + 8);
        Bytes sent = packet;
        if (const std::uint32_t rc = link.Send(DrvPropVss, sent, false)) return rc;
    }
    return 0;
}

std::uint32_t Pl2xParam(DriverLink& link, const Bytes& value) {
    return SendParams(link, DrvPropPl2x, L"Pl2xParam", value, kPl2xSize);
}

std::uint32_t NeoParam(DriverLink& link, const Bytes& value) {
    return SendParams(link, DrvPropNeo, L"NeoParam", value, kNeoSize);
}

std::uint32_t EqEnable(DriverLink& link, Bytes& value) {
    ResizeTo(value, 1);
    Bytes packet = Dwords({10, value[0]});
    return link.Send(DrvPropEq, packet, false);
}

std::uint32_t EqBand(DriverLink& link, std::uint8_t band, const Bytes& gain) {
    if (gain.size() != 4 || band >= 10) return 0;
    Bytes packet = Dwords({band});
    packet.insert(packet.end(), gain.begin(), gain.end());
    return link.Send(DrvPropEq, packet, false);
}

std::uint32_t EqGain(DriverLink& link, const Bytes& gains) {
    if (gains.size() != 40) return 0;
    for (std::uint8_t b = 0; b < 10; ++b)
        if (const std::uint32_t rc = EqBand(link, b, Bytes(gains.begin() + 4 * b, gains.begin() + 4 * b + 4))) return rc;
    return 0;
}

std::uint32_t AEC(DriverLink& link, const Bytes& value) {
    if (value.size() != 40) return 0;
    Bytes packet = value;
    return link.Send(DrvPropAEC, packet, false);
}

std::uint32_t SmartVolume(DriverLink& link, const Bytes& value) {
    if (value.size() != 4) return 0;
    Bytes packet = value;
    return link.Send(DrvPropSmartVolume, packet, false);
}

std::uint32_t BassManagement(DriverLink& link, Bytes& enable, Bytes& corner) {
    ResizeTo(enable, 1);
    ResizeTo(corner, 1);
    Bytes packet = Dwords({8, 0, enable[0], corner[0]});
    return link.Send(DrvPropSpeakers, packet, false);
}

std::uint32_t SpeakerSizeChannel(DriverLink& link, std::uint8_t channel, bool large) {
    if (channel > 7) return 0;
    Bytes packet = Dwords({channel, 0, large ? 1u : 0u, 0});
    return link.Send(DrvPropSpeakers, packet, false);
}

std::uint32_t SpeakerSize(DriverLink& link, Bytes& mask) {
    ResizeTo(mask, 1);
    for (std::uint8_t c = 0; c < 8; ++c) SpeakerSizeChannel(link, c, (mask[0] >> c) & 1);
    return 0;
}

std::uint32_t ChannelGain(DriverLink& link, std::wstring_view valueName, const Bytes& gain) {
    const int i = ChannelIndex(valueName);
    if (i < 0 || gain.size() != 4) return 0;
    Bytes block(kChannelGainsSize, 0);
    if (const std::uint32_t rc = link.Send(DrvPropChannelGains, block, true)) return rc;
    block.resize(kChannelGainsSize, 0);
    std::copy(gain.begin(), gain.end(), block.begin() + 4 * i);
    return link.Send(DrvPropChannelGains, block, false);
}

std::uint32_t OutputBlock(DriverLink& link, const Bytes& value, int slot, bool probe) {
    if (value.size() != 4 || slot < 0 || slot > 2) return 0;
    Bytes block;
    for (const wchar_t* name : {L"ListenerMode", L"SpeakerConfig", L"CenterBassXchg"}) {
        Bytes live = link.Live(name);
        live.resize(4, 0);
        block.insert(block.end(), live.begin(), live.end());
    }
    std::copy(value.begin(), value.end(), block.begin() + 4 * slot);
    return link.Send(probe ? DrvPropOutputBlockProbe : DrvPropOutputBlock, block, false);
}

std::uint32_t AnalogOutputFlag(DriverLink& link, const Bytes& value, int index) {
    if (value.size() != 4 || index < 0 || index > 4) return 0;
    Bytes block;
    for (const wchar_t* name : {L"HeadphoneLRXchg", L"Dual2D", L"MuteSubwoofer", L"HeadphoneMuteRear", L"SideRearXchg"})
        block.push_back(First(link.Live(name)));
    block.push_back(0);
    block[static_cast<std::size_t>(index)] = value[0];
    return link.Send(DrvPropAnalogFlags, block, false);
}

}  // namespace packets

}  // namespace kal
