#include "tray/host.h"

#include "toolkit/forms.h"

namespace kal {

void RefreshOpenForms(bool force, bool ownChangeInProgress) {
    const bool reload = force || !ownChangeInProgress;
    for (Form* f : LoadedForms()) {
        if (auto* editor = dynamic_cast<IProfileEditorView*>(f)) {
            const std::wstring live = editor->LiveProfileName();
            if (!live.empty() && reload) {
                // A reload in live mode must not apply what it loads.
                editor->SetLiveProfileName(L"");
                editor->CommandReset(true);
                editor->SetLiveProfileName(live);
            }
        }
    }
    if (!reload) return;
    for (Form* f : LoadedForms())
        if (auto* volume = dynamic_cast<IVolumeView*>(f)) volume->CurrentValues();
}

void RefreshProfilesForm() {
    for (Form* f : LoadedForms())
        if (auto* menus = dynamic_cast<IMenuOwner*>(f)) menus->UpdateMenus();
    for (Form* f : LoadedForms())
        if (auto* list = dynamic_cast<IProfileListView*>(f)) list->UpdateActiveProfile();
}

}  // namespace kal
