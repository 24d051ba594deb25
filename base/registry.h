// Registry access layer. Every location is one text path beginning with the hive's name
// ("HKEY_CURRENT_USER\...", "HKEY_LOCAL_MACHINE\...", "HKEY_USERS\..."); a path without a hive
// names a key under the card driver's class key in the machine hive. Each call opens and
// closes its own key, except for reads inside a RegistryKeyScope; nothing here throws for a
// registry failure.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "base/hextext.h"
#include "base/raii.h"

namespace kal {

// The card driver's class key relative to the machine hive ("" until the card is found);
// registry paths without a hive resolve under it.
extern std::wstring gDriverClassKey;

// Text for REG_SZ, the raw bytes for any other type.
using RegValue = std::variant<std::wstring, Bytes>;

// What a read falls back to when nothing can be read: text, bytes, or one byte.
using RegDefault = std::variant<std::monostate, std::wstring, Bytes, std::uint8_t>;

// Replaces `path` by its subkey and returns the hive.
HKEY SplitRegPath(std::wstring& path);

bool RegKeyExists(const std::wstring& path);

// nullopt when the key or value can't be read and no default is given. `isText` is set to
// whether the stored value was REG_SZ, and left alone when nothing was read.
std::optional<RegValue> RegRead(const std::wstring& path, const std::wstring& name,
                                const RegDefault& def = {}, bool* isText = nullptr);

// The value as text (REG_SZ) or bytes (any other type), nullopt when it can't be read.
std::optional<std::wstring> RegReadText(const std::wstring& path, const std::wstring& name);
std::optional<Bytes> RegReadBytes(const std::wstring& path, const std::wstring& name);

// Writes text as REG_SZ and bytes as REG_BINARY, creating missing keys. False when nothing
// was written.
bool RegWrite(const std::wstring& path, const std::wstring& name, const RegValue& value);

std::vector<std::wstring> RegEnumKeys(const std::wstring& path);

// A subkey with the time its key or values were last written (UTC, in 100 ns units since 1601).
struct RegSubkey {
    std::wstring name;
    std::uint64_t lastWritten = 0;
};
// The subkeys as RegEnumKeys lists them, each with its last write time, from the same pass.
std::vector<RegSubkey> RegEnumSubkeys(const std::wstring& path);
// The unnamed default value is listed as an empty name.
std::vector<std::wstring> RegEnumValues(const std::wstring& path);

// Every value of the key with its name, read in one pass over the key (read as RegRead reads
// one); empty when the key can't be opened. `whole` is set to whether every value was read (false
// for a key that can't be opened or read to its end).
std::vector<std::pair<std::wstring, RegValue>> RegReadValues(const std::wstring& path, bool* whole = nullptr);

bool RegDeleteValue(const std::wstring& path, const std::wstring& name);
// An empty subkey name deletes the key named by the parent path itself. A key that still
// has subkeys is refused.
bool RegDeleteKey(const std::wstring& parent, const std::wstring& name);
// Deletes parent\name with everything below it.
bool RegDeleteTree(const std::wstring& parent, const std::wstring& name);

// Moves a whole tree (values with their types and bytes, empty keys too) to a destination
// that does not exist yet. The source is deleted only after the copy has been read back and
// matches; on any failure the partial copy is removed and the source stays. True when moved.
bool MoveRegistryTree(const std::wstring& source, const std::wstring& destination);

// Whether the system renames keys in place (not Windows XP). Off for the whole process after
// DisableKeyRenaming(true), which lets tests take the Windows XP path on a later system.
bool RegCanRenameKeys();
void DisableKeyRenaming(bool disabled);

// Changes to a few keys that stand or fall together. Each key is read whole (its values with
// their types and bytes, its subkeys) before its first change here; Undo puts every key changed
// since back as it was read, touching only what differs, and removes a key that didn't exist
// (kept when another key could not be put back: it may hold the only copy of its values).
class RegistryChange {
public:
    RegistryChange();
    ~RegistryChange();
    RegistryChange(const RegistryChange&) = delete;
    RegistryChange& operator=(const RegistryChange&) = delete;

    // The key holds exactly `values` afterwards: made when missing, written in place, then its
    // other values and its subkeys removed. False when a write or removal was refused.
    bool Replace(const std::wstring& path, const std::vector<std::pair<std::wstring, RegValue>>& values);
    // One value written; the undo puts back that value alone (or removes it).
    bool WriteValue(const std::wstring& path, const std::wstring& name, const RegValue& value);
    // A value or a key already gone counts as removed.
    bool DeleteValue(const std::wstring& path, const std::wstring& name);
    bool DeleteTree(const std::wstring& path);
    // Gives the key at `path` the name `newName` (its parent stays), in one step of the registry's
    // own: a name that differs only in letter case too. False when refused, or when the system
    // can't rename keys (RegCanRenameKeys); nothing changed then.
    bool Rename(const std::wstring& path, const std::wstring& newName);
    // False when a key could not be put back whole.
    bool Undo();

private:
    struct Before;
    bool Remember(const std::wstring& path);
    std::vector<std::unique_ptr<Before>> before_;
};

// From now on refuses every write that would create or change the key `path` or a key below
// it (the writes above then return false): settings removed for good stay removed while the
// program closes. An empty path lifts the refusal.
void SealRegistryKey(const std::wstring& path);

// While one lives, the reads and value writes of its thread keep each key they open open, and
// later ones of the same key use it: a run of reads and writes of a few keys (a profile switch)
// costs one open per key. Values written meanwhile read as written; deleting a key through this
// unit forgets the kept keys, and so does a call that finds its kept key deleted by another
// program, which then runs once more on the key opened anew. Scopes nest; the outermost keeps
// the keys.
class RegistryKeyScope {
public:
    RegistryKeyScope();
    ~RegistryKeyScope();
    RegistryKeyScope(const RegistryKeyScope&) = delete;
    RegistryKeyScope& operator=(const RegistryKeyScope&) = delete;

    // By hive and upper-case subkey: opened for reading, and made or opened for writing values.
    struct KeptKeys {
        std::map<std::pair<HKEY, std::wstring>, UniqueHKey> read, written;
    };

private:
    KeptKeys keys_;
    bool outermost_;
};

// The kinds of registry call a refusal can be asked about.
enum class RegCall { Read, List, Write, Delete, Rename };
// Where set, every call of this unit first asks `refuse` (the call's kind, the key's path and the
// value's or subkey's name, "" for none); a call it answers true for fails as the registry's
// refusal would, with nothing changed. Tests set it to have the registry refuse any step; an empty
// function lifts it.
void SetRegistryRefusal(std::function<bool(RegCall, const std::wstring&, const std::wstring&)> refuse);

// path + "\" + name, or path alone when name is empty.
std::wstring RegJoin(const std::wstring& path, const std::wstring& name);

}  // namespace kal
