// Saving a profile from the editor: the name checks, another profile holding the same shortcut
// key, overwriting an existing profile, renaming, copying or keeping the edited one, the key
// that is replaced cleared first, then the values written and the editor closed.
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
    if (::MessageBoxW(hWnd(), text.c_str(), Caption().c_str(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return false;
    RegDeleteValue(RegJoin(gRegProfiles, otherProfile), L"Shortcut");
    return true;
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
    auto clashesOtherThan = [&](const std::wstring& profile) { return !clash.empty() && !SameName(clash, profile); };

    const bool exists = RegKeyExists(RegJoin(gRegProfiles, name));
    const std::wstring tag = Tag();
    // The key this save replaces; the editor stays bound to its profile until the save is done.
    std::wstring replaced = tag;
    bool deleteOther = false;
    if (tag.empty()) {
        if (exists) {
            if (::MessageBoxW(hWnd(),
                              L"A profile already exists with the provided name. Do you want to overwrite the existing "
                              L"profile?\r\n",
                              kAppTitle, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
                return;
            replaced = name;
            if (clashesOtherThan(name) && !CheckShortcutInUse(clash)) return;
        } else if (!clash.empty() && !CheckShortcutInUse(clash)) {
            return;
        }
    } else if (name == tag) {
        if (clashesOtherThan(name) && !CheckShortcutInUse(clash)) return;
    } else {
        const int answer = ::MessageBoxW(hWnd(), exists ? kRenamedOntoExisting : kRenamedToFree, caption.c_str(),
                                         MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON3);
        if (answer == IDCANCEL) return;
        if (exists && answer == IDYES) {
            if (clashesOtherThan(name) && !CheckShortcutInUse(clash)) return;
            deleteOther = true;
            // The edited profile goes: the settings that named it follow it to its new name.
            FollowRename(tag, name);
        } else if (exists) {
            name = tag;
            if (clashesOtherThan(tag) && !CheckShortcutInUse(clash)) return;
        } else if (answer == IDYES) {
            if (!clash.empty() && !CheckShortcutInUse(clash)) return;
            replaced.clear();
        } else {
            if (clashesOtherThan(tag) && !CheckShortcutInUse(clash)) return;
            FollowRename(tag, name);
        }
    }
    // The replaced key goes first, so that a value set back to "Don't Change" is gone.
    if (!replaced.empty()) RegDeleteTree(gRegProfiles, replaced);
    if (deleteOther) RegDeleteTree(gRegProfiles, name);
    SaveValues(name, false);
    LastProfileName = name;
    ::MessageBoxW(hWnd(), L"Profile successfully saved.", caption.c_str(), MB_OK | MB_ICONINFORMATION);
    Unload();
}

}  // namespace kal
