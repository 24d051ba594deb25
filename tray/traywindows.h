// Windows placed next to the tray: the pop-up placement, the system volume mixer started or
// found and moved there, and the process services it uses.
#pragma once
#include <windows.h>

#include <string>

#include "base/raii.h"

namespace kal {

// Places the window next to the tray on the monitor under the cursor, clear of the taskbar
// (beside the tray icon when asked and it lies in the overflow area), topmost and shown, and
// brings it to the foreground.
void PositionNearTray(HWND window, bool besideIcon);

// Starts the program hidden or shown (wShowWindow); returns its process id (0 on failure) and,
// when asked, keeps its process handle.
DWORD RunProcess(const std::wstring& path, WORD showWindow, UniqueHandle* process = nullptr);
// The first top-level window of the process that has a system menu; null when none.
HWND FindProcessWindow(DWORD processId);

// The system volume mixer next to the tray: started hidden when it is not running, then moved
// there once its window has settled.
void ShowSystemMixer();

// Lets the system trim the process's working set.
void TrimWorkingSet();

}  // namespace kal
