// The running program's file: its folder and its name, as error sources and paths spell them.
#pragma once
#include <string>

namespace kal {

// The running program's folder (no trailing backslash) and its file name without extension.
std::wstring AppFolder();
std::wstring AppExeName();

}  // namespace kal
