// Text rules of the settings store and the menus that need no Windows API.
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace kal {

// A profile item's caption is the profile name, a Tab and the shortcut text.
std::wstring MenuCaptionName(const std::wstring& caption);

// The 16 bytes of a "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" text in memory order; all
// zeros when the text is not such a GUID.
std::array<std::uint8_t, 16> ParseGUID(const std::wstring& text);

// The temporary profile of the editor's live mode: the seconds since midnight written with
// at most seven significant digits, the decimal separator removed, then "~Live".
std::wstring LiveProfileNameFor(float secondsSinceMidnight, const std::wstring& decimalSeparator);
bool IsLiveProfileName(const std::wstring& name);
// A restore point's exact form: digits only, then "~Live" (in any letter case, as the registry
// compares key names). No name a user can save has it.
bool IsRestorePointName(const std::wstring& name);
// A name kept for the program's own keys beside the profiles (restore points, the keys live mode
// applies, a renamed profile's staging key): one holding "~Live" in any letter case, as the
// registry compares key names. A profile can't be saved under it.
bool IsReservedProfileName(const std::wstring& name);
// Where a profile whose name changes only in letter case stands whole while its key is made anew.
std::wstring StagingProfileName(const std::wstring& name);

// Splits a profile's "CustomIcon" text (file "|" overlay flag).
void SplitCustomIcon(const std::wstring& text, std::wstring& iconFile, bool& volumeOverlay);

// "DefaultVolume" text as a signed 16-bit number; -1 when it is no such number.
std::int16_t ParseDefaultVolume(const std::wstring& text);

// "SliderWheelIncrement" text as the mouse-wheel step: a decimal number rounded half to even; a
// text that is no number or lies outside -32768..32767 gives the default step 1.
std::int16_t ParseWheelIncrement(const std::wstring& text);

// "Kalvenor/1.0.5 (Windows NT 10.0; WOW64)".
std::wstring FormatUserAgent(const std::wstring& title, unsigned major, unsigned minor,
                             unsigned revision, unsigned winMajor, unsigned winMinor, bool wow64);

}  // namespace kal
