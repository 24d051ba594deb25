// The card's own lines: its speakers output and its eight recording inputs, found once while the
// main form loads and addressed by slot everywhere else.
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace kal {

// Slot 0: the card's speakers endpoint (on XP the decimal text of a mixer line id); "" when none.
extern std::array<std::wstring, 1> gPlaybackLineIds;
// Slot i: the card's recording line for input i, in the order of gInputLineNames; "" when none.
extern std::array<std::wstring, 8> gInputLineIds;
// Slot i: the 1-based number of the line's custom control that switches its monitoring, 0 when none.
extern std::array<std::int32_t, 8> gInputLineMonitorControl;

// Registry key of the media categories whose "Name" values the card's driver registers.
inline constexpr wchar_t kMediaCategoriesKey[] = L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\MediaCategories";
// Category naming the monitoring switch among a line's custom controls.
inline constexpr wchar_t kMonitorCategory[] = L"{E23E291E-1B5B-4657-B046-0190383ABCA1}";

// winmm mixer component types the slots are chosen by.
inline constexpr std::uint32_t kComponentDstSpeakers = 4;
inline constexpr std::uint32_t kComponentSrcLine = 0x1002;
inline constexpr std::uint32_t kComponentSrcMicrophone = 0x1003;
inline constexpr std::uint32_t kComponentSrcCompactDisc = 0x1005;

// The line's winmm component type (MIXERLINE_COMPONENTTYPE_*), flow 0 playback, 1 recording.
std::uint32_t GetLineComponentType(const std::wstring& line, std::uint32_t flow);

// Fills the three slot arrays from the card's lines. Slots no line fills keep their contents.
void FindCardLines();

}  // namespace kal
