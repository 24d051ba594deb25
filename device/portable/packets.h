// Packets of the card driver's private property set: the property ids, the request header and
// the builders that turn one setting (or a setting and its partner) into the bytes of the
// property that carries it. The builders talk to the driver through a DriverLink, so the
// same code runs against the card and, natively, against a recording link.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/hextext.h"
#include "base/keyed.h"

namespace kal {

// Driver property identifiers.
enum DriverPropertyId : std::uint32_t {
    DrvPropProbe = 1,
    DrvPropSpDigitalOut = 2,
    DrvPropChannelGains = 3,
    DrvPropOutputBlock = 4,
    DrvPropOutputBlockProbe = 6,
    DrvPropEq = 9,
    DrvPropVss = 10,
    DrvPropPl2x = 29,
    DrvPropDolbyHeadphone = 30,
    DrvPropDolbyVirtualSpeaker = 31,
    DrvPropPeakMeter = 33,
    DrvPropAnalogFlags = 35,
    DrvPropSpeakers = 36,
    DrvPropNeo = 38,
    DrvPropPanelConfig = 49,
    DrvPropSmartVolume = 64,
    DrvPropAEC = 100,
    DrvPropOutputFormat = 105,
    DrvPropHpAmpGain = 118,
};

// Byte sizes of the fixed-size blocks.
inline constexpr std::size_t kProbeSize = 12;
inline constexpr std::size_t kChannelGainsSize = 40;
inline constexpr std::size_t kPeakMeterSize = 40;
inline constexpr std::size_t kNeoSize = 16;
inline constexpr std::size_t kPl2xSize = 20;
inline constexpr std::size_t kSpeakerLayoutSize = 128;

// Property-set identifiers in their in-memory GUID byte order.
using PropertySetId = std::array<std::uint8_t, 16>;
// {51D0011F-CC76-4A8B-9098-D637D44B60CD}: the driver family's set.
inline constexpr PropertySetId kPropertySetDefault = {0x1F, 0x01, 0xD0, 0x51, 0x76, 0xCC, 0x8B, 0x4A,
                                                      0x90, 0x98, 0xD6, 0x37, 0xD4, 0x4B, 0x60, 0xCD};
// {8F9411EA-DD4F-4FAC-A5E3-8A3A00AB81CF}: the set of the "stxii" driver.
inline constexpr PropertySetId kPropertySetStxII = {0xEA, 0x11, 0x94, 0x8F, 0x4F, 0xDD, 0xAC, 0x4F,
                                                    0xA5, 0xE3, 0x8A, 0x3A, 0x00, 0xAB, 0x81, 0xCF};

// The set to use for a driver whose class key names `driverText` as its "Driver".
const PropertySetId& PropertySetForDriver(std::wstring_view driverText);

inline constexpr std::uint32_t kKsPropertyGet = 1;
inline constexpr std::uint32_t kKsPropertySet = 2;
inline constexpr std::size_t kKsPropertyHeaderSize = 24;

// The 24-byte request header: set, id, flags (get or set).
std::array<std::uint8_t, kKsPropertyHeaderSize> KsPropertyHeader(const PropertySetId& set, std::uint32_t id,
                                                                 bool isGet);

// Index 0..7 of a channel gain value name ("WaveOutVolL" ... "SideVolR", exact case), -1 when
// the name is none of them.
int ChannelIndex(std::wstring_view valueName);

// Audio filter path less its reference part: every "\" + last part removed; "" when the path
// holds no backslash.
std::wstring AudioFilterBasePath(std::wstring_view interfacePath);

// What the packet builders need from the card.
class DriverLink {
public:
    virtual ~DriverLink() = default;
    // One property request; 0 or a system error code. A read fills `data`.
    virtual std::uint32_t Send(std::uint32_t id, Bytes& data, bool isGet) = 0;
    // The setting's live value (the driver's, else the program's default).
    virtual Bytes Live(std::wstring_view name) = 0;
    // Whether the detected card has a headphone amplifier.
    virtual bool HasHpAmp() = 0;
};

// The builders. Each returns the result of its last request, or 0 with nothing sent when an
// input has the wrong size. "Resized" inputs are resized in the caller's array.
namespace packets {

std::uint32_t OutputFormat(DriverLink& link, Bytes& value);
std::uint32_t PanelConfig(DriverLink& link, Bytes& value, const Bytes& gain);
std::uint32_t SpDigitalOut(DriverLink& link, Bytes& value);
std::uint32_t DVS(DriverLink& link, Bytes& enable, Bytes& mode);
std::uint32_t DH(DriverLink& link, Bytes& enable, Bytes& room);
std::uint32_t Xear3D(DriverLink& link, Bytes& value);
std::uint32_t VSpeakerPos(DriverLink& link, const Bytes& layout);
std::uint32_t Pl2xParam(DriverLink& link, const Bytes& value);
std::uint32_t NeoParam(DriverLink& link, const Bytes& value);
std::uint32_t EqEnable(DriverLink& link, Bytes& value);
std::uint32_t EqBand(DriverLink& link, std::uint8_t band, const Bytes& gain);
std::uint32_t EqGain(DriverLink& link, const Bytes& gains);
std::uint32_t AEC(DriverLink& link, const Bytes& value);
std::uint32_t SmartVolume(DriverLink& link, const Bytes& value);
std::uint32_t BassManagement(DriverLink& link, Bytes& enable, Bytes& corner);
std::uint32_t SpeakerSizeChannel(DriverLink& link, std::uint8_t channel, bool large);
std::uint32_t SpeakerSize(DriverLink& link, Bytes& mask);
std::uint32_t ChannelGain(DriverLink& link, std::wstring_view valueName, const Bytes& gain);
// slot 0 ListenerMode, 1 SpeakerConfig, 2 CenterBassXchg; probe sends the trial property.
std::uint32_t OutputBlock(DriverLink& link, const Bytes& value, int slot, bool probe);
// index 0 HeadphoneLRXchg, 1 Dual2D, 2 MuteSubwoofer, 3 HeadphoneMuteRear, 4 SideRearXchg.
std::uint32_t AnalogOutputFlag(DriverLink& link, const Bytes& value, int index);

}  // namespace packets

}  // namespace kal
