// Arithmetic of the volume pop-up that needs no Windows API: the level of the driver's meter
// block, the heights of the meter's two bars, and the analog output modes the pop-up offers.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/hextext.h"

namespace kal {

// The loudest of the meter block's ten fields on the 0..100 scale of the volume slider. Each
// field is a signed 16.16 dB level stored little-endian. A block of another size, and an
// all-zero block (the driver's metering is off), read 0.
Currency MeterLevel(const Bytes& block);

// Pixels of the driver-level bar for a level of 0..100 in a meter `meterHeight` pixels high.
int MeterBarHeight(Currency level, int meterHeight);
// Pixels of the bar that shows the level lowered by the master attenuation of `liveVolume`
// decibels: `levelBar` / 10^(liveVolume / 35), 0 below level 1, never above `levelBar`.
int AttenuatedBarHeight(int levelBar, Currency level, Currency liveVolume);

// One choice of the analog output list: the high byte of `data` is the panel byte, the low
// byte the speaker configuration.
struct AnalogOutputMode {
    std::wstring text;
    std::int32_t data;
};
// "RP HP" and "RP 2.0", one rear item per accepted trial code (3 "RP 4.0", 6 "RP 5.1",
// 7 "RP 7.1") in the order given, then "FP HP" and "FP 2.0" for a card with a front panel.
std::vector<AnalogOutputMode> AnalogOutputModes(const std::vector<std::uint8_t>& acceptedTrials, bool frontPanel);

}  // namespace kal
