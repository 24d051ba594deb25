// The options window: start-up profile and volume, autostart, tray icons, wheel step, interface
// font, the shortcut keys of the six fixed actions with their volume steps, backup, restore and
// removal of all settings. Every control stores its setting the moment it changes.
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/forms.h"
#include "toolkit/tabstrip.h"
#include "tray/host.h"
#include "tray/portable/menurules.h"

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

    // The controls, bound from the form's table (options_design.cpp).
    std::array<PictureBox*, kTabCount> imgTab{}, pctTabContent{};
    std::array<Label*, kTabCount> lblTab{};
    CommandButton* cmdClose{};
    // General.
    Frame *fraUninstall{}, *fraBackupRestore{};
    Label *lblUninstall{}, *lblBackupRestore{};
    CommandButton *cmdUninstall{}, *cmdBackup{}, *cmdRestore{};
    // Startup: 0 the profile, 1 the volume.
    Frame *fraStartupAudio{}, *fraStartupAuto{};
    Label *lblStartupAudio{}, *lblStartupAudioVolume{}, *lblStartupAudioNote{};
    std::array<CheckBox*, 2> chkStartupAudio{};
    ComboBox* cboDefaultProfile{};
    CheckBox *chkDefaultProfileNotify{}, *chkDefaultVolumeNotify{};
    Slider* csliDefaultVolume{};
    std::array<OptionButton*, 4> optStartupAuto{};
    std::array<Label*, 2> lblStartupAuto{};
    // Interface.
    Frame *fraTrayIcons{}, *fraWheel{}, *fraFont{};
    CheckBox* chkLegacyIconsUnderWin10{};
    Slider* csliWheelIncrement{};
    Label *lblMouseWheelIncrement{}, *lblInterfaceFontName{}, *lblInterfaceFontSize{}, *lblInterfaceFontPreviewTitle{},
        *lblInterfaceFontPreview{};
    ComboBox *cboInterfaceFontName{}, *cboInterfaceFontSize{};
    // Shortcuts: a caption and a capture box per fixed action, step controls per volume action.
    Frame *fraPlayback{}, *fraRecord{};
    std::array<Label*, kShortcutActionCount> lblShortcuts{};
    std::array<TextBox*, kShortcutActionCount> txtShortcuts{};
    std::array<Label*, kStepCount> lblStep{};
    std::array<CommandButton*, kStepCount> cmdStepMinus{}, cmdStepPlus{};
    TextBox *txtPlayBackMasterVolumeIncreaseStep{}, *txtPlayBackMasterVolumeDecreaseStep{}, *txtMicVolumeIncreaseStep{},
        *txtMicVolumeDecreaseStep{};

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
    void ChangeStep(int k, int delta);
    void FillFontLists();
    void chkStartupAudio_Click(int index);
    void optStartupAuto_Click(int index);
    void RefreshAfterRestore();
    TextBox& StepBox(int k) const;

    TabStrip tabs_{*this};
};

// The loaded options window, null when none.
frmOptions* OptionsForm();

// The names of the four step boxes after their "txt", in box order.
extern const wchar_t* const kStepBoxNames[frmOptions::kStepCount];
// The shortcut action whose step each box edits, in the same order.
extern const int kStepActions[frmOptions::kStepCount];
// The members holding the step boxes, in the same order.
extern TextBox* frmOptions::* const kStepBoxMembers[frmOptions::kStepCount];

}  // namespace kal
