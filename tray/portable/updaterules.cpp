#include "tray/portable/updaterules.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace kal {
namespace {

std::vector<std::wstring> Split(const std::wstring& text, const std::wstring& separator) {
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::wstring::npos ? std::wstring::npos : at - start));
        if (at == std::wstring::npos) return parts;
        start = at + separator.size();
    }
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

// A whole decimal number of at most nine digits (blanks and line breaks around it allowed).
std::optional<std::uint32_t> Number(const std::wstring& text) {
    std::size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b])) ++b;
    while (e > b && IsBlank(text[e - 1])) --e;
    if (b == e || e - b > 9) return std::nullopt;
    std::uint32_t value = 0;
    for (std::size_t i = b; i < e; ++i) {
        if (text[i] < L'0' || text[i] > L'9') return std::nullopt;
        value = value * 10 + static_cast<std::uint32_t>(text[i] - L'0');
    }
    return value;
}

}  // namespace

bool OffersRevision(const std::wstring& versionText, unsigned major, unsigned minor, unsigned revision) {
    const auto parts = Split(versionText, L".");
    if (parts.size() != 3) return false;
    const auto a = Number(parts[0]), b = Number(parts[1]), c = Number(parts[2]);
    return a && b && c && *a == major && *b == minor && *c > revision;
}

std::wstring VersionString(const std::wstring& title, unsigned major, unsigned minor, unsigned revision) {
    std::wstring text = title + L" " + std::to_wstring(major) + L"." + std::to_wstring(minor) + L"." +
                        std::to_wstring(revision);
    if (major == 0) text += L" Beta";
    return text;
}

std::wstring ListLine(const std::wstring& list, int n) {
    if (n < 0) return {};
    const auto lines = Split(list, L"\r\n");
    return static_cast<std::size_t>(n) < lines.size() ? lines[static_cast<std::size_t>(n)] : std::wstring();
}

UpdateEndpoints UpdateEndpointsAt(const std::wstring& server) {
    if (server.empty()) return {};
    std::wstring base = server;
    while (!base.empty() && base.back() == L'/') base.pop_back();
    auto link = [&base](const wchar_t* share, const wchar_t* file, const wchar_t* token) {
        return base + L"/s/" + share + L"/" + file + L"?dl=1&token_hash=" + token;
    };
    UpdateEndpoints e;
    e.home = base + L"/kalvenor";
    e.probe = base + L"/";
    e.programMD5 = link(L"k4v7r1p9m2x5q8d", L"Kalvenor.exe.dat", L"Tq3_Zk8mW2pL5vX9cR1nB6hY4dF7gJ0sA3eU8iO2kM5wQ1");
    e.updaterMD5 = link(L"b2n8w4c6z1t7y3h", L"01.dat", L"Hn5_Pw2qE8rT4yU1iO7pA3sD9fG6hJ2kL5zX8cV1bN4mQ7");
    e.launcherMD5 = link(L"f9g3j5l1s7d2a8e", L"02.dat", L"Mw8_Cx4vB1nZ7aS3dF9gH5jK2lQ6wE8rT1yU4iO7pL3kJ9");
    return e;
}

std::wstring CorruptUpdateText(const std::wstring& title) {
    return L"A new version of " + title +
           L" has been released, but some key files appear to be corrupt. Do you want to retry download "
           L"immediately?";
}

std::wstring UpdateQuestionText(bool windowsXP) {
    std::wstring text = L"A new revision of Kalvenor has been released. Do you want to update now?";
    if (!windowsXP) text += L" The updater module will require administrative privileges in order to operate correctly.";
    return text;
}

std::wstring LauncherFailedText(const std::wstring& title) {
    return L"The update launcher couldn't be started, so " + title +
           L" has not been updated.\r\n\r\nYou can retry by using the \"Update\" menu.";
}

bool IsByteFlag(const std::optional<Bytes>& value) { return value && value->size() == 1 && (*value)[0] == 1; }

}  // namespace kal
