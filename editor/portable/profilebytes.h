// The bytes of the profile values the editor writes, and their decoding back into control
// states: pure functions of plain inputs, so that a value stored in a profile and a value sent
// to the card in live mode are always the same bytes.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "base/hextext.h"

namespace kal {

// A 4-byte code: the code in byte 0, zeros after it.
Bytes EncodeCode(std::uint8_t code);
// A 4-byte flag: 01000000 on, 00000000 off.
Bytes EncodeFlag(bool on);
// A 4-byte little-endian unsigned number.
Bytes EncodeNumber(std::uint32_t number);
// Byte 0 of a value, `fallback` when it has none.
std::uint8_t FirstByte(const Bytes& value, std::uint8_t fallback = 0);

// Dolby ProLogic IIx (20 bytes): byte 0 on, byte 4 the mode (2 music, 3 movie), byte 8 the
// depth, byte 12 the width, 0x80 in bytes 11, 15 and 19 in movie mode. Movie mode stores depth
// 7 and width 3; with echo cancellation on the width is 5 in either mode.
Bytes EncodePl2xParam(bool on, bool movie, int width, int depth, bool aecOn);
// DTS NEO:PC (16 bytes): byte 0 on, byte 4 the mode (2 music, 1 movie), bytes 8-11 the width
// divided by 7 as a float, byte 12 the depth; movie mode stores width 4 and depth 7.
Bytes EncodeNeoParam(bool on, bool movie, int width, int depth);

struct EffectParams {
    bool on = false;
    bool movie = false;
    int width = 0;
    int depth = 0;
};
// What the ProLogic IIx panel shows of a stored value (missing bytes read as 0).
EffectParams DecodePl2xParam(const Bytes& value);
// What the NEO:PC panel shows: the width is the stored float times 7, to the nearest whole
// number (a stored 4/7 reads back as 4, not 3).
EffectParams DecodeNeoParam(const Bytes& value);

// One equalizer band: {0, 0, dB low, dB high}, dB a signed 16-bit number.
Bytes EncodeEqBand(int decibels);
// The ten bands, band 0 (30 Hz) first: 40 bytes.
Bytes EncodeEqGain(const std::array<int, 10>& decibels);
// The ten bands of a 40-byte value; all 0 dB for any other length.
std::array<int, 10> DecodeEqGain(const Bytes& value);

// Speaker sizes, large per box (front, centre, rear, side): bits 0-1, 2, 4-5 and 6-7 of byte 0.
Bytes EncodeSpeakerSize(const std::array<bool, 4>& large);
// Box i is large when bit 2i of byte 0 is set.
std::array<bool, 4> DecodeSpeakerSizes(const Bytes& value);

// A channel gain of `decibels`, rounded half to even to a signed 16-bit number: {0, 0, low,
// high}, i.e. the gain times 65536 as a signed 32-bit little-endian number.
Bytes EncodeChannelGain(double decibels);

// Echo cancellation (40 bytes): fixed parameters with byte 8 the on flag.
Bytes EncodeAEC(bool on);
// Whether echo cancellation's stored value is on.
bool DecodeAEC(const Bytes& value);

// The left and right volume bytes (percent) of a volume (0..100) and a balance (-1..+1, four
// decimals), rounded half to even; 255 both with "Use last".
std::pair<std::uint8_t, std::uint8_t> EncodeVolumePair(Currency volume, Currency balance, bool useLast);

// The shortcut box's stored key "KK|MM" as its two bytes; nullopt for "" or a malformed text.
std::optional<Bytes> EncodeShortcut(const std::wstring& stored);
// The icon file and the overlay flag: "file|0" or "file|1".
std::wstring EncodeCustomIcon(const std::wstring& file, bool overlay);

// Whether output channel `channel` (0..7) exists on an output of `channels` channels.
bool IsChannelAvailable(int channel, int channels);

}  // namespace kal
