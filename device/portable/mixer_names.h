// Names of the profile values that hold Windows-side settings of the card: "_mixer" followed by
// the flow (0 playback, 1 recording), the line as two hex digits, the channel (0 left, 1 right)
// and the control (0 the channel volume, n the line's custom control n).
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace kal {

inline constexpr wchar_t kMixerInputLineSel[] = L"_mixerInputLineSel";
inline constexpr wchar_t kMixerBitDepth[] = L"_mixerBitDepth";
inline constexpr wchar_t kMixerSampleRate[] = L"_mixerSampleRate";

struct MixerChannelRef {
    int flow = 0;
    int line = 0;
    int channel = 0;
    int control = 0;
};

std::wstring MixerValueName(int flow, int line, int channel, int control);

// The first six characters are "_mixer" in any letter case.
bool IsMixerValueName(std::wstring_view name);

// Reads a channel name back (after lower-casing): flow one digit, line two decimal digits,
// channel and control one digit each, a missing channel or control counting as 0. A flow other
// than 1 means playback. nullopt when a digit is missing or not a digit.
std::optional<MixerChannelRef> ParseMixerValueName(std::wstring_view name);

}  // namespace kal
