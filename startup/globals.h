// Process-wide state set by start-up and by card detection.
#pragma once
#include <string>

namespace kal {

// System flags.
extern bool gIsXP;
extern bool gIsWin10;
extern bool gNoUI;              // "/noui" on the command line
extern std::wstring gUserAgent;  // the self-update's HTTP user agent
extern int gDPI;                // horizontal pixels per logical inch of the screen (ScreenDpiX)
extern unsigned gProfilesApplied;  // stored profiles applied to the card since the start

// Settings paths (full registry paths beginning with the hive's name).
extern std::wstring gRegRoot;      // the settings key
extern std::wstring gRegProfiles;  // gRegRoot + "\Profiles"
extern std::wstring gRunKeyHKLM;
extern std::wstring gRunKeyUser;
extern std::wstring gUserSoftwareKey;  // the interactive user's "SOFTWARE" key

// Where the self-update downloads its launcher and updater.
extern std::wstring gLauncherTempPath;
extern std::wstring gUpdaterTempPath;

// The card driver's class key (gDriverClassKey, base/registry.h) and its settings key.
extern std::wstring gDriverSettingsKey;

}  // namespace kal
