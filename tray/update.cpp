#include "tray/update.h"

#include <wincrypt.h>
#include <wininet.h>

#include <algorithm>
#include <vector>

#include "resources/version.h"
#include "startup/globals.h"
#include "base/dyncalls.h"
#include "base/log.h"
#include "startup/privileges.h"
#include "base/registry.h"
#include "startup/settings.h"
#include "startup/utility.h"
#include "toolkit/forms.h"
#include "tray/host.h"

namespace kal {

std::uint32_t gDownloadedBytes = 0;

namespace {

// The internet library is loaded by the first download, not at every start.
struct Net {
    decltype(dyn::InternetOpenW()) open = dyn::InternetOpenW();
    decltype(dyn::InternetOpenUrlW()) openUrl = dyn::InternetOpenUrlW();
    decltype(dyn::HttpQueryInfoW()) queryInfo = dyn::HttpQueryInfoW();
    decltype(dyn::InternetReadFile()) read = dyn::InternetReadFile();
    decltype(dyn::InternetCloseHandle()) close = dyn::InternetCloseHandle();
    decltype(dyn::InternetCheckConnectionA()) check = dyn::InternetCheckConnectionA();
    bool Ready() const { return open && openUrl && queryInfo && read && close && check; }
};
const Net& Wininet() {
    static const Net net;
    return net;
}

// The one internet session, kept across a series of downloads when asked.
HINTERNET gInternetSession = nullptr;

void CloseSession() {
    if (gInternetSession) Wininet().close(gInternetSession);
    gInternetSession = nullptr;
}

class InternetHandle {
public:
    explicit InternetHandle(HINTERNET h) : h_(h) {}
    ~InternetHandle() {
        if (h_) Wininet().close(h_);
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    HINTERNET get() const { return h_; }

private:
    HINTERNET h_;
};

class CryptProvider {
public:
    CryptProvider() {
        if (!::CryptAcquireContextW(&h_, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) h_ = 0;
    }
    ~CryptProvider() {
        if (h_) ::CryptReleaseContext(h_, 0);
    }
    CryptProvider(const CryptProvider&) = delete;
    CryptProvider& operator=(const CryptProvider&) = delete;
    HCRYPTPROV get() const { return h_; }

private:
    HCRYPTPROV h_ = 0;
};

class Md5 {
public:
    Md5() {
        if (!provider_.get() || !::CryptCreateHash(provider_.get(), CALG_MD5, 0, 0, &h_)) h_ = 0;
    }
    ~Md5() {
        if (h_) ::CryptDestroyHash(h_);
    }
    Md5(const Md5&) = delete;
    Md5& operator=(const Md5&) = delete;
    bool Add(const std::uint8_t* bytes, std::size_t count) {
        while (h_ && count > 0) {
            const DWORD part = count > 0x100000 ? 0x100000 : static_cast<DWORD>(count);
            if (!::CryptHashData(h_, bytes, part, 0)) return false;
            bytes += part;
            count -= part;
        }
        return h_ != 0;
    }
    std::wstring Text() const {
        BYTE digest[16] = {};
        DWORD size = sizeof digest;
        if (!h_ || !::CryptGetHashParam(h_, HP_HASHVAL, digest, &size, 0) || size != sizeof digest) return {};
        return BytesToHex(Bytes(digest, digest + size));
    }

private:
    CryptProvider provider_;
    HCRYPTHASH h_ = 0;
};

std::wstring AnsiText(const std::vector<char>& bytes) {
    if (bytes.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
    return text;
}

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

// Keeps a second "Update" from starting while a download runs (the download lets messages in).
bool gUpdateRunning = false;

}  // namespace

UpdateEndpoints& UpdateServer() {
    static UpdateEndpoints server = UpdateEndpointsAt(KALVENOR_UPDATE_SERVER);
    return server;
}

bool IsInternetReachable() {
    const std::wstring probe = UpdateServer().probe;
    if (probe.empty() || UpdateServer().home.empty() || !Wininet().Ready()) return false;
    return Wininet().check(Narrow(probe).c_str(), FLAG_ICC_FORCE_CONNECTION, 0) != FALSE;
}

std::wstring DownloadURL(const std::wstring& address, bool toFile, const std::wstring& filePath, bool keepSession,
                         bool peek) {
    const bool writeFile = toFile && !peek;
    if (writeFile && filePath.empty()) return {};
    if (writeFile) DeleteFileRetry(filePath);
    gDownloadedBytes = 0;
    if (address.empty() || !Wininet().Ready()) return {};

    const Net& net = Wininet();
    if (!gInternetSession)
        gInternetSession = net.open(gUserAgent.c_str(), INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    std::vector<char> body;
    if (gInternetSession) {
        InternetHandle url(net.openUrl(gInternetSession, address.c_str(), nullptr, 0,
                                              INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
        DWORD status = 0, size = sizeof status;
        const bool ok = url.get() && net.queryInfo(url.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER,
                                                       &status, &size, nullptr) && status == HTTP_STATUS_OK;
        HANDLE file = INVALID_HANDLE_VALUE;
        if (ok && writeFile)
            file = ::CreateFileW(filePath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (ok && (!writeFile || file != INVALID_HANDLE_VALUE)) {
            std::vector<char> chunk(peek ? 10 : 1024);
            DWORD want = static_cast<DWORD>(chunk.size());
            for (;;) {
                DWORD got = 0;
                if (!net.read(url.get(), chunk.data(), want, &got) || got == 0) break;
                static constexpr char kHtml[] = "<!DOCTYPE";
                if (got >= sizeof kHtml - 1 && std::equal(kHtml, kHtml + sizeof kHtml - 1, chunk.data())) break;
                if (file != INVALID_HANDLE_VALUE) {
                    DWORD written = 0;
                    ::WriteFile(file, chunk.data(), got, &written, nullptr);
                }
                body.insert(body.end(), chunk.data(), chunk.data() + got);
                gDownloadedBytes += got;
                PumpPendingMessages();
                if (peek) break;
                want = got;
            }
        }
        if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
    }
    if (!keepSession) CloseSession();
    return AnsiText(body);
}

std::wstring GetRedirect(int n) {
    if (!IsInternetReachable()) return {};
    return ListLine(DownloadURL(UpdateServer().home + L"/redirects.dat"), n);
}

bool IsUpdateAvailable() {
    if (!IsInternetReachable()) return false;
    return OffersRevision(DownloadURL(UpdateServer().home + L"/version"), KALVENOR_VERSION_MAJOR,
                          KALVENOR_VERSION_MINOR, KALVENOR_VERSION_REVISION);
}

bool DownloadUpdate() {
    if (gUpdateRunning) return false;
    gUpdateRunning = true;
    struct Done {
        ~Done() { gUpdateRunning = false; }
    } done;

    const UpdateEndpoints server = UpdateServer();
    const std::wstring temp = GetTempFolder();
    const std::wstring programFile = temp + AppExeName() + L".tmp";
    const std::wstring programMD5File = temp + AppExeName() + L".exe.md5";
    // A file matches only a checksum that was fetched: a failed download gives no text and its
    // missing file no digest, and "" must not pass for a match.
    const auto matches = [](const std::wstring& sum, const std::wstring& path) {
        return !sum.empty() && sum == MD5File(path);
    };
    for (;;) {
        SetMouseCursor(SystemCursor::Wait);
        // Each download must bring something; one that failed makes the update corrupt.
        bool fetched = !DownloadURL(server.home + L"/Launcher.exe", true, gLauncherTempPath, true).empty();
        fetched = !DownloadURL(server.home + L"/Bridge.exe", true, gUpdaterTempPath, true).empty() && fetched;
        fetched = !DownloadURL(server.home + L"/download", true, programFile, true).empty() && fetched;
        fetched = !DownloadURL(server.programMD5, true, programMD5File, true).empty() && fetched;
        SetMouseCursor(SystemCursor::Arrow);
        const bool updaterGood = matches(DownloadURL(server.updaterMD5, false, {}, true), gUpdaterTempPath);
        const bool launcherGood = matches(DownloadURL(server.launcherMD5), gLauncherTempPath);
        if (fetched && updaterGood && launcherGood) break;
        if (::MessageBoxW(nullptr, CorruptUpdateText(kAppTitle).c_str(), kAppTitle,
                          MB_YESNO | MB_ICONEXCLAMATION) == IDYES)
            continue;
        for (const auto& file : {gLauncherTempPath, gUpdaterTempPath, programFile, programMD5File})
            DeleteFileRetry(file);
        return false;
    }

    if (ITrayHost* main = TrayHost()) {
        main->RegisterGlobalHotkeys(false);
        main->ShowUpdateMenu();
    }
    if (GetUpdatePending()) return false;
    return PromptUpdate();
}

bool PromptUpdate() {
    if (!IsProcessElevated() &&
        ::MessageBoxW(nullptr, UpdateQuestionText(gIsXP).c_str(), kAppTitle, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    SetUpdatePending();
    // Nothing is pending unless the launcher runs: the program then stays as it is.
    const DWORD error =
        ShellOpen(gLauncherTempPath, GetInteractiveUserSID() + L"|" + AppFolder(), {}, ShellErrorUI::None);
    if (error == 0) return true;
    RemoveUpdatePending();
    LogError(L"update", L"the launcher did not start", error);
    ::MessageBoxW(nullptr, LauncherFailedText(kAppTitle).c_str(), kAppTitle, MB_OK | MB_ICONERROR);
    return false;
}

std::wstring GetVersionString() {
    return VersionString(kAppTitle, KALVENOR_VERSION_MAJOR, KALVENOR_VERSION_MINOR, KALVENOR_VERSION_REVISION);
}

std::wstring MD5File(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    Md5 md5;
    std::vector<std::uint8_t> buffer(65536);
    std::uint64_t total = 0;
    bool ok = true;
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0) break;
        total += got;
        if (!md5.Add(buffer.data(), got)) {
            ok = false;
            break;
        }
    }
    ::CloseHandle(file);
    return ok && total > 0 ? md5.Text() : std::wstring();
}

std::wstring MD5Bytes(const std::uint8_t* bytes, std::size_t count) {
    Md5 md5;
    return md5.Add(bytes, count) ? md5.Text() : std::wstring();
}

}  // namespace kal
