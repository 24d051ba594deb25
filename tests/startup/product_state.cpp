#include "tests/startup/product_state.h"

#include "startup/autostart.h"
#include "base/registry.h"
#include "startup/utility.h"
#include "tests/common/window_probes.h"

namespace kaltest {

using namespace kal;

ProductStateLock::ProductStateLock() {
    mutex_ = ::CreateMutexW(nullptr, FALSE, L"KalvenorTests.ProductState");
    if (mutex_) ::WaitForSingleObject(mutex_, 10 * 60 * 1000);
    Clear();
}

ProductStateLock::~ProductStateLock() {
    Clear();
    if (mutex_) {
        ::ReleaseMutex(mutex_);
        ::CloseHandle(mutex_);
    }
}

void ProductStateLock::Clear() {
    RegDeleteTree(kUserSettings, L"");
    RegDeleteTree(kMachineSettings, L"");
    RegDeleteValue(kUserRun, L"Kalvenor");
    RegDeleteValue(kMachineRun, L"Kalvenor");
    RemoveTask(kTaskPath);
}

bool TaskExists(const std::wstring& path) {
    const auto root = GetTaskSchedulerRoot();
    if (!root) return false;
    Microsoft::WRL::ComPtr<IRegisteredTask> task;
    BSTR p = ::SysAllocString(path.c_str());
    const HRESULT hr = root->GetTask(p, task.GetAddressOf());
    ::SysFreeString(p);
    return SUCCEEDED(hr);
}

std::wstring WindowsPathOf(const char* unixPath) { return kal::testing::HostPath(unixPath); }

std::wstring ProgramExe() { return WindowsPathOf(KALVENOR_EXE_PATH); }

std::wstring MakeTempFolder(const std::wstring& name) {
    const std::wstring folder = GetTempFolder() + name;
    RemoveFolder(folder);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void RemoveFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name != L"." && name != L"..") ::DeleteFileW((folder + L"\\" + name).c_str());
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(folder.c_str());
}

std::wstring CopyProgram(const std::wstring& folder, const std::wstring& fileName) {
    const std::wstring copy = folder + L"\\" + fileName;
    ::CopyFileW(ProgramExe().c_str(), copy.c_str(), FALSE);
    return copy;
}

}  // namespace kaltest
