// Global shortcut keys: the registration of the six fixed keys on the main window and the fixed
// actions themselves. The text of a key and the capture boxes that record one are declared in
// tray/host.h, shared with the editor.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "toolkit/forms.h"
#include "tray/host.h"
#include "tray/portable/menurules.h"

namespace kal {

// The modifiers held now (AltGr does not count as Ctrl).
std::uint8_t GetShiftState();
bool IsKeyDown(int vk);

// Records the key pressed in a capture box: its text, and its Tag ("31|06"; "" for a modifier
// alone).
void SetHotkeyText(TextBox& box, std::uint8_t vk);
bool IsCaptureBox(HWND window);

// The stored key of a fixed action ("Shortcut0" to "Shortcut5"); {0, 0} when none.
Bytes FixedShortcutKey(int action);
// Registers the fixed keys on the window (a key another program holds is skipped) ...
void RegisterMenuHotkeys(HWND window);
// ... and drops them (ids 0 to 5).
void ClearMenuHotkeys(HWND window);

// Carries out a fixed action (mute toggles, volume steps), then refreshes the open forms.
void RunShortcutAction(int action);

}  // namespace kal
