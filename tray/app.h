// The tray application: loads the hidden main form and runs the program until it unloads.
#pragma once
#include "startup/main.h"

namespace kal {

// Returns the process exit code.
int RunTrayApplication();

// Lets device code reach the main form and the profile editor through their own accessors.
void RouteDeviceToWindows();

// The start-up's steps of the tray program: the update check and download, the audio object and
// the main form; the entry points hand them to Main.
StartupSteps TrayStartupSteps();

}  // namespace kal
