// How long the profile manager takes from the tray's command to a visible, painted window with
// 200 stored profiles, the running program's main form loaded (its menu is rebuilt with the
// list), timed over 10 openings against the simulated card. Closing is not counted. Target:
// under 500 ms.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/benchcard.h"
#include "bench/benchclock.h"
#include "device/audio.h"
#include "editor/profiles.h"
#include "sim/driver.h"
#include "sim/simcard.h"
#include "startup/catalogue.h"
#include "startup/globals.h"
#include "base/registry.h"
#include "startup/settings.h"
#include "startup/tables.h"
#include "startup/utility.h"
#include "tray/mainform.h"

using kal::bench::NowMs;

namespace {

constexpr int kOpenings = 10;
constexpr int kProfiles = 200;
constexpr double kTargetMs = 500;

// Profiles as the editor stores them: the output block, equalizer, effects and volume.
void StoreProfiles() {
    const wchar_t* const outputs[] = {L"01000000", L"04000000", L"06000000", L"07000000"};
    for (int i = 0; i < kProfiles; ++i) {
        const std::wstring key = kal::gRegProfiles + L"\\Profile " + std::to_wstring(i + 1);
        auto put = [&](const wchar_t* name, const std::wstring& hex) { kal::RegWrite(key, name, kal::HexToBytes(hex)); };
        put(L"PanelConfig", i % 3 ? L"00000000" : L"01000000");
        put(L"SpeakerConfig", outputs[i % 4]);
        put(L"SpDigitalOut", i % 10 ? L"00000000" : L"10000000");
        put(L"EqEnable", i % 2 ? L"01" : L"00");
        put(L"DHEnable", L"00000000");
        put(L"DVSEnable", L"00000000");
        put(L"EnableXear3D", L"00");
        put(L"_mixer00000", L"32");
        put(L"_mixer00010", L"32");
    }
    kal::SetDefaultProfile(L"Profile 7");
}

double TimeOpening() {
    const double start = NowMs();
    kal::ShowProfiles();
    kal::frmProfiles* manager = kal::ProfilesForm();
    if (!manager || !::IsWindowVisible(manager->hWnd())) return -1;
    ::RedrawWindow(manager->hWnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    ::GdiFlush();
    const double elapsed = NowMs() - start;
    if (manager->Profiles().ListItems().Count() != kProfiles) return -1;
    manager->Unload();
    kal::PumpPendingMessages();
    return elapsed;
}

}  // namespace

int main() {
    kal::bench::StartOnSimulatedCard();
    StoreProfiles();
    bool ok = true;
    {
        kal::frmKalvenor main(L"");
        main.Load();
        TimeOpening();  // the first opening also loads the libraries it uses; not counted
        std::vector<double> times;
        for (int i = 0; i < kOpenings && ok; ++i) {
            const double t = TimeOpening();
            ok = t >= 0;
            times.push_back(t);
        }
        if (ok) {
            const std::wstring what =
                L"profile manager with " + std::to_wstring(kProfiles) + L" profiles, command to visible";
            kal::bench::PrintMedian(what.c_str(), times, kTargetMs);
        } else {
            std::fprintf(stderr, "profile manager: the window did not open with every profile\n");
        }
        main.Unload();
    }
    kal::bench::StopOnSimulatedCard();
    return ok ? 0 : 1;
}
