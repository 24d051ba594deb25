// The options window: start-up profile and volume, autostart, tray icons, wheel step, interface
// font, the shortcut keys of the six fixed actions with their volume steps, backup, restore and
// removal of all settings. Every control stores its setting the moment it changes.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/forms.h"
#include "toolkit/tabstrip.h"

namespace kal {

class frmOptions final : public Form {
public:
    static constexpr int kTabCount = 4;
    static constexpr int kStepCount = 4;

    frmOptions();
    ~frmOptions() override;

    // Shows page `index` (0 General, 1 Startup, 2 Interface, 3 Shortcuts).
    void imgTab_Click(int index);
    int CurrentTab() const { return tabs_.Current(); }
    // Fills the start-up profile and volume controls from the settings; quiet: nothing is
    // written back meanwhile.
    void SetupStartupAudioControls(bool quiet);

    // The buttons of the General page.
    void cmdUninstall_Click();
    void cmdBackup_Click();
    void cmdRestore_Click();

protected:
    void OnLoad() override;
    void OnActivate() override;
    void OnUnload() override;
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void WireEvents();
    void WirePageEvents();
    void ShowShortcutsAndSteps();
    void ApplyInterfaceFont();
    void SetupStartupAutoControls();
    void UpdateDefaultVolume();
    void SetupFontControls();
    void SetupLegacyIconsControl();
    void ShowWheelIncrement();
    void SaveShortcut(int index);
    void ShowStepText(TextBox& box);
    void ChangeStep(TextBox& box, int delta);
    void FillFontLists();
    void chkStartupAudio_Click(int index);
    void optStartupAuto_Click(int index);
    void RefreshAfterRestore();
    TextBox& StepBox(int k) const;

    TabStrip tabs_{*this};
};

// The loaded options window, null when none.
frmOptions* OptionsForm();
// Loads the options window when needed and brings it to the front.
void ShowOptions();

// The names of the step settings of the four step boxes, in box order.
extern const wchar_t* const kStepBoxNames[frmOptions::kStepCount];

}  // namespace kal
