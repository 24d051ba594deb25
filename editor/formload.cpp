// What the editor prepares when it loads, whatever its mode: icon and font, button looks and
// images, the lists the card's capabilities decide, the fixed lists, tooltips and texts, the
// Windows XP layout, the panel colour and the graphs; then the control events.
#include <cmath>

#include "device/audio.h"
#include "device/portable/texts.h"
#include "device/speakertrials.h"
#include "device/transport.h"
#include "editor/drawing.h"
#include "editor/hooks.h"
#include "editor/profileform.h"
#include "startup/catalogue.h"
#include "startup/globals.h"
#include "startup/tables.h"
#include "startup/utility.h"
#include "toolkit/font.h"
#include "toolkit/tooltip.h"
#include "toolkit/utility.h"
#include "tray/host.h"

namespace kal {
namespace {

constexpr LONG kPushLikeStyle = 0x1000;
constexpr LONG kIconStyle = 0x40;
constexpr std::uint32_t kFormBackColour = 0x8000000F;

constexpr wchar_t kLiveModeTip[] =
    L"When Live Mode is enabled, the profile being edited is temporarily activated and the changes made by the user "
    L"are "
    L"immediately operative, allowing to check the effect they have on the sound output.\r\n"
    L"Upon manually disabling Live Mode or closing the profile editor (either saving or discarding the modifications), "
    L"the sound card is restored to its previous settings.\r\n\r\n"
    L"By default, Live Mode is ON when creating a new profile and OFF when editing an existing profile.";
constexpr wchar_t kFormatAdvice[] =
    L"\r\n\r\nTo prevent this, with problematic applications leave this setting to ''Don't Change'' or switch to this "
    L"profile before starting the playblack.";
constexpr wchar_t kAecText[] =
    L"AEC (Acoustic Echo Cancelation) is only suitable for bi-direction voice communication applications.\r\n\r\n"
    L"The speaker type will be set as 2 speakers and a special voice processing mode will be applied while AEC is "
    L"active. All audio effects will be suspended and the interface will be  only partially operative.\r\n\r\n"
    L"To restore normal Hi-Fi audio playback, please switch to a profile with AEC OFF or disable AEC in the Real Time "
    L"Settings window.";

void SetButtonIcon(Control& button, LONG style, HICON icon) {
    SetWindowStyleBit(button.Window(), true, style);
    if (icon) ::SendMessageW(button.Window(), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
}

}  // namespace

void frmProfile::OnLoad() {
    hooks_ = std::make_unique<Hooks>(*this);
    // Icon, font, wheel step, the shortcut capture box.
    SetIcon(hWnd(), kProgramIcon);
    // The main form makes the interface font; a window opened without it makes it, so that its
    // frames and controls never show two faces.
    if (!gUIFont) gUIFont = GetSystemFont();
    ApplySystemFont(this);
    ApplyWheelIncrement(*this);
    SubclassControl(*txtShortcut);
    // Button looks and images.
    ApplyButtonStyles();
    // Designed positions and the card's NEO answer.
    vssPanelTop_ = pctVSS->Top();
    effectCheckLeft_ = chkVSS->Left();
    neoParamSupported_ = DriverQuery38();
    // The AEC tab only for a card with echo cancellation.
    if (!gCardCaps || !gCardCaps->AEC) {
        imgTab[3]->SetVisible(false);
        lblTab[3]->SetVisible(false);
        SetShapeVisible(L"rectTabBackground", 3, false);
        SetShapeVisible(L"rectTab", 3, false);
    }
    // Windows speaker layouts.
    auto& layouts = *cboSpeakersLayout;
    layouts.AddItem(L"Don't Change", 0);
    layouts.AddItem(L"2 Channels (Stereo Sources)", 2);
    layouts.AddItem(L"4 Channels", 4);
    layouts.AddItem(L"6 Channels (5.1 Sources)", 6);
    layouts.AddItem(L"8 Channels (Games, 7.1 Sources)", 8);
    // Tooltips and the AEC explanation.
    SetTooltips();
    lblAEC->SetCaption(kAecText);
    // The analog outputs the card offers, and the fixed lists.
    FillAnalogOutputs();
    FillFixedLists();
    // Windows XP shows no decibels and sets no Windows format.
    for (Control* c : ControlList{lblSystemPlayBackQuality, cboBitDepth, cboSystemSampleRate, chkSyncSampleRates})
        c->SetEnabled(false);
    ApplyXPLayout();
    // The 0 dB level of the channel gains; the custom-control table.
    if (gAudio)
        channelUnityLevel_ = static_cast<std::int32_t>(
            std::nearbyint(static_cast<double>(gAudio->LinearFromDB(0, 35, -96, 12)) / kCurrencyScale));
    customControlValues_.assign(8, std::vector<std::uint8_t>(1, 0));
    // Equalizer preset captions.
    for (int i = 0; i < 12; ++i)
        optLoadEQPreset[i]->SetCaption(std::wstring(gEqPresetNames[static_cast<std::size_t>(i)]));
    // The slightly lighter colour of the panels' detail.
    ApplyPanelColour();
    // Designed hidden: the amplifier button, the speakers' caption labels, the panels' detail.
    cmdHpAmp->SetVisible(false);
    for (int i = 0; i < kVssSpeakers; ++i) lblVSSSpeaker[i]->SetVisible(false);
    for (int panel : {kVssPanel, kPl2xPanel, kNeoPanel}) SetPanelExpanded(panel, false);
    // The effect graphs.
    DrawEffectGraphBackground();
    DrawPL2xGraph();
    DrawNEOGraph();
    // The speaker field's centre and box size, and where its speakers stand.
    RECT field{};
    ::GetClientRect(VSSGraph->Window(), &field);
    field_.centreX = static_cast<float>(field.right) / 2;
    field_.centreY = static_cast<float>(field.bottom) / 2;
    field_.twipsPerPixelX = 1440.0f / static_cast<float>(std::max(1, TwipsToPixelsX(1440)));
    field_.twipsPerPixelY = 1440.0f / static_cast<float>(std::max(1, TwipsToPixelsY(1440)));
    field_.boxWidth = static_cast<float>(TwipsToPixelsX(VSSSpeaker[0]->Width()));
    field_.boxHeight = static_cast<float>(TwipsToPixelsY(VSSSpeaker[0]->Height()));
    for (int i = 0; i < kVssSpeakers; ++i)
        speakerPlaces_[static_cast<std::size_t>(i)] = {VSSSpeaker[i]->Left(), VSSSpeaker[i]->Top()};

    WireEvents();
}

void frmProfile::ApplyButtonStyles() {
    static const wchar_t* const names[] = {L"VSS_INCREASEDISTANCE", L"VSS_DECREASEDISTANCE", L"MUSIC_MODE", L"MOVIE_MODE"};
    for (std::size_t i = 0; i < buttonIcons_.size(); ++i) buttonIcons_[i] = LoadIconFromResource(names[i], 16, 16);
    for (CheckBox* box : {chkLiveMode, chkSyncSampleRates, chkVolumeOverlay, chkIgnoreVolumeForProfileValidation,
                          chkVolumeChangeOnlyOnDifferentOutput, chkPL2xExpand, chkNEOExpand, chkVSSExpand})
        SetWindowStyleBit(box->Window(), true, kPushLikeStyle);
    for (OptionButton* option : optLoadVSSPreset) SetWindowStyleBit(option->Window(), true, kPushLikeStyle);
    for (OptionButton* option : optLoadEQPreset) SetWindowStyleBit(option->Window(), true, kPushLikeStyle);
    for (const auto& modes : {optPL2xMode, optNEOMode}) {
        SetButtonIcon(*modes[0], kPushLikeStyle | kIconStyle, buttonIcons_[2].get());
        SetButtonIcon(*modes[1], kPushLikeStyle | kIconStyle, buttonIcons_[3].get());
    }
    SetButtonIcon(*cmdVSSSpeakerDistance[0], kIconStyle, buttonIcons_[0].get());
    SetButtonIcon(*cmdVSSSpeakerDistance[1], kIconStyle, buttonIcons_[1].get());
}

void frmProfile::FillAnalogOutputs() {
    auto& box = *cboAnalogOutput;
    box.AddItem(L"Rear Headphones", 0x0001);
    box.AddItem(L"Rear 2 Speakers", 0x0004);
    // Trials of the card's output block; the card's own configuration is put back after them.
    for (std::uint8_t code : ProbeRearSpeakerConfigs()) {
        switch (code) {
        case 0x03: box.AddItem(L"Rear 4 Speakers", 0x0003); break;
        case 0x06: box.AddItem(L"Rear 5.1 Speakers", 0x0006); break;
        case 0x07: box.AddItem(L"Rear 7.1 Speakers", 0x0007); break;
        default: break;
        }
    }
    if (gCardCaps && gCardCaps->FrontPanel) {
        box.AddItem(L"Front Headphones", 0x0101);
        box.AddItem(L"Front 2 Speakers", 0x0104);
    }
}

void frmProfile::FillFixedLists() {
    auto& spdif = *cboSPDIFOutput;
    spdif.AddItem(L"PCM", 2);
    if (gCardCaps && gCardCaps->Dolby) spdif.AddItem(L"Dolby Digital Live", 16);
    if (gCardCaps && gCardCaps->DTS) spdif.AddItem(L"DTS Interactive", 32);
    auto& rooms = *cboDolbyHeadphonesMode;
    for (int n = 1; n <= 3; ++n) rooms.AddItem(DHRoomName(n), n);
    auto& modes = *cboDolbyVirtualSpeakerMode;
    for (int n = 5; n <= 6; ++n) modes.AddItem(DVSModeName(n), n);
    for (ComboBox* box : cboSpeakerSize) {
        box->AddItem(L"Small", 0);
        box->AddItem(L"Large", 1);
    }
}

void frmProfile::SetTooltips() {
    clsToolTip* tip = SharedToolTip();
    if (!tip) return;
    tip->AddTool(optSVN[0]->Window(), kSvnTip);
    tip->AddTool(optVolume[0]->Window(),
                 std::wstring(L"When this option is selected, upon activating this profile ") + kAppTitle +
                     L" will restore the master volume at the last level used for the same output combination,\r\n"
                     L"considering both the output format (headphones, 2.0 speakers, 5.1 etc) and the panel (rear "
                     L"or front where applicable) being used.");
    tip->AddTool(chkLiveMode->Window(), kLiveModeTip);
}

// The format warning depends on the mode, which the opener sets after loading.
void frmProfile::CompleteFormatTooltip() {
    if (gIsXP) return;
    std::wstring tip = kFormatChangeTip;
    if (!realTimeMode_) tip += kFormatAdvice;
    formatTooltip_ = tip;
    if (clsToolTip* shared = SharedToolTip())
        for (ComboBox* box : {cboSpeakersLayout, cboBitDepth, cboSystemSampleRate}) shared->AddTool(box->Window(), tip);
}

void frmProfile::ApplyXPLayout() {
    if (!gIsXP) {
        for (Control* c : ControlList{lblSystemPlayBackQuality, cboBitDepth, cboSystemSampleRate, chkSyncSampleRates})
            c->SetEnabled(true);
        return;
    }
    Control& db = *lblMasterVolumeDB;
    Control& volume = *lblMasterVolume;
    Control& slider = *csliVolume;
    const int d = db.Top() - volume.Top();
    db.SetVisible(false);
    volume.Move(volume.Left(), db.Top(), volume.Width(), volume.Height());
    slider.Move(slider.Left(), slider.Top(), slider.Width(), slider.Height() + d);
    const int e = lblInputLineVolumeDB[0]->Top() - lblInputLineVolume[0]->Top();
    for (int i = 0; i < 8; ++i) {
        lblInputLineVolumeDB[i]->SetVisible(false);
        Control& line = *csliInputLine[i];
        line.Move(line.Left(), line.Top() - e, line.Width(), line.Height() + e);
    }
}

void frmProfile::ApplyPanelColour() {
    const std::uint32_t colour = ScaleColor(kFormBackColour, 1.02);
    for (Frame* frame : {fraVSSLayouts, fraVSSUserLayouts}) frame->SetBackColor(colour);
    for (PictureBox* box : {pctVSSLayouts, pctOptVSSLayout, pctVSSUserLayouts}) box->SetBackColor(colour);
    for (OptionButton* option : optVSSLayout) hooks_->Tint(option->Window(), colour);
    hooks_->Tint(lblVSSPresets->Window(), colour);
    for (Slider* slider : {csliPL2xWidth, csliPL2xDepth, csliNEOWidth, csliNEODepth})
        slider->Bar().SetBackColor(colour);
    for (Label* label : {lblPL2xWidthNarrow, lblPL2xWidthWide, lblPL2xDepthFront, lblPL2xDepthRear, lblNEOWidthNarrow,
                         lblNEOWidthWide, lblNEODepthFront, lblNEODepthRear})
        hooks_->Tint(label->Window(), colour);
    panelColour_ = colour;
}

void frmProfile::WireEvents() {
    WireTabEvents();
    WireFieldEvents();
    WireGraphEvents();
    cmdCancel->Click = [this] { Unload(); };
    WireValueEvents();
    WireOutputEvents();
    WireMasterEvents();
    WireEffectEvents();
    WireMixerEvents();
    WireEqualizerEvents();
    WireLayoutEvents();
    // A scroll notification that leaves a slider where it was (the end of a drag, a key let go on
    // it, a click on its thumb) is no change of the user's: its handler, which in live mode sends
    // the slider's value over what another program may have set meanwhile, doesn't run for it. A
    // slider not moved since the window opened stands where it was made.
    for (Control* c : Controls())
        if (auto* slider = dynamic_cast<Slider*>(c); slider && slider->Change)
            slider->Change = [slider, handler = slider->Change, last = slider->Value()]() mutable {
                if (last == slider->Value()) return;
                last = slider->Value();
                handler();
            };
    // Picture boxes paint the lines and boxes of the design that lie on them (each shape names its
    // container).
    for (const Shape& s : shapes_) {
        if (s.container.empty()) continue;
        if (auto* box = dynamic_cast<PictureBox*>(Find(s.container)); box && !box->Paint)
            box->Paint = [this, container = s.container](HDC dc) { PaintShapes(container, dc); };
    }
}

}  // namespace kal
