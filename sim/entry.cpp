// Entry point of KalvenorSim.exe: the program with the simulated card installed.
#include <windows.h>

#include "sim/simcard.h"
#include "startup/main.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    kal::sim::InstallSimulatedCard();
    return kal::Main(commandLine ? commandLine : L"");
}
