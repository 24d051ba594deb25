// The command line: any argument text, and the profile switch's cycling over what it names.
#include <cstdint>

#include "fuzz/fuzzinput.h"
#include "tray/portable/cmdline.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kal::fuzz::Input in(data, size);
    const std::wstring active = in.Text(64);
    const std::wstring arguments = in.Text();
    const kal::CommandLineSwitches s = kal::ParseCommandLine(arguments);
    if (s.inputLine < -1 || s.inputLine > 7) __builtin_trap();
    const auto candidates = kal::SplitProfileList(s.profileList);
    const std::wstring chosen = kal::ChooseCycledProfile(candidates, active);
    // The choice is always one of the candidates.
    bool listed = candidates.empty() && chosen.empty();
    for (const auto& c : candidates) listed = listed || c == chosen;
    if (!listed) __builtin_trap();
    return 0;
}
