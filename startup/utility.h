// Small system utilities shared by start-up, the tray application, the forms and the device code.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "base/module.h"

namespace kal {

// The application title: the product name of the version information.
inline constexpr wchar_t kAppTitle[] = L"Kalvenor";


// True for a 32-bit process on 64-bit Windows.
bool IsWow64();

// The owner of the single-instance mutex: it releases and closes the mutex when asked (the main
// form's unload) and, at the latest, when the process ends.
class SingleInstanceMutex {
public:
    SingleInstanceMutex() = default;
    ~SingleInstanceMutex() { Release(); }
    SingleInstanceMutex(const SingleInstanceMutex&) = delete;
    SingleInstanceMutex& operator=(const SingleInstanceMutex&) = delete;
    // Creates or opens the mutex, asking to own it; the system's error code of the call.
    DWORD Create(const wchar_t* name);
    void Release();
    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    HANDLE handle_ = nullptr;
};

// The single-instance mutex; held from IsAlreadyRunning until the main form unloads.
extern SingleInstanceMutex gMutexHandle;
inline constexpr wchar_t kSingleInstanceMutex[] = L"KalvenorSingleInstanceMutex";
// Creates (or opens) the mutex and keeps its handle. True when another instance holds it:
// the mutex existed already, or it exists but this process may not open it (an elevated
// instance created it).
bool IsAlreadyRunning();
// Releases and closes the single-instance mutex (no effect when none is held).
void ReleaseSingleInstanceMutex();

// The user locale's decimal separator.
std::wstring DecimalSeparator();
// A new name for the editor's live-mode profile, from the time of day.
std::wstring NewLiveProfileName();

// Sets or clears style bits of a window and redraws it.
void SetWindowStyleBit(HWND window, bool set, LONG bits);
// Suspends (lock) or resumes drawing of a window; resuming redraws it with frame and children.
void LockRedraw(HWND window, bool lock);
// Whether the shell shows its own message when a start fails.
enum class ShellErrorUI { Shown, None };
// Starts a file or link with the shell verb "open", without waiting for it to end. Returns 0
// once it has started, else the system error code.
DWORD ShellOpen(const std::wstring& file, const std::wstring& parameters = {}, const std::wstring& directory = {},
                ShellErrorUI errors = ShellErrorUI::Shown);
// The system cursors the program shows, by their system ids.
enum class SystemCursor : int { Arrow = 32512, Wait = 32514, Hand = 32649 };
// Sets the mouse cursor to a system cursor.
void SetMouseCursor(SystemCursor cursor);
// Shows the wait cursor while it lives and the arrow again when it ends, however that is.
class WaitCursor {
public:
    WaitCursor() { SetMouseCursor(SystemCursor::Wait); }
    ~WaitCursor() { SetMouseCursor(SystemCursor::Arrow); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
// The operating system's caption from WMI ("" when WMI can't be asked).
std::wstring GetOSCaption();
// Selects the first entry of a combo box whose item data equals `value` and tells the owner
// as a user's selection would (CBN_SELCHANGE). When none matches, entry 0 is selected (when
// there are entries) and the result is false.
bool SelectComboItemData(HWND combo, LPARAM value);

// The user's temporary folder with a trailing backslash.
std::wstring GetTempFolder();
// Deletes a file if it exists, trying up to 50 times 100 ms apart (pumping messages between).
void DeleteFileRetry(const std::wstring& path);
// Lets the messages waiting for this thread run (a WM_QUIT among them is posted again, so the
// message loop still ends).
void PumpPendingMessages();
// Id of the first process whose file name equals `exeName` (any letter case), 0 when none.
DWORD FindProcessId(const std::wstring& exeName);
// As FindProcessId, but a process of the caller's own terminal session is preferred.
DWORD FindProcessIdPreferringSession(const std::wstring& exeName);

// Registers the common-control window classes; false when only the old entry point exists.
bool InitCommonControlsXP();
// InitCommonControlsXP once per process, before the first control window: the library is loaded
// on its first call, so a start-up that shows no control does not load it.
void EnsureCommonControls();

}  // namespace kal
