// Per-output volume memory and preset names. The master volume and balance last in use on each
// analog output (panel and speaker configuration) are kept under the settings key, so that a
// profile can ask for the volume its output had last; equalizer gains and speaker layouts are
// named after the built-in or user preset they equal.
#pragma once
#include <string>

#include "device/portable/texts_values.h"
#include "base/hextext.h"

namespace kal {

// save: stores the live master volume and balance for the live output (LastOutput, then
// "LastVolume" and "LastBalance" followed by the panel and configuration digits); the arguments
// are left untouched. Load: the volume (255 when nothing is remembered) and balance (-1..+1, 0
// when nothing is remembered) for the output the named profile selects.
void OutputVolumeMemory(const std::wstring& profile, Currency& volume, Currency& balance, bool save);
// The load of OutputVolumeMemory for the output of that panel and speaker configuration.
void RememberedOutputVolume(const Bytes& panel, const Bytes& config, Currency& volume, Currency& balance);

// A built-in preset's name followed by " Preset", else the first user preset under
// Presets\EQ with the same gains, else "".
std::wstring EqPresetName(const Bytes& gains);
// "Default Preset" or "Vantor's Preset" for a built-in layout, else the first user preset under
// Presets\VSS with the same speaker positions, else "".
std::wstring VssPresetName(const Bytes& layout);

}  // namespace kal
