// Entry point of Kalvenor.exe, the composition root: the system's own audio platform and the
// tray program's start-up steps.
#include <windows.h>

#include "device/platform.h"
#include "startup/main.h"
#include "tray/app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    kal::gPlatform = kal::RealPlatform();
    return kal::Main(commandLine ? commandLine : L"", kal::TrayStartupSteps());
}
