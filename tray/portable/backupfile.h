// The settings backup file without Windows API: the in-memory copy of a registry key tree, the
// file's text (single-byte Windows-1252, other characters as numeric references) and the strict
// reader that turns a file back into a tree and checks everything before any registry write.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/hextext.h"

namespace kal {

// Registry value types as the file names them: 1 text, 3 binary.
inline constexpr std::uint32_t kRegTypeText = 1;
inline constexpr std::uint32_t kRegTypeBinary = 3;

// Where the file's header says its schema lies. The reader never looks there: the schema is
// part of the program.
inline constexpr char kBackupSchemaLocation[] = "https://kalvenor.invalid/Backup/KalvenorBackup.xsd";

// Limits of registry names, and of key nesting in a file.
inline constexpr std::size_t kMaxKeyNameChars = 255;
inline constexpr std::size_t kMaxValueNameChars = 16383;
inline constexpr int kMaxKeyDepth = 256;

// One value with its registry type and raw data (text: UTF-16LE with its terminating NUL).
struct BackupValue {
    std::wstring name;
    std::uint32_t type = kRegTypeBinary;
    Bytes data;
};

// A key: its own name ("" for the settings key itself), its values, its subkeys.
struct BackupKey {
    std::wstring name;
    std::vector<BackupValue> values;
    std::vector<BackupKey> keys;
};

// The text of a text value's data, up to its first NUL.
std::wstring DataText(const Bytes& data);
// Text as a text value's data: UTF-16LE and a terminating NUL.
Bytes TextData(const std::wstring& text);

// Same names (any letter case), types and data, in any order.
bool SameTree(const BackupKey& a, const BackupKey& b);

// The whole backup file, or the reason it can't be written (a name or text holding a character
// that XML cannot carry, such as a control character other than tab, line feed and carriage
// return, or half of a surrogate pair).
struct BackupWriteResult {
    std::string bytes;
    std::wstring problem;  // "" when written
};
BackupWriteResult BuildBackupFile(const BackupKey& root);

// Text as XML character data in Windows-1252: "&", "<", ">" and carriage return as references,
// characters outside the code page as numeric references. False when a character can't be
// carried.
bool AppendXmlText(std::string& out, std::wstring_view text);

// Why a file was refused, and where (1-based line and character position; 0 when unknown).
struct BackupReadError {
    std::wstring reason;
    int line = 0;
    int position = 0;
};

// Reads a whole backup file: the XML (Windows-1252 or UTF-8, no document type declaration, no
// entities but the predefined ones), its structure, every hex text, type and name. Either the
// complete tree or the first problem found.
std::variant<BackupKey, BackupReadError> ReadBackupFile(std::string_view bytes);

}  // namespace kal
