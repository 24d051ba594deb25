// The tray program's windows that others refresh: each implements its interface here, and the
// refreshes find them among the loaded forms.
#pragma once
#include <string>

namespace kal {

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

// After a change of the card's state from outside: reloads the editor in live mode and the
// volume pop-up, unless the change is the program's own (and not forced).
void RefreshOpenForms(bool force, bool ownChangeInProgress);
// Rebuilds the main form's menus, then marks the active profile in the profile manager.
void RefreshProfilesForm();

}  // namespace kal
