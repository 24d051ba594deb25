// The editor window as a whole: its instance, the set-up for its mode, its own events, the
// control reset before a reload, and the decorations of its design.
#include "editor/profileform.h"

#include <algorithm>

#include "device/audio.h"
#include "device/cardlines.h"
#include "device/portable/mixer_names.h"
#include "device/profilevalues.h"
#include "editor/controlvalues.h"
#include "editor/customcontrolsdialog.h"
#include "editor/drawing.h"
#include "editor/hpampdialog.h"
#include "editor/portable/profilebytes.h"
#include "editor/swapsdialog.h"
#include "editor/hooks.h"
#include "startup/catalogue.h"
#include "startup/globals.h"
#include "base/registry.h"
#include "startup/tables.h"
#include "startup/utility.h"
#include "toolkit/utility.h"
#include "tray/host.h"

namespace kal {
namespace {

FormInstance<frmProfile> gEditorInstance;

void AddSampleRates(ComboBox& box, bool dontChange) {
    box.Clear();
    if (dontChange) box.AddItem(L"Don't Change", 0);
    box.AddItem(L"44.1 KHz", 44100);
    box.AddItem(L"48 KHz", 48000);
    box.AddItem(L"96 KHz", 96000);
    if (gCardCaps && gCardCaps->MaxSampleRate == 192000) box.AddItem(L"192 KHz", 192000);
}

}  // namespace

frmProfile* ProfileEditor() { return gEditorInstance.Loaded(); }
frmProfile& ProfileEditorInstance() { return gEditorInstance.Get(); }

void ShowRealTimeSettings() {
    if (frmProfile* open = ProfileEditor()) {
        open->Show();
        return;
    }
    WaitCursor wait;
    frmProfile& editor = ProfileEditorInstance();
    editor.Load();
    editor.SetRealTimeMode(true);
    editor.CompactForRealTime();
    editor.SetUp();
    editor.Show();
}

frmProfile::frmProfile() : Form(L"frmProfile") {
    EditorDesign design = MakeEditorDesign();
    shapes_ = std::move(design.shapes);
    Design(std::move(design.layout), std::move(design.controls));
}

frmProfile::~frmProfile() { Unload(); }

// ---- Set-up ----

void frmProfile::SetUp() {
    UpdatingScope updating(*this);
    // The profiles' own shortcut keys go while a key may be typed into the shortcut box; the
    // main form's menu rebuild leaves them off while this editor is open.
    if (!realTimeMode_) {
        if (ITrayHost* main = TrayHost()) main->ClearProfileHotkeys();
    }
    // Card sample rates.
    AddSampleRates(*cboSampleRate, !realTimeMode_);
    // Windows bit depths the card's endpoint accepts, and the Windows sample rates.
    if (!gIsXP) {
        auto& bits = *cboBitDepth;
        bits.Clear();
        if (!realTimeMode_) bits.AddItem(L"Don't Change", 0);
        for (std::uint16_t depth : {8, 16, 24, 32}) {
            if (gAudio && gAudio->FormatSupported(gPlaybackLineIds[0], 0, 44100, depth, 2))
                bits.AddItem(std::to_wstring(depth) + L" bit", depth);
        }
        AddSampleRates(*cboSystemSampleRate, !realTimeMode_);
    }
    // Stereo upmix.
    auto& upmix = *cboStereoUpmix;
    upmix.Clear();
    if (!realTimeMode_) upmix.AddItem(L"Don't Change", -1);
    upmix.AddItem(L"Disable", 0);
    upmix.AddItem(L"Enable", 1);
    // The headphone amplifier's button beside the analog output.
    if (gCardCaps && gCardCaps->HPAmp) {
        auto& amp = *cmdHpAmp;
        auto& settings = *cmdAnalogOutputSettings;
        auto& output = *cboAnalogOutput;
        amp.SetVisible(true);
        const int left = settings.Left() - amp.Width() - 105;
        settings.Move(left, settings.Top(), settings.Width(), settings.Height());
        // The box keeps 2 pixels from the button: its longest choices need the room.
        output.Move(output.Left(), output.Top(), left - output.Left() - 30, output.Height());
        HpImpedanceDialogInstance().Load();
    }
    CompleteFormatTooltip();
    // The recording lines.
    RebuildInputLines();
    // Caption, name, shortcut and values.
    if (!Tag().empty()) {
        SetCaption(L"Edit Profile \"" + Tag() + L"\"");
        txtProfileName->SetText(Tag());
        Bytes key = GetProfileValue(Tag(), L"Shortcut");
        key.resize(2, 0);
        auto& shortcut = *txtShortcut;
        if (key[0] != 0) {
            shortcut.SetText(KeyCodeToString(key[0], key[1]));
            shortcut.SetTag(HexPad(key[0], 2) + L"|" + HexPad(key[1], 2));
        }
        LoadStoredIcon();
        LoadValues(Tag(), false);
    } else {
        SetCaption(realTimeMode_ ? L"Real Time Settings" : L"Create New Profile");
        LoadValues(L"", false);
        chkLiveMode->SetValue(1);
    }
    // The user's gain profiles and speaker layouts.
    LoadEQUserProfiles();
    LoadVSSUserLayouts();
    // Both sample rates equal: keep them in step.
    if (!gIsXP) {
        auto& card = *cboSampleRate;
        auto& system = *cboSystemSampleRate;
        if (card.ListIndex() >= 0 && system.ListIndex() >= 0 &&
            card.ItemData(card.ListIndex()) == system.ItemData(system.ListIndex()) &&
            (card.ListIndex() >= 1 || realTimeMode_))
            chkSyncSampleRates->SetValue(1);
    }
    RememberLoadedProfile(realTimeMode_ ? L"" : Tag(), true);
}

void frmProfile::RebuildInputLines() {
    for (int j = 0; j < 8; ++j) {
        const std::wstring& id = gInputLineIds[static_cast<std::size_t>(j)];
        const bool exists = !id.empty();
        const bool active = exists && (gIsXP || (gAudio && gAudio->DeviceState(id) == kDeviceStateActive));
        auto& set = *chkRecordSet[j];
        set.SetVisible(exists && !realTimeMode_);
        set.SetEnabled(active);
        if (active) set.SetTag(L"*");
        inputLineShown_[static_cast<std::size_t>(j)] = active;
        std::int32_t channels = 0;
        if (exists && gAudio) {
            float level = 0;
            gAudio->LineChannelVolumeOperation(id, channels, level, 1, false, true);
        }
        auto& balance = *csliInputLineBalance[j];
        balance.SetTag(std::to_wstring(channels));
        const bool stereo = exists && channels == 2;
        balance.SetVisible(stereo);
        lblInputLineBalanceL[j]->SetVisible(stereo);
        lblInputLineBalanceR[j]->SetVisible(stereo);
        cmdInputLineBalanceReset[j]->SetEnabled(stereo);
        for (Control* c : ControlList{optInputSelect[j], lblInputLineCaption[j]}) {
            c->SetVisible(exists);
            c->SetEnabled(active);
        }
        lblInputLineCaption[j]->SetCaption(std::wstring(gInputLineNames[static_cast<std::size_t>(j)]));
        auto& monitor = *chkRecordMonitor[j];
        auto& extra = *cmdRecordExtraOptions[j];
        if (!exists) {
            monitor.SetVisible(false);
            extra.SetVisible(false);
            for (Control* c : ControlList{csliInputLine[j], lblInputLineVolume[j], lblInputLineVolumeDB[j]})
                c->SetVisible(false);
            continue;
        }
        const std::int32_t monitorControl = gInputLineMonitorControl[static_cast<std::size_t>(j)];
        monitor.SetTag(monitorControl ? std::to_wstring(monitorControl) : L"");
        monitor.SetVisible(!monitor.Tag().empty());
        std::size_t controls = 0;
        if (gAudio && gAudio->CustomControls.Contains(id)) controls = gAudio->CustomControls.At(id).size();
        extra.SetTag(std::to_wstring(controls));
        const std::size_t others = controls - (monitorControl && controls ? 1 : 0);
        extra.SetVisible(others > 0);
    }
}

// ---- Accessors ----

// The chosen output's item data; with none chosen, the loaded output that the list has no
// entry for, else -1.
std::intptr_t frmProfile::OutputCode() const {
    const auto& box = *cboAnalogOutput;
    const int i = box.ListIndex();
    return i < 0 ? unlistedOutput_ : box.ItemData(i);
}

std::wstring frmProfile::Output() const {
    const std::intptr_t code = OutputCode();
    return code < 0 ? L"" : HexPad(static_cast<std::int32_t>(code), 4);
}

int frmProfile::Speakers() const {
    const auto& box = *cboSpeakersLayout;
    const int i = box.ListIndex();
    if (i >= 0 && box.ItemData(i) != 0) return static_cast<int>(box.ItemData(i));
    return gAudio ? gAudio->GetSpeakers(gPlaybackLineIds[0]) : 0;
}

// ---- Window events ----

void frmProfile::OnActivate() {
    SetMouseCursor(SystemCursor::Arrow);
    if (Form* volume = FindForm(L"frmVolume")) volume->Unload();
    SetModalState(*this, true);
}

void frmProfile::OnQueryUnload(bool& /*cancel*/) { SetModalState(*this, false); }

void frmProfile::OnUnload() {
    Hide();
    // Echo cancellation ended from outside in the second before the close, which the follow
    // had not reached yet: its end puts back what the user's Enable changed.
    if (realTimeMode_ && record_.Locked() && !aecSaved_.before.empty() && !DecodeAEC(GetProfileValue(L"", L"AEC"))) SendUnlockedPages();
    unloading_ = true;
    chkLiveMode->SetValue(0);
    unloading_ = false;
    ITrayHost* main = TrayHost();
    if (realTimeMode_) {
        if (main) main->UpdateMenus();
    } else {
        // No longer editing: the menu rebuild that follows registers the profiles' keys again.
        realTimeMode_ = true;
        IProfileListView* manager = nullptr;
        Form* managerForm = nullptr;
        for (Form* f : LoadedForms()) {
            if (auto* list = dynamic_cast<IProfileListView*>(f)) {
                manager = list;
                managerForm = f;
            }
        }
        if (manager) {
            manager->UpdateProfiles(LastProfileName, false);
            ::SetFocus(managerForm->hWnd());
        } else if (main) {
            // Without the profile manager nobody else rebuilds the menu: the keys come back here.
            main->UpdateMenus();
        }
    }
    UnsubclassControl(*txtShortcut);
    if (frmHpImpedanceMode* amp = HpImpedanceDialog()) {
        amp->AllowUnload = true;
        amp->Unload();
    }
    // The other two dialogs belong to this editor as well.
    if (frmAnalogOutputSettings* swaps = AnalogOutputSettingsDialog()) swaps->Unload();
    if (frmInputLineCustomControls* custom = InputLineCustomControlsDialog()) custom->Unload();
    tabs_.Detach();
    hooks_.reset();
    soundFieldPicture_.reset();
    effectGraphBackground_.reset();
    icon32_.reset();
    icon16_.reset();
    for (auto& icon : buttonIcons_) icon.reset();
    // Last: hiding the window, ending live mode (a reload of the card's state) and the speaker
    // box losing the focus all draw, and would start GDI+ again.
    ShutdownGdiplus();
}

bool frmProfile::HandleMessage(UINT msg, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT& result) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hWnd(), &ps);
        // The shapes stand in the content, which may be scrolled.
        ::SetViewportOrgEx(dc, 0, -ScrollTop(), nullptr);
        PaintShapes(L"", dc);
        ::EndPaint(hWnd(), &ps);
        result = 0;
        return true;
    }
    case WM_MOUSEMOVE:
        SetMouseCursor(SystemCursor::Arrow);
        ResetTabHover();
        return false;
    case kSendUnlockedPages:
        SendUnlockedPages();
        result = 0;
        return true;
    default: return false;
    }
}

// ---- Reset before a reload ----

void frmProfile::SetEditorRedraw(bool suspend) {
    for (Control* c : Controls())
        if (c->Type() == ControlType::ComboBox) LockRedraw(c->Window(), suspend);
    LockRedraw(pctMixerPlayback->Window(), suspend);
    LockRedraw(pctEnhancements->Window(), suspend);
}

void frmProfile::ResetControls() {
    SetEditorRedraw(true);
    refreshingOutput_ = true;
    optAEC[0]->SetValue(true);
    ClearAecSaved();
    cboSpeakersLayout->SetListIndex(-1);
    CurrentVolume(Tag());
    LoadInputLines(Tag());
    cboSampleRate->SetListIndex(0);
    chkSPDIF->SetValue(0);
    cboSPDIFOutput->SetListIndex(-1);
    cboAnalogOutput->SetListIndex(-1);
    LoadOutputChannels(Tag());
    // The amplifier dialog is a form of its own: its list is reached by name.
    if (gCardCaps && gCardCaps->HPAmp)
        if (frmHpImpedanceMode* amp = HpImpedanceDialog()) amp->cboHpAmp->SetListIndex(0);
    for (CheckBox* box : {chkDolbyVirtualSpeaker, chkDolbyHeadphones, chkVSS, chkDolby, chkNeo}) box->SetValue(0);
    refreshingOutput_ = false;
}

void frmProfile::CommandReset(bool fromCard) {
    if (fromCard) return FollowCard();
    ResetControls();
    const std::wstring name = !Tag().empty() || liveProfileName_.empty() || realTimeMode_ ? Tag() : liveProfileName_;
    LoadValues(name, fromCard);
    // A new profile starts again from "Don't Change" channels and the remembered volume.
    if (Tag().empty() && !realTimeMode_ && !fromCard) {
        cboSpeakersLayout->SetListIndex(0);
        optVolume[0]->SetValue(true);
    }
    RememberLoadedProfile(!fromCard && name == Tag() ? name : L"", false);
    // The swaps, the custom controls and the speaker shifter's layout load without a control's
    // event: in live mode they reach the card here, the swaps the output uses as live mode's
    // start sends them, the custom controls as a row's Set box sends its line's, the layout as
    // its choice sends it ("Don't Change": the restore point's).
    if (!fromCard && !realTimeMode_ && !liveProfileName_.empty()) {
        if (const auto layout = LiveChoice(!optVSSLayout[1]->Value(), L"VSpeakerPos", EncodeVSpeakerPos()))
            SendVSpeakerPos(*layout);
        const std::wstring mode = OutputMode();
        for (int i = 0; i < 3; ++i)
            if (SwapUsed(i, mode)) LiveApplySwap(i);
        for (int j = 0; j < 8; ++j)
            for (int k = 1, controls = CountIn(cmdRecordExtraOptions[j]->Tag()); k <= controls; ++k)
                LiveApplyCustomControl(j, k, chkRecordSet[j]->Value() == 1);
    }
    SetEditorRedraw(false);
}

// ---- What the device side asks of the editor ----

void frmProfile::InputLineStateChanged(int input, bool active) {
    if (input < 0 || input > 7 || !Loaded()) return;
    // The real-time window shows the line as the card has it: its sliders send nothing back, which
    // would put their rounding over another program's levels.
    LiveNameAside aside(liveProfileName_, realTimeMode_ ? L"" : liveProfileName_);
    auto& box = *chkRecordSet[input];
    const bool load = realTimeMode_ || (active && !inputLineShown_[static_cast<std::size_t>(input)]);
    if (active) inputLineShown_[static_cast<std::size_t>(input)] = true;
    if (active) AddLineToRestorePoint(input);
    box.SetEnabled(active);
    box.SetTag(active ? L"*" : L"");
    if (load) box.SetValue(realTimeMode_ && active ? 1 : 0);
    // A device out of service can't be the recording source: its option goes with its row.
    for (Control* c : ControlList{optInputSelect[input], lblInputLineCaption[input]}) c->SetEnabled(active);
    if (frmInputLineCustomControls* dialog = InputLineCustomControlsDialog();
        dialog && dialog->Tag() == std::to_wstring(input))
        dialog->Unload();
    if (active && load) {
        CurrentInputLine(input, Tag());
        if (!realTimeMode_) RememberLoadedLine(input);
    } else
        EnableRecordRow(input);
    if (realTimeMode_) CurrentInputLineSelection(Tag());
}

void frmProfile::ShowRecordingSource(const std::wstring& lineId) {
    // Out of live mode the editor shows the profile, not the card.
    if (!Loaded() || liveProfileName_.empty() || optInputSelect[255]->Value()) return;
    // Windows' source as the editor saw it after its own send (one Windows refused, a device out
    // of service) is no change of another program's.
    if (lineId == sourceSeen_) return;
    sourceSeen_ = lineId;
    const auto it = std::find(gInputLineIds.begin(), gInputLineIds.end(), lineId);
    if (it == gInputLineIds.end() || lineId.empty()) return;
    UpdatingScope updating(*this);
    optInputSelect[static_cast<int>(it - gInputLineIds.begin())]->SetValue(true);
}

// ---- Decorations ----

Shape* frmProfile::FindShape(const std::wstring& name, int index) {
    for (Shape& s : shapes_)
        if (s.name == name && s.index == index) return &s;
    return nullptr;
}

void frmProfile::InvalidateShapeContainer(const std::wstring& container) {
    if (!Loaded()) return;
    if (container.empty()) {
        ::InvalidateRect(hWnd(), nullptr, TRUE);
        return;
    }
    // The shape names its container: found by that name.
    if (auto* box = dynamic_cast<PictureBox*>(Find(container))) box->Refresh();
}

void frmProfile::SetShapeFill(const std::wstring& name, int index, std::uint32_t colour) {
    Shape* s = FindShape(name, index);
    if (!s || (s->fill && *s->fill == colour)) return;
    s->fill = colour;
    InvalidateShapeContainer(s->container);
}

void frmProfile::SetShapeVisible(const std::wstring& name, int index, bool visible) {
    Shape* s = FindShape(name, index);
    if (!s || s->visible == visible) return;
    s->visible = visible;
    InvalidateShapeContainer(s->container);
}

void frmProfile::MoveShape(const std::wstring& name, int index, int dLeft, int dTop, int dRight, int dBottom) {
    Shape* s = FindShape(name, index);
    if (!s) return;
    s->twips.left += dLeft;
    s->twips.top += dTop;
    s->twips.right += dRight;
    s->twips.bottom += dBottom;
    InvalidateShapeContainer(s->container);
}

std::uint32_t frmProfile::ContentBorderColour() const {
    for (const Shape& s : shapes_)
        if (s.name == L"rectTabContent") return s.border;
    return 0x80000010;
}

void frmProfile::PaintShapes(const std::wstring& container, HDC dc) {
    for (const Shape& s : shapes_) {
        if (!s.visible || s.container != container) continue;
        const RECT r{TwipsToPixelsX(s.twips.left), TwipsToPixelsY(s.twips.top), TwipsToPixelsX(s.twips.right),
                     TwipsToPixelsY(s.twips.bottom)};
        if (s.line) {
            // Etched: a shadow line with a light line beside it.
            RECT edge = r;
            if (r.left == r.right) edge.right = r.left + 2;
            else edge.bottom = r.top + 2;
            ::DrawEdge(dc, &edge, EDGE_ETCHED, r.left == r.right ? BF_LEFT : BF_TOP);
            continue;
        }
        if (s.fill) {
            HBRUSH brush = ::CreateSolidBrush(TranslateOleColor(*s.fill));
            ::FillRect(dc, &r, brush);
            ::DeleteObject(brush);
        }
        HBRUSH border = ::CreateSolidBrush(TranslateOleColor(s.border));
        ::FrameRect(dc, &r, border);
        ::DeleteObject(border);
    }
}

}  // namespace kal
