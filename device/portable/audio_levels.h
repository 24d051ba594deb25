// Level arithmetic of the audio object: percentages, decibels, channel levels, volume and
// balance. Values are four-decimal fixed-point numbers (Currency) unless said otherwise.
#pragma once
#include <cstdint>
#include <string_view>

#include "base/hextext.h"

namespace kal {

// Nearest 1/10000, halves to even.
Currency ToFixed4(double value);
double Fixed4ToDouble(Currency value);
// The nearest whole number, halves to even: a slider's position for a level.
std::int32_t Whole(Currency value);

// The decibel value of a volume percentage on a logarithmic taper between minDB and maxDB:
// factor x log10(A + (B - A) x percent / 100) with A = 10^(minDB/factor), B = 10^(maxDB/factor),
// rounded to one decimal. 0 for a percentage outside 0..100.
Currency DBFromLinear(std::int16_t percent, std::int16_t factor, std::int16_t minDB, std::int16_t maxDB);

// (100 x 10^(dB/factor) - A) / (B - A). Deliberately not the exact inverse of DBFromLinear:
// stored values were computed with this formula, so it is kept (0 dB on -96..0 gives 100.1793).
Currency LinearFromDB(Currency dB, std::int16_t factor, std::int16_t minDB, std::int16_t maxDB);

// DBFromLinear on an endpoint's volume range: the range ends are rounded to whole decibels,
// the factor is 20 for recording (flow 1) and 35 for playback.
Currency DeviceDBFromRange(std::uint32_t flow, std::int16_t percent, float minDB, float maxDB);

// toLR: left and right from volume and balance (-1 all left .. +1 all right).
// Otherwise: volume and balance from left and right, which stay as they are.
void ChannelsBalance(Currency& left, Currency& right, Currency& volume, Currency& balance, bool toLR);

// Mixer component type (winmm MIXERLINE_COMPONENTTYPE_*) of a topology node type given as
// upper-case GUID text in braces; the comparison is exact.
std::uint32_t DeviceSubtypeToComponentType(std::wstring_view subtype, std::uint32_t flow);

}  // namespace kal
