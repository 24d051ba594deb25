// The program's autostart entry: a Run value, or the scheduled task "Kalvenor\Kalvenor".
//
// Modes: 0 the task when the process is elevated, else the user's Run value; 1 the user's Run
// value; 2 the task. On Windows XP every mode is the machine's Run value.
// Entry kinds: 0 any (Run value first), 1 a Run value, 2 a task.
#pragma once
#include <windows.h>
#include <taskschd.h>
#include <wrl/client.h>

#include <string>

namespace kal {

inline constexpr wchar_t kTaskPath[] = L"Kalvenor\\Kalvenor";
inline constexpr int kTaskTemplateId = 999;

// The program file's full path, and its file name (the pattern every search matches).
std::wstring ProgramFilePath();
std::wstring ProgramFilePattern();

void EnableAutostart(int mode);
// Removes every entry of the program of the given kind (0: Run values and tasks).
void DisableAutostart(int mode);
// Finds the entry (of kind `mode`) and re-registers it when it points at another folder.
// True when an entry for the present folder stands; `kindFound` receives the kind found.
bool RefreshAutostart(int mode, int* kindFound = nullptr);

// The start-up's refresh: the entry refreshed, and created on a first run (`hasSettings` false)
// when there is none. Asking the Task Scheduler takes a while, so it runs on the worker thread
// (base/worker.h) beside the start-up work that has no effects; FinishStartupAutostart waits
// for it and is called before the start-up's next effect (and before the process ends).
void StartStartupAutostart(bool hasSettings);
void FinishStartupAutostart();

// The Run value's name or the task's path of the program's entry; "" when none. `command`
// receives the entry's command without quotes; `kind` narrows the search and receives what was
// found.
std::wstring FindAutostartEntry(std::wstring& command, int& kind);
std::wstring FindRunValue(std::wstring& command);
// Depth-first search of a task folder for a task whose executable action starts `fileText`;
// on success `fileText` receives the action's full path.
std::wstring FindTaskForExe(ITaskFolder* folder, std::wstring& fileText);
Microsoft::WRL::ComPtr<ITaskFolder> GetTaskSchedulerRoot();

// Deletes the task at `taskPath` and its folder when no task is left in it.
void RemoveTask(const std::wstring& taskPath);

// The task template resource as text, and the definition built from it.
std::wstring LoadTaskTemplate();
std::wstring BuildTaskDefinition();

}  // namespace kal
