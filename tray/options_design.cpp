// The options window's table: four tabs over four pages. Twips.
#include "tray/options.h"
#include "tray/options_design.h"

namespace kal {

namespace {

using T = ControlType;

std::wstring Page(int i) { return L"pctTabContent(" + std::to_wstring(i) + L")"; }

PropertyBag SliderRange(std::int32_t min, std::int32_t max) {
    PropertyBag bag;
    bag.Write<std::int32_t>(L"Min", min, 1);
    bag.Write<std::int32_t>(L"Max", max, 100);
    bag.Write<std::int32_t>(L"Value", min, 1);
    return bag;
}

constexpr wchar_t kUninstallText[] =
    L"Kalvenor is all contained in a single executable file and therefore doesn't need a proper install or "
    L"uninstall process. However, this feature will remove any leftover from the system, such as the registry key "
    L"where the settings are stored and the autostart entry.";
constexpr wchar_t kBackupText[] =
    L"Backup or Restore your settings (including profiles and EQ presets) to / from an external file to save them "
    L"for later or move Kalvenor between different setups or machines while retaining your data.";

// One row of shortcut keys: caption, capture box and, for the volume keys, the step controls.
void ShortcutRow(std::vector<ControlRow>& rows, const wchar_t* frame, int action, int row, const wchar_t* caption,
                 int step) {
    const int y = 330 + row * 540;
    rows.emplace_back(T::Label, KAL_CONTROL(frmOptions, lblShortcuts), action, caption, 180, y + 45, 2520, 270, 0,
                      frame);
    rows.emplace_back(T::TextBox, KAL_CONTROL(frmOptions, txtShortcuts), action, L"", 2760, y, 1620, 315, 0, frame);
    if (step < 0) return;
    rows.emplace_back(T::Label, KAL_CONTROL(frmOptions, lblStep), step, L"By (Step Size)", 4470, y + 45, 1320, 270, 0,
                      frame);
    rows.emplace_back(T::CommandButton, KAL_CONTROL(frmOptions, cmdStepMinus), step, L"-", 5850, y, 330, 315, 0, frame);
    // The step box is named after its setting.
    rows.emplace_back(T::TextBox, ControlName(std::wstring(L"txt") + kStepBoxNames[step], Bind(kStepBoxMembers[step])),
                      -1, L"", 6210, y, 540, 315, ES_READONLY | ES_CENTER, frame);
    rows.emplace_back(T::CommandButton, KAL_CONTROL(frmOptions, cmdStepPlus), step, L"+", 6780, y, 330, 315, 0, frame);
}

}  // namespace

std::vector<ControlRow> OptionsControls() {
    std::vector<ControlRow> r;
    static const wchar_t* const kTabs[] = {L"General", L"Startup", L"Interface", L"Shortcuts"};
    // Each tab meets its page (the tab strip draws both).
    for (int i = 0; i < frmOptions::kTabCount; ++i) {
        r.emplace_back(T::PictureBox, KAL_CONTROL(frmOptions, imgTab), i, L"", 120 + i * 1500, 120, 1470, 420);
        r.emplace_back(T::Label, KAL_CONTROL(frmOptions, lblTab), i, kTabs[i], 60, 45, 1350, 360,
                       SS_CENTER | SS_CENTERIMAGE, L"imgTab(" + std::to_wstring(i) + L")");
        r.emplace_back(T::PictureBox, KAL_CONTROL(frmOptions, pctTabContent), i, L"", 120, 540, 7560, 4560);
    }
    r.emplace_back(T::CommandButton, KAL_CONTROL(frmOptions, cmdClose), -1, L"Clo&se", 6360, 5220, 1320, 390);

    // General.
    r.emplace_back(T::Frame, KAL_CONTROL(frmOptions, fraUninstall), -1, L"Uninstall", 120, 120, 7320, 1860, 0, Page(0));
    r.emplace_back(T::Label, KAL_CONTROL(frmOptions, lblUninstall), -1, kUninstallText, 180, 300, 5400, 1440, 0,
                   L"fraUninstall");
    r.emplace_back(T::CommandButton, KAL_CONTROL(frmOptions, cmdUninstall), -1, L"Uninstall...", 5760, 780, 1380, 390,
                   0, L"fraUninstall");
    r.emplace_back(T::Frame, KAL_CONTROL(frmOptions, fraBackupRestore), -1, L"Backup and Restore", 120, 2100, 7320,
                   1620, 0, Page(0));
    r.emplace_back(T::Label, KAL_CONTROL(frmOptions, lblBackupRestore), -1, kBackupText, 180, 300, 5400, 1200, 0,
                   L"fraBackupRestore");
    r.emplace_back(T::CommandButton, KAL_CONTROL(frmOptions, cmdBackup), -1, L"Backup...", 5760, 360, 1380, 390, 0,
                   L"fraBackupRestore");
    r.emplace_back(T::CommandButton, KAL_CONTROL(frmOptions, cmdRestore), -1, L"Restore...", 5760, 870, 1380, 390, 0,
                   L"fraBackupRestore");

    // Startup.
    const wchar_t* audio = L"fraStartupAudio";
    r.emplace_back(T::Frame, KAL_CONTROL(frmOptions, fraStartupAudio), -1, L"Audio", 120, 60, 7320, 2340, 0, Page(1));
    r.emplace_back(T::Label, KAL_CONTROL(frmOptions, lblStartupAudio), -1, L"When Kalvenor is started:", 180, 270, 6300,
                   270, 0, audio);
    r.emplace_back(T::CheckBox, KAL_CONTROL(frmOptions, chkStartupAudio), 0, L"Load This Profile:", 180, 630, 2100, 300,
                   0, audio);
    r.emplace_back(T::ComboBox, KAL_CONTROL(frmOptions, cboDefaultProfile), -1, L"", 2340, 600, 3660, 315, 0, audio);
    r.emplace_back(T::CheckBox, KAL_CONTROL(frmOptions, chkDefaultProfileNotify), -1, L"Notify", 6120, 585, 1020, 360,
                   0, audio);
    r.emplace_back(T::CheckBox, KAL_CONTROL(frmOptions, chkStartupAudio), 1, L"Set Master Volume To:", 180, 1110, 2100,
                   300, 0, audio);
    r.emplace_back(T::Slider, KAL_CONTROL(frmOptions, csliDefaultVolume), -1, L"", 2340, 1050, 2100, 420, 0, audio,
                   SliderRange(1, 100));
    r.emplace_back(T::Label, KAL_CONTROL(frmOptions, lblStartupAudioVolume), -1, L"", 4500, 1110, 1560, 300, 0, audio);
    r.emplace_back(T::CheckBox, KAL_CONTROL(frmOptions, chkDefaultVolumeNotify), -1, L"Notify", 6120, 1065, 1020, 360,
                   0, audio);
    r.emplace_back(T::Label, KAL_CONTROL(frmOptions, lblStartupAudioNote), -1,
                   L"Please note that, when both options are selected, the default volume overrides the default "
                   L"profile's volume.",
                   180, 1560, 6960, 660, 0, audio);
    const wchar_t* autostart = L"fraStartupAuto";
    r.emplace_back(T::Frame, KAL_CONTROL(frmOptions, fraStartupAuto), -1, L"Autostart", 120, 2520, 7320, 1920, 0,
                   Page(1));
    r.emplace_back(T::OptionButton, KAL_CONTROL(frmOptions, optStartupAuto), 0, L"Don't Autostart", 180, 270, 6300, 300,
                   0, autostart);
    r.emplace_back(T::OptionButton, KAL_CONTROL(frmOptions, optStartupAuto), 1,
                   L"Start With Normal User Privileges (No Admin)", 180, 630, 6300, 300, 0, autostart);
    r.emplace_back(T::Label, KAL_CONTROL(frmOptions, lblStartupAuto), 0, L"- Autoupdate Always Requires Authorization.",
                   480, 930, 6000, 270, 0, autostart);
    r.emplace_back(T::OptionButton, KAL_CONTROL(frmOptions, optStartupAuto), 2,
                   L"Start With Admin Privileges If Possible", 180, 1260, 6300, 300, 0, autostart);
    r.emplace_back(T::Label, KAL_CONTROL(frmOptions, lblStartupAuto), 1, L"- Autoupdate Is Silent Under Admin Accounts",
                   480, 1560, 6000, 270, 0, autostart);
    r.emplace_back(T::OptionButton, KAL_CONTROL(frmOptions, optStartupAuto), 3, L"Run Automatically At Windows Startup",
                   180, 630, 6300, 300, 0, autostart);

    // Interface.
    r.emplace_back(T::Frame, KAL_CONTROL(frmOptions, fraTrayIcons), -1, L"Tray Icons Set", 120, 60, 7320, 720, 0,
                   Page(2));
    r.emplace_back(T::CheckBox, KAL_CONTROL(frmOptions, chkLegacyIconsUnderWin10), -1,
                   L"Use Legacy Tray Icons Under Windows 10", 180, 300, 6300, 300, 0, L"fraTrayIcons");
    r.emplace_back(T::Frame, KAL_CONTROL(frmOptions, fraWheel), -1, L"Mouse Wheel Slider Increment", 120, 900, 7320,
                   840, 0, Page(2));
    r.emplace_back(T::Slider, KAL_CONTROL(frmOptions, csliWheelIncrement), -1, L"", 180, 270, 6000, 420, 0, L"fraWheel",
                   SliderRange(1, 10));
    r.emplace_back(T::Label, KAL_CONTROL(frmOptions, lblMouseWheelIncrement), -1, L"", 6300, 330, 840, 300, 0,
                   L"fraWheel");
    const wchar_t* font = L"fraFont";
    r.emplace_back(T::Frame, KAL_CONTROL(frmOptions, fraFont), -1, L"Font", 120, 1860, 7320, 2580, 0, Page(2));
    r.emplace_back(T::Label, KAL_CONTROL(frmOptions, lblInterfaceFontName), -1, L"Face", 180, 345, 600, 270, 0, font);
    r.emplace_back(T::ComboBox, KAL_CONTROL(frmOptions, cboInterfaceFontName), -1, L"", 780, 300, 3360, 315, 0, font);
    r.emplace_back(T::Label, KAL_CONTROL(frmOptions, lblInterfaceFontSize), -1, L"Size", 4320, 345, 540, 270, 0, font);
    // Wide enough for "<Use System Size>".
    r.emplace_back(T::ComboBox, KAL_CONTROL(frmOptions, cboInterfaceFontSize), -1, L"", 4860, 300, 2280, 315, 0, font);
    r.emplace_back(T::Label, KAL_CONTROL(frmOptions, lblInterfaceFontPreviewTitle), -1, L"Readability:", 180, 780, 3000,
                   270, 0, font);
    r.emplace_back(T::Label, KAL_CONTROL(frmOptions, lblInterfaceFontPreview), -1, L"", 180, 1080, 6960, 1380,
                   SS_SUNKEN, font);

    // Shortcuts.
    r.emplace_back(T::Frame, KAL_CONTROL(frmOptions, fraPlayback), -1, L"Playback", 120, 60, 7320, 2100, 0, Page(3));
    ShortcutRow(r, L"fraPlayback", 0, 0, L"Master Mute Toggle", -1);
    ShortcutRow(r, L"fraPlayback", 1, 1, L"Master Volume Increase", 0);
    ShortcutRow(r, L"fraPlayback", 2, 2, L"Master Volume Decrease", 1);
    r.emplace_back(T::Frame, KAL_CONTROL(frmOptions, fraRecord), -1, L"Record", 120, 2280, 7320, 2100, 0, Page(3));
    ShortcutRow(r, L"fraRecord", 3, 0, L"Microphone Mute Toggle", -1);
    ShortcutRow(r, L"fraRecord", 4, 1, L"Microphone Volume Increase", 2);
    ShortcutRow(r, L"fraRecord", 5, 2, L"Microphone Volume Decrease", 3);
    return r;
}

}  // namespace kal
