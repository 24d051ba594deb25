#include "startup/globals.h"

namespace kal {

bool gIsXP = false;
bool gIsWin10 = false;

std::wstring gRegRoot;
std::wstring gRegProfiles;
std::wstring gRunKeyHKLM;
std::wstring gRunKeyUser;

std::wstring gDriverClassKey;
std::wstring gDriverSettingsKey;

}  // namespace kal
