#include "tray/portable/volumelevels.h"

#include <algorithm>
#include <cmath>

#include "device/portable/audio_levels.h"

namespace kal {
namespace {

// Levels below this read 0 anyway; clamping here keeps the power of ten finite.
constexpr double kFloorDB = -1000.0;
constexpr std::size_t kFields = 10;

}  // namespace

Currency MeterLevel(const Bytes& block) {
    if (block.size() != kFields * 4) return 0;
    if (std::all_of(block.begin(), block.end(), [](std::uint8_t b) { return b == 0; })) return 0;
    Currency loudest = 0;
    for (std::size_t i = 0; i < kFields; ++i) {
        const auto raw = static_cast<std::int32_t>(BytesToUInt32(block, 4 * i));
        const double dB = std::clamp(raw / 65536.0, kFloorDB, 0.0);
        const Currency level = std::clamp<Currency>(LinearFromDB(ToFixed4(dB), 35, -96, 0), 0, 100 * kCurrencyScale);
        loudest = std::max(loudest, level);
    }
    return loudest;
}

int MeterBarHeight(Currency level, int meterHeight) {
    return static_cast<int>(std::nearbyint(Fixed4ToDouble(level) * meterHeight / 100.0));
}

int AttenuatedBarHeight(int levelBar, Currency level, Currency liveVolume) {
    if (level < kCurrencyScale) return 0;
    const double height = levelBar / std::pow(10.0, Fixed4ToDouble(liveVolume) / 35.0);
    if (std::isnan(height)) return 0;
    if (height >= levelBar) return levelBar;
    return std::max(0, static_cast<int>(std::nearbyint(height)));
}

std::vector<AnalogOutputMode> AnalogOutputModes(const std::vector<std::uint8_t>& acceptedTrials, bool frontPanel) {
    std::vector<AnalogOutputMode> modes = {{L"RP HP", 0x0001}, {L"RP 2.0", 0x0004}};
    for (std::uint8_t code : acceptedTrials) {
        if (code == 0x03) modes.push_back({L"RP 4.0", 0x0003});
        if (code == 0x06) modes.push_back({L"RP 5.1", 0x0006});
        if (code == 0x07) modes.push_back({L"RP 7.1", 0x0007});
    }
    if (frontPanel) {
        modes.push_back({L"FP HP", 0x0101});
        modes.push_back({L"FP 2.0", 0x0104});
    }
    return modes;
}

}  // namespace kal
