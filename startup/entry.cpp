// Entry point of Kalvenor.exe: the system's own audio platform.
#include <windows.h>

#include "device/platform.h"
#include "startup/main.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    kal::gPlatform = kal::RealPlatform();
    return kal::Main(commandLine ? commandLine : L"");
}
