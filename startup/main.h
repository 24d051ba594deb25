// The program's entry: the start-up sequence, then the main form's message loop.
#pragma once
#include <string>

namespace kal {

// Runs the program with the command line (without the executable's name); returns the
// process exit code.
int Main(const std::wstring& commandLine);

}  // namespace kal
