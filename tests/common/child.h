// Runs a program as a child process: waits for it with a timeout, answers the message boxes it
// shows and reports how it ended.
#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kaltest {

// A message box that a child process showed.
struct SeenBox {
    std::wstring caption;
    std::wstring text;
};

struct ChildRun {
    DWORD exitCode = 0xFFFFFFFF;  // also when the process could not be started
    bool finished = false;        // ended by itself within the timeout
    std::vector<SeenBox> boxes;   // each was answered with OK
};

struct ChildOptions {
    DWORD timeoutMs = 30000;
    HANDLE token = nullptr;  // started as that user when set
    DWORD creationFlags = 0;
    bool answerBoxes = true;  // false for a child that answers its own questions
};

// Starts `exe` (a full path, or a file name found on the search path) with `arguments` and waits
// for it; any message box it shows is recorded and closed. A child still running at the timeout
// is ended.
ChildRun RunChild(const std::wstring& exe, const std::wstring& arguments, const ChildOptions& options = {});

// Runs `exe` as this user's limited self (the linked token of the process's own token); nullopt
// when that token can't be made.
std::optional<ChildRun> RunChildLimited(const std::wstring& exe, const std::wstring& arguments,
                                        ChildOptions options = {});

// Runs `body` with the machine's UAC switched on (the EnableLUA policy), then puts the switch
// back as it was; false, and `body` not run, when the policy key can't be opened.
bool WithUacSwitchedOn(const std::function<void()>& body);

// Sets or removes the Windows version that Wine reports to programs of that file name.
void SetWineVersionFor(const std::wstring& exeFileName, const wchar_t* version);

// This test executable's own path.
std::wstring OwnExecutable();

}  // namespace kaltest
