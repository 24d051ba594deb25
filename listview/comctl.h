// The version of the loaded common-controls library, which decides between the list view's
// view message and its style bits, and whether groups and tiles exist.
#pragma once
#include <cstdint>
#include <optional>

namespace kal {

struct ComCtlVersion {
    std::int32_t major = 4;
    std::int32_t minor = 0;
    std::int32_t build = 0;
};

// Asks comctl32.dll's DllGetVersion; a library without that export counts as 4.0. An
// override set below stands in for the answer.
ComCtlVersion GetComCtlVersion();

// A version that controls created afterwards take instead of the detected one (the
// emulated library reports 5.81 even under a version 6 manifest); none restores detection.
void SetComCtlVersionOverride(std::optional<ComCtlVersion> version);

// Whether the version knows the view message and groups (6 and above), and the
// common-controls version message (above 5, or 5.8 and above).
inline bool HasViewMessage(const ComCtlVersion& v) { return v.major >= 6; }
inline bool TakesVersionMessage(const ComCtlVersion& v) { return v.major > 5 || (v.major == 5 && v.minor >= 8); }

}  // namespace kal
