// Lines for the people who maintain the program: what was caught or refused, where, and why.
// A line goes to the debugger (OutputDebugStringW, shown by a debugger and by Wine's debug
// channel) or, in the native build, to standard error; no file, no window. Tests put a sink in
// its place to see the lines. Safe from any thread, and never throws: a catch block may call it
// at any border. No Windows API here.
#pragma once
#include <exception>
#include <functional>
#include <string>
#include <string_view>

namespace kal {

// Writes "Kalvenor: <where>: <what>".
void LogLine(std::wstring_view where, std::wstring_view what) noexcept;
// The same with a system error number: "... (error <code>)".
void LogError(std::wstring_view where, std::wstring_view what, unsigned long code) noexcept;
// A caught exception: its text, or "unknown exception" for one that is no std::exception.
// Call it inside a catch block (it reads the exception being handled).
void LogCaught(std::wstring_view where) noexcept;

// Receives each line instead of the debugger; an empty sink puts the debugger back. Returns the
// sink used before.
using LogSink = std::function<void(const std::wstring& line)>;
LogSink SetLogSink(LogSink sink);

}  // namespace kal
