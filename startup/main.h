// The program's entry: the start-up sequence, then the main form's message loop.
#pragma once
#include <functional>
#include <string>

namespace kal {

// The start-up's steps that the subsystems above it provide, handed in by the program's entry
// point (the composition root); Main calls them in this order.
struct StartupSteps {
    // True when the update server offers a newer revision of this version.
    std::function<bool()> isUpdateAvailable;
    // Downloads the update and asks the user; true when the updater has been started.
    std::function<bool()> downloadUpdate;
    // Creates the one audio object on the user-interface thread ...
    std::function<void()> startAudioObject;
    // ... and releases it when the program ends, before COM goes.
    std::function<void()> stopAudioObject;
    // Loads the hidden main form and runs the program until the last form unloads; returns the
    // process exit code.
    std::function<int()> runMainForm;
};

// Runs the program with the command line (without the executable's name); returns the
// process exit code.
int Main(const std::wstring& commandLine, const StartupSteps& steps);

}  // namespace kal
