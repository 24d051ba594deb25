// Backup of the whole settings key to one file, and its restore. A restore checks the whole file
// (the program's own schema through MSXML 6, then every name, type and hex text in memory) before
// it asks the user and touches the registry; a failed write puts the previous key back.
#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "tray/portable/backupfile.h"

namespace kal {

inline constexpr wchar_t kBackupTitle[] = L"Backup Kalvenor Settings";
inline constexpr wchar_t kRestoreTitle[] = L"Restore Kalvenor Settings";
inline constexpr wchar_t kRestoreAborted[] = L"Restore operation aborted.";

// The system's description of an error code, without the line break at its end.
std::wstring SystemErrorText(DWORD code);
// "Couldn't write to file", the quoted path, ": " and the description.
std::wstring WriteErrorText(const std::wstring& file, const std::wstring& description);

// The key tree at `path` (text and binary values); nullopt when the key is missing or a part of
// it can't be read.
std::optional<BackupKey> ReadRegistryTree(const std::wstring& path);
// Creates the key and writes the tree into it; false at the first failure.
bool WriteRegistryTree(const std::wstring& path, const BackupKey& tree);

// Writes the settings key to `file`, whole or not at all (a temporary file beside it replaces
// it). "" when written, else the text of the error box.
std::wstring WriteBackupFile(const std::wstring& file);

enum class RestoreResult { Restored, Refused, Declined, NoComponent, Failed };
struct RestoreOutcome {
    RestoreResult result = RestoreResult::Failed;
    std::wstring message;  // the box's text: an error, or what a restore left out; "" for none
};
// Restores the settings key from a backup file's bytes. `confirm` is asked only for a file that
// passed every check; the key is replaced only after it answers true.
RestoreOutcome RestoreSettingsFrom(std::string_view bytes, const std::function<bool()>& confirm);

// Called with each key's path just before a restore writes it. For tests that make a write fail.
void SetRestoreWriteObserver(std::function<void(const std::wstring&)> observer);

// The buttons of the options window: file dialog, messages. RestoreSettings returns true when the
// settings were replaced; the caller refreshes the program and reports the success.
void BackupSettings(HWND owner);
bool RestoreSettings(HWND owner);

}  // namespace kal
