// The process's administrative rights and the user who owns the desktop.
#pragma once
#include <windows.h>

#include <string>

namespace kal {

// User account control is on ("EnableLUA" of the system policies, first byte 1).
bool IsUACEnabled();
// The process runs with full administrative rights: a fully elevated token under UAC, or
// membership of the Administrators group with UAC off.
bool IsProcessElevated();
bool IsUserAdmin();
// The calling thread's effective token has the built-in group S-1-5-32-rid enabled.
bool IsTokenMemberOfRID(DWORD rid);
// SID text of the user a process runs as; "" when it can't be read.
std::wstring GetProcessUserSID(DWORD processId);
// SID text of the owner of the desktop shell ("explorer.exe", one in our own session
// preferred); "" when none runs.
std::wstring GetInteractiveUserSID();
// The registry root of a user: "HKEY_USERS\<SID>" when that user's hive is loaded, else
// "HKEY_CURRENT_USER".
std::wstring UserRootFor(const std::wstring& sid);
// UserRootFor of the interactive user.
std::wstring InteractiveUserRoot();

}  // namespace kal
