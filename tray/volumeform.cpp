#include "tray/volumeform.h"

#include <mmsystem.h>

#include <cmath>
#include <stdexcept>

#include "base/log.h"
#include "device/audio.h"
#include "device/cardlines.h"
#include "device/linevalues.h"
#include "device/mixervalues.h"
#include "device/packets.h"
#include "device/portable/audio_levels.h"
#include "device/portable/texts.h"
#include "device/profilevalues.h"
#include "device/speakertrials.h"
#include "device/transport.h"
#include "startup/catalogue.h"
#include "startup/globals.h"
#include "startup/utility.h"
#include "toolkit/font.h"
#include "base/subclass.h"
#include "toolkit/tooltip.h"
#include "toolkit/utility.h"
#include "tray/formopeners.h"
#include "tray/mainform.h"
#include "tray/portable/trayrules.h"
#include "tray/portable/volumelevels.h"
#include "tray/trayicon.h"

namespace kal {
namespace {

// The pop-up's layout is drawn up in pixels at 96 dpi; the form layer takes twips.
constexpr int kTwips = 15;

// The system-sound flag of PlaySoundW (not declared by every SDK); Windows XP does not know it.
constexpr DWORD kSndSystem = 0x00200000;
constexpr LONG kPushLike = 0x1000;

constexpr COLORREF kMeterBack = RGB(24, 24, 24);
constexpr COLORREF kLevelBar = RGB(60, 210, 60);
constexpr COLORREF kVolumeBar = RGB(20, 130, 20);
constexpr COLORREF kLinkText = RGB(0, 90, 200);

FormInstance<frmVolume> gVolumeInstance;
SystemSoundPlayer gSoundPlayer;

ControlRow Row(ControlType type, ControlName control, int index, const wchar_t* caption, int x, int y, int w, int h,
               DWORD style = 0, PropertyBag bag = {}) {
    return ControlRow(type, std::move(control), index, caption, x * kTwips, y * kTwips, w * kTwips, h * kTwips, style,
                      L"pctVolume", std::move(bag));
}

PropertyBag SliderBag(std::int32_t orientation, std::int32_t min, std::int32_t max, std::int32_t value) {
    PropertyBag bag;
    bag.Write<std::int32_t>(L"Orientation", orientation, 0);
    bag.Write<std::int32_t>(L"Min", min, 1);
    bag.Write<std::int32_t>(L"Max", max, 100);
    bag.Write<std::int32_t>(L"Value", value, 1);
    return bag;
}

// The decoration drawn on the panel's background: the boxes around the volume and the balance,
// and the lines above and between the two links.
struct Decoration {
    RECT rect;
    UINT edges;
};
constexpr Decoration kDecorations[] = {
    {{4, 34, 66, 228}, BF_RECT},     // around volume and meter
    {{70, 104, 186, 174}, BF_RECT},  // around the balance
    {{4, 230, 186, 232}, BF_TOP},    // above the links
    {{95, 234, 97, 248}, BF_LEFT},   // between the links
};

void FillColour(HDC dc, const RECT& rect, COLORREF colour) {
    ::SetBkColor(dc, colour);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

bool LeftButtonDown() {
    const int key = ::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    return (::GetAsyncKeyState(key) & 0x8000) != 0;
}

void PlaySystemSound(const wchar_t* alias, DWORD flags) {
    if (gSoundPlayer) gSoundPlayer(alias, flags);
    else ::PlaySoundW(alias, nullptr, flags);
}

bool SelectItemData(ComboBox& box, std::intptr_t data) {
    for (int i = 0, n = box.ListCount(); i < n; ++i) {
        if (box.ItemData(i) == data) {
            box.SetListIndex(i);
            return true;
        }
    }
    return false;
}

// A live value as a 16.16 number, stored little-endian as the driver's numbers are; 0 when it
// is longer than 32 bits.
Currency LiveNumber(const wchar_t* name) {
    try {
        return HexToNumber(BytesToHex(GetProfileValue(L"", name), true));
    } catch (const std::exception&) {
        LogCaught(std::wstring(L"LiveNumber ") + name);
        return 0;
    }
}

const std::wstring& SpeakersLine() { return gPlaybackLineIds[0]; }

}  // namespace

LRESULT CALLBACK VolumeMouseHookProc(int code, WPARAM wParam, LPARAM lParam);

// Marks the panel busy for a scope; the meter skips its rounds meanwhile.
class frmVolume::BusyScope {
public:
    explicit BusyScope(frmVolume& form) : form_(form), was_(form.busy_) { form_.busy_ = true; }
    ~BusyScope() { form_.busy_ = was_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    frmVolume& form_;
    bool was_;
};

// The look of the two link labels: link colour, the hand cursor over them, underlined while the
// pointer is on one, plain again once it moves onto the panel's background.
class frmVolume::LinkHover final : public ISubclass {
public:
    explicit LinkHover(frmVolume& form) {
        base_ = gUIFont ? *gUIFont : GetSystemFont();
        underlined_ = base_;
        underlined_.underline = true;
        panel_ = form.pctVolume->Window();
        links_[0] = form.lblSettings;
        links_[1] = form.lblSystemMixer;
        MSubclass::AttachMessage(this, panel_, WM_MOUSEMOVE);
        MSubclass::AttachMessage(this, panel_, WM_CTLCOLORSTATIC);
        for (Control* link : links_) {
            MSubclass::AttachMessage(this, link->Window(), WM_MOUSEMOVE);
            MSubclass::AttachMessage(this, link->Window(), WM_SETCURSOR);
        }
    }
    ~LinkHover() {
        MSubclass::DetachMessage(this, panel_, WM_MOUSEMOVE);
        MSubclass::DetachMessage(this, panel_, WM_CTLCOLORSTATIC);
        for (Control* link : links_) {
            MSubclass::DetachMessage(this, link->Window(), WM_MOUSEMOVE);
            MSubclass::DetachMessage(this, link->Window(), WM_SETCURSOR);
        }
    }
    LinkHover(const LinkHover&) = delete;
    LinkHover& operator=(const LinkHover&) = delete;

    std::int32_t MsgResponse() const override { return MsgResponseConsume; }
    void SetMsgResponse(std::int32_t) override {}

    LRESULT WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) override {
        try {
            if (iMsg == WM_CTLCOLORSTATIC) {
                const LRESULT brush = MSubclass::CallOldWindowProc(hWnd, iMsg, wParam, lParam);
                const auto control = reinterpret_cast<HWND>(lParam);
                if (control == links_[0]->Window() || control == links_[1]->Window())
                    ::SetTextColor(reinterpret_cast<HDC>(wParam), kLinkText);
                return brush;
            }
            if (iMsg == WM_SETCURSOR) {
                SetMouseCursor(SystemCursor::Hand);
                return TRUE;
            }
            if (hWnd == panel_) {
                SetMouseCursor(SystemCursor::Arrow);
                Underline(-1);
            } else {
                RECT client{};
                ::GetClientRect(hWnd, &client);
                const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
                if (at.x >= 0 && at.x < client.right && at.y >= 0 && at.y < client.bottom) {
                    SetMouseCursor(SystemCursor::Hand);
                    Underline(hWnd == links_[0]->Window() ? 0 : 1);
                }
            }
            return MSubclass::CallOldWindowProc(hWnd, iMsg, wParam, lParam);
        } catch (...) {
            LogCaught(L"frmVolume link window procedure");
            return 0;
        }
    }

private:
    // Underlines link `which` (-1 none) and takes the underline off the other.
    void Underline(int which) {
        for (int i = 0; i < 2; ++i) {
            const bool want = i == which;
            if (shown_[i] == want) continue;
            shown_[i] = want;
            links_[i]->SetFont(want ? underlined_ : base_);
            ::InvalidateRect(links_[i]->Window(), nullptr, TRUE);
        }
    }

    HWND panel_ = nullptr;
    Control* links_[2] = {};
    bool shown_[2] = {false, false};
    UIFont base_, underlined_;
};

void SetSystemSoundPlayer(SystemSoundPlayer player) { gSoundPlayer = std::move(player); }

frmVolume::frmVolume() : Form(L"frmVolume") {
    using T = ControlType;
    std::vector<ControlRow> rows = {
        ControlRow(T::PictureBox, KAL_CONTROL(frmVolume, pctVolume), -1, L"", 0, 0, 190 * kTwips, 252 * kTwips),
        Row(T::ComboBox, KAL_CONTROL(frmVolume, cboAnalogOutput), -1, L"", 8, 8, 84, 21),
        Row(T::ComboBox, KAL_CONTROL(frmVolume, cboAudioChannels), -1, L"", 98, 8, 84, 21),
        Row(T::Slider, KAL_CONTROL(frmVolume, csliVolume), -1, L"", 10, 38, 30, 150, 0, SliderBag(2, 0, 100, 100)),
        Row(T::PictureBox, KAL_CONTROL(frmVolume, pctPeak), -1, L"", 44, 46, 16, 134),
        Row(T::Label, KAL_CONTROL(frmVolume, lblMasterVolume), -1, L"100%", 8, 192, 54, 16, SS_CENTER),
        Row(T::Label, KAL_CONTROL(frmVolume, lblMasterVolumeDB), -1, L"0dB", 8, 208, 54, 16, SS_CENTER),
        Row(T::CheckBox, KAL_CONTROL(frmVolume, chkMute), -1, L"Mute", 72, 40, 112, 26),
        Row(T::CheckBox, KAL_CONTROL(frmVolume, chkSVN), -1, L"SVN", 72, 72, 112, 26),
        Row(T::Label, KAL_CONTROL(frmVolume, lblMasterBalanceL), -1, L"L", 74, 116, 12, 16, SS_CENTER),
        Row(T::Slider, KAL_CONTROL(frmVolume, csliMasterBalance), -1, L"", 86, 110, 84, 30, 0,
            SliderBag(0, -10, 10, 0)),
        Row(T::Label, KAL_CONTROL(frmVolume, lblMasterBalanceR), -1, L"R", 170, 116, 12, 16, SS_CENTER),
        Row(T::CommandButton, KAL_CONTROL(frmVolume, cmdMasterBalanceReset), -1, L"Center", 98, 144, 60, 22),
        Row(T::Label, KAL_CONTROL(frmVolume, lblSettings), -1, L"Settings", 10, 234, 70, 16),
        Row(T::Label, KAL_CONTROL(frmVolume, lblSystemMixer), -1, L"Mixer", 110, 234, 70, 16, SS_RIGHT),
        TimerRow(KAL_CONTROL(frmVolume, timerPeak), 20),
        TimerRow(KAL_CONTROL(frmVolume, timerSound), 100),
        TimerRow(KAL_CONTROL(frmVolume, timerUnload), 10),
    };
    Design(FormLayout(L"Volume", 190 * kTwips, 252 * kTwips, -1, -1, WS_POPUP | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW),
           std::move(rows));
}

frmVolume::~frmVolume() { Unload(); }

frmVolume* VolumePopup() { return gVolumeInstance.Loaded(); }

HWND ShowVolumePopup() {
    frmVolume* popup = gVolumeInstance.Open([](frmVolume& form) { form.Load(); });
    return popup ? popup->hWnd() : nullptr;
}

// ---- Loading and closing ----

void frmVolume::OnLoad() {
    busy_ = false;
    bar0_ = bar1_ = 0;
    liveVolume_ = 0;
    levelBlock_.assign(kPeakMeterSize, 0);

    SetIcon(hWnd(), kProgramIcon);
    ApplySystemFont(this);
    ApplyWheelIncrement(*this);
    BindEvents();
    hover_ = std::make_unique<LinkHover>(*this);

    if (clsToolTip* tip = SharedToolTip()) {
        tip->AddTool(chkSVN->Window(), kSvnTip);
        if (!gIsXP) tip->AddTool(cboAudioChannels->Window(), kFormatChangeTip);
    }
    neoSupported_ = DriverQuery38();
    FillLists();
    if (gIsXP) LayOutForXP();
    SetWindowStyleBit(chkSVN->Window(), true, kPushLike);
    SetWindowStyleBit(chkMute->Window(), true, kPushLike);

    PictureBox& panel = *pctVolume;
    panel.Cls();
    for (const Decoration& d : kDecorations) {
        // At the screen's scale, as the controls they frame.
        RECT r{TwipsToPixelsX(d.rect.left * kTwips), TwipsToPixelsY(d.rect.top * kTwips),
               TwipsToPixelsX(d.rect.right * kTwips), TwipsToPixelsY(d.rect.bottom * kTwips)};
        ::DrawEdge(panel.hDC(), &r, EDGE_ETCHED, d.edges);
    }
    panel.Refresh();

    CurrentValues();
    editorWasOpen_ = IsFormLoaded(L"frmProfile");
    MeterOn();

    PictureBox& meter = *pctPeak;
    RECT client{};
    ::GetClientRect(meter.Window(), &client);
    meterHeight_ = client.bottom;
    meter.SetBackColor(kMeterBack);
    DrawMeter();
}

void frmVolume::BindEvents() {
    cboAnalogOutput->Click = [this] { cboAnalogOutput_Click(); };
    cboAudioChannels->Click = [this] { cboAudioChannels_Click(); };
    chkMute->Click = [this] { chkMute_Click(); };
    chkSVN->Click = [this] { chkSVN_Click(); };
    cmdMasterBalanceReset->Click = [this] {
        if (!Updating()) csliMasterBalance->SetValue(0);
    };
    csliMasterBalance->Change = [this] { UpdateMasterBalance(); };
    csliVolume->Change = [this] { csliVolume_Change(); };
    lblSettings->Click = [] {
        if (TrayOpeners().realTimeSettings) TrayOpeners().realTimeSettings();
    };
    lblSystemMixer->Click = [] {
        if (frmKalvenor* main = MainTrayForm()) main->ShowSystemMixerLater();
    };
    timerPeak->Tick = [this] { timerPeak_Timer(); };
    timerSound->Tick = [this] { timerSound_Timer(); };
    timerUnload->Tick = [this] {
        timerUnload->SetEnabled(false);
        Unload();
    };
}

void frmVolume::FillLists() {
    for (int n = 2; n <= 8; n += 2) cboAudioChannels->AddItem(std::to_wstring(n) + L" Ch.", n);
    const bool frontPanel = gCardCaps && gCardCaps->FrontPanel;
    for (const AnalogOutputMode& mode : AnalogOutputModes(ProbeRearSpeakerConfigs(), frontPanel))
        cboAnalogOutput->AddItem(mode.text, mode.data);
}

// Windows XP shows no decibels: the percentage takes the decibels' place and the slider and
// the meter grow by the room that frees.
void frmVolume::LayOutForXP() {
    Label& percent = *lblMasterVolume;
    Label& decibels = *lblMasterVolumeDB;
    const int grow = decibels.Top() - percent.Top();
    decibels.SetVisible(false);
    percent.Move(percent.Left(), decibels.Top(), percent.Width(), percent.Height());
    for (Control* c : {static_cast<Control*>(csliVolume), static_cast<Control*>(pctPeak)})
        c->Move(c->Left(), c->Top(), c->Width(), c->Height() + grow);
}

// Switches the driver's metering on when its block reads all zero, remembering whether it was.
void frmVolume::MeterOn() {
    Bytes block(kPeakMeterSize, 0);
    SendDriverProperty(DrvPropPeakMeter, block, true);
    meterWasOn_ = BytesToHex(block) != std::wstring(2 * kPeakMeterSize, L'0');
    if (meterWasOn_) return;
    Bytes on(kPeakMeterSize, 0);
    on[0] = 1;
    SendDriverProperty(DrvPropPeakMeter, on, false);
}

void frmVolume::OnActivate() {
    timerPeak->SetEnabled(true);
    if (!mouseHook_)
        mouseHook_.reset(::SetWindowsHookExW(WH_MOUSE_LL, &VolumeMouseHookProc, ::GetModuleHandleW(nullptr), 0));
}

bool frmVolume::HandleMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg != WM_NCACTIVATE) return false;
    // Losing activation closes the panel once this message has been handled.
    if (wParam == 0) timerUnload->SetEnabled(true);
    result = 0;
    return true;
}

void frmVolume::OnQueryUnload(bool&) {
    timerPeak->SetEnabled(false);
    mouseHook_.reset();
}

void frmVolume::OnUnload() {
    if (!meterWasOn_) {
        Bytes off(kPeakMeterSize, 0);
        SendDriverProperty(DrvPropPeakMeter, off, false);
    }
    if (gToolTip) {
        gToolTip->RemoveTool(chkSVN->Window());
        gToolTip->RemoveTool(cboAudioChannels->Window());
    }
    hover_.reset();
}

// ---- Showing the card's state ----

void frmVolume::CurrentValues() {
    if (!Loaded()) return;
    UpdatingScope updating(*this);
    const Bytes svn = GetProfileValue(L"", L"SmartVolumeParams");
    chkSVN->SetValue(!svn.empty() && svn[0] == 1 ? 1 : 0);
    if (gAudio) SelectItemData(*cboAudioChannels, gAudio->GetSpeakers(SpeakersLine()));
    const Bytes panel = GetProfileValue(L"", L"PanelConfig");
    const Bytes speakers = GetProfileValue(L"", L"SpeakerConfig");
    if (!panel.empty() && !speakers.empty())
        SelectItemData(*cboAnalogOutput, (panel[0] << 8) | speakers[0]);
    CurrentMaster();
}

void frmVolume::CurrentMaster() {
    if (!Loaded()) return;
    UpdatingScope updating(*this);
    Currency volume = 0, balance = 0;
    GetProfileVolumeBalance(volume, balance, 0, 0, L"");
    csliMasterBalance->SetValue(static_cast<std::int32_t>(std::nearbyint(Fixed4ToDouble(balance) * 10)));
    csliVolume->SetValue(static_cast<std::int32_t>(std::nearbyint(Fixed4ToDouble(volume))));
    ShowVolumeLabels(csliVolume->Value());
    chkMute->SetValue(GetLineMute(SpeakersLine(), 0) ? 1 : 0);
}

void frmVolume::ShowVolumeLabels(std::int32_t value) {
    lblMasterVolume->SetCaption(std::to_wstring(value) + L"%");
    if (gIsXP || !gAudio) return;
    const Currency dB = gAudio->DeviceDBFromLinear(SpeakersLine(), 0, static_cast<std::int16_t>(value));
    lblMasterVolumeDB->SetCaption(FormatDecimal(dB, DecimalSeparator()) + L"dB");
}

// Sets the master line from the two sliders (unless the panel is being filled), then reads back
// the card's own master volume for the meter.
void frmVolume::UpdateMasterBalance() {
    BusyScope busy(*this);
    if (!Updating()) {
        const Currency volume = csliVolume->Value() * kCurrencyScale;
        const Currency balance = csliMasterBalance->Value() * (kCurrencyScale / 10);
        SetVolumeBalance(volume, balance, 0, 0);
        if (IVolumeEditorLink* editor = LiveEditor()) editor->CurrentVolume();
        UpdateTrayIconAndTip();
    }
    Currency left = LiveNumber(L"MasterVolL"), right = LiveNumber(L"MasterVolR"), balance = 0;
    ChannelsBalance(left, right, liveVolume_, balance, false);
}

IVolumeEditorLink* frmVolume::LiveEditor() const {
    if (!editorWasOpen_) return nullptr;
    auto* editor = dynamic_cast<IVolumeEditorLink*>(FindForm(L"frmProfile"));
    return editor && !editor->LiveProfileName().empty() ? editor : nullptr;
}

// ---- Handlers ----

void frmVolume::cboAnalogOutput_Click() {
    if (Updating()) return;
    ComboBox& box = *cboAnalogOutput;
    if (box.ListIndex() < 0) return;
    BusyScope busy(*this);
    const auto data = static_cast<std::uint32_t>(box.ItemData(box.ListIndex()));
    Bytes panel{static_cast<std::uint8_t>(data >> 8), 0, 0, 0};
    const Bytes speakers{static_cast<std::uint8_t>(data), 0, 0, 0};
    const Bytes gain = GetProfileValue(L"", HpImpedanceValueName(panel));
    ApplySpeakerConfig(speakers);
    ApplyPanelConfig(panel, gain);
    Bytes off{0};
    ApplyXear3D(off);
    ApplyPl2xParam(Bytes(kPl2xSize, 0));
    if (neoSupported_) ApplyNeoParam(Bytes(kNeoSize, 0));
    if (IVolumeEditorLink* editor = LiveEditor()) editor->CurrentOutput();
}

void frmVolume::cboAudioChannels_Click() {
    if (Updating()) return;
    ComboBox& box = *cboAudioChannels;
    if (box.ListIndex() < 0 || !gAudio) return;
    StampSelfChange();
    gAudio->SetSpeakers(SpeakersLine(), static_cast<std::int16_t>(box.ItemData(box.ListIndex())));
    if (IVolumeEditorLink* editor = LiveEditor()) editor->CurrentSpeakers();
    for (Form* f : LoadedForms())
        if (auto* menus = dynamic_cast<IMenuOwner*>(f)) menus->UpdateMenus();
}

void frmVolume::chkMute_Click() {
    if (Updating()) return;
    SetLineMute(SpeakersLine(), 0, chkMute->Value() == 1 ? -1 : 0);
    UpdateTrayIconAndTip();
}

void frmVolume::chkSVN_Click() {
    if (Updating()) return;
    BusyScope busy(*this);
    const std::uint8_t on = chkSVN->Value() == 1 ? 1 : 0;
    ApplySmartVolume(Bytes{on, 0, 0, 0});
    if (IVolumeEditorLink* editor = LiveEditor()) editor->CurrentSVN();
}

void frmVolume::csliVolume_Change() {
    ShowVolumeLabels(csliVolume->Value());
    UpdateMasterBalance();
    // A drag with the mouse ends with the feedback sound (see timerSound_Timer).
    if (Visible() && !Updating() && LeftButtonDown()) {
        timerSound->SetEnabled(false);
        timerSound->SetEnabled(true);
    }
}

// ---- Level meter, feedback sound and wheel ----

Currency frmVolume::ReadPeakLevel() {
    levelBlock_.assign(kPeakMeterSize, 0);
    SendDriverProperty(DrvPropPeakMeter, levelBlock_, true);
    return MeterLevel(levelBlock_);
}

void frmVolume::timerPeak_Timer() {
    if (busy_) return;
    BusyScope busy(*this);
    const Currency level = ReadPeakLevel();
    bar1_ = MeterBarHeight(level, meterHeight_);
    bar0_ = AttenuatedBarHeight(bar1_, level, liveVolume_);
    DrawMeter();
}

void frmVolume::DrawMeter() {
    PictureBox& meter = *pctPeak;
    HDC dc = meter.hDC();
    if (!dc) return;
    RECT client{};
    ::GetClientRect(meter.Window(), &client);
    FillColour(dc, client, kMeterBack);
    const int half = client.right / 2;
    FillColour(dc, RECT{2, meterHeight_ - bar0_, half - 1, meterHeight_}, kVolumeBar);
    FillColour(dc, RECT{half + 1, meterHeight_ - bar1_, client.right - 2, meterHeight_}, kLevelBar);
    meter.Refresh();
}

void frmVolume::timerSound_Timer() {
    if (LeftButtonDown()) return;
    timerSound->SetEnabled(false);
    BusyScope busy(*this);
    // Only in silence: over playing sound the sound would not be heard as the new level.
    if (std::nearbyint(Fixed4ToDouble(ReadPeakLevel())) != 0) return;
    PlaySystemSound(L"SystemAsterisk", SND_ALIAS | SND_ASYNC | (gIsXP ? 0 : kSndSystem));
}

// One wheel movement anywhere on the screen steps the volume slider as a wheel over it would.
void frmVolume::WheelTurned(short delta) {
    HWND bar = csliVolume->Bar().hWnd();
    if (bar) ::SendMessageW(bar, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)), 0);
}

LRESULT CALLBACK VolumeMouseHookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code != HC_ACTION) return 0;
    frmVolume* popup = wParam == WM_MOUSEWHEEL ? VolumePopup() : nullptr;
    if (popup) {
        const auto* event = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
        try {
            popup->WheelTurned(static_cast<short>(HIWORD(event->mouseData)));
        } catch (...) {
            LogCaught(L"VolumeMouseHookProc");
        }
        // The wheel goes no further.
        return -1;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace kal
