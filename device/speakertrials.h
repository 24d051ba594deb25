// The speaker configurations of the rear panel that the card's driver takes beyond headphones
// and two speakers, found by trials of its output block. An accepted trial changes the card's
// output, so the card's own configuration is put back afterwards.
#pragma once
#include <cstdint>
#include <vector>

#include "device/portable/packets.h"

namespace kal {

// Trial codes in the order they are offered: 4 speakers, 5.1, 7.1.
inline constexpr std::uint8_t kSpeakerTrialCodes[] = {0x03, 0x06, 0x07};

// The trial codes the driver accepts, in order, stopping at the first it refuses. When any was
// accepted, the live SpeakerConfig read before the trials is written back.
std::vector<std::uint8_t> ProbeRearSpeakerConfigs(DriverLink& link);
// The same against the detected card.
std::vector<std::uint8_t> ProbeRearSpeakerConfigs();

}  // namespace kal
