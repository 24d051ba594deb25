// The tray application: loads the hidden main form and runs the program until it unloads.
#pragma once

namespace kal {

// Returns the process exit code.
int RunTrayApplication();

}  // namespace kal
