// Start-up steps that other subsystems provide. Main calls them in this order; each is defined
// once, by the subsystem that owns it.
#pragma once

namespace kal {

// True when the update server offers a newer revision of this version.
bool IsUpdateAvailable();
// Downloads the update and asks the user; true when the updater has been started.
bool DownloadUpdate();

// Creates the one audio object on the user-interface thread ...
void StartAudioObject();
// ... and releases it when the program ends, before COM goes.
void StopAudioObject();

// Loads the hidden main form and runs the program until the last form unloads; returns the
// process exit code.
int RunMainForm();

}  // namespace kal
