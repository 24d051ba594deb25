// Libraries linked for loading on first use (cmake/DelayImport.cmake). Should such a library be
// missing, the runtime's default is an unhandled exception at the first call; here GDI+ instead
// fails to start, as it does when present but unable to start, and its callers take the path
// they already have for that (the drawing primitives draw nothing). The common controls, OLE
// Automation and the multimedia library belong to every supported Windows: missing, they end
// the program at their first call, as they stopped it from starting before.
#include <windows.h>
#include <delayimp.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstring>

namespace {

Gdiplus::Status WINAPI GdiplusCannotStart(ULONG_PTR* token, const Gdiplus::GdiplusStartupInput*,
                                          Gdiplus::GdiplusStartupOutput*) {
    if (token) *token = 0;
    return Gdiplus::Win32Error;
}

FARPROC WINAPI DelayLoadFailed(unsigned reason, PDelayLoadInfo info) {
    switch (reason) {
    case dliFailLoadLib:
        // Stand in for the library with this program's module, which exports none of its
        // functions: every one then comes to dliFailGetProc.
        return reinterpret_cast<FARPROC>(::GetModuleHandleW(nullptr));
    case dliFailGetProc:
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
