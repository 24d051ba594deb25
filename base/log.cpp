#include "base/log.h"

#include <cstdio>
#include <mutex>
#include <stdexcept>

#ifdef _WIN32
extern "C" __declspec(dllimport) void __stdcall OutputDebugStringW(const wchar_t* text);
#endif

namespace kal {
namespace {

std::mutex& SinkMutex() {
    static std::mutex m;
    return m;
}
LogSink& Sink() {
    static LogSink sink;
    return sink;
}

void ToDebugger(const wchar_t* line) {
#ifdef _WIN32
    OutputDebugStringW(line);
#else
    std::fputws(line, stderr);
#endif
}

std::wstring Widen(const char* text) {
    std::wstring out;
    for (const char* p = text; *p; ++p) out += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return out;
}

}  // namespace

void LogLine(std::wstring_view where, std::wstring_view what) noexcept {
    try {
        std::wstring line = L"Kalvenor: ";
        line.append(where);
        line += L": ";
        line.append(what);
        std::lock_guard lock(SinkMutex());
        if (Sink()) {
            Sink()(line);
            return;
        }
        line += L'\n';
        ToDebugger(line.c_str());
    } catch (...) {
        // No memory for the line, or a failing sink: a report must not become a new failure.
        ToDebugger(L"Kalvenor: a log line was lost\n");
    }
}

void LogError(std::wstring_view where, std::wstring_view what, unsigned long code) noexcept {
    try {
        std::wstring text(what);
        text += L" (error " + std::to_wstring(code) + L")";
        LogLine(where, text);
    } catch (...) {
        LogLine(where, what);
    }
}

void LogCaught(std::wstring_view where) noexcept {
    try {
        throw;
    } catch (const std::exception& e) {
        try {
            LogLine(where, Widen(e.what()));
        } catch (...) {
            LogLine(where, L"exception");
        }
    } catch (...) {
        LogLine(where, L"unknown exception");
    }
}

LogSink SetLogSink(LogSink sink) {
    std::lock_guard lock(SinkMutex());
    LogSink before = std::move(Sink());
    Sink() = std::move(sink);
    return before;
}

}  // namespace kal
