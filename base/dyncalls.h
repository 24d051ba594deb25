// Functions that a supported system may lack, or that only some paths need, listed once: one
// list for the libraries every process has loaded (looked up, never loaded; null when missing,
// as on Windows XP) and one for the libraries loaded by their first use (the file dialogs, the
// update's downloads, the Windows XP sound path, the theme functions of buttons drawn by hand),
// which keeps them out of every start. Each
// accessor returns the function or null; call only through a non-null one.
#pragma once
#include <windows.h>

struct tagOFNW;
struct tagCHOOSECOLORW;
struct IDirectSound8;

namespace kal {

// The shell's identification of a notification icon (Windows 7 and later).
struct NotifyIconIdentifier {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    GUID guidItem;
};

// True when the module is already loaded in the process and exports the function; the module
// is never loaded by this test.
bool IsApiAvailable(const wchar_t* module, const char* function);

namespace dyn {

using Internet = void*;

#define KAL_RESIDENT_FUNCTIONS(X)                                                          \
    X(L"kernel32.dll", GetTickCount64, ULONGLONG(WINAPI*)())                                \
    X(L"advapi32.dll", RegRenameKey, LONG(WINAPI*)(HKEY, LPCWSTR, LPCWSTR))                 \
    X(L"ntdll.dll", NtQuerySystemInformation, LONG(WINAPI*)(int, void*, ULONG, ULONG*))     \
    X(L"kernel32.dll", IsWow64Process, BOOL(WINAPI*)(HANDLE, PBOOL))                        \
    X(L"kernel32.dll", Wow64DisableWow64FsRedirection, BOOL(WINAPI*)(void**))               \
    X(L"kernel32.dll", Wow64RevertWow64FsRedirection, BOOL(WINAPI*)(void*))                 \
    X(L"user32.dll", ChangeWindowMessageFilterEx, BOOL(WINAPI*)(HWND, UINT, DWORD, void*))  \
    X(L"user32.dll", ChangeWindowMessageFilter, BOOL(WINAPI*)(UINT, DWORD))                 \
    X(L"shell32.dll", Shell_NotifyIconGetRect, HRESULT(WINAPI*)(const NotifyIconIdentifier*, RECT*))

#define KAL_ON_DEMAND_FUNCTIONS(X)                                                                         \
    X(L"comdlg32.dll", GetOpenFileNameW, BOOL(WINAPI*)(tagOFNW*))                                           \
    X(L"comdlg32.dll", GetSaveFileNameW, BOOL(WINAPI*)(tagOFNW*))                                           \
    X(L"comdlg32.dll", ChooseColorW, BOOL(WINAPI*)(tagCHOOSECOLORW*))                                       \
    X(L"comdlg32.dll", CommDlgExtendedError, DWORD(WINAPI*)())                                              \
    X(L"wininet.dll", InternetOpenW, Internet(WINAPI*)(LPCWSTR, DWORD, LPCWSTR, LPCWSTR, DWORD))            \
    X(L"wininet.dll", InternetOpenUrlW, Internet(WINAPI*)(Internet, LPCWSTR, LPCWSTR, DWORD, DWORD, DWORD_PTR)) \
    X(L"wininet.dll", HttpQueryInfoW, BOOL(WINAPI*)(Internet, DWORD, LPVOID, LPDWORD, LPDWORD))             \
    X(L"wininet.dll", InternetReadFile, BOOL(WINAPI*)(Internet, LPVOID, DWORD, LPDWORD))                    \
    X(L"wininet.dll", InternetCloseHandle, BOOL(WINAPI*)(Internet))                                         \
    X(L"wininet.dll", InternetCheckConnectionA, BOOL(WINAPI*)(LPCSTR, DWORD, DWORD))                        \
    X(L"dsound.dll", DirectSoundCreate8, HRESULT(WINAPI*)(const GUID*, IDirectSound8**, IUnknown*))             \
    X(L"uxtheme.dll", GetWindowTheme, HANDLE(WINAPI*)(HWND))                                                    \
    X(L"uxtheme.dll", DrawThemeBackground, HRESULT(WINAPI*)(HANDLE, HDC, int, int, LPCRECT, LPCRECT))           \
    X(L"uxtheme.dll", DrawThemeParentBackground, HRESULT(WINAPI*)(HWND, HDC, RECT*))                            \
    X(L"uxtheme.dll", IsThemeBackgroundPartiallyTransparent, BOOL(WINAPI*)(HANDLE, int, int))                   \
    X(L"uxtheme.dll", GetThemeBackgroundContentRect, HRESULT(WINAPI*)(HANDLE, HDC, int, int, LPCRECT, LPRECT))  \
    X(L"uxtheme.dll", DrawThemeText, HRESULT(WINAPI*)(HANDLE, HDC, int, int, LPCWSTR, int, DWORD, DWORD, LPCRECT))

#define KAL_DECLARE_FUNCTION(library, name, type) \
    using name##Fn = type;                        \
    name##Fn name();
KAL_RESIDENT_FUNCTIONS(KAL_DECLARE_FUNCTION)
KAL_ON_DEMAND_FUNCTIONS(KAL_DECLARE_FUNCTION)
#undef KAL_DECLARE_FUNCTION

}  // namespace dyn
}  // namespace kal
