// Libraries linked for loading on first use (cmake/DelayImport.cmake). Should such a library be
// missing, the runtime's default is an unhandled exception at the first call; here GDI+ instead
// fails to start, as it does when present but unable to start, and its callers take the path
// they already have for that (the drawing primitives draw nothing). The common controls, OLE
// Automation, the multimedia library and the device installer functions are looked for at start-up (MissingRequiredLibrary); one
// that is there but fails to load all the same ends the program at its first call with the same
// message as at start-up, on whichever thread made the call.
#include "startup/delayload.h"

#include <windows.h>
#include <delayimp.h>
#include <objidl.h>
#include <gdiplus.h>

#include <atomic>
#include <cstring>
#include <string>

#include "base/log.h"
#include "startup/utility.h"

namespace {

Gdiplus::Status WINAPI GdiplusCannotStart(ULONG_PTR* token, const Gdiplus::GdiplusStartupInput*,
                                          Gdiplus::GdiplusStartupOutput*) {
    if (token) *token = 0;
    return Gdiplus::Win32Error;
}

bool IsGdiplus(PDelayLoadInfo info) { return info && info->szDll && ::_stricmp(info->szDll, "gdiplus.dll") == 0; }

DWORD WINAPI ShowMissingLibrary(void* text) {
    ::MessageBoxW(nullptr, static_cast<const std::wstring*>(text)->c_str(), kal::kAppTitle, MB_OK | MB_ICONERROR);
    return 0;
}

// A library the program needs failed to load although it was there at start-up: the program
// ends with the start-up's message. The box runs on a thread of its own, so that the calling
// thread (which may be in the middle of anything) runs nothing further meanwhile; calls from
// other threads wait for the end.
[[noreturn]] void EndForMissingLibrary(PDelayLoadInfo info) {
    static std::atomic<bool> ending{false};
    if (!ending.exchange(true)) {
        try {
            const std::string name = info && info->szDll ? info->szDll : "";
            const std::wstring text = kal::MissingLibraryText(std::wstring(name.begin(), name.end()));
            HANDLE box = ::CreateThread(nullptr, 0, &ShowMissingLibrary, const_cast<std::wstring*>(&text), 0, nullptr);
            if (box) {
                ::WaitForSingleObject(box, INFINITE);
                ::CloseHandle(box);
            } else {
                ShowMissingLibrary(const_cast<std::wstring*>(&text));
            }
        } catch (...) {
            // The message could not be shown; the program ends all the same.
            kal::LogCaught(L"missing library message");
        }
        ::ExitProcess(kal::kMissingLibraryExitCode);
    }
    for (;;) ::Sleep(INFINITE);
}

FARPROC WINAPI DelayLoadFailed(unsigned reason, PDelayLoadInfo info) {
    switch (reason) {
    case dliFailLoadLib:
        if (!IsGdiplus(info)) EndForMissingLibrary(info);
        // Stand in for GDI+ with this program's module, which exports none of its functions:
        // every one then comes to dliFailGetProc.
        return reinterpret_cast<FARPROC>(::GetModuleHandleW(nullptr));
    case dliFailGetProc:
        if (!IsGdiplus(info)) EndForMissingLibrary(info);
        // Every use of GDI+ starts it first and stops at a failed start.
        if (info && info->dlp.fImportByName && info->dlp.szProcName &&
            std::strcmp(info->dlp.szProcName, "GdiplusStartup") == 0)
            return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&GdiplusCannotStart));
        return nullptr;
    default:
        return nullptr;
    }
}

}  // namespace

// Declared by <delayimp.h> (C linkage); replaces the runtime's empty hook, an archive member of its own.
PfnDliHook __pfnDliFailureHook2 = DelayLoadFailed;

namespace kal {

std::wstring FirstMissingLibrary(std::initializer_list<const wchar_t*> libraries) {
    for (const wchar_t* library : libraries) {
        wchar_t path[MAX_PATH];
        if (::SearchPathW(nullptr, library, nullptr, MAX_PATH, path, nullptr) == 0) return library;
    }
    return L"";
}

// Every library of the top CMakeLists' delay imports but GDI+.
std::wstring MissingRequiredLibrary() {
    return FirstMissingLibrary({L"comctl32.dll", L"oleaut32.dll", L"winmm.dll", L"setupapi.dll"});
}

std::wstring MissingLibraryText(const std::wstring& library) {
    return std::wstring(kAppTitle) + L" can't run because the system library " + library +
           L" can't be found or loaded. Execution halted.";
}

}  // namespace kal
