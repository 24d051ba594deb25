#include "device/packets.h"

#include "device/transport.h"
#include "startup/catalogue.h"

namespace kal {

namespace {

class DetectedCard final : public DriverLink {
public:
    std::uint32_t Send(std::uint32_t id, Bytes& data, bool isGet) override {
        return SendDriverProperty(id, data, isGet);
    }
    Bytes Live(std::wstring_view name) override { return LiveDriverValue(name); }
    bool HasHpAmp() override { return gCardCaps && gCardCaps->HPAmp; }
};

}  // namespace

DriverLink& CardLink() {
    static DetectedCard card;
    return card;
}

std::uint32_t ApplyOutputFormat(Bytes& value) { return packets::OutputFormat(CardLink(), value); }
std::uint32_t ApplyPanelConfig(Bytes& value, const Bytes& gain) { return packets::PanelConfig(CardLink(), value, gain); }
std::uint32_t ApplySpDigitalOut(Bytes& value) { return packets::SpDigitalOut(CardLink(), value); }
std::uint32_t ApplyDVS(Bytes& enable, Bytes& mode) { return packets::DVS(CardLink(), enable, mode); }
std::uint32_t ApplyDH(Bytes& enable, Bytes& room) { return packets::DH(CardLink(), enable, room); }
std::uint32_t ApplyXear3D(Bytes& value) { return packets::Xear3D(CardLink(), value); }
std::uint32_t ApplyVSpeakerPos(const Bytes& layout) { return packets::VSpeakerPos(CardLink(), layout); }
std::uint32_t ApplyPl2xParam(const Bytes& value) { return packets::Pl2xParam(CardLink(), value); }
std::uint32_t ApplyNeoParam(const Bytes& value) { return packets::NeoParam(CardLink(), value); }
std::uint32_t ApplyEqEnable(Bytes& value) { return packets::EqEnable(CardLink(), value); }
std::uint32_t ApplyEqBand(std::uint8_t band, const Bytes& gain) { return packets::EqBand(CardLink(), band, gain); }
std::uint32_t ApplyEqGain(const Bytes& gains) { return packets::EqGain(CardLink(), gains); }
std::uint32_t ApplyAEC(const Bytes& value) { return packets::AEC(CardLink(), value); }
std::uint32_t ApplySmartVolume(const Bytes& value) { return packets::SmartVolume(CardLink(), value); }
std::uint32_t ApplyBassManagement(Bytes& enable, Bytes& corner) {
    return packets::BassManagement(CardLink(), enable, corner);
}
std::uint32_t ApplySpeakerSizeChannel(std::uint8_t channel, bool large) {
    return packets::SpeakerSizeChannel(CardLink(), channel, large);
}
std::uint32_t ApplySpeakerSize(Bytes& mask) { return packets::SpeakerSize(CardLink(), mask); }
std::uint32_t ApplyChannelGain(std::wstring_view valueName, const Bytes& gain) {
    return packets::ChannelGain(CardLink(), valueName, gain);
}
std::uint32_t ApplyOutputBlock(const Bytes& value, int slot, bool probe) {
    return packets::OutputBlock(CardLink(), value, slot, probe);
}
std::uint32_t ApplySpeakerConfig(const Bytes& value) { return ApplyOutputBlock(value, 1, false); }
std::uint32_t ApplyCenterBassXchg(const Bytes& value) { return ApplyOutputBlock(value, 2, false); }
std::uint32_t ProbeSpeakerConfig(const Bytes& value) { return ApplyOutputBlock(value, 1, true); }
std::uint32_t ApplyAnalogOutputFlag(const Bytes& value, int index) {
    return packets::AnalogOutputFlag(CardLink(), value, index);
}
std::uint32_t ApplyHeadphoneLRXchg(const Bytes& value) { return ApplyAnalogOutputFlag(value, 0); }
std::uint32_t ApplyDual2D(const Bytes& value) { return ApplyAnalogOutputFlag(value, 1); }
std::uint32_t ApplySideRearXchg(const Bytes& value) { return ApplyAnalogOutputFlag(value, 4); }

}  // namespace kal
