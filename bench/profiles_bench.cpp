// How the number of stored profiles weighs on the windows that list them, the running program's
// main form loaded against the simulated card: the profile manager from the tray's command to a
// visible, painted window (its list refilled and the tray menu rebuilt with it), and the tray
// menu from the right click to the painted menu, each with 3 and with 200 profiles of seven
// values each. The two sets alternate, pair by pair, over 10 openings; closing is not counted.
// Targets: the opening with 200 profiles within 2x of the opening with 3.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/registry.h"
#include "base/subclass.h"
#include "bench/benchcard.h"
#include "bench/benchclock.h"
#include "editor/profiles.h"
#include "startup/globals.h"
#include "startup/tables.h"
#include "startup/utility.h"
#include "tray/mainform.h"

using kal::bench::NowMs;

namespace {

constexpr int kOpenings = 10;
constexpr int kFew = 3;
constexpr int kMany = 200;
constexpr double kTargetRatio = 2.0;

// One stored set of profiles under a settings key of its own.
struct ProfileSet {
    int count;
    std::wstring root;
};

// Profiles as the editor stores them: the output block, equalizer and effects.
void StoreProfiles(const ProfileSet& set) {
    const wchar_t* const outputs[] = {L"01000000", L"04000000", L"06000000", L"07000000"};
    const std::wstring profiles = set.root + L"\\Profiles";
    for (int i = 0; i < set.count; ++i) {
        const std::wstring key = profiles + L"\\Profile " + std::to_wstring(i + 1);
        auto put = [&](const wchar_t* name, const std::wstring& hex) { kal::RegWrite(key, name, kal::HexToBytes(hex)); };
        put(L"PanelConfig", i % 3 ? L"00000000" : L"01000000");
        put(L"SpeakerConfig", outputs[i % 4]);
        put(L"SpDigitalOut", i % 10 ? L"00000000" : L"10000000");
        put(L"EqEnable", i % 2 ? L"01" : L"00");
        put(L"DHEnable", L"00000000");
        put(L"DVSEnable", L"00000000");
        // The seventh value: a shortcut key (Ctrl+Alt+F1 to F10) in one profile of ten.
        if (i % 10 == 1) put(L"Shortcut", L"7" + std::to_wstring(i / 10 % 10) + L"06");
        else put(L"EnableXear3D", L"00");
    }
    kal::RegWrite(set.root, L"DefaultProfile", std::wstring(L"Profile 2"));
}

// Makes the set the program's settings and rebuilds the tray menu from it, as a restore does.
void Use(const ProfileSet& set, kal::frmKalvenor& main) {
    kal::gRegRoot = set.root;
    kal::gRegProfiles = set.root + L"\\Profiles";
    main.UpdateMenus();
    kal::PumpPendingMessages();
}

double TimeManagerOpening(int count) {
    const double start = NowMs();
    kal::ShowProfiles();
    kal::frmProfiles* manager = kal::ProfilesForm();
    if (!manager || !::IsWindowVisible(manager->hWnd())) return -1;
    ::RedrawWindow(manager->hWnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    ::GdiFlush();
    const double elapsed = NowMs() - start;
    if (manager->Profiles().ListItems().Count() != count) return -1;
    manager->Unload();
    kal::PumpPendingMessages();
    return elapsed;
}

// Ends the tray menu once its loop waits for input, that is once the menu is shown and painted,
// and keeps the time of that moment.
class MenuIdle final : public kal::ISubclass {
public:
    explicit MenuIdle(HWND window) : window_(window) { kal::MSubclass::AttachMessage(this, window_, WM_ENTERIDLE); }
    ~MenuIdle() { kal::MSubclass::DetachMessage(this, window_, WM_ENTERIDLE); }
    MenuIdle(const MenuIdle&) = delete;
    MenuIdle& operator=(const MenuIdle&) = delete;

    double shownAt = -1;

    std::int32_t MsgResponse() const override { return kal::MsgResponsePostProcess; }
    void SetMsgResponse(std::int32_t) override {}
    LRESULT WindowProc(HWND, UINT, WPARAM wParam, LPARAM lParam) override {
        if (wParam == MSGF_MENU && shownAt < 0) {
            if (HWND menu = reinterpret_cast<HWND>(lParam); menu && ::IsWindowVisible(menu)) {
                ::GdiFlush();
                shownAt = NowMs();
                ::EndMenu();
            }
        }
        return 0;
    }

private:
    HWND window_;
};

double TimeMenuOpening(kal::frmKalvenor& main, int count) {
    if (static_cast<int>(main.ProfileNames().size()) != count) return -1;
    MenuIdle idle(main.hWnd());
    const double start = NowMs();
    main.SysTrayRClickEventHandler();
    const double elapsed = idle.shownAt - start;
    kal::PumpPendingMessages();
    return idle.shownAt < 0 ? -1 : elapsed;
}

// Times `open` with each set in turn, pair by pair, after one untimed opening of each (which
// also loads the libraries it uses), and prints both medians and the median of the ratios.
template <typename Open>
bool Compare(const wchar_t* what, kal::frmKalvenor& main, const ProfileSet& few, const ProfileSet& many, Open open) {
    std::vector<double> fewTimes, manyTimes, ratios;
    for (int i = -1; i < kOpenings; ++i) {
        Use(few, main);
        const double a = open(few.count);
        Use(many, main);
        const double b = open(many.count);
        if (a < 0 || b < 0) {
            std::fprintf(stderr, "%ls: the window did not open with every profile\n", what);
            return false;
        }
        if (i < 0) continue;
        fewTimes.push_back(a);
        manyTimes.push_back(b);
        ratios.push_back(b / a);
    }
    for (const ProfileSet* set : {&few, &many}) {
        const std::wstring line = std::wstring(what) + L" with " + std::to_wstring(set->count) + L" profiles";
        kal::bench::PrintMedian(line.c_str(), set == &few ? fewTimes : manyTimes, 0);
    }
    const double ratio = kal::bench::Median(ratios);
    std::printf("%ls: %d/%d profiles median ratio %.2fx over %zu pairs (target %.1fx)%s\n", what, many.count, few.count,
                ratio, ratios.size(), kTargetRatio, ratio <= kTargetRatio ? "" : "  ABOVE TARGET");
    return true;
}

}  // namespace

int main() {
    kal::bench::StartOnSimulatedCard();
    const std::wstring benchRoot = kal::gRegRoot;
    const ProfileSet few{kFew, benchRoot + L"\\Few"}, many{kMany, benchRoot + L"\\Many"};
    StoreProfiles(few);
    StoreProfiles(many);
    // Stored some time ago, as a user's profiles are: the program may keep what it read of them.
    ::Sleep(2500);
    kal::gRegProfiles = few.root + L"\\Profiles";
    kal::gRegRoot = few.root;
    bool ok = true;
    {
        kal::frmKalvenor main(L"");
        main.Load();
        ok = Compare(L"profile manager, command to visible", main, few, many,
                     [](int count) { return TimeManagerOpening(count); }) &&
             Compare(L"tray menu, right click to painted", main, few, many,
                     [&main](int count) { return TimeMenuOpening(main, count); });
        main.Unload();
    }
    kal::gRegRoot = benchRoot;
    kal::gRegProfiles = benchRoot + L"\\Profiles";
    kal::bench::StopOnSimulatedCard();
    return ok ? 0 : 1;
}
