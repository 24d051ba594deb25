// How the number of stored profiles weighs on the windows that list them, the running program's
// main form loaded against the simulated card: the profile manager from the tray's command to a
// visible, painted window (its list refilled and the tray menu rebuilt with it), and the tray
// menu from the right click to the painted menu, each with 3 and with 200 profiles of seven
// values each. The two sets alternate, pair by pair, over 10 openings; closing is not counted.
// Targets: the opening with 200 profiles within 2x of the opening with 3. Beside them, plain
// menus holding the tray menu's items show what showing those items costs the platform itself.
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

// A plain menu with the items of the program's tray menu as it is now (text, state, id): what
// the platform alone takes to show them.
kal::UniqueMenu CopyOfTrayMenu(const kal::frmKalvenor& main) {
    HMENU tray = ::GetSubMenu(::GetMenu(main.hWnd()), 0);
    kal::UniqueMenu copy(::CreatePopupMenu());
    for (int i = 0, n = ::GetMenuItemCount(tray); i < n; ++i) {
        wchar_t text[512] = {};
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = 511;
        ::GetMenuItemInfoW(tray, static_cast<UINT>(i), TRUE, &item);
        item.dwTypeData = text;
        ::InsertMenuItemW(copy.get(), static_cast<UINT>(i), TRUE, &item);
    }
    return copy;
}

double TimeBareMenuOpening(HWND owner, HMENU menu) {
    MenuIdle idle(owner);
    const double start = NowMs();
    ::SetForegroundWindow(owner);
    ::TrackPopupMenu(menu, TPM_RIGHTBUTTON, 200, 200, 0, owner, nullptr);
    const double elapsed = idle.shownAt - start;
    kal::PumpPendingMessages();
    return idle.shownAt < 0 ? -1 : elapsed;
}

// The same items in plain menus of a window of their own, alternated as the tray menu's openings
// are: the part of the tray menu's ratio that the platform's menus take by themselves.
bool CompareBareMenus(kal::frmKalvenor& main, const ProfileSet& few, const ProfileSet& many) {
    Use(few, main);
    kal::UniqueMenu fewMenu = CopyOfTrayMenu(main);
    Use(many, main);
    kal::UniqueMenu manyMenu = CopyOfTrayMenu(main);
    HWND owner = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    std::vector<double> fewTimes, manyTimes, ratios;
    for (int i = -1; i < kOpenings && owner; ++i) {
        const double a = TimeBareMenuOpening(owner, fewMenu.get());
        const double b = TimeBareMenuOpening(owner, manyMenu.get());
        if (a < 0 || b < 0) break;
        if (i < 0) continue;
        fewTimes.push_back(a);
        manyTimes.push_back(b);
        ratios.push_back(b / a);
    }
    if (owner) ::DestroyWindow(owner);
    if (ratios.size() != kOpenings) {
        std::fprintf(stderr, "bare menus: the menu did not open\n");
        return false;
    }
    for (const ProfileSet* set : {&few, &many}) {
        const std::wstring line = L"plain menus of the same items (the platform alone) with " + std::to_wstring(set->count) + L" profiles";
        kal::bench::PrintMedian(line.c_str(), set == &few ? fewTimes : manyTimes, 0);
    }
    std::printf("plain menus of the same items (the platform alone): %d/%d profiles median ratio %.2fx over %zu pairs\n",
                many.count, few.count, kal::bench::Median(ratios), ratios.size());
    return true;
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
                     [&main](int count) { return TimeMenuOpening(main, count); }) &&
             CompareBareMenus(main, few, many);
        main.Unload();
    }
    kal::gRegRoot = benchRoot;
    kal::gRegProfiles = benchRoot + L"\\Profiles";
    kal::bench::StopOnSimulatedCard();
    return ok ? 0 : 1;
}
