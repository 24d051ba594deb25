// Rules of the tray menu and the shortcut keys that need no Windows API: key masks and their
// stored and captured forms, the volume step of the fixed actions, menu captions, the web
// addresses a balloon click may open, and where a pop-up goes next to the tray.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "base/hextext.h"

namespace kal {

// The program's modifier mask: Shift 1, Ctrl 2, Alt 4.
inline constexpr std::uint8_t kMaskShift = 1, kMaskCtrl = 2, kMaskAlt = 4;
// The system's hot-key flags.
inline constexpr std::uint32_t kModAlt = 1, kModControl = 2, kModShift = 4;

// The six fixed shortcut actions; the number is also the hot-key id and the number the settings
// store their key and step under.
enum class ShortcutAction : int { MasterMute = 0, MasterUp, MasterDown, InputMute, InputUp, InputDown };
inline constexpr int kShortcutActionCount = 6;

std::uint32_t ShiftToHotkeyModifiers(std::uint8_t mask);
// The modifier prefixes of a key's text: "CTRL+", "ALT+", "SHIFT+" in that order.
std::wstring ModifierPrefix(std::uint8_t mask);
// Shift, Ctrl and Alt alone have no text of their own.
bool IsModifierKey(std::uint8_t vk);

// A capture box's Tag: "31|06" for the key 0x31 with Ctrl+Alt.
std::wstring CaptureTag(std::uint8_t vk, std::uint8_t mask);
// The two stored bytes of a Tag; an empty Tag gives {0, 0}; nullopt for a malformed one.
std::optional<Bytes> CaptureTagBytes(const std::wstring& tag);

// What a capture box does with a key press.
enum class CaptureKey { Swallow, Clear, Capture };
CaptureKey ClassifyCaptureKey(std::uint32_t vk);

// A step setting as a fixed-point number (up to four decimals, '.' or ',' as separator);
// nullopt when the text is no number.
std::optional<Currency> ParseStep(const std::wstring& text);
// The volume after a step up or down, limited to 0..100.
Currency StepVolume(Currency volume, Currency step, bool up);

// A menu caption that shows `name` literally ("&" doubled, so it makes no mnemonic).
std::wstring MenuCaptionText(const std::wstring& name);

// True for an address the shell may open for a balloon click: it begins with "http://" or
// "https://" (any letter case) and holds no control character.
bool IsWebAddress(const std::wstring& line);

// Placement of a pop-up next to the tray. Rectangles in screen pixels, right and bottom
// exclusive.
struct TrayRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Empty() const { return Width() <= 0 || Height() <= 0; }
};
struct TrayPoint {
    int x = 0, y = 0;
};
struct TrayPlacement {
    TrayPoint cursor;
    TrayRect monitor;    // the monitor nearest the cursor
    TrayRect work;       // its work area
    int width = 0, height = 0;  // the window's size
    TrayRect taskbar;    // empty when the shell gave none
    std::optional<TrayRect> icon;  // the tray icon's rectangle when known
};
// The window's top-left corner: centred on the cursor, then kept inside the monitor and clear
// of the taskbar, or beside the icon when it lies in the overflow area outside the taskbar.
TrayPoint PlaceNearTray(const TrayPlacement& p);

}  // namespace kal
