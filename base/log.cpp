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

std::wstring Widen(const char* text) {
    std::wstring out;
    for (const char* p = text; *p; ++p) out += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return out;
}

}  // namespace

void LogLine(std::wstring_view where, std::wstring_view what) {
    std::wstring line = L"Kalvenor: ";
    line.append(where);
    line += L": ";
    line.append(what);
    std::lock_guard lock(SinkMutex());
    if (Sink()) {
        try {
            Sink()(line);
        } catch (...) {
            // A failing sink must not turn a report into a new failure.
        }
        return;
    }
    line += L'\n';
#ifdef _WIN32
    OutputDebugStringW(line.c_str());
#else
    std::fputws(line.c_str(), stderr);
#endif
}

void LogError(std::wstring_view where, std::wstring_view what, unsigned long code) {
    std::wstring text(what);
    text += L" (error " + std::to_wstring(code) + L")";
    LogLine(where, text);
}

void LogCaught(std::wstring_view where) {
    try {
        throw;
    } catch (const std::exception& e) {
        LogLine(where, Widen(e.what()));
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
