#include "startup/privileges.h"

#include <sddl.h>

#include <vector>

#include "base/raii.h"
#include "base/registry.h"
#include "startup/utility.h"

namespace kal {

bool IsUACEnabled() {
    const auto v = RegRead(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
                           L"EnableLUA", std::uint8_t{0});
    const Bytes* bytes = v ? std::get_if<Bytes>(&*v) : nullptr;
    return bytes && !bytes->empty() && (*bytes)[0] == 1;
}

bool IsProcessElevated() {
    if (!IsUACEnabled()) return IsUserAdmin();
    UniqueHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_READ, token.put())) return false;
    DWORD type = 0, size = 0;
    return ::GetTokenInformation(token.get(), TokenElevationType, &type, sizeof type, &size) &&
           type == TokenElevationTypeFull;
}

bool IsUserAdmin() { return IsTokenMemberOfRID(DOMAIN_ALIAS_RID_ADMINS); }

bool IsTokenMemberOfRID(DWORD rid) {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID sid = nullptr;
    if (!::AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, rid, 0, 0, 0, 0, 0, 0, &sid))
        return false;
    BOOL member = FALSE;
    const BOOL ok = ::CheckTokenMembership(nullptr, sid, &member);
    ::FreeSid(sid);
    return ok && member;
}

std::wstring GetProcessUserSID(DWORD processId) {
    UniqueHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
    if (!process) return {};
    UniqueHandle token;
    if (!::OpenProcessToken(process.get(), TOKEN_READ, token.put())) return {};
    DWORD size = 0;
    ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    if (size == 0) return {};
    std::vector<unsigned char> buf(size);
    if (!::GetTokenInformation(token.get(), TokenUser, buf.data(), size, &size)) return {};
    LPWSTR text = nullptr;
    if (!::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buf.data())->User.Sid, &text)) return {};
    std::wstring sid(text);
    ::LocalFree(text);
    return sid;
}

std::wstring GetInteractiveUserSID() {
    const DWORD shell = FindProcessIdPreferringSession(L"explorer.exe");
    return shell ? GetProcessUserSID(shell) : std::wstring();
}

std::wstring InteractiveUserRoot() { return UserRootFor(GetInteractiveUserSID()); }

std::wstring UserRootFor(const std::wstring& sid) {
    // A user who is not logged on has no hive under HKEY_USERS: writes there would all fail.
    if (!sid.empty() && RegKeyExists(L"HKEY_USERS\\" + sid)) return L"HKEY_USERS\\" + sid;
    return L"HKEY_CURRENT_USER";
}

}  // namespace kal
