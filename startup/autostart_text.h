// Text rules of the autostart entry that need no Windows API: the task definition built
// from its template, and how an entry's command is matched against the program file.
#pragma once
#include <string>

namespace kal {

// Escapes the characters that XML text and attribute values may not hold literally.
std::wstring XmlEscape(const std::wstring& text);

struct TaskFields {
    std::wstring date;      // yyyy-mm-ddThh:mm:ss, local time
    std::wstring user;      // DOMAIN\user
    std::wstring runLevel;  // "HighestAvailable"
    std::wstring file;      // the program file path
};

// The template text (byte-order mark and NUL characters removed) with every "~~DATE~~",
// "~~USER~~", "~~RUNLEVEL~~" and "~~FILE~~" replaced by its field, XML-escaped.
std::wstring FillTaskTemplate(std::wstring templateText, const TaskFields& fields);

// The executable that a Run value's or task action's command starts: the text inside the
// first pair of double quotes, or else the text up to the first ".exe" followed by the end or
// a space (the whole text when there is none), trimmed of spaces.
std::wstring CommandExecutable(const std::wstring& command);

// True when the command starts a file whose name (without folder) equals `programFile`
// ("Kalvenor.exe"), without regard to letter case. Another program whose name merely
// contains it ("NotKalvenor.exe") does not match.
bool CommandRunsProgram(const std::wstring& command, const std::wstring& programFile);

// The folder that a matching command's executable lies in: its path without the backslash
// and `programFile`, compared case-sensitively; the whole executable path when its file name
// is spelled differently (so a change of letter case counts as a move).
std::wstring CommandFolder(const std::wstring& command, const std::wstring& programFile);

}  // namespace kal
