// Saving a profile from the editor: the name checks, another profile holding the same shortcut
// key, overwriting an existing profile, renaming, copying or keeping the edited one. The stored
// profiles change together or not at all: the values are written over the key they replace, then
// what it held besides them goes, then the shortcut leaves the other profile and a renamed
// profile's old key goes. A refused write puts every key back and keeps the editor open.
#include "device/profilevalues.h"
#include "editor/portable/profilebytes.h"
#include "editor/portable/profilename.h"
#include "editor/profileform.h"
#include "startup/globals.h"
#include "base/registry.h"
#include "startup/settings.h"
#include "startup/utility.h"

namespace kal {
namespace {

constexpr wchar_t kRenamedOntoExisting[] =
    L"You have changed the name of the profile you are editing. A profile already exists with the new name. Do you "
    L"want to save the settings to the other existing profile?\r\n\r\n"
    L"Yes: the existing profile with the new name will be overwritten.\r\n"
    L"No: the current settings will be saved to the profile you originally edited and the name change will be "
    L"ignored.\r\n\r\n"
    L"Cancel: no action will take place.\r\n";
constexpr wchar_t kNotSaved[] = L"The profile could not be saved: the registry refused to store it.";
constexpr wchar_t kRenamedToFree[] =
    L"You have changed the name of the profile you are editing. Do you want to save the settings to a new "
    L"profile?\r\n\r\n"
    L"Yes: a new profile with the new name will be created.\r\n"
    L"No: the profile you originally edited will be renamed.\r\n\r\n"
    L"Cancel: no action will take place.\r\n";

bool SameName(const std::wstring& a, const std::wstring& b) { return ::lstrcmpiW(a.c_str(), b.c_str()) == 0; }

// The settings that name the profile `from` name `to` afterwards.
void FollowRename(const std::wstring& from, const std::wstring& to) {
    if (SameName(GetActiveProfile(), from)) SetActiveProfile(to);
    if (SameName(GetDefaultProfile(), from)) SetDefaultProfile(to);
}

}  // namespace

bool frmProfile::CheckShortcutInUse(const std::wstring& otherProfile) {
    const std::wstring key = txtShortcut->Text();
    const std::wstring text = L"The shortcut you chose (" + key + L") is already in use by the profile ''" +
                              otherProfile + L"''.\r\nIf you save this profile anyway the shortcut " + key +
                              L" will be assigned to this profile and removed from ''" + otherProfile +
                              L"''.\r\n\r\nDo you want to proceed?";
    return ::MessageBoxW(hWnd(), text.c_str(), Caption().c_str(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) ==
           IDYES;
}

// The editor's values become profile `name` in one change with taking the shortcut from
// `shortcutFrom` and removing the key `removed` (each skipped when empty). False, with every key
// as it was, when the registry refused a step.
bool frmProfile::StoreProfile(const std::wstring& name, const std::wstring& removed, const std::wstring& shortcutFrom) {
    const auto values = ValuesToWrite(false, false);
    const std::wstring key = RegJoin(gRegProfiles, name);
    // Only the case of the name changes: the profile stands whole under a key of its own while
    // its key is made anew under the new name.
    const bool recased = !removed.empty() && SameName(name, removed);
    const std::wstring staging = RegJoin(gRegProfiles, L"~" + name);
    RegistryChange change;
    const bool stored =
        change.Replace(recased ? staging : key, values) &&
        (shortcutFrom.empty() || change.DeleteValue(RegJoin(gRegProfiles, shortcutFrom), L"Shortcut")) &&
        (removed.empty() || change.DeleteTree(RegJoin(gRegProfiles, removed))) &&
        (!recased || (change.Replace(key, values) && change.DeleteTree(staging)));
    if (!stored && !change.Undo())
        ::OutputDebugStringW((L"Kalvenor: a refused save of " + name + L" could not be undone whole\n").c_str());
    return stored;
}

void frmProfile::cmdSave_Click() {
    auto& nameBox = *txtProfileName;
    std::wstring name = nameBox.Text();
    const std::wstring caption = Caption();
    auto refuse = [&](const wchar_t* text) {
        ::MessageBoxW(hWnd(), text, caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
        ::SetFocus(nameBox.Window());
    };
    if (name.empty()) return refuse(L"Please provide a profile name.");
    if (IsNumericName(name)) return refuse(L"Please provide an alphanumeric profile name.");

    // Another profile holding the chosen key; restore points don't count.
    std::wstring clash;
    const auto key = EncodeShortcut(txtShortcut->Tag());
    if (key) {
        const std::wstring hex = BytesToHex(*key);
        for (const std::wstring& profile : RegEnumKeys(gRegProfiles)) {
            if (profile.find(L"~Live") != std::wstring::npos) continue;
            if (BytesToHex(GetProfileValue(profile, L"Shortcut")) == hex) {
                clash = profile;
                break;
            }
        }
    }
    // The profile the shortcut moves from, once the user agrees.
    std::wstring shortcutFrom;
    auto takeShortcut = [&](bool asked) {
        if (!asked) return true;
        if (!CheckShortcutInUse(clash)) return false;
        shortcutFrom = clash;
        return true;
    };
    auto clashesOtherThan = [&](const std::wstring& profile) { return !clash.empty() && !SameName(clash, profile); };

    const bool exists = RegKeyExists(RegJoin(gRegProfiles, name));
    const std::wstring tag = Tag();
    // The edited profile's key when the save renames it away; the editor stays bound to its
    // profile until the save is done.
    std::wstring removed;
    bool follow = false;
    if (tag.empty()) {
        if (exists &&
            ::MessageBoxW(hWnd(),
                          L"A profile already exists with the provided name. Do you want to overwrite the existing "
                          L"profile?\r\n",
                          kAppTitle, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
            return;
        if (!takeShortcut(exists ? clashesOtherThan(name) : !clash.empty())) return;
    } else if (name == tag) {
        if (!takeShortcut(clashesOtherThan(name))) return;
    } else {
        const int answer = ::MessageBoxW(hWnd(), exists ? kRenamedOntoExisting : kRenamedToFree, caption.c_str(),
                                         MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON3);
        if (answer == IDCANCEL) return;
        bool asked;
        if (exists && answer == IDYES) {
            // Onto the other profile: the edited one goes.
            asked = clashesOtherThan(name);
            removed = tag;
        } else if (exists) {
            // The name change ignored.
            name = tag;
            asked = clashesOtherThan(tag);
        } else if (answer == IDYES) {
            // A new profile beside the edited one.
            asked = !clash.empty();
        } else {
            // Renamed.
            asked = clashesOtherThan(tag);
            removed = tag;
        }
        if (!takeShortcut(asked)) return;
        follow = !removed.empty();
    }
    if (!StoreProfile(name, removed, shortcutFrom)) {
        ::MessageBoxW(hWnd(), kNotSaved, caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // The edited profile went: the settings that named it follow it to its new name.
    if (follow) FollowRename(tag, name);
    LastProfileName = name;
    ::MessageBoxW(hWnd(), L"Profile successfully saved.", caption.c_str(), MB_OK | MB_ICONINFORMATION);
    Unload();
}

}  // namespace kal
