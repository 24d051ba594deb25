// The profile's custom tray icon in the top area: read once from the profile when the editor is
// set up, then whatever the user chooses or removes is what the two icon boxes show.
#include "device/audio.h"
#include "device/mixervalues.h"
#include "editor/profileform.h"
#include "startup/globals.h"
#include "startup/registry.h"
#include "startup/settings.h"
#include "tray/trayicon.h"

namespace kal {

void frmProfile::LoadStoredIcon() {
    std::wstring file;
    bool overlay = false;
    GetProfileCustomIcon(Tag(), file, overlay);
    SetProfileIcon(file, overlay);
    // A stored icon that can't be drawn (file gone, not an icon) is forgotten.
    if (!file.empty() && !icon32_) RegDeleteValue(gRegProfiles + L"\\" + Tag(), L"CustomIcon");
}

void frmProfile::SetProfileIcon(const std::wstring& file, bool overlay) {
    iconFile_ = file;
    iconOverlay_ = overlay;
    {
        UpdatingScope updating(*this);
        Get<CheckBox>(L"chkVolumeOverlay").SetValue(overlay ? 1 : 0);
    }
    icon32_.reset();
    icon16_.reset();
    if (!file.empty()) {
        icon32_ = LoadIconFromResource(file.c_str(), 32, 32, true);
        icon16_ = LoadIconFromResource(file.c_str(), 16, 16, true);
        if (!icon32_ || !icon16_) {
            icon32_.reset();
            icon16_.reset();
        }
    }
    DrawProfileIcon();
}

void frmProfile::DrawProfileIcon() {
    const struct {
        const wchar_t* box;
        HICON icon;
        int size;
    } boxes[] = {{L"pctIcon32", icon32_.get(), 32}, {L"pctIcon16", icon16_.get(), 16}};
    for (const auto& b : boxes) {
        auto& box = Get<PictureBox>(b.box);
        box.Cls();
        if (!b.icon) continue;
        UniqueIcon shown;
        HICON icon = b.icon;
        if (iconOverlay_) {
            bool created = false;
            shown = ComposeVolumeIcon(b.icon, static_cast<Currency>(Get<Slider>(L"csliVolume").Value()) * kCurrencyScale,
                                      created);
            if (created) icon = shown.get();
        }
        ::DrawIconEx(box.hDC(), 0, 0, icon, b.size, b.size, 0, nullptr, DI_NORMAL);
        box.Refresh();
    }
}

}  // namespace kal
