// How long a profile switch by shortcut key takes: the simulated program runs as a child process
// with its stored profiles, and the shortcut key's message is sent to its main window, timed
// until the send returns, switching 30 times between two whole profiles of different outputs.
// Once with 3 stored profiles and once with 200. Targets: a median of 20 ms, none over 50 ms.
// Usage: switch_bench [program]: another build of the simulated program, to compare with.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/raii.h"
#include "base/registry.h"
#include "bench/benchchild.h"
#include "bench/benchclock.h"
#include "startup/catalogue.h"
#include "startup/tables.h"
#include "tray/mainform.h"

using kal::bench::NowMs;

namespace {

constexpr int kSwitches = 30;
constexpr double kTargetMedianMs = 20;
constexpr double kTargetWorstMs = 50;
const std::wstring kSettings = L"HKEY_CURRENT_USER\\Software\\Kalvenor";
const std::wstring kProfiles = kSettings + L"\\Profiles";

// "Bench 001" ...: names whose alphabetical order is their order of creation, so the menu
// item of each (and its shortcut key's id) is known on any registry.
std::wstring ProfileName(int i) {
    wchar_t name[16];
    std::swprintf(name, 16, L"Bench %03d", i);
    return name;
}

// The two profiles switched between are whole profiles as the editor saves them: every setting
// of the driver, the master volume and a shortcut key (Ctrl+Alt+F1, Ctrl+Alt+F2); "music" on two
// speakers with the equalizer, "movie" on headphones with the headphone effect. The others have
// seven values each, one in ten a shortcut key of its own.
void StoreWholeProfile(const std::wstring& key, bool music) {
    for (const auto& [name, hex] : kal::gDriverDefaults) kal::RegWrite(key, name, kal::HexToBytes(hex));
    auto put = [&](const wchar_t* name, const std::wstring& hex) { kal::RegWrite(key, name, kal::HexToBytes(hex)); };
    put(L"SpeakerConfig", music ? L"04000000" : L"01000000");
    put(L"EqEnable", music ? L"01" : L"00");
    put(L"DHEnable", music ? L"00000000" : L"01000000");
    put(L"DHRoom", music ? L"01000000" : L"02000000");
    put(L"_mixer00000", music ? L"46" : L"32");
    put(L"_mixer00010", music ? L"46" : L"32");
    put(L"Shortcut", music ? L"7006" : L"7106");
}

void StoreProfiles(int count) {
    const wchar_t* const outputs[] = {L"04000000", L"01000000", L"06000000", L"07000000"};
    for (int i = 0; i < count; ++i) {
        const std::wstring key = kProfiles + L"\\" + ProfileName(i);
        if (i < 2) {
            StoreWholeProfile(key, i == 0);
            continue;
        }
        auto put = [&](const wchar_t* name, const std::wstring& hex) { kal::RegWrite(key, name, kal::HexToBytes(hex)); };
        put(L"PanelConfig", i % 3 ? L"00000000" : L"01000000");
        put(L"SpeakerConfig", outputs[i % 4]);
        put(L"SpDigitalOut", L"00000000");
        put(L"EqEnable", i % 2 ? L"01" : L"00");
        put(L"DHEnable", L"00000000");
        put(L"DVSEnable", L"00000000");
        if (i % 10 == 5) {
            wchar_t shortcut[8];
            std::swprintf(shortcut, 8, L"%02X06", 0x72 + i / 10 % 8);
            put(L"Shortcut", shortcut);
        } else {
            put(L"EnableXear3D", L"00");
        }
    }
}

std::wstring ActiveProfile() { return kal::RegReadText(kSettings, L"ActiveProfile").value_or(L""); }

// Sends profile i's shortcut key; the time until the send returns, -1 when it failed.
double SendShortcut(HWND main, int i) {
    DWORD_PTR ignored = 0;
    const double start = NowMs();
    if (!::SendMessageTimeoutW(main, WM_HOTKEY, static_cast<WPARAM>(kal::kProfileHotkeyBase + i), 0, SMTO_NORMAL,
                               10000, &ignored))
        return -1;
    return NowMs() - start;
}

bool Run(const std::wstring& program, int count) {
    kal::RegDeleteTree(kSettings, L"Profiles");
    kal::RegDeleteValue(kSettings, L"ActiveProfile");
    StoreProfiles(count);
    // Stored some time ago, as a user's profiles are: the program may keep what it read of them.
    ::Sleep(2500);

    auto child = kal::bench::StartChild(program, "profile switch");
    if (!child) return false;
    HWND main = nullptr;
    for (int i = 0; i < 600 && !(main = kal::bench::FindMainForm(child->id)); ++i) ::Sleep(50);
    // The keys act once the start-up has found the card; the first switch is not counted.
    bool started = false;
    for (int i = 0; main && i < 200 && !started; ++i) {
        started = SendShortcut(main, 0) >= 0 && ActiveProfile() == ProfileName(0);
        if (!started) ::Sleep(50);
    }
    std::vector<double> times;
    for (int i = 0; started && i < kSwitches; ++i) {
        const int profile = (i + 1) % 2;
        const double t = SendShortcut(main, profile);
        if (t < 0 || ActiveProfile() != ProfileName(profile)) break;
        times.push_back(t);
    }
    if (main) ::PostMessageW(main, WM_COMMAND, kal::kMenuClose, 0);
    if (::WaitForSingleObject(child->process.get(), 10000) != WAIT_OBJECT_0) ::TerminateProcess(child->process.get(), 1);
    if (times.size() != kSwitches) {
        std::fprintf(stderr, "profile switch: %zu of %d switches with %d profiles\n", times.size(), kSwitches, count);
        return false;
    }
    const std::wstring what = L"profile switch by shortcut key with " + std::to_wstring(count) +
                              L" profiles, send to return (target median " +
                              std::to_wstring(static_cast<int>(kTargetMedianMs)) + L" ms, max " +
                              std::to_wstring(static_cast<int>(kTargetWorstMs)) + L" ms)";
    kal::bench::PrintMedian(what.c_str(), times, 0, "switches");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const std::wstring program = kal::bench::SimProgramPath(argc > 1 ? argv[1] : nullptr);
    kal::BuildCardCatalogue();
    kal::BuildDriverDefaults(false);
    const bool existed = kal::RegKeyExists(kSettings);
    const bool ok = Run(program, 3) && Run(program, 200);
    // The settings as they were: the program's other benchmarks use the same key.
    if (existed) {
        kal::RegDeleteTree(kSettings, L"Profiles");
        kal::RegDeleteValue(kSettings, L"ActiveProfile");
    } else {
        kal::RegDeleteTree(kSettings, L"");
    }
    return ok ? 0 : 1;
}
