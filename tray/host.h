// The tray program as the windows it hosts see it; the one header of tray/ the editor and the
// profile manager include. The windows that others refresh implement their views here, and the
// refreshes find them among the loaded forms; the main form serves its hosted windows (and the
// self-update) through ITrayHost; the helpers the tray shares with them are declared here.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/hextext.h"
#include "base/raii.h"
#include "toolkit/forms.h"
#include "toolkit/tooltip.h"

namespace kal {

// ---- Views ----

class IProfileEditorView {  // the profile editor
public:
    virtual std::wstring LiveProfileName() const = 0;
    virtual void SetLiveProfileName(const std::wstring& name) = 0;
    virtual void CommandReset(bool force) = 0;

protected:
    ~IProfileEditorView() = default;
};

class IVolumeView {  // the volume pop-up
public:
    virtual void CurrentValues() = 0;
    // Only the master output's volume, balance and mute.
    virtual void CurrentMaster() = 0;

protected:
    ~IVolumeView() = default;
};

class IMenuOwner {  // the main form
public:
    virtual void UpdateMenus() = 0;

protected:
    ~IMenuOwner() = default;
};

class IProfileListView {  // the profile manager
public:
    virtual void UpdateProfiles(const std::wstring& select, bool skipOptionsRefresh) = 0;
    virtual std::wstring CurrentProfile() const = 0;
    virtual void UpdateActiveProfile() = 0;

protected:
    ~IProfileListView() = default;
};

// What the pop-up asks of the profile editor while the editor shows the card live. The editor
// implements it; the pop-up finds it among the loaded forms under the name "frmProfile".
class IVolumeEditorLink {
public:
    // "" unless the editor applies its controls to the card at once.
    virtual std::wstring LiveProfileName() const = 0;
    // Re-read the card's output, Windows channel count, SVN and master volume.
    virtual void CurrentOutput() = 0;
    virtual void CurrentSpeakers() = 0;
    virtual void CurrentSVN() = 0;
    virtual void CurrentVolume() = 0;

protected:
    ~IVolumeEditorLink() = default;
};

// After a change of the card's state from outside: reloads the editor in live mode and the
// volume pop-up, unless the change is the program's own (and not forced).
void RefreshOpenForms(bool force, bool ownChangeInProgress);
// Rebuilds the main form's menus, then marks the active profile in the profile manager.
void RefreshProfilesForm();

// ---- The main form ----

class ITrayHost : public IMenuOwner {
public:
    // Applies the stored profile: each value with its partner, inside a mute of the master
    // output; unless noCommit the output's volume memory is saved first and the profile becomes
    // the active one afterwards. False when the profile holds no value (nothing happens then).
    // The names of the values the card refused are added to `refused` when given.
    virtual bool SetXonarValues(const std::wstring& profileName, bool noCommit, bool skipMasterVolume,
                                std::vector<std::wstring>* refused = nullptr) = 0;
    // Gives back the shortcut keys of the profiles on the menu, while a key may be typed into the
    // editor; the next menu rebuild registers them again.
    virtual void ClearProfileHotkeys() = 0;
    // Registers (true) or drops (false) the shortcut keys, enables or disables the editor menu
    // items and the other forms with them, then refreshes the tray tip.
    virtual void RegisterGlobalHotkeys(bool enable) = 0;
    // Turns the profiles item of the tray menu into "Update".
    virtual void ShowUpdateMenu() = 0;

protected:
    ~ITrayHost() = default;
};

// The loaded main form; null while none is loaded.
ITrayHost* TrayHost();

// ---- Shared with the tray's own windows ----

// The program's icon resource.
inline const wchar_t* const kProgramIcon = MAKEINTRESOURCEW(1);
// An icon of the program's resources (by name or number) or, fromFile, of an icon file, at
// cx x cy pixels (0: the system's large-icon size). Null when it can't be loaded.
UniqueIcon LoadIconFromResource(const wchar_t* id, int cx = 0, int cy = 0, bool fromFile = false);
// The window's big and small icons (and first its top-level owner's, when asked).
void SetIcon(HWND window, const wchar_t* id, bool alsoTopOwner = false);
// A new icon: `base` with `overlay` drawn over it.
UniqueIcon MergeIcons(HICON overlay, HICON base);
// `icon` with the volume level drawn over it (volume 0..100); null (created false) when the
// level is 0 pixels and the icon stays as it is.
UniqueIcon ComposeVolumeIcon(HICON icon, Currency volume, bool& created);

// "CTRL+", "ALT+", "SHIFT+" as the mask has them, then the key's name; "" for Shift, Ctrl or
// Alt alone.
std::wstring KeyCodeToString(std::uint8_t vk, std::uint8_t mask);
// Turns a text box into a capture box and back. Navigation keys are swallowed, Delete clears the
// key, every other key is captured, and the mouse can neither select nor edit the text.
// `captured` runs after every key the box records or clears, also when its text stays the same
// (two keys may share a name).
void SubclassControl(TextBox& box, std::function<void()> captured = {});
void UnsubclassControl(TextBox& box);

// The one shared tooltip, owned by the main form and released with it; null until first used.
extern std::unique_ptr<clsToolTip> gToolTip;
// The shared tooltip, created on first use once the main form has loaded (not under "/noui",
// which shows no window): the common controls it needs cost a tray program that shows none of
// its windows about 2 MB under Wine. Null before the load and after the unload.
clsToolTip* SharedToolTip();

// The tooltip of the SVN switches of the pop-up and the profile editor.
inline constexpr wchar_t kSvnTip[] =
    L"Smart Volume Normalization (SVN) is an automatic feature that keeps the output volume constant independently\r\n"
    L"from the source loudness.\r\n\r\n"
    L"When SVN is enabled and there is no sound output, it might happen that an otherwise inaudible background\r\n"
    L"noise is greatly amplified and thus becomes appearent, manifesting itself as a buzz or hiss that disappears\r\n"
    L"as soon as a sound output is present again.";

// The tooltip of the controls that change a playback device's format (the pop-up's channels,
// the profile editor's format lists).
inline constexpr wchar_t kFormatChangeTip[] =
    L"Warning: When the audio format (audio channels, sample rate and / or bit depth) of a playback device is changed, "
    L"that device\r\n"
    L"is invalidated by the system.\r\n"
    L"Some applications don't handle this occurrence seamlessly, and your playback might be interrupted.\r\n"
    L"If that happens, you might be forced to restart the playback or even the application itself in order to get a "
    L"sound output again.";

// Loads the options window when needed and brings it to the front.
void ShowOptions();
// The same, on page `index` (0 General, 1 Startup, 2 Interface, 3 Shortcuts).
void ShowOptionsPage(int index);
// Fills the start-up profile and volume controls of the open options window from the settings.
void RefreshStartupAudioOptions();

// The program's name and version, " Beta" while the major version is 0.
std::wstring GetVersionString();

}  // namespace kal
