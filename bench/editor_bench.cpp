// How long the profile editor takes from the command that opens it to a visible, painted
// window: a new profile as the profile manager opens it, and the real-time settings window as
// the tray opens it, each timed over 10 openings against the simulated card. Closing it again
// is not counted. Target: under 300 ms.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <vector>

#include "bench/benchcard.h"
#include "bench/benchclock.h"
#include "device/audio.h"
#include "device/cardlines.h"
#include "device/transport.h"
#include "editor/profileform.h"
#include "sim/driver.h"
#include "sim/simcard.h"
#include "sim/state.h"
#include "startup/catalogue.h"
#include "startup/globals.h"
#include "base/registry.h"
#include "startup/tables.h"
#include "startup/utility.h"

using kal::bench::NowMs;

namespace {

constexpr int kOpenings = 10;
constexpr double kTargetMs = 300;

// Opens, waits until the window is visible with everything painted, closes; the time to paint.
double TimeOpening(const std::function<void()>& open) {
    const double start = NowMs();
    open();
    kal::frmProfile* editor = kal::ProfileEditor();
    if (!editor || !::IsWindowVisible(editor->hWnd())) return -1;
    ::RedrawWindow(editor->hWnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    ::GdiFlush();
    const double elapsed = NowMs() - start;
    editor->Unload();
    kal::PumpPendingMessages();
    return elapsed;
}

void OpenNewProfile() {
    kal::frmProfile& editor = kal::ProfileEditorInstance();
    editor.Load();
    editor.SetTag(L"");
    editor.LastProfileName.clear();
    editor.SetUp();
    editor.Show();
}

bool Report(const wchar_t* what, const std::function<void()>& open) {
    TimeOpening(open);  // the first opening also loads the libraries it uses; not counted
    std::vector<double> times;
    for (int i = 0; i < kOpenings; ++i) {
        const double t = TimeOpening(open);
        if (t < 0) {
            std::fprintf(stderr, "%ls: the window did not open\n", what);
            return false;
        }
        times.push_back(t);
    }
    kal::bench::PrintMedian((std::wstring(what) + L", command to visible").c_str(), times, kTargetMs);
    return true;
}

}  // namespace

int main() {
    kal::bench::StartOnSimulatedCard();
    kal::DiscoverCard(kal::kCardHardwareFamily, L"");
    kal::FindCardInterface();
    kal::gCardCaps = kal::gCardModels.At(kal::sim::SimModel());
    kal::FindCardLines();
    const bool ok = Report(L"profile editor (new profile)", &OpenNewProfile) &&
                    Report(L"real-time settings window", &kal::ShowRealTimeSettings);
    kal::bench::StopOnSimulatedCard();
    return ok ? 0 : 1;
}
