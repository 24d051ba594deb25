// The profile manager's list: its icons (the outputs', the profiles' own, and each again with
// the default profile's mark), one row per stored profile, and the bold active profile.
#include <vector>

#include "device/displaytexts.h"
#include "device/profilevalues.h"
#include "device/validation.h"
#include "editor/profiles.h"
#include "listview/autosize.h"
#include "startup/globals.h"
#include "base/registry.h"
#include "startup/settings.h"
#include "startup/utility.h"
#include "toolkit/font.h"
#include "tray/host.h"

namespace kal {
namespace {

constexpr int kIconSize = 32;

std::uint8_t FirstByte(const std::optional<Bytes>& value) { return value && !value->empty() ? (*value)[0] : 0; }

const wchar_t* SpeakerSuffix(std::uint8_t config) {
    switch (config) {
    case 1: return L"HP";
    case 4: return L"2.0";
    case 3: return L"4.0";
    case 6: return L"5.1";
    case 7: return L"7.1";
    default: return L"";
    }
}

// The interface font's face and size, as each row gets it.
UIFont RowFont(bool bold) {
    UIFont font;
    if (gUIFont) {
        font.name = gUIFont->name;
        font.size = gUIFont->size;
    }
    font.bold = bold;
    return font;
}

}  // namespace

OutputSummary DescribeOutput(const std::optional<Bytes>& spdif, const std::optional<Bytes>& panel,
                             const std::optional<Bytes>& speakers) {
    OutputSummary out;
    if (spdif && FirstByte(spdif) > 2) {
        out.icon = kIconSpdif;
        out.text = std::wstring(L"SPDIF ") + (FirstByte(spdif) == 16 ? L"DDL" : L"DTS");
        return out;
    }
    if (panel) out.text = FirstByte(panel) == 0 ? L"Rear" : L"Front";
    if (speakers) {
        const std::uint8_t config = FirstByte(speakers);
        out.icon = config == 1 ? kIconHeadphones : kIconSpeakers;
        const std::wstring suffix = SpeakerSuffix(config);
        if (!suffix.empty()) out.text += (out.text.empty() ? L"" : L" ") + suffix;
    }
    return out;
}

void frmProfiles::BuildProfileIcons(const std::vector<ProfileSnapshot>& profiles) {
    icons_.Clear();
    customIcons_.clear();
    marked_ = false;
    std::vector<UniqueIcon> held;
    for (const wchar_t* id : {L"HP", L"SPEAKERS", L"SPDIF"}) {
        UniqueIcon icon = LoadIconFromResource(id, kIconSize, kIconSize);
        icons_.AddFromHandle(icon.get(), IMAGE_ICON);
        held.push_back(std::move(icon));
    }
    for (const ProfileSnapshot& profile : profiles) {
        if (!profile.Holds(L"CustomIcon")) continue;
        const std::wstring& name = profile.Profile();
        std::wstring file;
        bool overlay = false;
        GetProfileCustomIcon(name, file, overlay);
        UniqueIcon icon = file.empty() ? UniqueIcon() : LoadIconFromResource(file.c_str(), kIconSize, kIconSize, true);
        if (!icon) {
            // An icon that is gone or no icon: the profile shows its output's icon from now on.
            RegDeleteValue(RegJoin(gRegProfiles, name), L"CustomIcon");
            continue;
        }
        icons_.AddFromHandle(icon.get(), IMAGE_ICON);
        customIcons_[name] = icons_.ImageCount() - 1;
        held.push_back(std::move(icon));
    }
    if (UniqueIcon mark = LoadIconFromResource(L"KV_SELECT", kIconSize, kIconSize)) {
        for (const UniqueIcon& icon : held) {
            UniqueIcon marked = MergeIcons(mark.get(), icon.get());
            icons_.AddFromHandle(marked.get(), IMAGE_ICON);
        }
        // Only a whole second half makes "index + half the count" the marked twin.
        marked_ = icons_.ImageCount() == static_cast<std::int32_t>(2 * held.size());
    }
    list_.SetImageList(0, &icons_);
    list_.SetImageList(1, &icons_);
}

std::int32_t frmProfiles::OutputDescription(const ProfileSnapshot& profile, const std::wstring& defaultProfile,
                                            std::wstring& text) const {
    const OutputSummary out = DescribeOutput(profile.Stored(L"SpDigitalOut"), profile.Stored(L"PanelConfig"),
                                             profile.Stored(L"SpeakerConfig"));
    const std::wstring& name = profile.Profile();
    text = out.text;
    std::int32_t icon = out.icon;
    if (auto custom = customIcons_.find(name); custom != customIcons_.end()) icon = custom->second;
    if (marked_ && EqualsNoCase(defaultProfile, name)) icon += icons_.ImageCount() / 2;
    return icon;
}

void frmProfiles::UpdateProfiles(const std::wstring& selectName, bool skipOptionsRefresh) {
    // The interface font reaches the window before its columns exist: the load fills it then.
    if (!Loaded() || !filled_) return;
    // Each profile's key is read once, and only when it changed since the last reading; every
    // column and the icons come from that reading.
    const std::vector<ProfileSnapshot> profiles = ReadProfileSnapshots();
    LockRedraw(list_.hWndListView(), true);
    list_.ListItems().Clear();
    boldRow_.clear();
    BuildProfileIcons(profiles);
    const std::wstring defaultProfile = GetDefaultProfile();
    const UIFont font = RowFont(false);
    font.Handle();  // one font object shared by every row
    bool selected = false;
    for (const ProfileSnapshot& profile : profiles) {
        const std::wstring& name = profile.Profile();
        Bytes key = profile.Value(L"Shortcut");
        key.resize(2, 0);
        const std::wstring shortcut = key[0] != 0 ? KeyCodeToString(key[0], key[1]) : L"";
        std::wstring output;
        const std::int32_t icon = OutputDescription(profile, defaultProfile, output);
        cListItem item = list_.ListItems().Add({}, {}, name, icon);
        if (!selected && (selectName.empty() || name == selectName)) {
            item.SetSelected(true);
            selected = true;
        }
        cSubItems texts = item.SubItems();
        texts.item(1).SetCaption(output);
        texts.item(2).SetCaption(shortcut);
        texts.item(3).SetCaption(ProfileSummary(profile));
        item.SetFont(font);
    }
    AutoSizeColumns(list_);
    LockRedraw(list_.hWndListView(), false);
    // The tray menu follows the profiles; it marks the active profile here in turn.
    if (ITrayHost* main = TrayHost()) main->UpdateMenus();
    else UpdateActiveProfile();
    UpdateButtons();
    if (!skipOptionsRefresh) RefreshStartupAudioOptions();
}

void frmProfiles::UpdateActiveProfile() {
    if (!Loaded() || !list_.hWndListView()) return;
    const std::wstring active = ValidateActiveProfile(false) ? GetActiveProfile() : L"";
    // Each call on a row looks the row up again: the rows are gone through only when the
    // bold one changes.
    if (active == boldRow_) return;
    const UIFont normal = RowFont(false), bold = RowFont(true);
    normal.Handle();
    bold.Handle();
    LockRedraw(list_.hWndListView(), true);
    cListItems items = list_.ListItems();
    for (std::int32_t i = 1, n = items.Count(); i <= n; ++i) {
        cListItem item = items.item(i);
        const bool isActive = !active.empty() && item.Text() == active;
        const std::optional<UIFont> now = item.Font();
        if (now && now->bold == isActive) continue;  // unchanged rows are not drawn again
        item.SetFont(isActive ? bold : normal);
    }
    boldRow_ = active;
    LockRedraw(list_.hWndListView(), false);
}

std::wstring frmProfiles::CurrentProfile() const {
    if (!Loaded() || !list_.hWndListView()) return L"";
    const std::optional<cListItem> item = list_.SelectedItem();
    return item ? item->Text() : L"";
}

}  // namespace kal
