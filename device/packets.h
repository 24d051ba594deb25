// The setting packet builders against the detected card: each turns one profile value (or a
// value and its partner) into its driver property and sends it as a write. Results: 0, or the
// transport's code; a wrong input size sends nothing and returns 0.
#pragma once
// The editor's handlers reach the card only through the editor's one sender (editor/cardsend.cpp),
// which sends each value part by part; the editor's build marks every other file of it.
#ifdef KALVENOR_CARD_SENDS_PRIVATE
#error "the editor sends to the card through frmProfile::SendToCard"
#endif
#include <cstdint>
#include <string_view>

#include "device/portable/packets.h"
#include "base/hextext.h"

namespace kal {

// The link of the builders to the detected card: SendDriverProperty, the live driver values
// and the card record's headphone amplifier.
DriverLink& CardLink();

std::uint32_t ApplyOutputFormat(Bytes& value);
std::uint32_t ApplyPanelConfig(Bytes& value, const Bytes& gain);
std::uint32_t ApplySpDigitalOut(Bytes& value);
std::uint32_t ApplyDVS(Bytes& enable, Bytes& mode);
std::uint32_t ApplyDH(Bytes& enable, Bytes& room);
std::uint32_t ApplyXear3D(Bytes& value);
std::uint32_t ApplyVSpeakerPos(const Bytes& layout);
std::uint32_t ApplyPl2xParam(const Bytes& value);
std::uint32_t ApplyNeoParam(const Bytes& value);
std::uint32_t ApplyEqEnable(Bytes& value);
std::uint32_t ApplyEqBand(std::uint8_t band, const Bytes& gain);
std::uint32_t ApplyEqGain(const Bytes& gains);
std::uint32_t ApplyAEC(const Bytes& value);
std::uint32_t ApplySmartVolume(const Bytes& value);
std::uint32_t ApplyBassManagement(Bytes& enable, Bytes& corner);
std::uint32_t ApplySpeakerSizeChannel(std::uint8_t channel, bool large);
std::uint32_t ApplySpeakerSize(Bytes& mask);
std::uint32_t ApplyChannelGain(std::wstring_view valueName, const Bytes& gain);
std::uint32_t ApplyOutputBlock(const Bytes& value, int slot, bool probe);
std::uint32_t ApplySpeakerConfig(const Bytes& value);
std::uint32_t ApplyCenterBassXchg(const Bytes& value);
// A trial of a speaker configuration: 0 when the driver accepts it (and changes its block).
std::uint32_t ProbeSpeakerConfig(const Bytes& value);
std::uint32_t ApplyAnalogOutputFlag(const Bytes& value, int index);
std::uint32_t ApplyHeadphoneLRXchg(const Bytes& value);
std::uint32_t ApplyDual2D(const Bytes& value);
std::uint32_t ApplySideRearXchg(const Bytes& value);

}  // namespace kal
