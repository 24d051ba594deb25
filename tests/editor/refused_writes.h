// The registry refusing the program's writes to its profiles, for real, at any step of a change:
// the profiles key made volatile (the registry refuses to make an ordinary key under a volatile
// one, so no new profile or restore point can be made), named profiles' keys denying everyone the
// right to set values or add keys, or to list their subkeys (so that they can be neither read
// whole nor deleted: the registry here does not check the right to delete). Every profile keeps its values; the end of the scope makes them ordinary keys
// again, open to writes.
#pragma once
#include <windows.h>

#include <sddl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/registry.h"
#include "startup/globals.h"

namespace kaltest {

struct Refusals {
    bool newKeys = true;                   // no key can be made under the profiles key
    std::vector<std::wstring> denied;      // profiles refusing value writes and new subkeys
    std::vector<std::wstring> undeletable;  // profiles whose key can't be read whole, nor deleted
};

class RefusedProfileWrites {
public:
    explicit RefusedProfileWrites(std::vector<std::wstring> denied = {})
        : RefusedProfileWrites(Refusals{true, std::move(denied), {}}) {}
    explicit RefusedProfileWrites(Refusals refusals) : refusals_(std::move(refusals)) {
        if (refusals_.newKeys) Rebuild(true);
        for (const std::wstring& profile : refusals_.denied) Secure(profile, L"D:(D;;0x6;;;WD)(A;;KA;;;WD)");
        for (const std::wstring& profile : refusals_.undeletable) Secure(profile, L"D:(D;;0x8;;;WD)(A;;KA;;;WD)");
    }
    ~RefusedProfileWrites() {
        for (const std::wstring& profile : kal::RegEnumKeys(kal::gRegProfiles)) Secure(profile, L"D:(A;;KA;;;WD)");
        if (refusals_.newKeys) Rebuild(false);
    }
    RefusedProfileWrites(const RefusedProfileWrites&) = delete;
    RefusedProfileWrites& operator=(const RefusedProfileWrites&) = delete;

private:
    static HKEY Make(const std::wstring& path, bool isVolatile) {
        std::wstring sub = path;
        const HKEY hive = kal::SplitRegPath(sub);
        HKEY key = nullptr;
        ::RegCreateKeyExW(hive, sub.c_str(), 0, nullptr, isVolatile ? REG_OPTION_VOLATILE : REG_OPTION_NON_VOLATILE,
                          KEY_ALL_ACCESS, nullptr, &key, nullptr);
        return key;
    }
    // The profiles key and its profiles made anew, volatile or not, with their values.
    static void Rebuild(bool isVolatile) {
        std::vector<std::pair<std::wstring, std::vector<std::pair<std::wstring, kal::RegValue>>>> profiles;
        for (const std::wstring& name : kal::RegEnumKeys(kal::gRegProfiles))
            profiles.emplace_back(name, kal::RegReadValues(kal::RegJoin(kal::gRegProfiles, name)));
        kal::RegDeleteTree(kal::gRegProfiles, L"");
        if (HKEY key = Make(kal::gRegProfiles, isVolatile)) ::RegCloseKey(key);
        for (const auto& [name, values] : profiles) {
            if (HKEY key = Make(kal::RegJoin(kal::gRegProfiles, name), isVolatile)) ::RegCloseKey(key);
            for (const auto& [value, bytes] : values) kal::RegWrite(kal::RegJoin(kal::gRegProfiles, name), value, bytes);
        }
    }
    static void Secure(const std::wstring& profile, const wchar_t* sddl) {
        std::wstring sub = kal::RegJoin(kal::gRegProfiles, profile);
        const HKEY hive = kal::SplitRegPath(sub);
        HKEY key = nullptr;
        if (::RegOpenKeyExW(hive, sub.c_str(), 0, WRITE_DAC, &key) != ERROR_SUCCESS) key = nullptr;
        PSECURITY_DESCRIPTOR sd = nullptr;
        if (key && ::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr))
            ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd);
        if (sd) ::LocalFree(sd);
        if (key) ::RegCloseKey(key);
    }

    Refusals refusals_;
};

// The registry refusing every call `refuse` picks (its kind, the key's path, the value's or
// subkey's name), for as long as it lives.
class RefusedCalls {
public:
    explicit RefusedCalls(std::function<bool(kal::RegCall, const std::wstring&, const std::wstring&)> refuse) {
        kal::SetRegistryRefusal(std::move(refuse));
    }
    // Calls of the kinds given on the key `profile` below the profiles key (its own path, or its
    // name as the parent's subkey).
    RefusedCalls(std::vector<kal::RegCall> calls, const std::wstring& profile)
        : RefusedCalls([calls, path = kal::RegJoin(kal::gRegProfiles, profile), profile](
                           kal::RegCall call, const std::wstring& at, const std::wstring& name) {
              const bool onIt = _wcsicmp(at.c_str(), path.c_str()) == 0 ||
                                (_wcsicmp(at.c_str(), kal::gRegProfiles.c_str()) == 0 && _wcsicmp(name.c_str(), profile.c_str()) == 0);
              return onIt && std::find(calls.begin(), calls.end(), call) != calls.end();
          }) {}
    ~RefusedCalls() { kal::SetRegistryRefusal({}); }
    RefusedCalls(const RefusedCalls&) = delete;
    RefusedCalls& operator=(const RefusedCalls&) = delete;
};

}  // namespace kaltest
