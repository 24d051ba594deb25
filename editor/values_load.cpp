// Loading a profile, or the card's present state (profile ""), into the editor's controls: one
// loader per value group, each decoding the stored bytes and deciding whether its group shows
// "Don't Change". A value that a group can't show (out of range, damaged) leaves it as it is.
#include <algorithm>
#include <cmath>

#include "device/displaytexts.h"
#include "device/mixervalues.h"
#include "device/portable/audio_levels.h"
#include "device/portable/texts_values.h"
#include "device/profilevalues.h"
#include "device/transport.h"
#include "editor/controlvalues.h"
#include "editor/customcontrolsdialog.h"
#include "editor/hpampdialog.h"
#include "editor/portable/profilebytes.h"
#include "editor/profileform.h"
#include "editor/swapsdialog.h"
#include "device/cardlines.h"
#include "startup/catalogue.h"
#include "startup/globals.h"
#include "startup/tables.h"

namespace kal {
namespace {

// Driver writes stay off while the card's own state is loaded, whatever ends the load.
class SuspendDriverWrites {
public:
    explicit SuspendDriverWrites(bool on) : on_(on) {
        if (on_) gSuspendDriverWrites = true;
    }
    ~SuspendDriverWrites() {
        if (on_) gSuspendDriverWrites = false;
    }
    SuspendDriverWrites(const SuspendDriverWrites&) = delete;
    SuspendDriverWrites& operator=(const SuspendDriverWrites&) = delete;

private:
    bool on_;
};


}  // namespace

bool frmProfile::ShowsDontChange(const std::wstring& profile, const std::wstring& value) const {
    return !IsExistingOrRealTime() || (!ProfileValueExists(profile, value) && !realTimeMode_);
}

void frmProfile::LoadValues(const std::wstring& name, bool fromCard) {
    const std::wstring source = fromCard ? L"" : name;
    SuspendDriverWrites suspend(fromCard);
    CurrentSpeakers(source);
    CurrentSVN(source);
    CurrentVolume(source);
    LoadOutputChannels(source);
    LoadInputLines(source);
    if (!fromCard) CurrentInputLineSelection(source);
    CurrentSystemBitDepth(source);
    CurrentSystemSampleRate(source);
    LoadOutputFormat(source);
    CurrentOutput(source);
    LoadSwap(0, source);
    LoadDual2D(source);
    LoadSwap(1, source);
    LoadSwap(2, source);
    LoadEQ(source);
    LoadBassManagement(source);
    if (gCardCaps && gCardCaps->HPAmp)
        if (frmHpImpedanceMode* amp = HpImpedanceDialog()) amp->CurrentAmp(source);
    // A load starts what the controls keep aside afresh: an effect box the output or a Dolby
    // virtualizer keeps off holds the profile's value aside.
    record_.ForgetKept();
    if (!realTimeMode_) {
        for (CheckBox* box : AecEffects())
            if (!box->Enabled())
                record_.Keep(AsideKey(*box) + L"@hidden",
                             EffectValueOn(*box, GetProfileValue(source, EffectValueName(*box))) ? 1 : 0);
    }
    ampPanel_ = PanelConfig();
    // Last: a stored Enable of echo cancellation locks what was loaded before it.
    LoadAEC(source);
    RememberCard();
}

void frmProfile::CurrentSpeakers(const std::wstring& profile) {
    auto& box = *cboSpeakersLayout;
    if (!IsExistingOrRealTime())
        box.SetListIndex(0);
    else
        SelectItemData(box, FirstByte(GetProfileValue(profile, L"SystemSpeakers")));
}

void frmProfile::CurrentSVN(const std::wstring& profile) {
    if (ShowsDontChange(profile, L"SmartVolumeParams"))
        SelectOption(optSVN, kDontChange);
    else
        SelectOption(optSVN, FirstByte(GetProfileValue(profile, L"SmartVolumeParams")));
}

void frmProfile::CurrentInputLineSelection(const std::wstring& profile) {
    if (!Loaded()) return;
    if (ShowsDontChange(profile, kMixerInputLineSel))
        SelectOption(optInputSelect, kDontChange);
    else
        SelectOption(optInputSelect, FirstByte(GetProfileValue(profile, kMixerInputLineSel)));
}

// A list's value: "Don't Change", or the entry carrying the value (a 4-byte number or the first
// byte). A value the list has no entry for (a format of another machine's card) shows as no
// entry; a save writes it back as loaded.
void frmProfile::LoadListValue(ComboBox& box, const std::wstring& profile, const wchar_t* value, bool number) {
    if (ShowsDontChange(profile, value)) {
        box.SetListIndex(0);
        return;
    }
    const Bytes loaded = GetProfileValue(profile, value);
    if (!SelectItemData(box, number ? BytesToUInt32(loaded) : FirstByte(loaded))) box.SetListIndex(-1);
}

void frmProfile::CurrentSystemBitDepth(const std::wstring& profile) {
    if (!gIsXP) LoadListValue(*cboBitDepth, profile, kMixerBitDepth, false);
}

void frmProfile::CurrentSystemSampleRate(const std::wstring& profile) {
    if (!gIsXP) LoadListValue(*cboSystemSampleRate, profile, kMixerSampleRate, true);
}

void frmProfile::LoadOutputFormat(const std::wstring& profile) {
    LoadListValue(*cboSampleRate, profile, L"OutputFormat", true);
}

void frmProfile::LoadDual2D(const std::wstring& profile) { LoadListValue(*cboStereoUpmix, profile, L"Dual2D", false); }

void frmProfile::LoadSwap(int which, const std::wstring& profile) {
    const wchar_t* value = kSwapValues[which];
    ShowSwap(which, !ProfileValueExists(profile, value) && !realTimeMode_ ? Bytes{255, 0, 0, 0}
                                                                          : GetProfileValue(profile, value));
}

void frmProfile::ShowSwap(int which, const Bytes& value) {
    swaps_[static_cast<std::size_t>(which)] = value;
    if (frmAnalogOutputSettings* dialog = AnalogOutputSettingsDialog()) {
        if (which == 0) dialog->CurrentHeadphoneLRXchg();
        if (which == 1) dialog->CurrentCenterBassXchg();
        if (which == 2) dialog->CurrentSideRearXchg();
    }
}

void frmProfile::LoadEQ(const std::wstring& profile) {
    if (ShowsDontChange(profile, L"EqEnable"))
        SelectOption(optEQ, kDontChange);
    else
        SelectOption(optEQ, FirstByte(GetProfileValue(profile, L"EqEnable")));
    const bool set = IsExistingOrRealTime() && (ProfileValueExists(profile, L"EqGain") || realTimeMode_);
    SelectOption(optEQProfile, set ? 1 : 0);
    DecodeEqGain(GetProfileValue(profile, L"EqGain"));
    // Sliders that kept their values raised no change: mark the preset and profile here.
    SelectMatchingEQPreset();
    SelectMatchingEQUserProfile();
}

void frmProfile::DecodeEqGain(const Bytes& value) {
    const std::array<int, 10> bands = kal::DecodeEqGain(value);
    for (int i = 0; i < 10; ++i) csliEQ[i]->SetValue(bands[static_cast<std::size_t>(i)]);
}

void frmProfile::LoadBassManagement(const std::wstring& profile) {
    SelectOption(optFlexBass, FirstByte(GetProfileValue(profile, L"BassManagement")));
    UpdateCrossoverEnabling();
    // With FlexBass off too the crossover shows the profile's frequency, so that it is saved
    // and sent as loaded, and comes back when FlexBass is enabled.
    LoadSliderValue(*csliCrossover, FirstByte(GetProfileValue(profile, L"BassCornerFrequency")));
    LoadSpeakerSizes(GetProfileValue(profile, L"SpeakerSize"));
    UpdateSpeakerSizeEnabling();
}

void frmProfile::LoadSpeakerSizes(const Bytes& value) {
    const std::array<bool, 4> large = DecodeSpeakerSizes(value);
    for (int i = 0; i < 4; ++i) {
        auto& box = *cboSpeakerSize[i];
        const int size = large[static_cast<std::size_t>(i)] ? 1 : 0;
        box.SetListIndex(size);
        // A disabled box keeps the loaded size for its enabling, as SetComboEnabled parks it.
        if (!box.Enabled()) box.SetTag(std::to_wstring(size));
    }
}

void frmProfile::LoadAEC(const std::wstring& profile) {
    const Bytes value = GetProfileValue(profile, L"AEC");
    SelectOption(optAEC, value.size() == 40 ? value[8] : 0);
}

void frmProfile::CurrentVolume(const std::wstring& profile) {
    constexpr Currency kUseLast = 255 * kCurrencyScale;
    Currency volume = kUseLast, balance = 0;
    if (IsExistingOrRealTime()) GetProfileVolumeBalance(volume, balance, 0, 0, profile);
    if (ProfileValueExists(profile, MixerValueName(0, 0, 0, 0)) || realTimeMode_)
        SelectOption(optVolume, volume == kUseLast ? 0 : 1);
    else
        SelectOption(optVolume, kDontChange);
    // The sliders always show a real level: the card's when the profile has none. "Set to:"
    // starts from that level, not from one parked before.
    if (volume < 0 || volume > 100 * kCurrencyScale) GetProfileVolumeBalance(volume, balance, 0, 0, L"");
    LoadSliderValue(*csliVolume, Whole(volume));
    LoadSliderValue(*csliMasterBalance, Whole(balance * 10));
    chkIgnoreVolumeForProfileValidation->SetValue(ProfileValueExists(profile, L"VolIgnoreForValidation") ? 1 : 0);
    chkVolumeChangeOnlyOnDifferentOutput->SetValue(ProfileValueExists(profile, L"NoVolChangeOnSameOut") ? 1 : 0);
}

void frmProfile::CurrentOutput(const std::wstring& profile) {
    LoadAnalogOutput(profile);
    LoadDigitalOutput(profile);
    LoadDolbyEffects(profile);
    // The speaker shifter and its layout.
    chkVSS->SetValue(FirstByte(GetProfileValue(profile, L"EnableXear3D")) == 1 ? 1 : 0);
    LoadVSpeakerPos(profile);
    LoadGraphEffect(kPl2xPanel, profile);
    LoadGraphEffect(kNeoPanel, profile);
    // The headphone gain.
    if (gCardCaps && gCardCaps->HPAmp)
        if (frmHpImpedanceMode* amp = HpImpedanceDialog()) amp->CurrentAmp(profile);
}

void frmProfile::LoadAnalogOutput(const std::wstring& profile) {
    // Its handler sets up the panels for it.
    const std::uint8_t panel = FirstByte(GetProfileValue(profile, L"PanelConfig"));
    const std::uint8_t speakers = FirstByte(GetProfileValue(profile, L"SpeakerConfig"));
    auto& outputs = *cboAnalogOutput;
    unlistedOutput_ = -1;
    if (!SelectItemData(outputs, panel * 256 + speakers)) {
        // Another machine's output (a front panel this card lacks, a configuration its trials
        // refused): kept, with no entry shown; the list's handler shows it.
        unlistedOutput_ = panel * 256 + speakers;
        if (outputs.ListIndex() >= 0)
            outputs.SetListIndex(-1);
        else
            cboAnalogOutput_Click();
    }
}

void frmProfile::LoadDigitalOutput(const std::wstring& profile) {
    const std::uint8_t digital = FirstByte(GetProfileValue(profile, L"SpDigitalOut"));
    const std::wstring before = OutputMode();
    if (digital == 0 || digital == 2) cboAnalogOutput->SetEnabled(true);
    unlistedDigital_ = 0;
    chkSPDIF->SetValue(digital == 0 ? 0 : 1);
    auto& spdif = *cboSPDIFOutput;
    // Usable while the output is on, as the box's click leaves it.
    spdif.SetEnabled(digital != 0);
    if (digital == 0) {
        spdif.SetListIndex(-1);
    } else if (!SelectItemData(spdif, digital)) {
        // A format this card's list lacks (another machine's card): kept, with no entry shown.
        unlistedDigital_ = digital;
        spdif.SetListIndex(-1);
    }
    // Back from an encoded format: the analog list was enabled above, so the format's handler
    // doesn't run the analog one; the analog output's panels come back here.
    if ((digital == 0 || digital == 2) && (before == L"Dolby" || before == L"DTS") && !refreshingOutput_) {
        fraEnhancements->SetCaption(L"Analog Out &Enhancements");
        cboAnalogOutput_Click();
    }
}

// The Dolby effects where the output offers them, and their modes.
void frmProfile::LoadDolbyEffects(const std::wstring& profile) {
    loadedDvsMode_ = FirstByte(GetProfileValue(profile, L"DVSMode"));
    loadedDhRoom_ = FirstByte(GetProfileValue(profile, L"DHRoom"));
    if (chkDolbyVirtualSpeaker->Enabled())
        chkDolbyVirtualSpeaker->SetValue(FirstByte(GetProfileValue(profile, L"DVSEnable")) == 1 ? 1 : 0);
    LoadModeList(*chkDolbyVirtualSpeaker, *lblDolbyVirtualSpeakerMode, *cboDolbyVirtualSpeakerMode, loadedDvsMode_);
    if (chkDolbyHeadphones->Enabled())
        chkDolbyHeadphones->SetValue(FirstByte(GetProfileValue(profile, L"DHEnable")) == 1 ? 1 : 0);
    LoadModeList(*chkDolbyHeadphones, *lblDolbyHeadphonesMode, *cboDolbyHeadphonesMode, loadedDhRoom_);
}

// ProLogic IIx or NEO:PC.
void frmProfile::LoadGraphEffect(int panel, const std::wstring& profile) {
    const EffectPanelControls c = EffectPanel(panel);
    const EffectParams e = panel == kPl2xPanel ? DecodePl2xParam(GetProfileValue(profile, L"Pl2xParam"))
                                               : DecodeNeoParam(GetProfileValue(profile, L"NeoParam"));
    c.check->SetValue(e.on ? 1 : 0);
    SelectOption(c.modes, e.movie ? 1 : 0);
    // The levels load as shown enabled; the box's value, which may stay without a click, then
    // sets what is usable and keeps the levels aside while the effect is off.
    for (Slider* level : {c.width, c.depth}) SetSliderEnabled(*level, true, 0);
    LoadSliderValue(*c.width, e.width);
    LoadSliderValue(*c.depth, e.depth);
    EnableGraphControls(panel);
}

// ---- Mixer page ----

bool frmProfile::IsChannelAvailable(int channel) const {
    const Bytes spdif = EncodeSpDigitalOut();
    const int channels = SpeakerChannelCount(SpeakerConfig(), &spdif).value_or(0);
    return kal::IsChannelAvailable(channel, channels);
}

void frmProfile::LoadOutputChannels(const std::wstring& profile, bool keepChoices) {
    for (int i = 0; i < 8; ++i) {
        auto& set = *chkPlaybackSet[i];
        const bool wasAvailable = set.Enabled();
        const bool available = IsChannelAvailable(i);
        set.SetEnabled(available);
        auto& slider = *csliOutputChannel[i];
        if (realTimeMode_ && available && set.Value() == 0) {
            // The real-time window has no Set boxes: a row the output brings shows the card's gain.
            slider.SetTag(L"");
            slider.SetValue(GetChannelGainPercent(i, L""));
            set.SetValue(1);
        }
        if (followingCard_ || (keepChoices && (wasAvailable || set.Value() == 1))) {
            // Another output, the user's or the card's, keeps every row as the user left it, one
            // it lacks until it comes back; a row it brings that no output showed since the load
            // loads from the profile.
            EnablePlaybackRow(i);
            continue;
        }
        if (!IsExistingOrRealTime()) {
            // Every channel at 0 dB: set after the row's disabling, which shows the card's gain.
            set.SetValue(0);
            EnablePlaybackRow(i);
            LoadSliderValue(slider, channelUnityLevel_);
            continue;
        }
        const std::wstring value(gChannelVolumeValues[static_cast<std::size_t>(i)]);
        set.SetValue(available && (ProfileValueExists(profile, value) || realTimeMode_) ? 1 : 0);
        slider.SetValue(GetChannelGainPercent(i, profile));
        EnablePlaybackRow(i);
        if (keepChoices && !realTimeMode_)
            RememberLoadedValues([&](const std::wstring& name) { return name == value; });
    }
    UpdateSetAllCheckBox(*chkPlaybackSetAll, chkPlaybackSet);
}

void frmProfile::LoadInputLines(const std::wstring& profile) {
    for (int j = 0; j < 8; ++j) CurrentInputLine(j, profile);
    UpdateSetAllCheckBox(*chkRecordSetAll, chkRecordSet);
}

void frmProfile::CurrentInputLine(int line, const std::wstring& profile) {
    if (line < 0 || line > 7 || !Loaded() || gInputLineIds[static_cast<std::size_t>(line)].empty()) return;
    auto& set = *chkRecordSet[line];
    const bool free = set.Tag() == L"*";
    Currency volume = 0, balance = 0;
    InputLineLevel(line, profile, volume, balance);
    LoadSliderValue(*csliInputLine[line], Whole(volume));
    csliInputLineBalance[line]->SetValue(Whole(balance * 10));
    auto& monitorBox = *chkRecordMonitor[line];
    const int monitor = CountIn(monitorBox.Tag());
    const int controls = CountIn(cmdRecordExtraOptions[line]->Tag());
    auto& row = customControlValues_[static_cast<std::size_t>(line)];
    if (row.size() < static_cast<std::size_t>(controls)) row.resize(static_cast<std::size_t>(controls), 0);
    for (int k = 1; k <= controls; ++k) {
        const std::wstring name = MixerValueName(1, line, 0, k);
        if (k == monitor || ProfileValueExists(profile, name) || realTimeMode_) {
            const std::uint8_t b = FirstByte(GetProfileValue(profile, name));
            if (k == monitor) {
                monitorBox.SetValue(b == 1 ? 1 : 0);
                SetCustomControlsValues(line, k, b == 1 ? 1 : 0);
            } else {
                SetCustomControlsValues(line, k, b);
            }
        } else {
            SetCustomControlsValues(line, k, 255);
        }
        if (k != monitor)
            if (frmInputLineCustomControls* dialog = InputLineCustomControlsDialog()) dialog->CurrentCustomControl(k);
    }
    if (!IsExistingOrRealTime())
        set.SetValue(0);
    else
        set.SetValue(free && (ProfileValueExists(profile, MixerValueName(1, line, 0, 0)) || realTimeMode_) ? 1 : 0);
    EnableRecordRow(line);
}

void frmProfile::chkRecordMonitor_Click(int line) {
    const int control = CountIn(chkRecordMonitor[line]->Tag());
    if (control == 0) return;
    const std::uint8_t on = chkRecordMonitor[line]->Value() == 1 ? 1 : 0;
    SetCustomControlsValues(line, control, on);
    if (!LiveLine(line)) return;
    SendToCard({{MixerValueName(1, line, 0, control), Bytes{on}, kWholeValue}});
}

std::uint8_t frmProfile::GetCustomControlsValues(int line, int control) const {
    if (line < 0 || line > 7 || control < 1) return 255;
    const auto& row = customControlValues_[static_cast<std::size_t>(line)];
    return static_cast<std::size_t>(control) <= row.size() ? row[static_cast<std::size_t>(control - 1)] : 255;
}

void frmProfile::SetCustomControlsValues(int line, int control, std::uint8_t value) {
    if (line < 0 || line > 7 || control < 1) return;
    auto& row = customControlValues_[static_cast<std::size_t>(line)];
    if (row.size() < static_cast<std::size_t>(control)) row.resize(static_cast<std::size_t>(control), 255);
    row[static_cast<std::size_t>(control - 1)] = value;
}

// The column box shows the common value of the enabled row boxes, 2 when they differ.
void frmProfile::UpdateSetAllCheckBox(CheckBox& column, const std::array<CheckBox*, 8>& rows) {
    if (updatingSetAll_) return;
    int common = -1;
    for (const CheckBox* box : rows) {
        if (!box->Enabled()) continue;
        const int v = box->Value();
        common = common == -1 ? v : common == v ? v : 2;
    }
    column.SetValue(common == -1 ? 0 : common);
}

// ---- A list disabled shows its first entry and keeps its own aside ----

void frmProfile::SetComboEnabled(ComboBox& box, bool enable) {
    if (box.Enabled() == enable) return;
    if (enable) {
        if (!box.Tag().empty()) box.SetListIndex(CountIn(box.Tag()));
    } else {
        if (box.ListIndex() >= 0) box.SetTag(std::to_wstring(box.ListIndex()));
        box.SetListIndex(0);
    }
    box.SetEnabled(enable);
}

void frmProfile::UpdateCrossoverEnabling() {
    const bool on = OptionSelected(optFlexBass, 1);
    for (Control* c : ControlList{csliCrossover, lblCrossoverValue, lblLTECrossoverFrequency}) c->SetEnabled(on);
}

void frmProfile::UpdateSpeakerSizeEnabling() {
    const Bytes spdif = EncodeSpDigitalOut();
    const int channels = SpeakerChannelCount(SpeakerConfig(), &spdif).value_or(0);
    const bool on = OptionSelected(optFlexBass, 1);
    static constexpr int kAbove[4] = {0, 4, 2, 6};  // front, centre, rear, side
    for (int i = 0; i < 4; ++i) {
        const bool enable = on && channels > kAbove[i];
        SetComboEnabled(*cboSpeakerSize[i], enable);
        lblSpeakerSize[i]->SetEnabled(enable);
    }
}

// An encoded digital format (Dolby, DTS) is the output: the analog output's buttons stay off.
void frmProfile::UpdateAnalogOutputSettingsButton(std::uint8_t speakerConfig) {
    const std::uint8_t format = SelectedSPDIFFormat();
    cmdAnalogOutputSettings->SetEnabled((format == 0 || format == 2) &&
                                        (speakerConfig == 1 || speakerConfig == 6 || speakerConfig == 7));
}

// ---- The two list handlers of loading ----

void frmProfile::cboAnalogOutput_Click() {
    if (Output().empty() || refreshingOutput_) return;
    const std::uint8_t speakers = FirstByte(SpeakerConfig());
    const std::uint8_t format = SelectedSPDIFFormat();
    if (gCardCaps && gCardCaps->HPAmp) cmdHpAmp->SetEnabled(speakers == 1 && (format == 0 || format == 2));
    UpdateAnalogOutputSettingsButton(speakers);
    if (frmAnalogOutputSettings* swaps = AnalogOutputSettingsDialog()) swaps->Unload();
    if (frmHpImpedanceMode* amp = HpImpedanceDialog(); amp && amp->Visible()) amp->Unload();
    ShowPanelGain();
    // While echo cancellation switches the output, its handler refreshes the rest afterwards.
    if (aecSwitchingOutput_) return;
    UpdateSpeakerSizeEnabling();
    LoadOutputChannels(Tag(), true);
    LiveApplyAnalogOutput();
    UpdateEnhancementsPanel(OutputMode());
}

void frmProfile::LiveApplyAnalogOutput() {
    // A loaded output the list has no entry for is not the user's choice: it isn't sent. The
    // headphone gain goes with headphones only: another output hides it.
    if (liveProfileName_.empty() || cboAnalogOutput->ListIndex() < 0) return;
    const Bytes panel = PanelConfig();
    std::vector<ToSend> send{{L"SpeakerConfig", SpeakerConfig(), kWholeValue}, {L"PanelConfig", panel, kWholeValue}};
    if (gCardCaps && gCardCaps->HPAmp && HeadphoneGainShown() && FirstByte(HpAmpValue(), 255) != 255)
        send.push_back({HpImpedanceValueName(panel), HpAmpValue(), kWholeValue});
    SendToCard(send);
}

void frmProfile::cboBitDepth_Click() {
    const auto& box = *cboBitDepth;
    if (gIsXP || liveProfileName_.empty() || box.ListIndex() < 0) return;
    Bytes value;
    if (box.ListIndex() > 0 || realTimeMode_)
        value = Bytes{static_cast<std::uint8_t>(SelectedItemData(box))};
    else if (!RestoreLiveValue(kMixerBitDepth, value))
        return;
    SendToCard({{kMixerBitDepth, value, kWholeValue}});
}

// ---- Events of loading, saving, live mode and the three dialogs ----

void frmProfile::WireValueEvents() {
    cmdSave->Click = [this] { cmdSave_Click(); };
    cmdReset->Click = [this] { CommandReset(false); };
    chkLiveMode->Click = [this] { chkLiveMode_Click(); };
    cboAnalogOutput->Click = [this] { cboAnalogOutput_Click(); };
    cboBitDepth->Click = [this] { cboBitDepth_Click(); };
    cmdAnalogOutputSettings->Click = [] { AnalogOutputSettingsDialogInstance().Show(); };
    cmdHpAmp->Click = [] { HpImpedanceDialogInstance().Show(); };
    for (int j = 0; j < 8; ++j) {
        chkRecordMonitor[j]->Click = [this, j] { chkRecordMonitor_Click(j); };
        cmdRecordExtraOptions[j]->Click = [j] {
            frmInputLineCustomControls& dialog = InputLineCustomControlsDialogInstance();
            dialog.Load();
            dialog.SetTag(std::to_wstring(j));
            dialog.CurrentCustomControls();
            dialog.Show();
        };
    }
}

}  // namespace kal
