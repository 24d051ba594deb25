#include "startup/autostart.h"

#include <cstdio>
#include <future>
#include <optional>
#include <vector>

#include "startup/autostart_text.h"
#include "startup/globals.h"
#include "base/log.h"
#include "startup/privileges.h"
#include "base/registry.h"
#include "startup/utility.h"
#include "base/worker.h"

namespace kal {

using Microsoft::WRL::ComPtr;

namespace {

class Bstr {
public:
    explicit Bstr(const std::wstring& s) : b_(::SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {}
    Bstr() = default;
    ~Bstr() { ::SysFreeString(b_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return b_; }
    BSTR* put() {
        ::SysFreeString(b_);
        b_ = nullptr;
        return &b_;
    }
    std::wstring str() const { return b_ ? std::wstring(b_, ::SysStringLen(b_)) : std::wstring(); }

private:
    BSTR b_ = nullptr;
};

VARIANT Empty() {
    VARIANT v;
    ::VariantInit(&v);
    return v;
}

std::wstring Environment(const wchar_t* name) {
    wchar_t buf[512] = {};
    const DWORD n = ::GetEnvironmentVariableW(name, buf, 512);
    return n > 0 && n < 512 ? std::wstring(buf, n) : std::wstring();
}

std::wstring LocalDateText() {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    wchar_t buf[32];
    std::swprintf(buf, 32, L"%04u-%02u-%02uT%02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    return buf;
}

ComPtr<ITaskService> ConnectedService() {
    ComPtr<ITaskService> service;
    if (FAILED(::CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                                  reinterpret_cast<void**>(service.GetAddressOf()))))
        return nullptr;
    if (FAILED(service->Connect(Empty(), Empty(), Empty(), Empty()))) return nullptr;
    return service;
}

const std::wstring& RunKey() { return gIsXP ? gRunKeyHKLM : gRunKeyUser; }

void RemoveEntry(const std::wstring& name, int kind) {
    if (gIsXP) RegDeleteValue(gRunKeyHKLM, name);
    else if (kind == 1) RegDeleteValue(gRunKeyUser, name);
    else RemoveTask(name);
}

// Whether an executable action of the task runs the program file `fileText` names (which then
// becomes the action's path); nullopt when the task's actions can't be read.
std::optional<bool> TaskRunsProgram(IRegisteredTask* task, std::wstring& fileText) {
    ComPtr<ITaskDefinition> definition;
    ComPtr<IActionCollection> actions;
    LONG count = 0;
    if (FAILED(task->get_Definition(definition.GetAddressOf())) ||
        FAILED(definition->get_Actions(actions.GetAddressOf())) || FAILED(actions->get_Count(&count)))
        return std::nullopt;
    for (LONG a = 1; a <= count; ++a) {
        ComPtr<IAction> action;
        TASK_ACTION_TYPE type{};
        if (FAILED(actions->get_Item(a, action.GetAddressOf())) || FAILED(action->get_Type(&type)))
            return std::nullopt;
        if (type != TASK_ACTION_EXEC) continue;
        ComPtr<IExecAction> exec;
        Bstr path;
        if (FAILED(action.As(&exec)) || FAILED(exec->get_Path(path.put()))) return std::nullopt;
        if (!CommandRunsProgram(path.str(), fileText)) continue;
        fileText = path.str();
        return true;
    }
    return false;
}

// The task at our own path, for a scheduler that can't list its tasks or their actions (Wine
// keeps no actions and counts neither): with its actions readable it is ours when one runs the
// program, as in the walk; without, it is taken for ours, running the program where it is now.
std::wstring FindOwnTask(ITaskFolder* root, std::wstring& fileText) {
    ComPtr<IRegisteredTask> task;
    Bstr taskPath;
    if (FAILED(root->GetTask(Bstr(kTaskPath).get(), task.GetAddressOf())) || !task ||
        FAILED(task->get_Path(taskPath.put())))
        return {};
    const std::optional<bool> runs = TaskRunsProgram(task.Get(), fileText);
    if (runs && !*runs) return {};
    if (!runs) fileText = ProgramFilePath();
    return taskPath.str();
}

}  // namespace

std::wstring ProgramFilePath() { return AppFolder() + L"\\" + AppExeName() + L".exe"; }
std::wstring ProgramFilePattern() { return AppExeName() + L".exe"; }

std::wstring LoadTaskTemplate() {
    const HRSRC res = ::FindResourceW(nullptr, MAKEINTRESOURCEW(kTaskTemplateId), RT_HTML);
    if (!res) return {};
    const HGLOBAL data = ::LoadResource(nullptr, res);
    const DWORD size = ::SizeofResource(nullptr, res);
    const void* bytes = data ? ::LockResource(data) : nullptr;
    if (!bytes) return {};
    return std::wstring(static_cast<const wchar_t*>(bytes), size / sizeof(wchar_t));
}

std::wstring BuildTaskDefinition() {
    TaskFields fields;
    fields.date = LocalDateText();
    fields.user = Environment(L"USERDOMAIN") + L"\\" + Environment(L"USERNAME");
    fields.runLevel = L"HighestAvailable";
    fields.file = ProgramFilePath();
    return FillTaskTemplate(LoadTaskTemplate(), fields);
}

ComPtr<ITaskFolder> GetTaskSchedulerRoot() {
    const ComPtr<ITaskService> service = ConnectedService();
    if (!service) return nullptr;
    ComPtr<ITaskFolder> root;
    if (FAILED(service->GetFolder(Bstr(L"\\").get(), root.GetAddressOf()))) return nullptr;
    return root;
}

void EnableAutostart(int mode) {
    // Quoted, so that a folder with a blank can't make Windows start another program
    // ("C:\Program.exe"); the search reads both forms.
    const std::wstring command = L"\"" + ProgramFilePath() + L"\"";
    if (gIsXP) {
        RegWrite(gRunKeyHKLM, kAppTitle, command);
        return;
    }
    if (mode != 2 && (mode != 0 || !IsProcessElevated())) {
        RegWrite(gRunKeyUser, kAppTitle, command);
        return;
    }
    const std::wstring definition = BuildTaskDefinition();
    const ComPtr<ITaskFolder> root = GetTaskSchedulerRoot();
    if (!root || definition.empty()) return;
    ComPtr<IRegisteredTask> task;
    root->RegisterTask(Bstr(kTaskPath).get(), Bstr(definition).get(), TASK_CREATE_OR_UPDATE, Empty(), Empty(),
                       TASK_LOGON_INTERACTIVE_TOKEN, Empty(), task.GetAddressOf());
}

std::wstring FindRunValue(std::wstring& command) {
    const std::wstring& key = RunKey();
    const std::wstring pattern = ProgramFilePattern();
    for (const auto& name : RegEnumValues(key)) {
        const auto v = RegRead(key, name, std::wstring());
        const auto* text = v ? std::get_if<std::wstring>(&*v) : nullptr;
        if (!text || !CommandRunsProgram(*text, pattern)) continue;
        command = CommandExecutable(*text);
        return name;
    }
    return {};
}

std::wstring FindTaskForExe(ITaskFolder* folder, std::wstring& fileText) {
    if (!folder) return {};
    ComPtr<IRegisteredTaskCollection> tasks;
    if (FAILED(folder->GetTasks(0, tasks.GetAddressOf()))) return {};
    LONG taskCount = 0;
    if (FAILED(tasks->get_Count(&taskCount))) return {};
    for (LONG t = 1; t <= taskCount; ++t) {
        VARIANT index = Empty();
        index.vt = VT_I4;
        index.lVal = t;
        ComPtr<IRegisteredTask> task;
        if (FAILED(tasks->get_Item(index, task.GetAddressOf()))) return {};
        const std::optional<bool> runs = TaskRunsProgram(task.Get(), fileText);
        if (!runs) return {};
        if (!*runs) continue;
        Bstr taskPath;
        if (FAILED(task->get_Path(taskPath.put()))) return {};
        return taskPath.str();
    }
    ComPtr<ITaskFolderCollection> folders;
    LONG folderCount = 0;
    if (FAILED(folder->GetFolders(0, folders.GetAddressOf())) || FAILED(folders->get_Count(&folderCount)))
        return {};
    for (LONG f = 1; f <= folderCount; ++f) {
        VARIANT index = Empty();
        index.vt = VT_I4;
        index.lVal = f;
        ComPtr<ITaskFolder> sub;
        if (FAILED(folders->get_Item(index, sub.GetAddressOf()))) return {};
        std::wstring found = FindTaskForExe(sub.Get(), fileText);
        if (!found.empty()) return found;
    }
    return {};
}

std::wstring FindAutostartEntry(std::wstring& command, int& kind) {
    if (gIsXP) return FindRunValue(command);
    if (kind != 2) {
        std::wstring name = FindRunValue(command);
        if (kind == 1) return name;
        if (!name.empty()) {
            kind = 1;
            return name;
        }
    }
    const ComPtr<ITaskFolder> root = GetTaskSchedulerRoot();
    if (!root) return {};
    std::wstring file = ProgramFilePattern();
    std::wstring path = FindTaskForExe(root.Get(), file);
    if (path.empty()) path = FindOwnTask(root.Get(), file);
    if (path.empty()) return {};
    kind = 2;
    command = CommandExecutable(file);
    return path;
}

void RemoveTask(const std::wstring& taskPath) {
    const ComPtr<ITaskFolder> root = GetTaskSchedulerRoot();
    if (!root) return;
    root->DeleteTask(Bstr(taskPath).get(), 0);
    const auto slash = taskPath.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash == 0) return;  // a task of the root folder
    const std::wstring folderPath = taskPath.substr(0, slash);
    ComPtr<ITaskFolder> folder;
    if (FAILED(root->GetFolder(Bstr(folderPath).get(), folder.GetAddressOf()))) return;
    // A folder that lists tasks stays. When the count can't be read the deletion is tried all
    // the same: the service refuses to delete a folder that still holds tasks.
    ComPtr<IRegisteredTaskCollection> left;
    LONG count = 0;
    if (SUCCEEDED(folder->GetTasks(0, left.GetAddressOf())) && SUCCEEDED(left->get_Count(&count)) && count != 0)
        return;
    root->DeleteFolder(Bstr(folderPath).get(), 0);
}

void DisableAutostart(int mode) {
    // Every entry is removed, not only the first found; an entry that can't be removed is
    // found again, which ends the loop.
    std::wstring previous;
    int previousKind = -1;
    for (int round = 0; round < 64; ++round) {
        std::wstring command;
        int kind = mode;
        const std::wstring name = FindAutostartEntry(command, kind);
        if (name.empty() || (name == previous && kind == previousKind)) return;
        RemoveEntry(name, kind);
        previous = name;
        previousKind = kind;
    }
}

bool RefreshAutostart(int mode, int* kindFound) {
    std::wstring command;
    int kind = mode;
    const std::wstring name = FindAutostartEntry(command, kind);
    if (kindFound) *kindFound = kind;
    if (name.empty()) return false;
    if (CommandFolder(command, ProgramFilePattern()) == AppFolder()) return true;
    DisableAutostart(kind);
    std::wstring again;
    int kindAgain = kind;
    if (!FindAutostartEntry(again, kindAgain).empty()) return true;
    EnableAutostart(0);
    return false;
}

namespace {
std::shared_future<void> gStartupAutostart;
}  // namespace

void StartStartupAutostart(bool hasSettings) {
    auto refresh = [hasSettings] {
        const HRESULT com = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        try {
            const bool hasAutostart = RefreshAutostart(0);
            if (!hasSettings && !hasAutostart) EnableAutostart(0);
        } catch (...) {
            // As every autostart failure: the entry is simply not there.
            LogCaught(L"start-up autostart refresh");
        }
        if (SUCCEEDED(com)) ::CoUninitialize();
    };
    try {
        gStartupAutostart = RunOnWorker(refresh);
    } catch (...) {
        // No worker thread: the refresh runs here, and start-up goes on.
        LogCaught(L"start-up autostart worker");
        gStartupAutostart = {};
        refresh();
    }
}

void FinishStartupAutostart() {
    if (gStartupAutostart.valid()) gStartupAutostart.wait();
}

}  // namespace kal
