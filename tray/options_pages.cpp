// The handlers of the options window's Startup, Interface and Shortcuts pages.
#include <algorithm>
#include <cmath>
#include <optional>

#include "device/audio.h"
#include "device/profilevalues.h"
#include "device/cardlines.h"
#include "startup/autostart.h"
#include "startup/globals.h"
#include "base/keyed.h"
#include "base/log.h"
#include "startup/privileges.h"
#include "base/registry.h"
#include "startup/settings.h"
#include "startup/utility.h"
#include "toolkit/font.h"
#include "toolkit/utility.h"
#include "tray/hotkeys.h"
#include "tray/mainform.h"
#include "tray/options.h"
#include "tray/options_design.h"
#include "tray/portable/trayrules.h"

namespace kal {

namespace {

constexpr wchar_t kSystemFace[] = L"<Use System Face>";
constexpr wchar_t kSystemSize[] = L"<Use System Size>";
constexpr Currency kDefaultStep = 2 * kCurrencyScale;

// Sets a check box and runs its handler even when the value stays.
void SetCheck(CheckBox& box, int value) {
    if (box.Value() == value && box.Click) box.Click();
    else box.SetValue(value);
}

int FindListText(const ComboBox& box, const std::wstring& text) {
    for (int i = 0, n = box.ListCount(); i < n; ++i)
        if (EqualsNoCase(box.List(i), text)) return i;
    return -1;
}

int CALLBACK FontFamilyEnumProc(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM names) {
    try {
        auto& list = *reinterpret_cast<std::vector<std::wstring>*>(names);
        const std::wstring face = font->lfFaceName;
        if ((type & TRUETYPE_FONTTYPE) && !face.empty() && face[0] != L'@' &&
            std::find(list.begin(), list.end(), face) == list.end())
            list.push_back(face);
        return 1;
    } catch (...) {
        LogCaught(L"FontFamilyEnumProc");
        return 0;
    }
}

}  // namespace

void frmOptions::WirePageEvents() {
    ComboBox& profiles = *cboDefaultProfile;
    profiles.Click = [this, &profiles] {
        const int i = profiles.ListIndex();
        if (i < 0 || Updating()) return;
        SetDefaultProfile(profiles.List(i));
        for (Form* f : LoadedForms())
            if (auto* list = dynamic_cast<IProfileListView*>(f)) list->UpdateProfiles(list->CurrentProfile(), true);
    };
    // The notify boxes belong to their option: nothing is stored while it is off.
    chkDefaultProfileNotify->Click = [this] {
        if (Updating() || chkStartupAudio[0]->Value() != 1) return;
        SetDefaultProfileNotify(chkDefaultProfileNotify->Value() == 1);
    };
    chkDefaultVolumeNotify->Click = [this] {
        if (Updating() || chkStartupAudio[1]->Value() != 1) return;
        SetDefaultVolumeNotify(chkDefaultVolumeNotify->Value() == 1);
    };
    csliDefaultVolume->Change = [this] { UpdateDefaultVolume(); };

    chkLegacyIconsUnderWin10->Click = [this] {
        if (Updating()) return;
        SetWin10LegacyIcons(chkLegacyIconsUnderWin10->Value() == 1);
        if (frmKalvenor* main = MainTrayForm()) main->UpdateTrayIcon(false);
    };
    csliWheelIncrement->Change = [this] {
        const auto value = csliWheelIncrement->Value();
        lblMouseWheelIncrement->SetCaption(std::to_wstring(value));
        if (Updating()) return;
        gWheelIncrement = static_cast<std::int16_t>(value);
        SetSliderWheelIncrement(value);
        for (Form* f : LoadedForms()) ApplyWheelIncrement(*f);
    };
    for (ComboBox* fontBox : {cboInterfaceFontName, cboInterfaceFontSize}) {
        ComboBox& box = *fontBox;
        const UIFontSetting setting = fontBox == cboInterfaceFontName ? UIFontSetting::Face : UIFontSetting::Size;
        box.Click = [this, &box, setting] {
            if (Updating() || box.ListIndex() < 0) return;
            if (box.ListIndex() == 0) RemoveUIFontSetting(setting);
            else SetUIFontSetting(setting, box.List(box.ListIndex()));
            ApplyInterfaceFont();
        };
    }

    for (int k = 0; k < kStepCount; ++k) {
        cmdStepMinus[k]->Click = [this, k] { ChangeStep(k, -1); };
        cmdStepPlus[k]->Click = [this, k] { ChangeStep(k, 1); };
    }
}

// ---- Start-up profile and volume ----

void frmOptions::SetupStartupAudioControls(bool quiet) {
    std::optional<UpdatingScope> scope;
    if (quiet) scope.emplace(*this);
    const std::wstring profile = GetDefaultProfile();
    const std::int16_t volume = GetDefaultVolume();
    ComboBox& list = *cboDefaultProfile;
    {
        UpdatingScope filling(*this);
        list.Clear();
        for (const auto& name : ProfileKeyNames()) list.AddItem(name);
    }
    const int at = profile.empty() ? -1 : FindListText(list, profile);
    SetCheck(*chkStartupAudio[0], at >= 0 ? 1 : 0);
    if (at >= 0) {
        list.SetListIndex(at);
        chkDefaultProfileNotify->SetValue(GetDefaultProfileNotify() ? 1 : 0);
    }

    Slider& slider = *csliDefaultVolume;
    SetCheck(*chkStartupAudio[1], volume < 0 ? 0 : 1);
    if (volume < 0) {
        const std::wstring& line = gPlaybackLineIds[0];
        if (gAudio && !line.empty())
            slider.SetValue(static_cast<std::int32_t>(std::nearbyint(gAudio->GetLineMasterVolume(line, 0) * 100)));
    } else {
        slider.SetValue(volume);
        chkDefaultVolumeNotify->SetValue(GetDefaultVolumeNotify() ? 1 : 0);
    }
    UpdateDefaultVolume();
}

void frmOptions::chkStartupAudio_Click(int index) {
    const bool on = chkStartupAudio[index]->Value() == 1;
    if (index == 0) {
        ComboBox& list = *cboDefaultProfile;
        CheckBox& notify = *chkDefaultProfileNotify;
        if (!on) {
            if (!Updating()) {
                RemoveDefaultProfile();
                RemoveDefaultProfileNotify();
            }
            list.SetListIndex(-1);
            list.SetEnabled(false);
            notify.SetValue(0);
        } else {
            list.SetEnabled(true);
            if (!Updating()) {
                if (list.ListCount() > 0) list.SetListIndex(0);
                notify.SetValue(1);
            }
        }
        notify.SetEnabled(list.Enabled());
        return;
    }
    Slider& slider = *csliDefaultVolume;
    CheckBox& notify = *chkDefaultVolumeNotify;
    if (!on) {
        if (!Updating()) {
            RemoveDefaultVolume();
            RemoveDefaultVolumeNotify();
        }
        slider.SetEnabled(false);
        notify.SetValue(0);
    } else {
        slider.SetEnabled(true);
        if (!Updating()) notify.SetValue(1);
        UpdateDefaultVolume();
    }
    notify.SetEnabled(slider.Enabled());
    lblStartupAudioVolume->SetEnabled(slider.Enabled());
}

void frmOptions::UpdateDefaultVolume() {
    const std::int32_t value = csliDefaultVolume->Value();
    std::wstring text = std::to_wstring(value) + L"%";
    const std::wstring& line = gPlaybackLineIds[0];
    if (!gIsXP && gAudio && !line.empty())
        text += L" / " +
                FormatDecimal(gAudio->DeviceDBFromLinear(line, 0, static_cast<std::int16_t>(value)), DecimalSeparator()) +
                L"dB";
    lblStartupAudioVolume->SetCaption(text);
    // The slider shows the present volume while no start-up volume is set: nothing is stored then.
    if (!Updating() && chkStartupAudio[1]->Value() == 1) SetDefaultVolume(value);
}

// ---- Autostart ----

void frmOptions::SetupStartupAutoControls() {
    UpdatingScope quiet(*this);
    auto option = [this](int i) -> OptionButton& { return *optStartupAuto[i]; };
    Frame& frame = *fraStartupAuto;
    if (gIsXP) {
        for (int i : {1, 2}) option(i).SetVisible(false);
        for (int i : {0, 1}) lblStartupAuto[i]->SetVisible(false);
        option(3).SetVisible(true);
        frame.Move(frame.Left(), frame.Top(), frame.Width(), kAutostartFrameHeightXP);
        if (RefreshAutostart(0)) option(3).SetValue(true);
        else option(0).SetValue(true);
        return;
    }
    option(3).SetVisible(false);
    const bool elevated = IsProcessElevated();
    option(0).SetEnabled(true);
    option(1).SetEnabled(true);
    lblStartupAuto[0]->SetEnabled(true);
    option(2).SetEnabled(elevated);
    lblStartupAuto[1]->SetEnabled(elevated);
    if (RefreshAutostart(1)) {
        option(1).SetValue(true);
    } else if (!RefreshAutostart(2)) {
        option(0).SetValue(true);
    } else {
        option(2).SetValue(true);
        // The task can only be changed by an administrator.
        if (!elevated) {
            option(0).SetEnabled(false);
            option(1).SetEnabled(false);
            lblStartupAuto[0]->SetEnabled(false);
        }
    }
}

void frmOptions::optStartupAuto_Click(int index) {
    if (Updating()) return;
    DisableAutostart(0);
    if (index == 1) EnableAutostart(1);
    else if (index == 2) EnableAutostart(2);
    else if (index == 3) EnableAutostart(0);
    SetupStartupAutoControls();
}

// ---- Interface ----

void frmOptions::SetupLegacyIconsControl() {
    UpdatingScope quiet(*this);
    CheckBox& box = *chkLegacyIconsUnderWin10;
    box.SetEnabled(gIsWin10);
    box.SetValue(GetWin10LegacyIcons() ? 1 : 0);
}

void frmOptions::ShowWheelIncrement() {
    UpdatingScope quiet(*this);
    Slider& slider = *csliWheelIncrement;
    slider.SetValue(gWheelIncrement > 0 ? gWheelIncrement : 1);
    lblMouseWheelIncrement->SetCaption(std::to_wstring(slider.Value()));
}

void frmOptions::FillFontLists() {
    std::vector<std::wstring> faces;
    if (HDC dc = ::GetDC(hWnd())) {
        ::EnumFontFamiliesW(dc, nullptr, &FontFamilyEnumProc, reinterpret_cast<LPARAM>(&faces));
        ::ReleaseDC(hWnd(), dc);
    }
    UpdatingScope quiet(*this);
    ComboBox& names = *cboInterfaceFontName;
    names.Clear();
    names.AddItem(kSystemFace);
    for (const auto& face : faces) names.AddItem(face);
    ComboBox& sizes = *cboInterfaceFontSize;
    sizes.Clear();
    sizes.AddItem(kSystemSize);
    for (int size = 6; size <= 24; ++size) sizes.AddItem(std::to_wstring(size));
}

void frmOptions::SetupFontControls() {
    UpdatingScope quiet(*this);
    const std::pair<ComboBox*, UIFontSetting> pairs[] = {{cboInterfaceFontName, UIFontSetting::Face},
                                                         {cboInterfaceFontSize, UIFontSetting::Size}};
    for (const auto& [control, setting] : pairs) {
        ComboBox& box = *control;
        const std::wstring stored = GetUIFontSetting(setting).value_or(L"");
        const int at = stored.empty() ? -1 : FindListText(box, stored);
        box.SetListIndex(at > 0 ? at : 0);
    }
}

void frmOptions::ApplyInterfaceFont() {
    gUIFont = GetSystemFont();
    for (Form* f : LoadedForms())
        if (!f->IsMainForm()) ApplySystemFont(f);
}

// ---- Shortcut keys and steps ----

void frmOptions::SaveShortcut(int index) {
    const auto key = CaptureTagBytes(txtShortcuts[index]->Tag());
    if (!key) return;
    frmKalvenor* main = MainTrayForm();
    HWND window = main && main->HotkeysEnabled() ? main->hWnd() : nullptr;
    // A registration under an id that is taken keeps the old key registered too.
    if (window) ::UnregisterHotKey(window, index);
    if ((*key)[0] == 0) {
        RemoveShortcutKey(index);
        return;
    }
    SetShortcutKey(index, *key);
    if (window) ::RegisterHotKey(window, index, ShiftToHotkeyModifiers((*key)[1]), (*key)[0]);
}

void frmOptions::ShowStepText(TextBox& box) {
    const Currency step = ParseStep(box.Tag()).value_or(kDefaultStep);
    box.SetText(FormatDecimal(step, DecimalSeparator()) + L"%");
}

void frmOptions::ChangeStep(int k, int delta) {
    TextBox& box = StepBox(k);
    Currency step = ParseStep(box.Tag()).value_or(kDefaultStep) + delta * kCurrencyScale;
    step = std::clamp<Currency>(step, kCurrencyScale, 10 * kCurrencyScale);
    box.SetTag(FormatDecimal(step, L"."));
    ShowStepText(box);
    if (step == kDefaultStep) RemoveShortcutStep(kStepActions[k]);
    else SetShortcutStep(kStepActions[k], box.Tag());
}

}  // namespace kal
