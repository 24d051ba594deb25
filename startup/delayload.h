// The system libraries that the program loads on their first call (startup/delayload.cpp,
// cmake/DelayImport.cmake). Those it can't do without are looked for when it starts, where the
// loader looked for them before: one that is missing ends the start-up before it has any effect.
#pragma once
#include <initializer_list>
#include <string>

namespace kal {

// The exit code of a program stopped by a missing library: the one the loader gives.
inline constexpr unsigned kMissingLibraryExitCode = 0xC0000135;  // STATUS_DLL_NOT_FOUND

// The first of `libraries` that the library search path does not hold, "" when none is missing.
// Looks for the files only: nothing is loaded or mapped.
std::wstring FirstMissingLibrary(std::initializer_list<const wchar_t*> libraries);

// The first missing library of those loaded on first call that the program needs (the common
// controls, OLE Automation, the multimedia library, the device installer functions; GDI+ has a
// way of its own to fail).
std::wstring MissingRequiredLibrary();

// The error message for a missing library.
std::wstring MissingLibraryText(const std::wstring& library);

}  // namespace kal
