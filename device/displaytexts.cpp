#include "device/displaytexts.h"

#include <cmath>

#include "device/audio.h"
#include "device/cardlines.h"
#include "device/linevalues.h"
#include "device/mixervalues.h"
#include "device/profilevalues.h"
#include "device/validation.h"
#include "device/volumememory.h"
#include "startup/catalogue.h"
#include "startup/globals.h"
#include "startup/settings.h"
#include "startup/tables.h"
#include "startup/utility.h"

namespace kal {

namespace {

class StoredProfile final : public SummarySource {
public:
    explicit StoredProfile(const ProfileSnapshot& profile) : profile_(profile) {}

    bool Holds(std::wstring_view name) override { return profile_.Holds(std::wstring(name)); }
    Bytes Value(std::wstring_view name) override { return profile_.Value(std::wstring(name)); }
    Currency LineVolume(int flow, int line) override {
        Currency volume = 0, balance = 0;
        GetProfileVolumeBalance(volume, balance, flow, line,
                                [this](const std::wstring& name) { return profile_.Value(name); });
        return volume;
    }
    std::optional<Currency> LineDB(int flow, int line, std::int16_t percent) override {
        if (gIsXP || !gAudio) return std::nullopt;
        const std::wstring& id = flow == 1 ? gInputLineIds[static_cast<std::size_t>(line)] : gPlaybackLineIds[0];
        return gAudio->DeviceDBFromLinear(id, static_cast<std::uint32_t>(flow), percent);
    }
    const CardModel* Card() override { return gCardCaps.get(); }
    std::wstring EqPresetName(const Bytes& gains) override { return kal::EqPresetName(gains); }
    std::wstring VssPresetName(const Bytes& layout) override { return kal::VssPresetName(layout); }
    std::wstring DecimalSeparator() override { return kal::DecimalSeparator(); }

private:
    const ProfileSnapshot& profile_;
};

}  // namespace

std::wstring TrayTooltipText() {
    const std::wstring& speakers = gPlaybackLineIds[0];
    TooltipFacts facts;
    const std::uint32_t state = gIsXP ? 1u : (gAudio ? gAudio->DeviceState(speakers) : 0u);
    facts.levelKnown = !gDriverSettingsKey.empty() && state == 1 && gAudio;
    if (facts.levelKnown) {
        facts.muted = GetLineMute(speakers, 0) != 0;
        if (!facts.muted) {
            const double level = std::nearbyint(gAudio->GetLineMasterVolume(speakers, 0) * 100.0);
            facts.percent = static_cast<std::int16_t>(level);
            if (!gIsXP) facts.dB = gAudio->DeviceDBFromLinear(speakers, 0, facts.percent);
        }
    }
    if (ValidateActiveProfile(false)) {
        facts.activeProfile = GetActiveProfile();
    } else {
        facts.spDigitalOut = GetProfileValue(L"", L"SpDigitalOut");
        facts.speakerConfig = GetProfileValue(L"", L"SpeakerConfig");
        facts.panelConfig = GetProfileValue(L"", L"PanelConfig");
    }
    return BuildTooltipText(facts, DecimalSeparator());
}

std::wstring ProfileSummary(const std::wstring& profile) { return ProfileSummary(ProfileSnapshot(profile)); }

std::wstring ProfileSummary(const ProfileSnapshot& profile) {
    StoredProfile source(profile);
    return BuildProfileSummary(source);
}

std::int32_t GetChannelGainPercent(int channel, const std::wstring& profile) {
    if (channel < 0 || channel >= static_cast<int>(gChannelVolumeValues.size())) return 0;
    return ChannelGainPercentOf(GetProfileValue(profile, std::wstring(gChannelVolumeValues[static_cast<std::size_t>(channel)])));
}

}  // namespace kal
