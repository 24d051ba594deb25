#include "startup/globals.h"

namespace kal {

bool gIsXP = false;
bool gIsWin10 = false;
bool gNoUI = false;
unsigned gProfilesApplied = 0;
std::wstring gUserAgent;
int gDPI = 96;

std::wstring gRegRoot;
std::wstring gRegProfiles;
std::wstring gRunKeyHKLM;
std::wstring gRunKeyUser;
std::wstring gUserSoftwareKey;

std::wstring gLauncherTempPath;
std::wstring gUpdaterTempPath;

std::wstring gDriverSettingsKey;

}  // namespace kal
