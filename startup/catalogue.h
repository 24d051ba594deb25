// The card model catalogue and the effect behaviour tables.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/keyed.h"

namespace kal {

// Channel count digit + output mode ("01", "04", "03", "06", "07", "Dolby", "DTS") -> six
// 3-bit effect fields at the masks of gEnhancementFields.
using BehaviorTable = KeyedCollection<std::int32_t>;

struct CardModel {
    std::wstring Subsys;   // PCI subsystem id, eight upper-case hex digits
    std::wstring Caption;
    bool Supported = false;
    bool AEC = false;
    bool FrontPanel = false;
    std::int32_t MaxSampleRate = 0;
    bool HPAmp = false;
    // Headphone amplifier gain modes; empty unless HPAmp.
    std::int16_t AmpGainModes = 0;
    std::vector<std::wstring> AmpGainModeCaptions;       // mode 1 first
    std::vector<std::wstring> AmpGainModeShortCaptions;  // mode 1 first
    bool Dolby = false;
    bool DTS = false;
    // Shared between the models of one group; null for the unsupported models.
    std::shared_ptr<const BehaviorTable> EnhancementsBehaviors;

    // Caption of gain mode 1..AmpGainModes; nullopt outside that range.
    std::optional<std::wstring> AmpGainModeCaption(int mode, bool shortCaption) const;
    // The behaviour value under a composed key such as "201" or "6Dolby"; nullopt when absent.
    std::optional<std::int32_t> Behavior(std::wstring_view key) const;
};

// Effect name ("VSS", "PL2X", "DH", "DVS", "NEO", "SUM") -> bit mask of its field.
extern KeyedCollection<std::int32_t> gEnhancementFields;
// Subsys -> record, in catalogue order.
extern KeyedCollection<std::shared_ptr<const CardModel>> gCardModels;
// The detected card's record; null while no card has been recognised.
extern std::shared_ptr<const CardModel> gCardCaps;

// Builds gEnhancementFields and gCardModels (once, at start-up).
void BuildCardCatalogue();

// The field of one effect in a behaviour value: (value AND mask) shifted down to bit 0.
// nullopt for an unknown effect name.
std::optional<int> EffectField(std::int32_t behavior, std::wstring_view effect);

}  // namespace kal
