// The profile editor: one window for creating a profile, editing a stored one, and, as the
// "Real Time Settings" window, changing the card and Windows directly. Built from a design
// table (editor/design.cpp and one file per tab page), with the speaker field and effect graphs
// drawn through GDI+ (editor/drawing.h).
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "device/restorepoints.h"
#include "device/trayservices.h"
#include "editor/portable/profilebytes.h"
#include "editor/portable/speakerfield.h"
#include "editor/portable/valueparts.h"
#include "editor/profilerecord.h"
#include "editor/userpresets.h"
#include "base/hextext.h"
#include "base/keyed.h"
#include "base/registry.h"
#include "base/raii.h"
#include "toolkit/forms.h"
#include "toolkit/tabstrip.h"
#include "tray/host.h"

namespace kal {

// A decoration of the design: a rectangle (a box, a tab's colour, the page frame) or a line,
// painted by its container (the window or a picture box). Twips in the container; a line runs
// from (left, top) to (right, bottom).
struct Shape {
    std::wstring name;
    int index = -1;
    std::wstring container;  // "" the window
    RECT twips{};
    bool line = false;
    std::uint32_t border = 0x80000010;      // OLE colour
    std::optional<std::uint32_t> fill;      // OLE colour; none: not filled
    bool visible = true;
};

// The editor's design: the window, its controls and its decorations.
struct EditorDesign {
    FormLayout layout;
    std::vector<ControlRow> controls;
    std::vector<Shape> shapes;
};
EditorDesign MakeEditorDesign();

// Controls of different types handled alike, e.g. for (Control* c : ControlList{lblA, cboB}).
using ControlList = std::initializer_list<Control*>;

// Rows of the four tab pages (editor/page_*.cpp), appended to the design in page order.
void AddOutputPage(EditorDesign& design);
void AddMixerPage(EditorDesign& design);
void AddEqualizerPage(EditorDesign& design);
void AddAecPage(EditorDesign& design);

class frmProfile final : public Form, public IProfileEditorView, public IInputLineEditor, public IVolumeEditorLink {
public:
    frmProfile();
    ~frmProfile() override;

    // ---- Controls, bound from the design table at every load ----
    // Top area.
    TextBox *txtProfileName{}, *txtShortcut{};
    Label *lblProfileName{}, *lblShortcut{};
    Frame* fraIcons{};
    PictureBox *pctIcon32{}, *pctIcon16{};
    CommandButton *cmdIconChoose{}, *cmdIconDelete{};
    CheckBox* chkVolumeOverlay{};
    // Master panel: SVN and volume (options 0, 1 and 255 "Don't Change").
    Frame *fraSVN{}, *fraMasterVolume{};
    PictureBox *pctSVN{}, *pctMasterVolume{};
    std::vector<OptionButton*> optSVN, optVolume;
    Slider *csliVolume{}, *csliMasterBalance{};
    Label *lblMasterVolume{}, *lblMasterVolumeDB{}, *lblMasterBalanceL{}, *lblMasterBalanceR{};
    CheckBox *chkIgnoreVolumeForProfileValidation{}, *chkVolumeChangeOnlyOnDifferentOutput{};
    CommandButton* cmdMasterBalanceReset{};
    // Tabs and buttons.
    std::array<PictureBox*, 4> imgTab{};
    std::array<Label*, 4> lblTab{};
    CheckBox* chkLiveMode{};
    CommandButton *cmdSave{}, *cmdReset{}, *cmdCancel{};
    // Output page: channels, outputs, format.
    ComboBox *cboSpeakersLayout{}, *cboAnalogOutput{}, *cboStereoUpmix{}, *cboSampleRate{}, *cboBitDepth{},
        *cboSystemSampleRate{}, *cboSPDIFOutput{};
    CommandButton *cmdAnalogOutputSettings{}, *cmdHpAmp{};
    Label* lblSystemPlayBackQuality{};
    CheckBox *chkSyncSampleRates{}, *chkSPDIF{};
    // Output page: the effect panels.
    Frame* fraEnhancements{};
    PictureBox* pctEnhancements{};
    // Dolby Headphones and Dolby Virtual Speaker: a check box and a mode list each.
    PictureBox *pctDolbyHeadphones{}, *pctDolbyVirtualSpeaker{};
    CheckBox *chkDolbyHeadphones{}, *chkDolbyVirtualSpeaker{};
    Label *lblDolbyHeadphonesMode{}, *lblDolbyVirtualSpeakerMode{};
    ComboBox *cboDolbyHeadphonesMode{}, *cboDolbyVirtualSpeakerMode{};
    // The virtual speaker shifter: the speaker field, its layouts and presets.
    PictureBox *pctVSS{}, *VSSGraph{}, *pctVSSLayouts{}, *pctOptVSSLayout{}, *pctVSSUserLayouts{};
    CheckBox *chkVSSExpand{}, *chkVSS{};
    std::array<PictureBox*, kVssSpeakers> VSSSpeaker{};
    std::array<Label*, kVssSpeakers> lblVSSSpeaker{};
    std::array<CommandButton*, 2> cmdVSSSpeakerDistance{};
    Frame *fraVSSLayouts{}, *fraVSSUserLayouts{};
    std::array<OptionButton*, 2> optVSSLayout{}, optLoadVSSPreset{};
    ComboBox* cboVSSUserLayouts{};
    CommandButton *cmdVSSUserLayoutAdd{}, *cmdVSSUserLayoutDelete{};
    Label* lblVSSPresets{};
    // Dolby ProLogic IIx and DTS NEO:PC: mode buttons, a graph, width and depth sliders.
    PictureBox *pctDolby{}, *pctPL2xGraph{}, *pctNeo{}, *pctNEOGraph{};
    CheckBox *chkPL2xExpand{}, *chkDolby{}, *chkNEOExpand{}, *chkNeo{};
    std::array<OptionButton*, 2> optPL2xMode{}, optNEOMode{};
    Slider *csliPL2xWidth{}, *csliPL2xDepth{}, *csliNEOWidth{}, *csliNEODepth{};
    Label *lblPL2xWidthNarrow{}, *lblPL2xWidthWide{}, *lblPL2xDepthRear{}, *lblPL2xDepthFront{}, *lblNEOWidthNarrow{},
        *lblNEOWidthWide{}, *lblNEODepthRear{}, *lblNEODepthFront{};
    CommandButton *cmdResetPL2xGraphSliders{}, *cmdResetNEOGraphSliders{};
    // Mixer page: recording lines (selection 0 to 7 and 255 "Ignore").
    CheckBox* chkRecordSetAll{};
    CommandButton* cmdResetInputLines{};
    std::vector<OptionButton*> optInputSelect;
    std::array<CheckBox*, 8> chkRecordSet{}, chkRecordMonitor{};
    std::array<Slider*, 8> csliInputLineBalance{}, csliInputLine{};
    std::array<Label*, 8> lblInputLineBalanceL{}, lblInputLineBalanceR{}, lblInputLineVolume{}, lblInputLineVolumeDB{},
        lblInputLineCaption{};
    std::array<CommandButton*, 8> cmdInputLineBalanceReset{}, cmdRecordExtraOptions{};
    // Mixer page: playback channels.
    PictureBox* pctMixerPlayback{};
    CheckBox* chkPlaybackSetAll{};
    CommandButton* cmdResetOutputChannels{};
    std::array<CheckBox*, 8> chkPlaybackSet{};
    std::array<Label*, 8> lblOutputChannelVolume{}, lblOutputChannelVolumeDB{}, lblOutputChannelCaption{};
    std::array<Slider*, 8> csliOutputChannel{};
    // Equalizer / FlexBass page (equalizer state 0, 1 and 255 "Don't Change").
    std::array<OptionButton*, 2> optFlexBass{}, optEQProfile{};
    Label *lblLTECrossoverFrequency{}, *lblCrossoverValue{};
    Slider* csliCrossover{};
    std::array<Label*, 4> lblSpeakerSize{};
    std::array<ComboBox*, 4> cboSpeakerSize{};
    std::vector<OptionButton*> optEQ;
    PictureBox* pctEQProfile{};
    std::array<Label*, 10> lblEqValue{};
    std::array<Slider*, 10> csliEQ{};
    std::array<OptionButton*, 12> optLoadEQPreset{};
    ComboBox* cboEQUserProfiles{};
    CommandButton *cmdEQUserProfileAdd{}, *cmdEQUserProfileDelete{};
    // AEC page.
    std::array<OptionButton*, 2> optAEC{};
    Label* lblAEC{};

    // ---- Mode, set by the opener before SetUp ----
    bool RealTimeMode() const override { return realTimeMode_; }
    void SetRealTimeMode(bool on) { realTimeMode_ = on; }
    std::wstring LastProfileName;

    // Prepares the window for its mode (shortcut keys, mode-dependent lists, the profile or the
    // card's state); the opener shows the window afterwards.
    void SetUp();
    // Hides what a profile needs and closes the gaps; once, on a fresh window, before SetUp.
    void CompactForRealTime();

    // The chosen analog output as four hex digits (panel, speaker configuration); "" for none.
    std::wstring Output() const;
    // The chosen Windows channel count, or the card's own when "Don't Change" or none is chosen.
    int Speakers() const;

    // ---- IProfileEditorView ----
    std::wstring LiveProfileName() const override { return liveProfileName_; }
    void SetLiveProfileName(const std::wstring& name) override { liveProfileName_ = name; }
    // Reloads the controls: the profile, or the restore point of a new profile in live mode;
    // fromCard, the controls follow the card's changes instead (FollowCard).
    void CommandReset(bool fromCard) override;

    // ---- IVolumeEditorLink: the pop-up changed the card; show its state ----
    // (editor/cardfollow.cpp) The controls follow the card as after any change from outside
    // (FollowCard).
    void CurrentOutput() override;
    void CurrentSpeakers() override;
    void CurrentSVN() override;
    void CurrentVolume() override;

    // ---- Loading (editor/values_load.cpp); profile "" is the card's present state ----
    void LoadValues(const std::wstring& name, bool fromCard);
    void CurrentVolume(const std::wstring& profile);
    void CurrentSVN(const std::wstring& profile);
    void CurrentSystemBitDepth(const std::wstring& profile);
    void CurrentSystemSampleRate(const std::wstring& profile);
    void CurrentOutput(const std::wstring& profile);
    void CurrentSpeakers(const std::wstring& profile);
    // The ten equalizer sliders from a 40-byte gain value (all 0 dB for any other length).
    void DecodeEqGain(const Bytes& value);

    // ---- Profile values (editor/values_save.cpp) ----
    // Writes the profile under its name: the controls' values, or (fromCard) the card's state.
    // A group of values that the controls still give as they gave when the stored profile was
    // loaded is written with the bytes it was loaded from. The profile that live mode applies
    // (live) leaves out what the controls can't show: a value no entry of its list shows, the
    // lines of inactive recording devices, the values the editor has no control for; a playback
    // row the output hides goes all the same. False when a write was refused (what was written
    // before it stays).
    bool SaveValues(const std::wstring& name, bool fromCard, bool live = false);
    // What SaveValues writes, in its order.
    std::vector<std::pair<std::wstring, RegValue>> ValuesToWrite(bool fromCard, bool live) const;
    // The chosen output's panel and speaker configuration codes; empty without a chosen output.
    Bytes PanelConfig() const;
    Bytes SpeakerConfig() const;
    // The output is headphones: the headphone gain shows, and live mode sends it.
    bool HeadphoneGainShown() const;
    Bytes DVSMode() const;
    Bytes DHRoom() const;
    // The channel swaps (4 bytes, first byte 255 "Don't Set").
    Bytes GetHeadphoneLRXchg() const { return swaps_[0]; }
    Bytes GetCenterBassXchg() const { return swaps_[1]; }
    Bytes GetSideRearXchg() const { return swaps_[2]; }
    void SetHeadphoneLRXchg(const Bytes& value) { swaps_[0] = value; }
    void SetCenterBassXchg(const Bytes& value) { swaps_[1] = value; }
    void SetSideRearXchg(const Bytes& value) { swaps_[2] = value; }
    // The custom-control table: line 0..7, control 1..n; 255 "Don't Set" (also out of range).
    std::uint8_t GetCustomControlsValues(int line, int control) const;
    void SetCustomControlsValues(int line, int control, std::uint8_t value);

    // ---- Saving and live mode (editor/savecommand.cpp, editor/livemode.cpp) ----
    void cmdSave_Click();
    void chkLiveMode_Click();
    // Live setters: send one control group's value while live mode is on. A volume and balance
    // go as shown where the user changed them (own), else as the card holds them.
    void LiveApplySpDigitalOut();
    void LiveApplyVolumeBalance(bool ownVolume = true, bool ownBalance = true);
    bool LiveLine(int line) const;
    void LiveApplyInputLine(int line, bool ownVolume = true, bool ownBalance = true);
    void LiveApplyChannelGain(int channel);
    // A recording line's custom control `control` (1..n): its value, or (not inProfile, or
    // "Don't Set") the restore point's own when it holds one.
    void LiveApplyCustomControl(int line, int control, bool inProfile);
    // Swap `which` (0 headphones, 1 centre/bass, 2 side/rear): its value, or for "Don't Set" the
    // restore point's own when it holds one.
    void LiveApplySwap(int which);

    // ---- IInputLineEditor ----
    std::wstring ProfileTag() const override { return Tag(); }
    // The real-time window shows the line as the card has it; the editor of a profile keeps the
    // user's choices for the line while its device comes and goes, and loads it from the profile
    // only when it appears for the first time since the editor loaded.
    void InputLineStateChanged(int input, bool active) override;
    // Reloads one recording line, and the recording input selection, from the profile.
    void CurrentInputLine(int input, const std::wstring& profile);
    void CurrentInputLineSelection(const std::wstring& profile);
    void ShowRecordingSource(const std::wstring& lineId) override;
    void RefreshSpeakersAndFormat() override;

    // ---- Tabs (editor/tabs.cpp) ----
    int CurrentTab() const { return tabs_.Current(); }
    void imgTab_Click(int index);
    void ResetTabHover();

    // ---- Decorations ----
    Shape* FindShape(const std::wstring& name, int index = -1);
    const std::vector<Shape>& Shapes() const { return shapes_; }
    void SetShapeFill(const std::wstring& name, int index, std::uint32_t colour);
    void SetShapeVisible(const std::wstring& name, int index, bool visible);
    void MoveShape(const std::wstring& name, int index, int dLeft, int dTop, int dRight, int dBottom);

    // ---- Virtual speaker field (editor/speakerfield.cpp) ----
    Bytes EncodeSpeakerPosition(int speaker) const;
    // The layout the field shows; the bytes it was placed from while no speaker has moved, so a
    // layout the user left alone is sent and stored as it came, not re-encoded by the pixels.
    Bytes EncodeVSpeakerPos() const;
    void ApplyVSSLayout(const Bytes& layout);
    void LoadVSpeakerPos(const std::wstring& profile);
    void DrawSoundField(int exceptIndex);
    void DrawVSSSpeaker(int index, bool noGlow, bool keepPicture, HDC target);
    BoxPlace SpeakerPlace(int speaker) const { return speakerPlaces_[static_cast<std::size_t>(speaker)]; }
    const FieldGeometry& Field() const { return field_; }
    bool VssDragging() const { return vssDragging_; }
    // Mouse events of speaker box `index`, (x, y) pixels inside the box.
    void VSSSpeaker_MouseDown(int index, int x, int y);
    void VSSSpeaker_MouseMove(int index, int x, int y);
    void VSSSpeaker_MouseUp(int index);
    void VSSSpeaker_LostFocus(int index);

    // ---- Effect graphs and panels (editor/graphs.cpp) ----
    void DrawPL2xGraph();
    void DrawNEOGraph();
    void ExpandVSSPanel(bool expand);
    void ExpandPL2xPanel(bool expand);
    void ExpandNEOPanel(bool expand);

    // ---- Custom profile icon ----
    const std::wstring& IconFile() const { return iconFile_; }
    // Chooses (or with "" removes) the icon the two icon boxes show.
    void SetProfileIcon(const std::wstring& file, bool overlay);

    // The card's values a profile editor in live mode follows, by name (editor/cardfollow.cpp).
    std::vector<std::wstring> CardValueNames() const;
    // After an own send in live mode: the card's values `names` are what the editor knows of
    // the card, so that a later change of them from outside, back included, is followed.
    void NoteOwnSend(std::initializer_list<std::wstring_view> names);
    // After an own send of part of a value (the bits set in `mask`): only that part is the
    // editor's own; another program's change of the rest still shows.
    void NoteOwnPart(const std::wstring& name, const Bytes& mask);

    // ---- The one place that sends to the card (editor/cardsend.cpp) ----
    // A value to send: its bytes as the controls show it, and the indices of its parts
    // (ValueParts) that the user changed; kWholeValue: the whole value is the user's choice.
    struct ToSend {
        std::wstring name;
        Bytes shown;
        std::vector<std::size_t> own;
    };
    static const std::vector<std::size_t> kWholeValue;
    // In live mode: sends, per value, the parts the user changed and any other part the card
    // holds as the editor last saw it but not as shown, merged onto what the card holds now; a
    // partner the driver takes in the same request goes as the card holds it unless named too.
    // Notes as the editor's own only the parts sent. Values are sent in their order.
    void SendToCard(const std::vector<ToSend>& values);
    // The same for a line's volume and balance (flow 0 playback, 1 recording).
    void SendVolumeBalance(int flow, int line, Currency volume, Currency balance, bool ownVolume, bool ownBalance);

    // What the load handler took, for its callers and tests.
    bool NeoParamSupported() const { return neoParamSupported_; }
    std::int32_t ChannelUnityLevel() const { return channelUnityLevel_; }
    int VssPanelTop() const { return vssPanelTop_; }
    int EffectCheckLeft() const { return effectCheckLeft_; }
    bool RefreshingOutput() const { return refreshingOutput_; }
    // The custom-control table: [line][control - 1].
    const std::vector<std::vector<std::uint8_t>>& CustomControlValues() const { return customControlValues_; }
    // The window's icon boxes: what the profile icon looks like now (32 and 16 pixels).
    HICON ProfileIcon32() const { return icon32_.get(); }

protected:
    void OnLoad() override;
    void OnActivate() override;
    void OnQueryUnload(bool& cancel) override;
    void OnUnload() override;
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    class Hooks;
    friend class Hooks;

    // Load handler steps (editor/formload.cpp).
    void ApplyButtonStyles();
    void FillAnalogOutputs();
    void FillFixedLists();
    void SetTooltips();
    void ApplyXPLayout();
    void ApplyPanelColour();
    void WireEvents();
    void WireTabEvents();
    void WireFieldEvents();
    void WireGraphEvents();
    void CompleteFormatTooltip();

    void ResetControls();
    void SetEditorRedraw(bool suspend);
    void RebuildInputLines();

    // Loading helpers (editor/values_load.cpp).
    bool IsExistingOrRealTime() const { return !Tag().empty() || realTimeMode_; }
    bool ShowsDontChange(const std::wstring& profile, const std::wstring& value) const;
    void LoadListValue(ComboBox& box, const std::wstring& profile, const wchar_t* value, bool number);
    std::intptr_t OutputCode() const;
    // Loads the playback rows; with keepChoices (another output chosen) a row whose channel the
    // output had and still has stays as the user left it.
    void LoadOutputChannels(const std::wstring& profile, bool keepChoices = false);
    void LoadInputLines(const std::wstring& profile);
    void LoadOutputFormat(const std::wstring& profile);
    void LoadDual2D(const std::wstring& profile);
    void LoadAnalogOutput(const std::wstring& profile);
    void LoadDigitalOutput(const std::wstring& profile);
    void LoadDolbyEffects(const std::wstring& profile);
    void LoadGraphEffect(int panel, const std::wstring& profile);
    void LoadSwap(int which, const std::wstring& profile);
    // The swap value (4 bytes, first byte 255 "Don't Set"), shown by its dialog when open.
    void ShowSwap(int which, const Bytes& value);
    void LoadEQ(const std::wstring& profile);
    void LoadBassManagement(const std::wstring& profile);
    void LoadAEC(const std::wstring& profile);
    void LoadSpeakerSizes(const Bytes& value);
    void SetComboEnabled(ComboBox& box, bool enable);
    void UpdateCrossoverEnabling();
    void UpdateSpeakerSizeEnabling();
    void UpdateAnalogOutputSettingsButton(std::uint8_t speakerConfig);
    // A control's value kept aside while something hides it, and taken back when that ends; a
    // new load forgets what was kept.
    void KeepAside(const Control& control, std::int32_t value) { record_.Keep(AsideKey(control), value); }
    std::optional<std::int32_t> TakeAside(const Control& control) { return record_.Take(AsideKey(control)); }
    static std::wstring AsideKey(const Control& control);
    // Takes the card's present values as the ones the editor has seen.
    void RememberCard();
    // Notes Windows' recording source as it stands, after the editor's own send or a load.
    void SeeRecordingSource();
    // A control that shows the card's level follows it; disabled, it keeps its own value aside.
    void FollowSlider(Slider& slider, std::int32_t value);
    void ShowCardVolume();
    void FollowGraphEffect(int panel, const EffectParams& card);
    // The card changed from outside while the profile editor is live, or the real-time window
    // is open: each control whose setting changed on the card since the editor last looked
    // shows the card's new value, and every choice of the user ("Don't Change", "Use last", the
    // Set boxes) stays. Sends nothing.
    void FollowCard();
    void FollowWindowsChannels();
    void UpdateSetAllCheckBox(CheckBox& column, const std::array<CheckBox*, 8>& rows);
    bool IsChannelAvailable(int channel) const;
    void cboAnalogOutput_Click();
    // Live: the analog output the list shows, with the headphone gain, to the card.
    void LiveApplyAnalogOutput();
    void cboBitDepth_Click();
    void chkRecordMonitor_Click(int line);
    void WireValueEvents();

    // The values of a save in their order, each with its bytes or nullopt where the controls
    // leave it out.
    ProfileValueList ProfileValues(bool fromCard) const;
    // After the editor opens (opening) or reloads with the stored profile `name` ("" for anything else).
    void RememberLoadedProfile(const std::wstring& name, bool opening);
    void RememberLoadedValues(const std::function<bool(const std::wstring&)>& of);
    void RememberLoadedLine(int line);

    // Encoders of the controls (editor/values_save.cpp).
    void WriteValue(const std::wstring& profile, const std::wstring& name, const Bytes& value) const;
    Bytes EncodeVolumeBalance(bool recording, int line, int channel) const;
    // A recording line of two channels: the balance slider's tag holds the line's channel count.
    bool InputLineStereo(int line) const;
    // A recording line's balance as sent and saved: a line of one channel has its whole level on
    // that channel, whatever balance a profile brought for it.
    Currency InputLineBalance(int line) const;
    // A recording line's level and balance as `profile` holds them (the card's with ""), as the
    // line takes them: a line of one channel has its left channel's level.
    void InputLineLevel(int line, const std::wstring& profile, Currency& volume, Currency& balance) const;
    // The channel's gain as shown, or (kept) as the row keeps it while the output hides it.
    Bytes EncodeChannelGain(int channel, bool kept) const;
    Bytes EncodeSpDigitalOut() const;
    Bytes EncodePl2xParam() const;
    // With echo cancellation taken as on or off, whatever the options show.
    Bytes EncodePl2xParam(bool aecOn) const;
    Bytes LivePl2xParam() const;
    Bytes EncodeNeoParam() const;
    Bytes EncodeEqGain() const;
    Bytes EncodeSpeakerSize() const;
    Bytes HpAmpValue() const;
    std::uint8_t SelectedSPDIFFormat() const;

    // Output page, speaker sizes, FlexBass and echo cancellation (editor/handlers_output.cpp).
    void WireOutputEvents();
    // What a live handler sends for its choice: the control's value, the restore point's own
    // value of a "Don't Change" choice, or nothing (live mode off, or no such value stored).
    std::optional<Bytes> LiveChoice(bool dontChange, const std::wstring& name, const Bytes& encoded) const;
    // A disabled slider shows `shownWhenDisabled` and keeps its own value in its tag.
    void SetSliderEnabled(Slider& slider, bool enable, std::int32_t shownWhenDisabled);
    // The slider's own value: what it shows, or while disabled what it keeps aside.
    static std::int32_t KeptValue(const Slider& slider);
    // A loaded value: the slider shows it and, while disabled, keeps it as its own as well, so
    // enabling brings back what was loaded rather than a value parked before.
    void LoadSliderValue(Slider& slider, std::int32_t value);
    void SelectSystemRateOfCard();
    void cboSampleRate_Click();
    void cboSystemSampleRate_Click();
    void chkSyncSampleRates_Click();
    void cboStereoUpmix_Click();
    void cboSpeakersLayout_Click();
    void chkSPDIF_Click();
    void cboSPDIFOutput_Click();
    void cboSpeakerSize_Click(int index);
    // FlexBass's switch with the crossover, or (crossover) the crossover alone.
    void SendBassManagement(bool crossover);
    void csliCrossover_Change();
    void optFlexBass_Click(int index);
    void ClearAecSaved();
    void RunOutputHandler();
    void SelectOutputForAec(std::intptr_t itemData);
    void optAEC_Click(int index);
    void ShowCardsAec(bool on);
    void SaveForAec();
    void LockAecPages(bool clearEffects);
    static bool LockedByAec(const std::wstring& name);
    std::array<CheckBox*, 5> AecEffects() const;
    // Unlocks: the editor's controls as before the Enable, the real-time window's as the card
    // offers them; nothing is sent.
    void RestoreAfterAec();
    // The end of echo cancellation on the card: what its Enable changed and the card still
    // holds as the Enable set it goes back, and the controls show the card.
    void SendUnlockedPages();
    // The editor without the Enable's notes of the card: its locked pages as it shows them.
    void SendPagesAsShown();
    // The Enable's notes of the card hold for one live mode: its end puts the card back whole.
    void ForgetAecNotes() {
        aecSaved_.before.clear();
        aecSaved_.set.clear();
    }
    // The card's values as the editor follows them, echo cancellation's own aside.
    std::map<std::wstring, Bytes> CardNow() const;
    static constexpr UINT kSendUnlockedPages = WM_APP + 1;
    // The pages and the output list that the user's Enable of echo cancellation locked open again.
    void UnlockAfterAec();

    // Enhancement panels (editor/enhancements.cpp).
    std::wstring OutputMode() const;
    void UpdateEnhancementsPanel(const std::wstring& mode);
    void KeepEffectsAside();
    void ShowEffectBox(CheckBox& box, int behaviour);
    // Whether the card holds the effect of `box` on.
    const wchar_t* EffectValueName(const CheckBox& box) const;
    bool EffectValueOn(const CheckBox& box, const Bytes& value) const;
    bool CardEffectOn(const CheckBox& box) const;
    std::array<bool, 5> EffectsEnabled() const;
    void SendReturningEffects(const std::array<bool, 5>& wasEnabled);
    void ShowPanelGain();
    std::optional<int> KeptPanelGain(const std::wstring& name) const;
    bool EffectOn(const CheckBox& box) const;
    void ResetSwap(int which, const wchar_t* value);
    // Whether swap `which` (L/R, C/LFE, side/rear) acts on output mode `mode` (OutputMode).
    static bool SwapUsed(int which, const std::wstring& mode);

    // Saving and live mode.
    // Asks whether the chosen shortcut may move from the other profile; the save moves it.
    bool CheckShortcutInUse(const std::wstring& otherProfile);
    std::wstring StoreProfile(const std::wstring& name, const std::wstring& removed,
                              const std::vector<std::wstring>& shortcutFrom);
    // Applies a profile without making it the active one, then deletes it; the card's refusals
    // go to `refused` when given.
    void ActivateAndDeleteProfile(const std::wstring& name, std::vector<std::wstring>* refused = nullptr);
    bool StartRestorePoint();
    bool PutCardBack(bool staying);
    void AddLineToRestorePoint(int line);
    bool LiveWarningNeeded() const;
    // Sends the restore point's own value of a "Don't Change" choice again when it holds one.
    bool RestoreLiveValue(const std::wstring& name, Bytes& value) const;
    void LoadStoredIcon();
    // Draws the icon file into the 32-pixel box (unless overlayOnly) and the 16-pixel box, the
    // latter with the volume overlay when asked; false, nothing changed, when it can't be loaded.
    bool DrawProfileIcon(const std::wstring& path, bool overlayOnly);
    void cmdIconChoose_Click();
    void cmdIconDelete_Click();

    // Mixer page (editor/handlers_mixer.cpp).
    void WireMixerEvents();
    void EnablePlaybackRow(int index);
    void EnableRecordRow(int index);
    void chkPlaybackSet_Click(int index);
    void csliOutputChannel_Change(int index);
    void chkRecordSet_Click(int index);
    void csliInputLine_Change(int index);
    void SetAllClicked(CheckBox& column, const std::array<CheckBox*, 8>& rows);

    // Effect panels (editor/handlers_effects.cpp).
    void WireEffectEvents();
    // ProLogic IIx (pl2x) or NEO:PC with the parts (GraphPart) the user changed.
    void SendGraphEffect(bool pl2x, std::initializer_list<GraphPart> own);
    // The box (its switch) or the mode list changed.
    void SendDolbyHeadphones(bool box);
    void SendDolbyVirtualSpeaker(bool box);
    void UpdateVirtualizerControls(const CheckBox& box, Label& modeLabel, ComboBox& modes);
    void UpdateModeList(const CheckBox& box, Label& modeLabel, ComboBox& modes);
    void LoadModeList(const CheckBox& box, Label& modeLabel, ComboBox& modes, std::uint8_t mode);
    // The ProLogic IIx (pl2x) or NEO:PC box or (modeChanged) its mode changed.
    void GraphEffectChanged(bool pl2x, bool modeChanged);
    void EnableGraphControls(int panel);
    // The check box of effect panel `panel` (EffectPanel) took the focus: the panel opens.
    void EffectBox_GotFocus(int panel);

    // Equalizer page: band sliders, presets and user gain profiles (editor/handlers_equalizer.cpp).
    void WireEqualizerEvents();
    void csliEQ_Change(int index);
    void optEQ_Click(int index);
    void optEQProfile_Click(int index);
    void optLoadEQPreset_Click(int index);
    void LoadEqGainChoice(const Bytes& gains);
    Bytes ShownEqGain() const;
    void cboEQUserProfiles_Click();
    int FindEQPresetIndex() const;
    void SelectMatchingEQPreset();
    void LoadEQUserProfiles();
    void SelectMatchingEQUserProfile();
    // Selects option `index` of a preset group (-1: clears the group) without loading it.
    void SelectMatchingOption(std::span<OptionButton* const> group, int index);

    // Speaker layouts: presets, user layouts, distance buttons (editor/handlers_layouts.cpp).
    void WireLayoutEvents();
    // Live: the layout goes to the card; `speaker` the one the user moved, -1 the whole layout.
    void SendVSpeakerPos(const Bytes& layout, int speaker = -1);
    void optLoadVSSPreset_Click(int index);
    void cboVSSUserLayouts_Click();
    void cmdVSSSpeakerDistance_Click(int index);
    int FindVSSPresetIndex() const;
    void SelectMatchingVSSPreset();
    void LoadVSSUserLayouts();
    void SelectMatchingVSSUserLayout();

    // Master volume and SVN (editor/handlers_master.cpp).
    void WireMasterEvents();
    void optVolume_Click(int index);
    void csliVolume_Change();
    void optSVN_Click(int index);

    // Speaker field helpers.
    void PlaceSpeakerBox(int index);
    void SetSpeakersVisible(bool visible, int exceptIndex);
    void BringSpeakerToFront(int index);
    void CopySpeakerBackground(int index);
    void CopyAllSpeakerBackgrounds();
    void ShowSoundField();
    void DrawVeil();

    // The three effect panels with detail, in their stacking order, and their controls; the
    // speaker shifter's has no mode buttons or graph sliders.
    enum EffectPanelIndex { kVssPanel, kPl2xPanel, kNeoPanel };
    struct EffectPanelControls {
        PictureBox* panel;
        CheckBox* expand;
        CheckBox* check;
        PictureBox* graph;
        std::array<OptionButton*, 2> modes{};  // Music, Movie
        Slider* width = nullptr;
        Slider* depth = nullptr;
        // Width narrow and wide, depth front and rear; the graph sliders' reset.
        std::array<Label*, 4> labels{};
        CommandButton* reset = nullptr;
    };
    EffectPanelControls EffectPanel(int panel) const;

    // Graph helpers.
    void DrawEffectGraphBackground();
    void DrawEffectGraph(int panel);
    void ExpandPanel(int panel, bool expand);
    void SetPanelExpanded(int panel, bool shown);

    // Painting of the decorations of one container ("" the window).
    void PaintShapes(const std::wstring& container, HDC dc);
    void InvalidateShapeContainer(const std::wstring& container);
    std::uint32_t ContentBorderColour() const;

    std::vector<Shape> shapes_;
    std::unique_ptr<Hooks> hooks_;
    bool realTimeMode_ = false;
    bool compacted_ = false;
    std::wstring liveProfileName_;
    // Recording lines whose state the restore point could not take: live mode leaves them alone.
    std::set<int> unrestorableLines_;
    // The restore point's values as recorded, for a way back that can't read it.
    StoredValues restoreValues_;
    // The editor is closing: a way back that fails leaves its restore point for the next start.
    bool unloading_ = false;
    bool refreshingOutput_ = false;
    // The output and effects as they were when echo cancellation was switched on.
    struct AecSaved {
        std::wstring output = L"0";
        std::array<bool, 5> effects{};  // Dolby Headphones, Virtual Speaker, VSS, PL2x, NEO
        int eq = -1;                    // the options chosen (255 "Don't Change"), -1 none
        int flexBass = -1;
        // The card as the user's Enable found it and as it left it (in live mode and the
        // real-time window), and the count of profiles applied then: the end puts back what
        // the Enable changed and nothing since changed again.
        std::map<std::wstring, Bytes> before;
        std::map<std::wstring, Bytes> set;
        unsigned profiles = 0;
    } aecSaved_;  // while the record is locked (the user's Enable, not yet put back)
    bool aecSwitchingOutput_ = false;
    // Empties the live profile name for its lifetime, so that the handlers the controls raise
    // send nothing to the card.
    using LiveNameAside = ScopedValue<std::wstring>;
    std::int32_t channelUnityLevel_ = 0;
    bool neoParamSupported_ = false;
    int vssPanelTop_ = 0;
    int effectCheckLeft_ = 0;
    TabStrip tabs_{*this};
    std::vector<std::vector<std::uint8_t>> customControlValues_;
    std::array<Bytes, 3> swaps_{Bytes{255, 0, 0, 0}, Bytes{255, 0, 0, 0}, Bytes{255, 0, 0, 0}};  // L/R, C/LFE, side/rear
    bool clearingLiveMode_ = false;  // the box is cleared after a refused warning: the click does nothing
    bool updatingSetAll_ = false;
    std::uint8_t loadedDvsMode_ = 5;
    std::uint8_t loadedDhRoom_ = 1;
    // A loaded output that the list has no entry for (another machine's card): the list shows
    // nothing, until the user picks an entry.
    std::intptr_t unlistedOutput_ = -1;
    std::uint8_t unlistedDigital_ = 0;  // likewise the S/PDIF format, 0 for none
    ProfileRecord record_;              // the profile behind the controls
    Bytes ampPanel_;                              // the panel the headphone gain list stands for
    std::array<bool, 8> inputLineShown_{};    // the recording line's device was active since the load
    bool followingCard_ = false;              // the controls follow a change of the card
    bool parkingGraphLevels_ = false;         // an effect switched off shows its movie levels
    bool flexBassSwitching_ = false;          // FlexBass's click parks or brings back the crossover
    std::wstring sourceSeen_;                 // Windows' recording source as the editor last saw it

    // User presets and the marking of the presets the controls equal.
    UserPresetList eqUserProfiles_{*this, kEqUserProfiles, cboEQUserProfiles, cmdEQUserProfileAdd,
                                   cmdEQUserProfileDelete};
    UserPresetList vssUserLayouts_{*this, kVssUserLayouts, cboVSSUserLayouts, cmdVSSUserLayoutAdd,
                                   cmdVSSUserLayoutDelete};
    bool matchingPresets_ = false;  // a preset option is being marked, not chosen
    bool loadingEqPreset_ = false;  // a preset's bands are being placed: they go together after

    // Speaker field.
    FieldGeometry field_;
    std::array<BoxPlace, kVssSpeakers> speakerPlaces_{};
    // The layout the field was last placed from, and the field's encoding of it then: while the
    // speakers stand where it put them, that layout's own bytes are what the field holds.
    Bytes vssPlacedFrom_, vssPlacedEncoding_;
    bool vssDragging_ = false;
    UniqueBitmap soundFieldPicture_;
    // Effect graphs.
    UniqueBitmap effectGraphBackground_;
    float effectGraphCentreX_ = 0;
    float effectGraphCentreY_ = 0;

    // Button images and the profile icon.
    std::array<UniqueIcon, 4> buttonIcons_;
    std::wstring iconFile_;
    UniqueIcon icon32_, icon16_;
    std::wstring formatTooltip_;
    std::uint32_t panelColour_ = 0;  // RGB of the panels' detail
};

// The loaded editor; null while none is loaded.
frmProfile* ProfileEditor();
// The one editor instance, created on first use (not loaded by this).
frmProfile& ProfileEditorInstance();
// Opens the real-time settings window, or brings the open editor (any mode) to the front.
void ShowRealTimeSettings();

}  // namespace kal
