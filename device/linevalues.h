// Line mutes, the own-change filter and the reaction to the card's endpoints changing state.
// Every change the program makes comes back as a notification; a notification within
// kOwnChangeWindowMs of the last own change (gLastSelfChange) is taken as the program's own.
#pragma once
#include <cstdint>
#include <string>

namespace kal {

inline constexpr std::uint32_t kOwnChangeWindowMs = 1000;

// Less than the window has passed from stamp to now on the wrapping millisecond counter.
constexpr bool WithinOwnChangeWindow(std::uint32_t now, std::uint32_t stamp) {
    return static_cast<std::uint32_t>(now - stamp) < kOwnChangeWindowMs;
}

// Stamps gLastSelfChange with the present tick; called just before each own change.
void StampSelfChange();
// True within the window after the last own change. Safe on any thread.
bool IsSelfChange();

// The line's mute (-1 muted, 0 not); 0 when the line can't be read.
std::int16_t GetLineMute(const std::wstring& line, std::uint32_t flow);
// Stamps, then sets the line's mute.
void SetLineMute(const std::wstring& line, std::uint32_t flow, std::int16_t value);

// The endpoint `id` changed to `state` (DEVICE_STATE_*): the speakers output switches the
// program's features off and on with a balloon; a recording input updates the open editor.
// User-interface thread only.
void OnSpeakersOutputChanged(const std::wstring& id, std::uint32_t state);

}  // namespace kal
