// Pictures of windows as the screen shows them, for people to look at: a test saves one after
// a window's scenario as <build>/screenshots/<window>-<state>.png. Nothing compares them.
#pragma once
#include <windows.h>

#include <string>

namespace kal::testing {

// Repaints the window, copies its rectangle from the screen and writes it as a PNG file. False
// when nothing could be saved (no window, an empty rectangle, a failed write).
bool SaveWindowScreenshot(HWND window, const std::wstring& windowName, const std::wstring& state);

}  // namespace kal::testing
