// The texts of profiles and of the card's state: the tray tooltip, the one-line profile
// summary of the profile list and the channel gain percentages of the editor. Built fresh on
// each call from the stored and live values.
#pragma once
#include <cstdint>
#include <string>

#include "device/portable/texts.h"
#include "device/profilevalues.h"

namespace kal {

// Two lines: the master volume ("Unknown", "Muted" or the level), then the active profile while
// it still holds, else the live output.
std::wstring TrayTooltipText();

// The profile's settings in one line, as the profile list shows them.
std::wstring ProfileSummary(const std::wstring& profile);
std::wstring ProfileSummary(const ProfileSnapshot& profile);

// Slider percentage of a playback channel's gain (channel 0..7) in the profile ("" = live).
std::int32_t GetChannelGainPercent(int channel, const std::wstring& profile);

}  // namespace kal
