// Fixed name tables and the driver's default values.
#pragma once
#include <array>
#include <string>
#include <string_view>

#include "base/keyed.h"

namespace kal {

// Built-in equalizer presets: name and gains (80 hex digits, ten little-endian 16.16 dB bands).
extern const std::array<std::wstring_view, 12> gEqPresetNames;
extern const std::array<std::wstring_view, 12> gEqPresetGains;

// The card's recording inputs; the index is the input index used throughout the program.
extern const std::array<std::wstring_view, 8> gInputLineNames;
// Output channels: display name and the driver value holding the channel's gain.
extern const std::array<std::wstring_view, 8> gChannelNames;
extern const std::array<std::wstring_view, 8> gChannelVolumeValues;

// Driver value name -> default bytes as hex text.
extern KeyedCollection<std::wstring> gDriverDefaults;

// Builds gDriverDefaults; "Dual2D" follows the Windows XP flag.
void BuildDriverDefaults(bool isXP);

// Replaces every occurrence of `from` by `to`, case-sensitively.
std::wstring ReplaceAll(std::wstring text, std::wstring_view from, std::wstring_view to);

// The parameter templates the editor and the defaults fill in.
inline constexpr std::wstring_view kPl2xParamTemplate = L"XX000000M1000000VV0000M2HH0000M2000000M2";
inline constexpr std::wstring_view kNeoParamTemplate = L"XX000000M1000000HHHHHHHHVV000000";

}  // namespace kal
