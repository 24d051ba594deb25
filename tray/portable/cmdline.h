// The program's command-line switches: " /name" or " /name=value", names in any letter case.
// Parsing needs no Windows API; the switches are carried out by the main form while it loads.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace kal {

enum class MuteMode { Mute, Unmute, Toggle };

struct CommandLineSwitches {
    std::optional<std::wstring> hid;     // "hid": the card's hardware-id pattern
    std::optional<std::wstring> subsys;  // "subsys": the card's subsystem id
    int toggleAutostart = 0;             // how many "toggleautostart" switches were given
    // "profile": given at all, and its value ("" when none: every stored profile).
    bool profileGiven = false;
    std::wstring profileList;
    std::optional<MuteMode> master;  // "mastermute", "masterunmute", "mastermutetoggle"
    int inputLine = -1;              // "inputmute=n" ...: a line 0..7, -1 when none
    MuteMode inputMode = MuteMode::Mute;
};

// Splits the argument text at " /" and reads every known switch; a later switch of the same
// kind replaces an earlier one. Pieces with more than one "=", unknown names, and switches
// that lack the value they need are ignored; an input switch whose value is no line number
// 0..7 is ignored too.
CommandLineSwitches ParseCommandLine(const std::wstring& arguments);

// The "profile" switch's value split at ",".
std::vector<std::wstring> SplitProfileList(const std::wstring& value);

// Cycling through the candidates: the entry after the active profile (compared with case),
// wrapping round; the first entry when the active profile is not among them; "" for none.
std::wstring ChooseCycledProfile(const std::vector<std::wstring>& candidates, const std::wstring& active);

}  // namespace kal
