// Windows-side settings of the card stored in profiles beside the driver's values: the channel
// volumes of its speakers output and its recording lines, the recording lines' extra controls,
// the selected recording line, and the output's shared-mode bit depth and sample rate. Each is a
// byte array under a "_mixer" name (device/portable/mixer_names.h), read and written through the
// audio object.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "device/portable/mixer_names.h"
#include "base/hextext.h"

namespace kal {

// Reads (fills data) or writes the value `name`. A name that is not a "_mixer" name leaves data
// untouched; any failure ends the operation quietly with data as it stood. A write stamps the
// own-change time first, even when it then fails.
//   channel volume: one byte, the level in percent (a byte above 100 is not set);
//   extra control: one byte, 1 on, 0 off;
//   "_mixerInputLineSel": one byte, the index in gInputLineIds (0 when a foreign line is selected);
//   "_mixerBitDepth": one byte; "_mixerSampleRate": four bytes, little-endian.
void MixerValue(const std::wstring& name, Bytes& data, bool write);

// A "_mixer" value of a profile: the live value for profile "", else the profile's stored
// value with the live one standing in for a missing value.
Bytes MixerProfileValue(const std::wstring& profile, const std::wstring& name);

// Volume (0..100, the louder channel) and balance (-1 left only .. +1 right only) of a line, in
// four-decimal fixed point, from the profile's channel values ("" = the live state).
void GetProfileVolumeBalance(Currency& volume, Currency& balance, int flow, int line, const std::wstring& profile);
// The same from the line's channel values as `channelValue` gives them by name.
void GetProfileVolumeBalance(Currency& volume, Currency& balance, int flow, int line,
                             const std::function<Bytes(const std::wstring&)>& channelValue);
// Sets the line's two channel volumes from a volume and balance, left first.
void SetVolumeBalance(Currency volume, Currency balance, int flow, int line);

// The slot of the card's recording line `id` (exact comparison); -1 when none.
int InputLineIndex(const std::wstring& id);

}  // namespace kal
