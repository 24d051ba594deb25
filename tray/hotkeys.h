// Global shortcut keys: the text of a key, the capture boxes that record one, the registration
// of the six fixed keys on the main window, and the fixed actions themselves.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "toolkit/forms.h"
#include "tray/portable/menurules.h"

namespace kal {

// "CTRL+", "ALT+", "SHIFT+" as the mask has them, then the key's name; "" for Shift, Ctrl or
// Alt alone.
std::wstring KeyCodeToString(std::uint8_t vk, std::uint8_t mask);
// The modifiers held now (AltGr does not count as Ctrl).
std::uint8_t GetShiftState();
bool IsKeyDown(int vk);

// Records the key pressed in a capture box: its text, and its Tag ("31|06"; "" for a modifier
// alone).
void SetHotkeyText(TextBox& box, std::uint8_t vk);
// Turns a text box into a capture box and back. Navigation keys are swallowed, Delete clears the
// key, every other key is captured, and the mouse can neither select nor edit the text.
// `captured` runs after every key the box records or clears, also when its text stays the same
// (two keys may share a name).
void SubclassControl(TextBox& box, std::function<void()> captured = {});
void UnsubclassControl(TextBox& box);
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
