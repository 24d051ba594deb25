// The in-process benchmarks' setting: the simulated card installed and the program's tables and
// audio object built as its start-up builds them, with a settings key of the benchmark's own
// that starts empty and is removed at the end.
#pragma once
#include <windows.h>

#include "device/audio.h"
#include "sim/driver.h"
#include "sim/simcard.h"
#include "startup/catalogue.h"
#include "startup/globals.h"
#include "base/registry.h"
#include "startup/tables.h"

namespace kal::bench {

inline void StartOnSimulatedCard() {
    ::OleInitialize(nullptr);
    sim::InstallSimulatedCard();
    sim::InstallSimCardDevice();
    gRegRoot = L"HKEY_CURRENT_USER\\Software\\KalvenorBench";
    gRegProfiles = gRegRoot + L"\\Profiles";
    RegDeleteTree(gRegRoot, L"");
    BuildCardCatalogue();
    BuildDriverDefaults(false);
    CreateAudioObject();
}

inline void StopOnSimulatedCard() {
    RegDeleteTree(gRegRoot, L"");
    ReleaseAudioObject();
    ::OleUninitialize();
}

}  // namespace kal::bench
