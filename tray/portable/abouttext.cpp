#include "tray/portable/abouttext.h"

namespace kal {
namespace {

constexpr std::size_t kPropertyWidth = 27;
constexpr wchar_t kCrLf[] = L"\r\n";

}  // namespace

std::vector<SystemInfoRow> SystemInfoRows(const SystemFacts& facts) {
    return {
        {L"Sound Card Model", facts.cardCaption},
        {L"Xonar Driver Version", facts.driverVersion},
        {L"Xonar Driver Registry Key", facts.driverClassKey},
        {L"Xonar Card Instance ID", facts.cardInstanceId},
        {L"Operating System Version", facts.osCaption + (facts.wow64 ? L" x64" : L" x86")},
        {L"Operating System Locale ID", std::to_wstring(facts.localeId)},
    };
}

std::wstring SystemInfoText(const std::vector<SystemInfoRow>& rows) {
    std::wstring text;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i > 0) text += kCrLf;
        std::wstring property = rows[i].property;
        if (property.size() < kPropertyWidth) property.resize(kPropertyWidth, L' ');
        text += property + L": " + rows[i].value;
    }
    return text;
}

std::wstring EndpointStateName(std::uint32_t state) {
    switch (state) {
    case 1: return L"DEVICE_STATE_ACTIVE";
    case 2: return L"DEVICE_STATE_DISABLED";
    case 4: return L"DEVICE_STATE_NOTPRESENT";
    case 8: return L"DEVICE_STATE_UNPLUGGED";
    default: return L"";
    }
}

std::wstring DiagnosticText(const std::wstring& snapshotTime, const std::wstring& systemInfoText,
                            const std::vector<EndpointReport>& render, const std::vector<EndpointReport>& capture) {
    std::wstring text = L"Kalvenor Diagnostic Info\r\n";
    text += L"Snapshot took at " + snapshotTime + L"\r\n\r\n";
    text += systemInfoText + L"\r\n\r\n\r\n";
    const auto section = [&text](const wchar_t* direction, const std::vector<EndpointReport>& endpoints) {
        text += std::wstring(direction) + L" ENDPOINTS\r\n\r\n";
        for (const EndpointReport& e : endpoints) {
            text += e.id + kCrLf;
            text += e.description + kCrLf;
            text += L"Wave: " + e.wave + kCrLf;
            text += L"Endpoint state: " + EndpointStateName(e.state) + kCrLf;
            text += e.lineReport + L"\r\n\r\n";
        }
        text += kCrLf;
    };
    section(L"RENDER", render);
    section(L"CAPTURE", capture);
    return text;
}

std::wstring RegeditLastKey(const std::wstring& driverClassKey, const std::wstring& settingsKey) {
    return L"Computer\\HKEY_LOCAL_MACHINE\\" + driverClassKey + L"\\" + settingsKey;
}

std::wstring AuthorAddress() {
    // Kept in pieces so that the whole address appears nowhere in the program file.
    const std::wstring user = std::wstring(L"author") + L"." + L"kalvenor";
    const std::wstring domain = std::wstring(L"kalvenor") + L"." + L"invalid";
    return user + L"@" + domain;
}

}  // namespace kal
