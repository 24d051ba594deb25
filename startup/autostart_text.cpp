#include "startup/autostart_text.h"

#include "base/keyed.h"
#include "startup/tables.h"

namespace kal {

std::wstring XmlEscape(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (const wchar_t c : text) {
        switch (c) {
            case L'&': out += L"&amp;"; break;
            case L'<': out += L"&lt;"; break;
            case L'>': out += L"&gt;"; break;
            case L'"': out += L"&quot;"; break;
            case L'\'': out += L"&apos;"; break;
            default: out += c;
        }
    }
    return out;
}

std::wstring FillTaskTemplate(std::wstring text, const TaskFields& fields) {
    if (!text.empty() && text.front() == 0xFEFF) text.erase(0, 1);
    std::erase(text, L'\0');
    text = ReplaceAll(text, L"~~DATE~~", XmlEscape(fields.date));
    text = ReplaceAll(text, L"~~USER~~", XmlEscape(fields.user));
    text = ReplaceAll(text, L"~~RUNLEVEL~~", XmlEscape(fields.runLevel));
    text = ReplaceAll(text, L"~~FILE~~", XmlEscape(fields.file));
    return text;
}

namespace {

std::wstring Trim(const std::wstring& s) {
    const auto b = s.find_first_not_of(L' ');
    if (b == std::wstring::npos) return {};
    return s.substr(b, s.find_last_not_of(L' ') - b + 1);
}

std::wstring Lower(std::wstring s) {
    for (auto& c : s) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return s;
}

std::wstring FileNameOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::wstring CommandExecutable(const std::wstring& command) {
    const std::wstring text = Trim(command);
    if (!text.empty() && text.front() == L'"') {
        const auto close = text.find(L'"', 1);
        return Trim(text.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1));
    }
    const std::wstring lower = Lower(text);
    for (auto pos = lower.find(L".exe"); pos != std::wstring::npos;
         pos = lower.find(L".exe", pos + 1)) {
        const auto end = pos + 4;
        if (end == text.size() || text[end] == L' ') return Trim(text.substr(0, end));
    }
    return text;
}

bool CommandRunsProgram(const std::wstring& command, const std::wstring& programFile) {
    return !programFile.empty() && EqualsNoCase(FileNameOf(CommandExecutable(command)), programFile);
}

std::wstring CommandFolder(const std::wstring& command, const std::wstring& programFile) {
    const std::wstring exe = CommandExecutable(command);
    const std::wstring suffix = L"\\" + programFile;
    if (exe.size() >= suffix.size() && exe.compare(exe.size() - suffix.size(), suffix.size(), suffix) == 0)
        return exe.substr(0, exe.size() - suffix.size());
    return exe;
}

}  // namespace kal
