#include "startup/utility.h"

#include <commctrl.h>
#include <shellapi.h>
#include <tlhelp32.h>
#include <winternl.h>
#include <wbemcli.h>
#include <wrl/client.h>

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "base/dyncalls.h"
#include "base/keyed.h"
#include "startup/names.h"
#include "base/raii.h"

namespace kal {

SingleInstanceMutex gMutexHandle;

namespace {

struct BstrOwner {
    BSTR b;
    explicit BstrOwner(const wchar_t* s) : b(::SysAllocString(s)) {}
    ~BstrOwner() { ::SysFreeString(b); }
    BstrOwner(const BstrOwner&) = delete;
    BstrOwner& operator=(const BstrOwner&) = delete;
};

}  // namespace

bool IsWow64() {
    const auto fn = dyn::IsWow64Process();
    BOOL wow = FALSE;
    return fn && fn(::GetCurrentProcess(), &wow) && wow;
}

DWORD SingleInstanceMutex::Create(const wchar_t* name) {
    Release();
    handle_ = ::CreateMutexW(nullptr, TRUE, name);
    return ::GetLastError();
}

void SingleInstanceMutex::Release() {
    if (!handle_) return;
    ::ReleaseMutex(handle_);
    ::CloseHandle(handle_);
    handle_ = nullptr;
}

bool IsAlreadyRunning() {
    const DWORD error = gMutexHandle.Create(kSingleInstanceMutex);
    if (!gMutexHandle) return error == ERROR_ACCESS_DENIED;
    return error == ERROR_ALREADY_EXISTS;
}

void ReleaseSingleInstanceMutex() { gMutexHandle.Release(); }

std::wstring DecimalSeparator() {
    wchar_t buf[8] = {};
    if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buf, 8) == 0 || buf[0] == 0)
        return L".";
    return std::wstring(1, buf[0]);
}

std::wstring NewLiveProfileName() {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    const float seconds = static_cast<float>(t.wHour * 3600 + t.wMinute * 60 + t.wSecond) +
                          static_cast<float>(t.wMilliseconds / 10) / 100.0f;
    return LiveProfileNameFor(seconds, DecimalSeparator());
}

void SetWindowStyleBit(HWND window, bool set, LONG bits) {
    LONG style = ::GetWindowLongW(window, GWL_STYLE);
    style = set ? (style | bits) : (style & ~bits);
    ::SetWindowLongW(window, GWL_STYLE, style);
    ::InvalidateRect(window, nullptr, TRUE);
    ::UpdateWindow(window);
}

void LockRedraw(HWND window, bool lock) {
    ::SendMessageW(window, WM_SETREDRAW, lock ? 0 : 1, 0);
    if (!lock) ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

DWORD ShellOpen(const std::wstring& file, const std::wstring& parameters, const std::wstring& directory,
                ShellErrorUI errors) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // The start is complete on return, also for a caller that ends right after it.
    info.fMask = SEE_MASK_NOASYNC | (errors == ShellErrorUI::None ? SEE_MASK_FLAG_NO_UI : 0);
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.lpParameters = parameters.c_str();
    info.lpDirectory = directory.c_str();
    info.nShow = SW_HIDE;
    if (::ShellExecuteExW(&info)) return 0;
    const DWORD error = ::GetLastError();
    return error ? error : ERROR_GEN_FAILURE;
}

void SetMouseCursor(SystemCursor cursor) {
    ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(static_cast<int>(cursor))));
}

std::wstring GetOSCaption() {
    Microsoft::WRL::ComPtr<IWbemLocator> locator;
    if (FAILED(::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                  reinterpret_cast<void**>(locator.GetAddressOf()))))
        return {};
    Microsoft::WRL::ComPtr<IWbemServices> services;
    BstrOwner ns(L"root\\cimv2");
    if (FAILED(locator->ConnectServer(ns.b, nullptr, nullptr, nullptr, 0, nullptr, nullptr, services.GetAddressOf())))
        return {};
    ::CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                        RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    BstrOwner language(L"WQL");
    BstrOwner query(L"SELECT Caption FROM Win32_OperatingSystem");
    Microsoft::WRL::ComPtr<IEnumWbemClassObject> rows;
    if (FAILED(services->ExecQuery(language.b, query.b, WBEM_FLAG_FORWARD_ONLY, nullptr, rows.GetAddressOf())))
        return {};
    std::wstring caption;
    for (;;) {
        Microsoft::WRL::ComPtr<IWbemClassObject> row;
        ULONG got = 0;
        if (rows->Next(static_cast<LONG>(WBEM_INFINITE), 1, row.GetAddressOf(), &got) != S_OK || got == 0) break;
        VARIANT v;
        ::VariantInit(&v);
        if (SUCCEEDED(row->Get(L"Caption", 0, &v, nullptr, nullptr)) && v.vt == VT_BSTR && v.bstrVal)
            caption = v.bstrVal;
        ::VariantClear(&v);
    }
    return caption;
}

bool SelectComboItemData(HWND combo, LPARAM value) {
    const LRESULT count = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
    LRESULT chosen = -1;
    for (LRESULT i = 0; i < count; ++i) {
        if (::SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == value) {
            chosen = i;
            break;
        }
    }
    const bool found = chosen >= 0;
    if (!found && count > 0) chosen = 0;
    if (chosen < 0) return false;
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
    // A selection made in code runs the same handler as the user's own.
    const HWND owner = ::GetParent(combo);
    if (owner) {
        const int id = ::GetDlgCtrlID(combo);
        ::SendMessageW(owner, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    }
    return found;
}

std::wstring GetTempFolder() {
    wchar_t buf[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, buf);
    std::wstring folder(buf);
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    return folder;
}

void DeleteFileRetry(const std::wstring& path) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return;
        if (::DeleteFileW(path.c_str())) return;
        ::Sleep(100);
        PumpPendingMessages();
    }
}

void PumpPendingMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

namespace {

// The same ids from the system's process list, which a snapshot is made from, in its order:
// one request, where reading a snapshot's entries asks the system again for every one (about
// 5 ms of the start-up's way to the tray icon under Wine). nullopt when the list can't be had.
std::optional<std::vector<DWORD>> ListedProcessIdsNamed(const std::wstring& exeName) {
    constexpr int kSystemProcessInformation = 5;
    constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
    const auto query = dyn::NtQuerySystemInformation();
    if (!query) return std::nullopt;
    std::vector<ULONGLONG> buffer(8 * 1024);  // 64 kB, aligned for the records
    for (int attempt = 0; attempt < 8; ++attempt) {
        const ULONG size = static_cast<ULONG>(buffer.size() * sizeof(ULONGLONG));
        ULONG returned = 0;
        const LONG status = query(kSystemProcessInformation, buffer.data(), size, &returned);
        if (status == kInfoLengthMismatch) {
            // Processes may start meanwhile: room for more than asked.
            buffer.resize(std::max<std::size_t>(buffer.size() * 2, returned / sizeof(ULONGLONG) + 1024));
            continue;
        }
        if (status < 0) return std::nullopt;
        std::vector<DWORD> ids;
        const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
        const std::size_t end = std::min<std::size_t>(returned ? returned : size, size);
        for (std::size_t at = 0; at + sizeof(SYSTEM_PROCESS_INFORMATION) <= end;) {
            const auto* process = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(bytes + at);
            const std::wstring_view name = process->ImageName.Buffer
                                               ? std::wstring_view(process->ImageName.Buffer,
                                                                   process->ImageName.Length / sizeof(wchar_t))
                                               : std::wstring_view();
            if (EqualsNoCase(name, exeName))
                ids.push_back(static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(process->UniqueProcessId)));
            if (process->NextEntryOffset == 0) break;
            at += process->NextEntryOffset;
        }
        return ids;
    }
    return std::nullopt;
}

// Ids of the processes with that file name, in the snapshot's order.
std::vector<DWORD> ProcessIdsNamed(const std::wstring& exeName) {
    if (std::optional<std::vector<DWORD>> listed = ListedProcessIdsNamed(exeName)) return *listed;
    std::vector<DWORD> ids;
    UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (snapshot.get() == INVALID_HANDLE_VALUE) {
        snapshot.release();
        return ids;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = ::Process32FirstW(snapshot.get(), &entry); ok; ok = ::Process32NextW(snapshot.get(), &entry)) {
        // The program's own case fold: the system's linguistic comparison would first load its
        // sorting tables, a few milliseconds on the start-up's way to the tray icon.
        if (EqualsNoCase(entry.szExeFile, exeName))
            ids.push_back(entry.th32ProcessID);
    }
    return ids;
}

}  // namespace

DWORD FindProcessId(const std::wstring& exeName) {
    const auto ids = ProcessIdsNamed(exeName);
    return ids.empty() ? 0 : ids.front();
}

DWORD FindProcessIdPreferringSession(const std::wstring& exeName) {
    const auto ids = ProcessIdsNamed(exeName);
    DWORD ownSession = 0;
    if (::ProcessIdToSessionId(::GetCurrentProcessId(), &ownSession)) {
        for (const DWORD id : ids) {
            DWORD session = 0;
            if (::ProcessIdToSessionId(id, &session) && session == ownSession) return id;
        }
    }
    return ids.empty() ? 0 : ids.front();
}

bool InitCommonControlsXP() {
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof icc;
    icc.dwICC = 0xFFF;
    return ::InitCommonControlsEx(&icc) != FALSE;
}

void EnsureCommonControls() {
    static const bool initialised = InitCommonControlsXP();
    (void)initialised;
}

}  // namespace kal
