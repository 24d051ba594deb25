// Handlers of the Output page, the speaker sizes and FlexBass, and the AEC page. Each keeps the
// controls consistent with one another and, in live mode, sends the changed setting at once.
// A choice of "Don't Change" outside the real-time window puts back the restore point's own
// value when it holds one.
#include <cwchar>
#include <optional>
#include <set>

#include <utility>

#include "device/audio.h"
#include "device/cardlines.h"
#include "device/linevalues.h"
#include "device/mixervalues.h"
#include "base/registry.h"
#include "device/profilevalues.h"
#include "device/transport.h"
#include "editor/controlvalues.h"
#include "editor/portable/profilebytes.h"
#include "editor/portable/valueparts.h"
#include "editor/profileform.h"
#include "startup/globals.h"
#include "startup/tables.h"
#include "tray/host.h"

namespace kal {
namespace {

// A hex number of up to eight digits; 0 for text that is none.
std::intptr_t HexNumber(const std::wstring& text) {
    if (text.empty() || text.size() > 8) return 0;
    wchar_t* end = nullptr;
    const unsigned long value = std::wcstoul(text.c_str(), &end, 16);
    return end && *end == L'\0' ? static_cast<std::intptr_t>(value) : 0;
}

// The value a disabled slider keeps in its tag; none for an empty or damaged tag.
std::optional<std::int32_t> ParkedValue(const std::wstring& tag) {
    if (tag.empty() || tag.size() > 11) return std::nullopt;
    wchar_t* end = nullptr;
    const long value = std::wcstol(tag.c_str(), &end, 10);
    if (!end || *end != L'\0') return std::nullopt;
    return static_cast<std::int32_t>(value);
}

}  // namespace

std::optional<Bytes> frmProfile::LiveChoice(bool dontChange, const std::wstring& name, const Bytes& encoded) const {
    if (liveProfileName_.empty()) return std::nullopt;
    if (dontChange && !realTimeMode_) {
        Bytes value;
        if (!RestoreLiveValue(name, value)) return std::nullopt;
        return value;
    }
    return encoded;
}

void frmProfile::SetSliderEnabled(Slider& slider, bool enable, std::int32_t shownWhenDisabled) {
    // The tag says whether a value is parked, whatever else enabled or disabled the slider.
    if (enable) {
        if (const auto parked = ParkedValue(slider.Tag())) slider.SetValue(*parked);
        slider.SetTag(L"");
    } else if (slider.Tag().empty()) {
        slider.SetTag(std::to_wstring(slider.Value()));
        slider.SetValue(shownWhenDisabled);
    }
    slider.SetEnabled(enable);
}

std::wstring frmProfile::AsideKey(const Control& control) {
    return control.Name() + L"(" + std::to_wstring(control.Index()) + L")";
}

std::int32_t frmProfile::KeptValue(const Slider& slider) {
    if (slider.Enabled()) return slider.Value();
    return ParkedValue(slider.Tag()).value_or(slider.Value());
}

void frmProfile::LoadSliderValue(Slider& slider, std::int32_t value) {
    slider.SetTag(L"");
    slider.SetValue(value);
    // As the slider shows it: a stored value past its end is kept as the end it shows enabled.
    if (!slider.Enabled()) slider.SetTag(std::to_wstring(slider.Value()));
}

// ---- Sample rates, upmix, Windows speaker layout ----

void frmProfile::SelectSystemRateOfCard() {
    const auto& card = *cboSampleRate;
    if (card.ListIndex() >= 0) SelectItemData(*cboSystemSampleRate, card.ItemData(card.ListIndex()));
}

void frmProfile::cboSampleRate_Click() {
    const auto& box = *cboSampleRate;
    if (box.ListIndex() < 0) return;
    if (!gIsXP) {
        auto& sync = *chkSyncSampleRates;
        // A card rate from outside leaves Windows' rate as it is, and its list with it.
        if (sync.Value() == 1 && !followingCard_) SelectSystemRateOfCard();
        if (box.ListIndex() != 0 || realTimeMode_) {
            sync.SetEnabled(true);
        } else {
            sync.SetValue(0);
            sync.SetEnabled(false);
        }
    }
    const bool dontChange = box.ListIndex() == 0 && !realTimeMode_;
    if (auto value =
            LiveChoice(dontChange, L"OutputFormat", EncodeNumber(static_cast<std::uint32_t>(SelectedItemData(box))))) {
        // Windows' rate is noted by its own list's send (the sync), never here.
        SendToCard({{L"OutputFormat", *value, kWholeValue}});
    }
}

void frmProfile::cboSystemSampleRate_Click() {
    const auto& box = *cboSystemSampleRate;
    if (gIsXP || box.ListIndex() < 0) return;
    const bool dontChange = box.ListIndex() == 0 && !realTimeMode_;
    if (auto value =
            LiveChoice(dontChange, kMixerSampleRate, EncodeNumber(static_cast<std::uint32_t>(SelectedItemData(box))))) {
        SendToCard({{kMixerSampleRate, *value, kWholeValue}});
    }
}

// The sync keeps Windows' rate as chosen aside; without it that choice comes back.
void frmProfile::chkSyncSampleRates_Click() {
    auto& rates = *cboSystemSampleRate;
    const bool sync = chkSyncSampleRates->Value() == 1;
    rates.SetEnabled(!sync);
    if (sync) {
        if (!realTimeMode_) KeepAside(rates, rates.ListIndex());
        SelectSystemRateOfCard();
    } else if (const auto kept = TakeAside(rates)) {
        rates.SetListIndex(*kept);
    }
}

void frmProfile::cboStereoUpmix_Click() {
    const auto& box = *cboStereoUpmix;
    if (box.ListIndex() < 0) return;
    const bool dontChange = box.ListIndex() == 0 && !realTimeMode_;
    if (auto value = LiveChoice(dontChange, L"Dual2D", EncodeCode(static_cast<std::uint8_t>(SelectedItemData(box)))))
        SendToCard({{L"Dual2D", *value, kWholeValue}});
}

void frmProfile::cboSpeakersLayout_Click() {
    const auto& box = *cboSpeakersLayout;
    if (box.ListIndex() < 0 || refreshingOutput_) return;
    UpdateAnalogOutputSettingsButton(FirstByte(SpeakerConfig()));
    // The user's choice is sent even within a second of another own change; the follow that
    // shows Windows' layout clears the live name, so no echo comes back here. The stamp keeps
    // the notification of this change from being taken as another program's.
    if (!liveProfileName_.empty() && gAudio) {
        StampSelfChange();
        if (box.ListIndex() == 0 && !realTimeMode_) {
            const std::uint8_t saved = FirstByte(GetProfileValue(liveProfileName_, L"SystemSpeakers"));
            if (saved != 0) {
                gAudio->SetSpeakers(gPlaybackLineIds[0], saved);
                NoteOwnSend({L"SystemSpeakers"});
            }
        } else {
            gAudio->SetSpeakers(gPlaybackLineIds[0], static_cast<std::int16_t>(Speakers()));
            NoteOwnSend({L"SystemSpeakers"});
        }
        if (ITrayHost* main = TrayHost()) main->UpdateMenus();
    }
    UpdateEnhancementsPanel(OutputMode());
}

// ---- Digital output ----

void frmProfile::chkSPDIF_Click() {
    auto& formats = *cboSPDIFOutput;
    // The editor of a profile keeps the format aside while the output is off: it comes back,
    // a loaded format the list lacks as no entry.
    if (chkSPDIF->Value() == 1) {
        formats.SetEnabled(true);
        const std::optional<std::int32_t> kept = realTimeMode_ ? std::nullopt : TakeAside(formats);
        if (unlistedDigital_ != 0 && kept.value_or(-1) < 0) return cboSPDIFOutput_Click();
        formats.SetListIndex(kept.value_or(-1) >= 0 ? *kept : 0);
    } else {
        if (!realTimeMode_) KeepAside(formats, formats.ListIndex());
        // A loaded format the list lacks shows no entry: no click of the list follows, so its
        // handler brings back the analog output's rows and panels here.
        const bool unlisted = formats.ListIndex() < 0;
        formats.SetListIndex(-1);
        formats.SetEnabled(false);
        if (unlisted) return cboSPDIFOutput_Click();
    }
    LiveApplySpDigitalOut();
}

void frmProfile::cboSPDIFOutput_Click() {
    if (refreshingOutput_) return;
    if (cboSPDIFOutput->ListIndex() >= 0) unlistedDigital_ = 0;
    LiveApplySpDigitalOut();
    UpdateSpeakerSizeEnabling();
    LoadOutputChannels(Tag(), true);
    const std::uint8_t format = SelectedSPDIFFormat();
    if (format != 0 && format != 2) {
        fraEnhancements->SetCaption(L"Digital Out &Enhancements");
        for (Control* c : ControlList{cboAnalogOutput, cmdAnalogOutputSettings, cmdHpAmp}) c->SetEnabled(false);
        UpdateEnhancementsPanel(format == 16 ? L"Dolby" : L"DTS");
        return;
    }
    fraEnhancements->SetCaption(L"Analog Out &Enhancements");
    if (!cboAnalogOutput->Enabled()) {
        cboAnalogOutput->SetEnabled(true);
        cboAnalogOutput_Click();
    }
}

// ---- Speaker sizes and FlexBass ----

void frmProfile::cboSpeakerSize_Click(int index) {
    if (liveProfileName_.empty() || index < 0 || index > 3) return;
    // The box's own channels, and those of any other box the card doesn't hold as it shows (a
    // profile without sizes sends none at live start), so that the card holds what a save
    // writes; another program's sizes of the other boxes still show.
    Bytes shown = EncodeSpeakerSize();
    const std::uint8_t ownBits = FirstByte(ValueParts(L"SpeakerSize", shown.size())[static_cast<std::size_t>(index)]);
    shown[0] = cboSpeakerSize[index]->ListIndex() == 1 ? shown[0] | ownBits : shown[0] & ~ownBits;
    SendToCard({{L"SpeakerSize", shown, {static_cast<std::size_t>(index)}}});
}

void frmProfile::SendBassManagement(bool crossover) {
    if (liveProfileName_.empty()) return;
    Bytes enable = EncodeFlag(OptionSelected(optFlexBass, 1));
    // Off, the crossover the slider keeps aside, as Save writes it; one the editor last saw on
    // the card goes as the card holds it now (another program's change within the second stays).
    Bytes corner = EncodeCode(static_cast<std::uint8_t>(KeptValue(*csliCrossover)));
    if (const auto seen = record_.SeenCard(L"BassCornerFrequency"); seen && FirstByte(*seen) == FirstByte(corner)) {
        corner = GetProfileValue(L"", L"BassCornerFrequency");
        // Shown, or kept aside, as it goes.
        FlagScope switching(flexBassSwitching_);
        if (csliCrossover->Enabled())
            csliCrossover->SetValue(FirstByte(corner));
        else if (!csliCrossover->Tag().empty())
            csliCrossover->SetTag(std::to_wstring(FirstByte(corner)));
    }
    // The crossover's drag sends the crossover; FlexBass's switch goes as the card holds it.
    if (crossover)
        SendToCard({{L"BassCornerFrequency", corner, kWholeValue}});
    else
        SendToCard({{L"BassManagement", enable, kWholeValue}, {L"BassCornerFrequency", corner, kWholeValue}});
}

void frmProfile::csliCrossover_Change() {
    lblCrossoverValue->SetCaption(std::to_wstring(csliCrossover->Value()) + L" Hz");
    // FlexBass's click parks or brings back the level and sends once itself.
    if (!flexBassSwitching_) SendBassManagement(true);
}

void frmProfile::optFlexBass_Click(int index) {
    UpdateCrossoverEnabling();
    const std::uint8_t parked =
        gDriverDefaults.Contains(L"BassCornerFrequency") ? FirstByte(HexToBytes(gDriverDefaults.At(L"BassCornerFrequency")))
                                                         : 0;
    {
        FlagScope switching(flexBassSwitching_);
        SetSliderEnabled(*csliCrossover, index == 1, parked);
    }
    UpdateSpeakerSizeEnabling();
    if (liveProfileName_.empty()) return;
    SendBassManagement(false);
    // The sizes by box: a box as the editor last saw it on the card goes as the card holds it now.
    std::array<bool, 4> large = DecodeSpeakerSizes(EncodeSpeakerSize());
    if (const auto seen = record_.SeenCard(L"SpeakerSize")) {
        const std::array<bool, 4> was = DecodeSpeakerSizes(*seen), now = DecodeSpeakerSizes(GetProfileValue(L"", L"SpeakerSize"));
        for (std::size_t i = 0; i < 4; ++i) {
            if (large[i] != was[i] || large[i] == now[i]) continue;
            // Another program's size: shown, or kept aside, as it goes.
            large[i] = now[i];
            auto& box = *cboSpeakerSize[static_cast<int>(i)];
            if (box.Enabled())
                SelectItemData(box, now[i] ? 1 : 0);
            else
                box.SetTag(std::to_wstring(now[i] ? 1 : 0));
        }
    }
    SendToCard({{L"SpeakerSize", kal::EncodeSpeakerSize(large), kWholeValue}});
}

// ---- Echo cancellation ----

// The values on the pages that the user's Enable of echo cancellation locks (Output, Equalizer /
// FlexBass): while it holds they are saved as they were before it, and not sent.
bool frmProfile::LockedByAec(const std::wstring& name) {
    static const std::set<std::wstring, CaseInsensitiveLess> locked{L"SystemSpeakers",
                                                                    kMixerBitDepth,
                                                                    kMixerSampleRate,
                                                                    L"OutputFormat",
                                                                    L"Dual2D",
                                                                    L"PanelConfig",
                                                                    L"SpeakerConfig",
                                                                    L"HeadphoneLRXchg",
                                                                    L"CenterBassXchg",
                                                                    L"SideRearXchg",
                                                                    L"HpImpedanceModeRear",
                                                                    L"HpImpedanceModeFront",
                                                                    L"SpDigitalOut",
                                                                    L"DVSEnable",
                                                                    L"DVSMode",
                                                                    L"DHEnable",
                                                                    L"DHRoom",
                                                                    L"EnableXear3D",
                                                                    L"VSpeakerPos",
                                                                    L"Pl2xParam",
                                                                    L"NeoParam",
                                                                    L"EqEnable",
                                                                    L"EqGain",
                                                                    L"BassManagement",
                                                                    L"BassCornerFrequency",
                                                                    L"SpeakerSize"};
    return locked.count(name) != 0;
}

void frmProfile::ClearAecSaved() {
    aecSaved_ = AecSaved{};
    record_.Unlock();
}

void frmProfile::RunOutputHandler() {
    if (SelectedSPDIFFormat() < 3)
        cboAnalogOutput_Click();
    else
        cboSPDIFOutput_Click();
}

void frmProfile::SelectOutputForAec(std::intptr_t itemData) {
    aecSwitchingOutput_ = true;
    // An output the list lacks (another machine's card) comes back as loaded: kept, no entry shown.
    if (!SelectItemData(*cboAnalogOutput, itemData)) {
        unlistedOutput_ = itemData;
        cboAnalogOutput->SetListIndex(-1);
    }
    aecSwitchingOutput_ = false;
    RunOutputHandler();
    // The real-time window shows the card: under a Dolby or DTS format as well, the output
    // echo cancellation switches reaches it.
    if (realTimeMode_ && SelectedSPDIFFormat() >= 3) LiveApplyAnalogOutput();
}

// The effects that echo cancellation switches off, as aecSaved_.effects keeps them.
std::array<CheckBox*, 5> frmProfile::AecEffects() const {
    return {chkDolbyHeadphones, chkDolbyVirtualSpeaker, chkVSS, chkDolby, chkNeo};
}

void frmProfile::optAEC_Click(int index) {
    // Following the card, or the real-time window loading it, shows its state and chooses
    // nothing for the user.
    if (followingCard_ || (realTimeMode_ && liveProfileName_.empty())) {
        // Echo cancellation going off after the user's Enable ends it as Disable does.
        const bool usersEnable = !realTimeMode_ || !aecSaved_.before.empty();
        if (realTimeMode_ && !(index == 0 && record_.Locked() && usersEnable)) return ShowCardsAec(index == 1);
        if (index == 0 && record_.Locked()) {
            RestoreAfterAec();
            // Sent once the refresh that follows the card is over and live mode is back.
            ::PostMessageW(hWnd(), kSendUnlockedPages, 0, 0);
        }
        return;
    }
    const bool enabling = index == 1 && !record_.Locked();
    if (enabling) aecSaved_.before = liveProfileName_.empty() ? std::map<std::wstring, Bytes>{} : CardNow();
    SendToCard({{L"AEC", EncodeAEC(index == 1), kWholeValue}});
    if (index == 1) {
        if (!enabling) return;
        SaveForAec();
        // Two speakers on the same panel.
        SelectOutputForAec(HexNumber(aecSaved_.output.substr(0, 2) + L"04"));
        LockAecPages(true);
        SelectOption(optEQ, 0);
        SelectOption(optFlexBass, 0);
        // Every effect off on the card, a hidden one too: the locked boxes show them off.
        for (CheckBox* box : AecEffects()) {
            const std::wstring name = EffectValueName(*box);
            const Bytes card = GetProfileValue(L"", name);
            if (!EffectValueOn(*box, card)) continue;
            const std::vector<Bytes> parts = ValueParts(name, card.size());
            SendToCard({{name, MergeParts(card, Bytes(card.size(), 0), parts.front()), kWholeValue}});
        }
        if (!aecSaved_.before.empty()) {
            aecSaved_.set = CardNow();
            aecSaved_.profiles = gProfilesApplied;
        }
        return;
    }
    // Nothing to put back when no Enable of the user's saved the state.
    if (record_.Locked()) {
        RestoreAfterAec();
        SendUnlockedPages();
    }
}

std::map<std::wstring, Bytes> frmProfile::CardNow() const {
    std::map<std::wstring, Bytes> now;
    for (const std::wstring& name : CardValueNames())
        if (name != L"AEC") now[name] = GetProfileValue(L"", name);
    return now;
}

// The real-time window shows the card's echo cancellation: on, the card's output, effects,
// equalizer and FlexBass as they are, on locked pages, saved for the user's Disable; off, the
// pages open again on what the card holds.
void frmProfile::ShowCardsAec(bool on) {
    if (on && !record_.Locked()) {
        SaveForAec();
        LockAecPages(false);
    } else if (!on && record_.Locked()) {
        UnlockAfterAec();
        // The output's effects as it offers them.
        RunOutputHandler();
    }
}

// What the pages echo cancellation locks hold now: what its Disable puts back, and what a save
// writes while the lock lasts.
void frmProfile::SaveForAec() {
    ProfileValueList before = ProfileValues(false);
    std::erase_if(before, [](const SavedValue& v) { return !LockedByAec(v.name); });
    for (SavedValue& v : before)
        if (v.judged) v.bytes = v.judged;  // echo cancellation was off before it
    record_.Lock(before);
    aecSaved_.output = Output();
    const std::array<CheckBox*, 5> effects = AecEffects();
    for (std::size_t i = 0; i < effects.size(); ++i) aecSaved_.effects[i] = EffectOn(*effects[i]);
    aecSaved_.eq = SelectedOption(optEQ);
    aecSaved_.flexBass = SelectedOption(optFlexBass);
}

// The output list, the effects (cleared with `clearEffects`) and the Output and Equalizer /
// FlexBass tabs are locked.
void frmProfile::LockAecPages(bool clearEffects) {
    cboAnalogOutput->SetEnabled(false);
    for (CheckBox* effect : AecEffects()) {
        if (clearEffects) effect->SetValue(0);
        effect->SetEnabled(false);
    }
    imgTab[0]->SetEnabled(false);
    imgTab[2]->SetEnabled(false);
}

void frmProfile::SendUnlockedPages() {
    if (liveProfileName_.empty()) return;
    const auto before = std::exchange(aecSaved_.before, {});
    const auto set = std::exchange(aecSaved_.set, {});
    if (before.empty()) return realTimeMode_ ? FollowCard() : SendPagesAsShown();
    // A profile applied since the Enable stands whole.
    std::map<std::wstring, Bytes> back;
    if (aecSaved_.profiles == gProfilesApplied) {
        for (const auto& [name, found] : before) {
            const auto left = set.find(name);
            if (left == set.end()) continue;
            const Bytes now = GetProfileValue(L"", name);
            const Bytes value = PutBackParts(name, found, left->second, now);
            if (value != now) back[name] = value;
        }
    }
    std::vector<ToSend> sends;
    for (const auto& [name, value] : back) sends.push_back({name, value, kWholeValue});
    SendToCard(sends);
    // The controls show the card wherever it is not as the Enable found it; the real-time
    // window's also where it went back (the send noted it as seen). The editor's came back as
    // they were before the Enable.
    for (const auto& [name, found] : before)
        if ((realTimeMode_ && back.count(name) != 0) || GetProfileValue(L"", name) != found)
            record_.SeeCard(name, Bytes{});
    FollowCard();
}

void frmProfile::SendPagesAsShown() {
    // As the user's Disable sends them while the output comes back: the output, and the rows it
    // brings back, whose hiding put them at 0 dB.
    LiveApplyAnalogOutput();
    for (int i = 0; i < 8; ++i)
        if (csliOutputChannel[i]->Enabled()) LiveApplyChannelGain(i);
    const std::wstring temporary = L"~" + liveProfileName_;
    const std::wstring key = RegJoin(gRegProfiles, temporary);
    RegDeleteTree(gRegProfiles, temporary);
    SaveValues(temporary, false, true);
    for (const std::wstring& name : RegEnumValues(key))
        if (!LockedByAec(name)) RegDeleteValue(key, name);
    ActivateAndDeleteProfile(temporary);
    for (const std::wstring& name : record_.CardNames())
        if (LockedByAec(name)) record_.SeeCard(name, GetProfileValue(L"", name));
}

void frmProfile::RestoreAfterAec() {
    LiveNameAside aside(liveProfileName_, L"");
    UnlockAfterAec();
    // The real-time window shows the card, which the end puts back: the output's effects as the
    // card has them, not as a new output of the user's would.
    if (realTimeMode_) {
        FlagScope following(followingCard_);
        return RunOutputHandler();
    }
    const std::array<CheckBox*, 5> effects = AecEffects();
    SelectOutputForAec(HexNumber(aecSaved_.output));
    // A box the output doesn't offer keeps its value aside, as another output would.
    for (std::size_t i = 0; i < effects.size(); ++i) {
        if (effects[i]->Enabled())
            effects[i]->SetValue(aecSaved_.effects[i] ? 1 : 0);
        else
            record_.Keep(AsideKey(*effects[i]) + L"@hidden", aecSaved_.effects[i] ? 1 : 0);
    }
    if (aecSaved_.eq >= 0) SelectOption(optEQ, aecSaved_.eq);
    if (aecSaved_.flexBass >= 0) SelectOption(optFlexBass, aecSaved_.flexBass);
}

void frmProfile::UnlockAfterAec() {
    record_.Unlock();
    imgTab[0]->SetEnabled(true);
    imgTab[2]->SetEnabled(true);
    // As the digital format stands now: another program may have changed it under the lock.
    cboAnalogOutput->SetEnabled(SelectedSPDIFFormat() < 3);
}

void frmProfile::WireOutputEvents() {
    cboSampleRate->Click = [this] { cboSampleRate_Click(); };
    cboSystemSampleRate->Click = [this] { cboSystemSampleRate_Click(); };
    chkSyncSampleRates->Click = [this] { chkSyncSampleRates_Click(); };
    cboStereoUpmix->Click = [this] { cboStereoUpmix_Click(); };
    cboSpeakersLayout->Click = [this] { cboSpeakersLayout_Click(); };
    chkSPDIF->Click = [this] { chkSPDIF_Click(); };
    cboSPDIFOutput->Click = [this] { cboSPDIFOutput_Click(); };
    for (int i = 0; i < 4; ++i) cboSpeakerSize[i]->Click = [this, i] { cboSpeakerSize_Click(i); };
    csliCrossover->Change = [this] { csliCrossover_Change(); };
    // Echo cancellation starts off: a Disable is handled only after an Enable saved the state.
    optAEC[0]->SetValue(true);
    for (int i = 0; i < 2; ++i) {
        optFlexBass[i]->Click = [this, i] { optFlexBass_Click(i); };
        optAEC[i]->Click = [this, i] { optAEC_Click(i); };
    }
}

}  // namespace kal
