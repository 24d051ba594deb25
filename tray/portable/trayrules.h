// Rules of the tray icon and the start-up balloons that need no Windows API: which picture the
// icon shows, how the volume overlay is sized, and the balloon texts.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "base/hextext.h"

namespace kal {

// Field sizes of the notification-area record, terminator included.
inline constexpr std::size_t kTrayTipChars = 128;
inline constexpr std::size_t kBalloonTitleChars = 64;
inline constexpr std::size_t kBalloonTextChars = 256;

// The text cut to fit a field of `fieldChars` characters with its terminator.
std::wstring FitField(const std::wstring& text, std::size_t fieldChars);

// The output picture from the first bytes of the live SpDigitalOut and SpeakerConfig:
// "SPDIF" while the digital output encodes (3 or more), else "HP" for headphones (1), else
// "SPEAKERS".
std::wstring OutputPictureName(std::uint8_t spDigitalOut, std::uint8_t speakerConfig);
// The resource name with the Windows 10 variant's suffix when it applies.
std::wstring Win10Variant(const std::wstring& name, bool win10);

// n pixels at 96 dpi scaled to the screen's dpi, rounded to the nearest integer.
int ScaleByDPI(int n, int dpi);

// The level bar that fits the picture: a horizontal one when fewer columns are empty at the
// right edge than rows at the bottom, else a vertical one.
bool UseHorizontalVolumeBar(int emptyRightColumns, int emptyBottomRows);
// Pixels of the level bar for a volume of 0..100 in an icon of `size` pixels.
int VolumeLevelPixels(Currency volume, int size);

// Balloon texts; each begins with a line break, which leaves an empty first line.
std::wstring DetectionPrefix(const std::wstring& caption);
std::wstring UpdateSucceededText(unsigned major, unsigned minor, unsigned revision);
std::wstring UpdateFailedText(const std::wstring& title);
// "Master volume successfully set to 40%" [" / " dB "dB"] "." (no leading line break).
std::wstring VolumeMessage(int volume, const std::optional<std::wstring>& decibels);
// "Profile "name" successfully loaded." [" " volume message].
std::wstring ProfileLoadedText(const std::wstring& profile, const std::wstring& volumeMessage);
// The start-up profile that names no stored profile.
std::wstring ProfileNotFoundText(const std::wstring& profile);
// The start-up profile that is stored but holds no values.
std::wstring ProfileEmptyText(const std::wstring& profile);

// A fixed-point number with up to four decimals, trailing zeros dropped.
std::wstring FormatDecimal(Currency value, const std::wstring& decimalSeparator);

}  // namespace kal
