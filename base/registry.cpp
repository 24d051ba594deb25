#include "base/registry.h"

#include <algorithm>
#include <cwchar>
#include <map>
#include <mutex>
#include <set>
#include <tuple>

#include "base/dyncalls.h"
#include "base/keyed.h"
#include "base/raii.h"

namespace kal {

std::wstring gDriverClassKey;
namespace {

bool HasPrefixNoCase(const std::wstring& path, std::wstring_view prefix) {
    return path.size() >= prefix.size() && EqualsNoCase(std::wstring_view(path).substr(0, prefix.size()), prefix);
}

// Key names with a trailing backslash name the same key.
std::wstring TrimTrailingBackslashes(std::wstring s) {
    while (!s.empty() && s.back() == L'\\') s.pop_back();
    return s;
}

// An open key: owned and closed here, or lent by the thread's RegistryKeyScope.
class OpenedKey {
public:
    OpenedKey() = default;
    explicit OpenedKey(UniqueHKey owned) : owned_(std::move(owned)), key_(owned_.get()) {}
    explicit OpenedKey(HKEY lent) : key_(lent) {}
    HKEY get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }
    bool Lent() const { return key_ && !owned_; }

private:
    UniqueHKey owned_;
    HKEY key_ = nullptr;
};

UniqueHKey OpenHiveKey(HKEY hive, const std::wstring& sub, REGSAM access) {
    UniqueHKey key;
    if (::RegOpenKeyExW(hive, sub.c_str(), 0, access, key.put()) != ERROR_SUCCESS) key.release();
    return key;
}

// The keys the thread's outermost RegistryKeyScope keeps open.
thread_local RegistryKeyScope::KeptKeys* tKeptKeys = nullptr;

// The kept key for `access`, opened by `open` (hive, subkey, access) the first time; null when it
// can't be opened, and then not kept: a key made later is opened when it is next asked for.
template <typename Open>
HKEY KeptKey(std::map<std::pair<HKEY, std::wstring>, UniqueHKey>& kept, HKEY hive, const std::wstring& sub,
             REGSAM access, Open open) {
    std::pair<HKEY, std::wstring> id(hive, ToUpper(sub));
    if (auto found = kept.find(id); found != kept.end()) return found->second.get();
    UniqueHKey key = open(hive, sub, access);
    if (!key) return nullptr;
    HKEY lent = key.get();
    kept.emplace(std::move(id), std::move(key));
    return lent;
}

OpenedKey OpenKey(const std::wstring& path, REGSAM access) {
    std::wstring sub = path;
    HKEY hive = SplitRegPath(sub);
    sub = TrimTrailingBackslashes(std::move(sub));
    if (tKeptKeys && (access & ~KEY_READ) == 0)
        if (HKEY kept = KeptKey(tKeptKeys->read, hive, sub, KEY_READ, OpenHiveKey)) return OpenedKey(kept);
    return OpenedKey(OpenHiveKey(hive, sub, access));
}

// A deleted key's kept handle would go on answering for it, and writes through it would be lost:
// deleting forgets the kept keys.
void ForgetKeptKeys() {
    if (!tKeptKeys) return;
    tKeptKeys->read.clear();
    tKeptKeys->written.clear();
}

// The key that no write may create again (SealRegistryKey); empty when none. The worker thread
// writes too.
std::mutex gSealMutex;
std::wstring gSealedKey;

bool IsSealed(const std::wstring& path) {
    std::wstring sealed;
    {
        std::lock_guard<std::mutex> lock(gSealMutex);
        sealed = gSealedKey;
    }
    if (sealed.empty() || !HasPrefixNoCase(path, sealed)) return false;
    return path.size() == sealed.size() || path[sealed.size()] == L'\\';
}

// The refusal a test set (SetRegistryRefusal); the worker thread's calls ask it too.
std::mutex gRefusalMutex;
std::function<bool(RegCall, const std::wstring&, const std::wstring&)> gRefusal;

bool Refused(RegCall call, const std::wstring& path, const std::wstring& name = L"") {
    std::function<bool(RegCall, const std::wstring&, const std::wstring&)> refuse;
    {
        std::lock_guard<std::mutex> lock(gRefusalMutex);
        if (!gRefusal) return false;
        refuse = gRefusal;
    }
    return refuse(call, TrimTrailingBackslashes(path), name);
}

UniqueHKey CreateHiveKey(HKEY hive, const std::wstring& sub, REGSAM access) {
    UniqueHKey key;
    if (::RegCreateKeyExW(hive, sub.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, key.put(),
                          nullptr) != ERROR_SUCCESS)
        key.release();
    return key;
}

OpenedKey CreateKey(const std::wstring& path, REGSAM access) {
    if (IsSealed(path)) {
        ::OutputDebugStringW((L"Kalvenor: no write to the removed key " + path + L"\n").c_str());
        return OpenedKey();
    }
    std::wstring sub = path;
    HKEY hive = SplitRegPath(sub);
    sub = TrimTrailingBackslashes(std::move(sub));
    if (tKeptKeys && access == KEY_SET_VALUE)
        if (HKEY kept = KeptKey(tKeptKeys->written, hive, sub, KEY_SET_VALUE, CreateHiveKey)) return OpenedKey(kept);
    return OpenedKey(CreateHiveKey(hive, sub, access));
}

// Runs `use` (HKEY -> status of its last registry call) on the key that `open` (OpenKey or
// CreateKey) gives for `path`. A kept key that another program deleted, and perhaps made again,
// answers ERROR_KEY_DELETED: then the kept keys are forgotten and `use` runs once more on the key
// opened anew, as it would have been without a scope. ERROR_FILE_NOT_FOUND when it can't be opened.
template <typename Use>
LONG WithKey(OpenedKey (*open)(const std::wstring&, REGSAM), const std::wstring& path, REGSAM access, Use use) {
    OpenedKey key = open(path, access);
    if (!key) return ERROR_FILE_NOT_FOUND;
    LONG rc = use(key.get());
    if (rc != ERROR_KEY_DELETED || !key.Lent()) return rc;
    ForgetKeptKeys();
    key = open(path, access);
    return key ? use(key.get()) : ERROR_FILE_NOT_FOUND;
}

// A raw value: its type and all its bytes.
struct RawValue {
    DWORD type = REG_NONE;
    Bytes data;
    bool operator==(const RawValue&) const = default;
};

// Reads a value of any size; the size is asked again when the value grows in between. `status`
// receives the last call's result.
std::optional<RawValue> QueryRaw(HKEY key, const std::wstring& name, LONG* status = nullptr) {
    LONG rc = ERROR_SUCCESS;
    const auto result = [&](std::optional<RawValue> v) {
        if (status) *status = rc;
        return v;
    };
    RawValue v;
    // Most values fit a small buffer: one request reads them.
    v.data.assign(256, 0);
    DWORD size = static_cast<DWORD>(v.data.size());
    rc = ::RegQueryValueExW(key, name.c_str(), nullptr, &v.type, v.data.data(), &size);
    if (rc == ERROR_SUCCESS && size <= v.data.size()) {
        v.data.resize(size);
        return result(std::move(v));
    }
    if (rc == ERROR_MORE_DATA) rc = ::RegQueryValueExW(key, name.c_str(), nullptr, &v.type, nullptr, &size);
    for (int attempt = 0; rc == ERROR_SUCCESS && attempt < 8; ++attempt) {
        v.data.assign(size, 0);
        DWORD got = size;
        rc = ::RegQueryValueExW(key, name.c_str(), nullptr, &v.type, size ? v.data.data() : nullptr, &got);
        if (rc == ERROR_SUCCESS) {
            v.data.resize(got);
            return result(std::move(v));
        }
        if (rc == ERROR_MORE_DATA) rc = ::RegQueryValueExW(key, name.c_str(), nullptr, &v.type, nullptr, &size);
    }
    if (rc == ERROR_SUCCESS) rc = ERROR_MORE_DATA;  // kept growing
    return result(std::nullopt);
}

// REG_SZ as its text up to the first null character; any other type as its bytes.
RegValue ToRegValue(RawValue&& raw) {
    if (raw.type != REG_SZ) return RegValue(std::move(raw.data));
    const std::size_t chars = raw.data.size() / 2;
    std::wstring text(chars, L'\0');
    for (std::size_t i = 0; i < chars; ++i)
        text[i] = static_cast<wchar_t>(raw.data[2 * i] | (raw.data[2 * i + 1] << 8));
    text.resize(std::wcslen(text.c_str()));
    return RegValue(std::move(text));
}

// Names at index 0, 1, ... until the first failure, with a buffer of the key's longest name.
template <typename EnumFn>
std::vector<std::wstring> EnumNames(const std::wstring& path, REGSAM access, bool values, EnumFn enumAt) {
    std::vector<std::wstring> names;
    if (Refused(values ? RegCall::Read : RegCall::List, path)) return names;
    WithKey(OpenKey, path, access, [&](HKEY key) {
        names.clear();
        DWORD maxSubkey = 0, maxValue = 0;
        LONG rc = ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, &maxSubkey, nullptr, nullptr, &maxValue,
                                     nullptr, nullptr, nullptr);
        if (rc != ERROR_SUCCESS) return rc;
        // Key names are limited to 255 characters, value names to 16383.
        std::vector<wchar_t> buf(std::max<DWORD>(values ? maxValue : maxSubkey, values ? 16383 : 255) + 1);
        for (DWORD i = 0;; ++i) {
            DWORD len = static_cast<DWORD>(buf.size());
            if ((rc = enumAt(key, i, buf.data(), &len)) != ERROR_SUCCESS) return rc;
            names.emplace_back(buf.data(), len);
        }
    });
    return names;
}

struct RawTree {
    std::map<std::wstring, RawValue, CaseInsensitiveLess> values;
    std::map<std::wstring, RawTree, CaseInsensitiveLess> keys;
    bool operator==(const RawTree&) const = default;
};

std::optional<RawTree> ReadTree(const std::wstring& path) {
    if (Refused(RegCall::Read, path) || Refused(RegCall::List, path)) return std::nullopt;
    // A key of its own: the enumerations below may forget the kept keys, and close them.
    std::wstring sub = path;
    const HKEY hive = SplitRegPath(sub);
    const UniqueHKey key = OpenHiveKey(hive, TrimTrailingBackslashes(std::move(sub)), KEY_READ);
    if (!key) return std::nullopt;
    RawTree tree;
    for (const auto& name : RegEnumValues(path)) {
        auto v = QueryRaw(key.get(), name);
        if (!v) return std::nullopt;
        tree.values.emplace(name, std::move(*v));
    }
    for (const auto& sub : RegEnumKeys(path)) {
        auto t = ReadTree(RegJoin(path, sub));
        if (!t) return std::nullopt;
        tree.keys.emplace(sub, std::move(*t));
    }
    return tree;
}

bool WriteTree(const std::wstring& path, const RawTree& tree) {
    for (const auto& [name, v] : tree.values)
        if (Refused(RegCall::Write, path, name)) return false;
    if (Refused(RegCall::Write, path)) return false;
    OpenedKey key = CreateKey(path, KEY_SET_VALUE);
    if (!key) return false;
    for (const auto& [name, v] : tree.values)
        if (::RegSetValueExW(key.get(), name.c_str(), 0, v.type, v.data.empty() ? nullptr : v.data.data(),
                             static_cast<DWORD>(v.data.size())) != ERROR_SUCCESS)
            return false;
    for (const auto& [name, sub] : tree.keys)
        if (!WriteTree(RegJoin(path, name), sub)) return false;
    return true;
}

// Splits "a\b\c" into "a\b" and "c".
std::pair<std::wstring, std::wstring> SplitLast(const std::wstring& path) {
    std::wstring p = TrimTrailingBackslashes(path);
    const auto at = p.rfind(L'\\');
    if (at == std::wstring::npos) return {L"", p};
    return {p.substr(0, at), p.substr(at + 1)};
}

}  // namespace

std::wstring RegJoin(const std::wstring& path, const std::wstring& name) {
    if (name.empty()) return path;
    if (path.empty() || path.back() == L'\\') return path + name;
    return path + L'\\' + name;
}

HKEY SplitRegPath(std::wstring& path) {
    static const struct {
        std::wstring_view prefix;
        HKEY hive;
    } kHives[] = {
        {L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
        {L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {L"HKEY_USERS", HKEY_USERS},
    };
    for (const auto& h : kHives) {
        if (HasPrefixNoCase(path, h.prefix)) {
            // Skip the prefix and the one separator after it.
            path = path.size() > h.prefix.size() + 1 ? path.substr(h.prefix.size() + 1) : std::wstring();
            return h.hive;
        }
    }
    path = gDriverClassKey.empty() ? path : gDriverClassKey + L"\\" + path;
    return HKEY_LOCAL_MACHINE;
}

void SetRegistryRefusal(std::function<bool(RegCall, const std::wstring&, const std::wstring&)> refuse) {
    std::lock_guard<std::mutex> lock(gRefusalMutex);
    gRefusal = std::move(refuse);
}

bool RegKeyExists(const std::wstring& path) {
    // A kept key is asked whether it still stands.
    return WithKey(OpenKey, path, KEY_QUERY_VALUE, [](HKEY key) {
               return ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                         nullptr, nullptr, nullptr);
           }) == ERROR_SUCCESS;
}

std::optional<RegValue> RegRead(const std::wstring& path, const std::wstring& name, const RegDefault& def,
                                bool* isText) {
    std::optional<RawValue> raw;
    if (!Refused(RegCall::Read, path, name))
        WithKey(OpenKey, path, KEY_QUERY_VALUE, [&](HKEY key) {
            LONG rc;
            raw = QueryRaw(key, name, &rc);
            return rc;
        });
    if (raw) {
        if (isText) *isText = raw->type == REG_SZ;
        return ToRegValue(std::move(*raw));
    }
    if (auto* t = std::get_if<std::wstring>(&def)) return RegValue(*t);
    if (auto* b = std::get_if<Bytes>(&def)) return RegValue(*b);
    if (auto* n = std::get_if<std::uint8_t>(&def)) return RegValue(Bytes{*n});
    return std::nullopt;
}

std::optional<std::wstring> RegReadText(const std::wstring& path, const std::wstring& name) {
    auto v = RegRead(path, name);
    if (!v) return std::nullopt;
    if (auto* t = std::get_if<std::wstring>(&*v)) return *t;
    return std::nullopt;
}

std::optional<Bytes> RegReadBytes(const std::wstring& path, const std::wstring& name) {
    auto v = RegRead(path, name);
    if (!v) return std::nullopt;
    if (auto* b = std::get_if<Bytes>(&*v)) return *b;
    return std::nullopt;
}

bool RegWrite(const std::wstring& path, const std::wstring& name, const RegValue& value) {
    if (Refused(RegCall::Write, path, name)) return false;
    return WithKey(CreateKey, path, KEY_SET_VALUE, [&](HKEY key) {
               if (auto* t = std::get_if<std::wstring>(&value))
                   return ::RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(t->c_str()),
                                           static_cast<DWORD>((t->size() + 1) * sizeof(wchar_t)));
               const Bytes& b = std::get<Bytes>(value);
               return ::RegSetValueExW(key, name.c_str(), 0, REG_BINARY, b.empty() ? nullptr : b.data(),
                                       static_cast<DWORD>(b.size()));
           }) == ERROR_SUCCESS;
}

void SealRegistryKey(const std::wstring& path) {
    std::wstring sealed = TrimTrailingBackslashes(path);
    std::lock_guard<std::mutex> lock(gSealMutex);
    gSealedKey = std::move(sealed);
}

std::vector<std::wstring> RegEnumKeys(const std::wstring& path) {
    return EnumNames(path, KEY_READ, false, [](HKEY k, DWORD i, wchar_t* buf, DWORD* len) {
        return ::RegEnumKeyExW(k, i, buf, len, nullptr, nullptr, nullptr, nullptr);
    });
}

std::vector<RegSubkey> RegEnumSubkeys(const std::wstring& path) {
    std::vector<RegSubkey> subkeys;
    if (Refused(RegCall::List, path)) return subkeys;
    WithKey(OpenKey, path, KEY_READ, [&](HKEY key) {
        subkeys.clear();
        // Key names are limited to 255 characters.
        wchar_t name[256];
        for (DWORD i = 0;; ++i) {
            DWORD length = 256;
            FILETIME written{};
            if (const LONG rc = ::RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, &written);
                rc != ERROR_SUCCESS)
                return rc;
            subkeys.push_back({std::wstring(name, length),
                               (static_cast<std::uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime});
        }
    });
    return subkeys;
}

std::vector<std::wstring> RegEnumValues(const std::wstring& path) {
    return EnumNames(path, KEY_QUERY_VALUE, true, [](HKEY k, DWORD i, wchar_t* buf, DWORD* len) {
        return ::RegEnumValueW(k, i, buf, len, nullptr, nullptr, nullptr, nullptr);
    });
}

std::vector<std::pair<std::wstring, RegValue>> RegReadValues(const std::wstring& path, bool* whole) {
    std::vector<std::pair<std::wstring, RegValue>> values;
    if (Refused(RegCall::Read, path)) {
        if (whole) *whole = false;
        return values;
    }
    const LONG status = WithKey(OpenKey, path, KEY_QUERY_VALUE, [&](HKEY key) {
        values.clear();
        DWORD maxName = 0, maxData = 0;
        const LONG info = ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                             &maxName, &maxData, nullptr, nullptr);
        if (info != ERROR_SUCCESS) return info;
        // Value names are limited to 16383 characters.
        std::vector<wchar_t> name(std::max<DWORD>(maxName, 16383) + 1);
        // Never a null buffer: with one, a value's size would come back without its bytes.
        Bytes data(std::max<DWORD>(maxData, 1));
        // A value that grows between the calls is asked for again with room for its new size.
        for (DWORD i = 0, retries = 0;;) {
            DWORD nameLength = static_cast<DWORD>(name.size()), size = static_cast<DWORD>(data.size());
            RawValue raw;
            const LONG rc = ::RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &raw.type, data.data(), &size);
            if (rc == ERROR_MORE_DATA && ++retries < 8) {
                data.resize(std::max<std::size_t>(size, 2 * data.size() + 64));
                continue;
            }
            if (rc != ERROR_SUCCESS) return rc;
            if (size > data.size()) return static_cast<LONG>(ERROR_MORE_DATA);
            raw.data.assign(data.begin(), data.begin() + size);
            values.emplace_back(std::wstring(name.data(), nameLength), ToRegValue(std::move(raw)));
            ++i;
            retries = 0;
        }
    });
    if (whole) *whole = status == ERROR_NO_MORE_ITEMS;
    return values;
}

bool RegDeleteValue(const std::wstring& path, const std::wstring& name) {
    if (Refused(RegCall::Delete, path, name)) return false;
    OpenedKey key = OpenKey(path, KEY_SET_VALUE);
    return key && ::RegDeleteValueW(key.get(), name.c_str()) == ERROR_SUCCESS;
}

bool RegDeleteKey(const std::wstring& parent, const std::wstring& name) {
    std::wstring p = parent, n = name;
    if (n.empty()) {
        // The key itself: delete it from its parent. A hive's root can't be deleted.
        std::tie(p, n) = SplitLast(parent);
        if (p.empty() && (EqualsNoCase(n, L"HKEY_CURRENT_USER") || EqualsNoCase(n, L"HKEY_LOCAL_MACHINE") ||
                          EqualsNoCase(n, L"HKEY_USERS")))
            return false;
    }
    if (n.empty() || Refused(RegCall::Delete, p, n)) return false;
    ForgetKeptKeys();
    OpenedKey key = OpenKey(p, KEY_ALL_ACCESS);
    return key && ::RegDeleteKeyW(key.get(), n.c_str()) == ERROR_SUCCESS;
}

bool RegDeleteTree(const std::wstring& parent, const std::wstring& name) {
    const std::wstring path = RegJoin(parent, name);
    for (const auto& sub : RegEnumKeys(path)) RegDeleteTree(path, sub);
    return RegDeleteKey(parent, name);
}

bool MoveRegistryTree(const std::wstring& source, const std::wstring& destination) {
    if (!RegKeyExists(source) || RegKeyExists(destination)) return false;
    auto tree = ReadTree(source);
    if (!tree) return false;
    const bool copied = WriteTree(destination, *tree);
    auto back = copied ? ReadTree(destination) : std::nullopt;
    if (!back || !(*back == *tree)) {
        RegDeleteTree(destination, L"");
        return false;
    }
    return RegDeleteTree(source, L"");
}

// ---- Changes that stand or fall together ----

namespace {

bool SetRaw(HKEY key, const std::wstring& name, const RawValue& v) {
    return ::RegSetValueExW(key, name.c_str(), 0, v.type, v.data.empty() ? nullptr : v.data.data(),
                            static_cast<DWORD>(v.data.size())) == ERROR_SUCCESS;
}

// Makes the key at `path` hold what `tree` holds (no key at all when null), changing only what
// differs from it now.
bool PutBack(const std::wstring& path, const RawTree* tree) {
    const bool exists = RegKeyExists(path);
    if (!tree) return !exists || RegDeleteTree(path, L"");
    if (!exists) return WriteTree(path, *tree);
    const auto now = ReadTree(path);
    if (!now) return false;
    bool whole = true;
    std::vector<std::pair<std::wstring, const RawValue*>> set;
    std::vector<std::wstring> gone;
    for (const auto& [name, v] : tree->values)
        if (const auto it = now->values.find(name); it == now->values.end() || !(it->second == v))
            set.emplace_back(name, &v);
    for (const auto& [name, v] : now->values)
        if (!tree->values.count(name)) gone.push_back(name);
    if (!set.empty() || !gone.empty()) {
        OpenedKey key = OpenKey(path, KEY_SET_VALUE);
        for (const auto& [name, v] : set) whole = key && SetRaw(key.get(), name, *v) && whole;
        for (const auto& name : gone) whole = key && ::RegDeleteValueW(key.get(), name.c_str()) == ERROR_SUCCESS && whole;
    }
    for (const auto& [name, sub] : now->keys)
        if (!tree->keys.count(name)) whole = RegDeleteTree(path, name) && whole;
    for (const auto& [name, sub] : tree->keys) whole = PutBack(RegJoin(path, name), &sub) && whole;
    return whole;
}

}  // namespace

struct RegistryChange::Before {
    std::wstring path;
    std::optional<RawTree> tree;  // none: the key didn't exist
    std::wstring renamedTo;       // a rename of `path`: its new name, and no tree
    // One value of `path` alone (WriteValue): as it was, none when it didn't exist.
    std::optional<std::wstring> valueName;
    std::optional<RawValue> value;
};

namespace {
bool gRenamingDisabled = false;

// The key at `path` renamed to `newName` under the same parent.
bool RenameKey(const std::wstring& path, const std::wstring& newName) {
    const auto rename = dyn::RegRenameKey();
    if (!rename || gRenamingDisabled) return false;
    const auto [parent, leaf] = SplitLast(TrimTrailingBackslashes(path));
    if (parent.empty() || leaf.empty() || newName.empty() || Refused(RegCall::Rename, path, newName)) return false;
    ForgetKeptKeys();
    OpenedKey key = OpenKey(parent, KEY_ALL_ACCESS);
    return key && rename(key.get(), leaf.c_str(), newName.c_str()) == ERROR_SUCCESS;
}
}  // namespace

bool RegCanRenameKeys() { return dyn::RegRenameKey() && !gRenamingDisabled; }
void DisableKeyRenaming(bool disabled) { gRenamingDisabled = disabled; }

RegistryChange::RegistryChange() = default;
RegistryChange::~RegistryChange() = default;

// A key that exists but can't be read whole is not changed: it couldn't be put back.
bool RegistryChange::Remember(const std::wstring& path) {
    const std::wstring trimmed = TrimTrailingBackslashes(path);
    for (const auto& b : before_)
        if (b->renamedTo.empty() && EqualsNoCase(b->path, trimmed)) return true;
    auto before = std::make_unique<Before>();
    before->path = trimmed;
    if (RegKeyExists(trimmed)) {
        before->tree = ReadTree(trimmed);
        if (!before->tree) return false;
    }
    before_.push_back(std::move(before));
    return true;
}

bool RegistryChange::Replace(const std::wstring& path, const std::vector<std::pair<std::wstring, RegValue>>& values) {
    if (!Remember(path) || !CreateKey(path, KEY_SET_VALUE)) return false;
    std::set<std::wstring, CaseInsensitiveLess> written;
    for (const auto& [name, value] : values) {
        if (!RegWrite(path, name, value)) return false;
        written.insert(name);
    }
    for (const std::wstring& name : RegEnumValues(path))
        if (!written.count(name) && !DeleteValue(path, name)) return false;
    for (const std::wstring& sub : RegEnumKeys(path))
        if (!DeleteTree(RegJoin(path, sub))) return false;
    return true;
}

bool RegistryChange::WriteValue(const std::wstring& path, const std::wstring& name, const RegValue& value) {
    auto before = std::make_unique<Before>();
    before->path = TrimTrailingBackslashes(path);
    before->valueName = name;
    {
        OpenedKey key = OpenKey(path, KEY_QUERY_VALUE);
        LONG rc = ERROR_FILE_NOT_FOUND;
        if (key) before->value = QueryRaw(key.get(), name, &rc);
        // A value that can't be read could not be put back.
        if (key && !before->value && rc != ERROR_FILE_NOT_FOUND) return false;
    }
    // A write refused changed nothing: there is nothing to undo.
    if (!RegWrite(path, name, value)) return false;
    before_.push_back(std::move(before));
    return true;
}

bool RegistryChange::DeleteValue(const std::wstring& path, const std::wstring& name) {
    if (!Remember(path)) return false;
    OpenedKey key = OpenKey(path, KEY_SET_VALUE);
    if (!key) return !RegKeyExists(path);
    const LONG rc = ::RegDeleteValueW(key.get(), name.c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

bool RegistryChange::DeleteTree(const std::wstring& path) {
    if (!RegKeyExists(path)) return true;
    return Remember(path) && RegDeleteTree(path, L"") && !RegKeyExists(path);
}

bool RegistryChange::Rename(const std::wstring& path, const std::wstring& newName) {
    if (!RenameKey(path, newName)) return false;
    auto before = std::make_unique<Before>();
    before->path = TrimTrailingBackslashes(path);
    before->renamedTo = newName;
    before_.push_back(std::move(before));
    return true;
}

bool RegistryChange::Undo() {
    bool whole = true;
    for (auto it = before_.rbegin(); it != before_.rend(); ++it) {
        const Before& b = **it;
        if (!b.renamedTo.empty()) {
            whole = RenameKey(RegJoin(SplitLast(b.path).first, b.renamedTo), SplitLast(b.path).second) && whole;
        } else if (b.valueName) {
            std::optional<RawValue> now;
            if (OpenedKey read = OpenKey(b.path, KEY_QUERY_VALUE)) now = QueryRaw(read.get(), *b.valueName);
            if (now == b.value) continue;
            if (b.value) {
                OpenedKey key = CreateKey(b.path, KEY_SET_VALUE);
                whole = key && !Refused(RegCall::Write, b.path, *b.valueName) && SetRaw(key.get(), *b.valueName, *b.value) && whole;
            } else {
                const bool gone = RegDeleteValue(b.path, *b.valueName) || !RegRead(b.path, *b.valueName);
                whole = gone && whole;
            }
        } else if (b.tree)
            whole = PutBack(b.path, &*b.tree) && whole;
    }
    // A key the change made may hold the only copy of what a key not put back held: it goes only
    // once every other key stands as it was.
    if (whole)
        for (auto it = before_.rbegin(); it != before_.rend(); ++it)
            if ((*it)->renamedTo.empty() && !(*it)->valueName && !(*it)->tree) whole = PutBack((*it)->path, nullptr) && whole;
    before_.clear();
    return whole;
}

RegistryKeyScope::RegistryKeyScope() : outermost_(tKeptKeys == nullptr) {
    if (outermost_) tKeptKeys = &keys_;
}

RegistryKeyScope::~RegistryKeyScope() {
    if (outermost_) tKeptKeys = nullptr;
}

}  // namespace kal
