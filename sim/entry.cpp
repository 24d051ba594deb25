// Entry point of KalvenorSim.exe: the program with the simulated card installed.
#include <windows.h>

#include "sim/simcard.h"
#include "startup/main.h"
#include "tray/app.h"
#include "tray/update.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    kal::sim::InstallSimulatedCard();
    // The demonstration may use an update server of its own (a local one in the tests).
    wchar_t server[512] = {};
    const DWORD n = ::GetEnvironmentVariableW(L"KALVENOR_UPDATE_SERVER", server, 512);
    if (n > 0 && n < 512) kal::UpdateServer() = kal::UpdateEndpointsAt(server);
    return kal::Main(commandLine ? commandLine : L"", kal::TrayStartupSteps());
}
