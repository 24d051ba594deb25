#include "device/speakertrials.h"
#include "device/packets.h"

namespace kal {

std::vector<std::uint8_t> ProbeRearSpeakerConfigs(DriverLink& link) {
    Bytes saved = link.Live(L"SpeakerConfig");
    saved.resize(4, 0);
    std::vector<std::uint8_t> accepted;
    for (std::uint8_t code : kSpeakerTrialCodes) {
        if (packets::OutputBlock(link, Bytes{code, 0, 0, 0}, 1, true) != 0) break;
        accepted.push_back(code);
    }
    if (!accepted.empty()) packets::OutputBlock(link, saved, 1, false);
    return accepted;
}

std::vector<std::uint8_t> ProbeRearSpeakerConfigs() { return ProbeRearSpeakerConfigs(CardLink()); }

}  // namespace kal
