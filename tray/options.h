// The options window: start-up profile and volume, autostart, tray icons, wheel step, interface
// font, the shortcut keys of the six fixed actions with their volume steps, backup, restore and
// removal of all settings. Every control stores its setting the moment it changes.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/forms.h"
#include "toolkit/subclass.h"

namespace kal {

class frmOptions final : public Form, public ISubclass {
public:
    static constexpr int kTabCount = 4;
    static constexpr int kStepCount = 4;

    frmOptions();
    ~frmOptions() override;

    // Shows page `index` (0 General, 1 Startup, 2 Interface, 3 Shortcuts).
    void imgTab_Click(int index);
    int CurrentTab() const { return currentTab_; }
    // Fills the start-up profile and volume controls from the settings; quiet: nothing is
    // written back meanwhile.
    void SetupStartupAudioControls(bool quiet);

    // The buttons of the General page.
    void cmdUninstall_Click();
    void cmdBackup_Click();
    void cmdRestore_Click();

    // ISubclass: mouse moves over the tabs and pages.
    std::int32_t MsgResponse() const override { return MsgResponsePostProcess; }
    void SetMsgResponse(std::int32_t) override {}
    LRESULT WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) override;

protected:
    void OnLoad() override;
    void OnActivate() override;
    void OnUnload() override;
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void WireEvents();
    void WirePageEvents();
    void ShowShortcutsAndSteps();
    void DrawTab(int index, COLORREF colour);
    void ResetTabHighlight();
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

    int currentTab_ = 0;
    int hoverTab_ = -1;
    std::vector<HWND> hooked_;  // windows whose mouse moves reach WindowProc
};

// The loaded options window, null when none.
frmOptions* OptionsForm();
// Loads the options window when needed and brings it to the front.
void ShowOptions();

// The names of the step settings of the four step boxes, in box order.
extern const wchar_t* const kStepBoxNames[frmOptions::kStepCount];

}  // namespace kal
