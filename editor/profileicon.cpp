// The profile's custom tray icon: read from the profile when the editor is set up, then chosen,
// redrawn with the volume overlay or removed by the user. The path lives in iconFile_ (the tag
// of the 32-pixel box); nothing is written before the profile is saved.
#include <windows.h>

#include "device/audio.h"
#include "device/mixervalues.h"
#include "editor/profileform.h"
#include "startup/globals.h"
#include "base/registry.h"
#include "startup/settings.h"
#include "toolkit/tooltip.h"
#include "toolkit/commondialog.h"
#include "toolkit/utility.h"
#include "tray/host.h"

namespace kal {
namespace {

void SetBoxTip(HWND box, const std::wstring& text) {
    if (!box) return;
    if (text.empty()) {
        if (gToolTip) gToolTip->RemoveTool(box);
    } else if (clsToolTip* tip = SharedToolTip()) {
        if (tip->HasToolTip(box))
            tip->SetToolText(box, text);
        else
            tip->AddTool(box, text);
    }
}

}  // namespace

void frmProfile::LoadStoredIcon() {
    std::wstring file;
    bool overlay = false;
    GetProfileCustomIcon(Tag(), file, overlay);
    SetProfileIcon(file, overlay);
    // A stored icon that can't be drawn (file gone, not an icon) is forgotten.
    if (!file.empty() && !icon32_) RegDeleteValue(gRegProfiles + L"\\" + Tag(), L"CustomIcon");
}

void frmProfile::SetProfileIcon(const std::wstring& file, bool overlay) {
    cmdIconDelete_Click();
    if (file.empty()) return;
    {
        UpdatingScope updating(*this);
        chkVolumeOverlay->SetValue(overlay ? 1 : 0);
    }
    if (!DrawProfileIcon(file, false)) cmdIconDelete_Click();
}

bool frmProfile::DrawProfileIcon(const std::wstring& path, bool overlayOnly) {
    if (path.empty()) return false;
    UniqueIcon small = LoadIconFromResource(path.c_str(), 16, 16, true);
    UniqueIcon large = overlayOnly ? UniqueIcon{} : LoadIconFromResource(path.c_str(), 32, 32, true);
    if (!small || (!overlayOnly && !large)) return false;
    if (!overlayOnly) {
        auto& box = *pctIcon32;
        box.Cls();
        ::DrawIconEx(box.hDC(), 0, 0, large.get(), 32, 32, 0, nullptr, DI_NORMAL);
        box.Refresh();
        iconFile_ = path;
        SetBoxTip(box.Window(), path);
        cmdIconDelete->SetEnabled(true);
        chkVolumeOverlay->SetEnabled(true);
        icon32_ = std::move(large);
    }
    auto& box = *pctIcon16;
    box.Cls();
    UniqueIcon composed;
    HICON shown = small.get();
    if (chkVolumeOverlay->Value() == 1) {
        bool created = false;
        composed = ComposeVolumeIcon(small.get(), static_cast<Currency>(csliVolume->Value()) * kCurrencyScale, created);
        if (created) shown = composed.get();
    }
    ::DrawIconEx(box.hDC(), 0, 0, shown, 16, 16, 0, nullptr, DI_NORMAL);
    box.Refresh();
    SetBoxTip(box.Window(), path);
    icon16_ = std::move(small);
    return true;
}

void frmProfile::cmdIconChoose_Click() {
    static const wchar_t kFilter[] = L"Icon File (*.ico)\0*.ico\0All Files (*.*)\0*.*\0";
    const std::wstring file = ShowFileDialog(L"Choose Icon", L"", std::wstring(kFilter, std::size(kFilter)), L"ico",
                                             hWnd(), L"", false);
    if (file.empty() || DrawProfileIcon(file, false)) return;
    ::MessageBoxW(hWnd(), (file + L" is not a valid icon file.").c_str(), Caption().c_str(), MB_OK | MB_ICONERROR);
}

void frmProfile::cmdIconDelete_Click() {
    for (PictureBox* icon : {pctIcon32, pctIcon16}) {
        auto& box = *icon;
        box.Cls();
        box.Refresh();
        SetBoxTip(box.Window(), L"");
    }
    iconFile_.clear();
    icon32_.reset();
    icon16_.reset();
    cmdIconDelete->SetEnabled(false);
    {
        UpdatingScope updating(*this);
        chkVolumeOverlay->SetValue(0);
    }
    chkVolumeOverlay->SetEnabled(false);
}

}  // namespace kal
