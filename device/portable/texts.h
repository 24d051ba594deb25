// The texts the user sees for profiles and the card's state: names of modes and rooms, the
// tray tooltip and the one-line profile summary. Built from facts that the Windows side
// gathers, so the wording is the same code natively and on Windows.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "startup/catalogue.h"
#include "base/hextext.h"

namespace kal {

// "HpImpedanceModeRear" when the panel's first byte is 0 (or missing), else "HpImpedanceModeFront".
std::wstring HpImpedanceValueName(const Bytes& panel);
// 5 "Reference", 6 "Wide", else "".
std::wstring DVSModeName(int mode);
// 1 "DH-1 Studio", 2 "DH-2 Cinema", 3 "DH-3 Hall", else "".
std::wstring DHRoomName(int room);

// Numbers as the user's locale writes them, without thousands separators: a four-decimal
// value with its trailing zeros dropped, a floating value with up to 15 significant digits.
std::wstring Fixed4Text(Currency value, std::wstring_view decimalSeparator);
std::wstring NumberText(double value, std::wstring_view decimalSeparator);

// Slider percentage (0..100 over -96..+12 dB) of a stored 4-byte channel gain, from its whole
// decibels (the high half of the signed 16.16 value); 0 for a value of another size.
std::int32_t ChannelGainPercentOf(const Bytes& gain);

// What the tooltip shows.
struct TooltipFacts {
    bool levelKnown = false;             // a card driver and an active speakers endpoint
    bool muted = false;
    std::int16_t percent = 0;            // master volume in percent
    std::optional<Currency> dB;          // its decibels; none on Windows XP
    std::optional<std::wstring> activeProfile;  // set while the active profile still holds
    Bytes spDigitalOut, speakerConfig, panelConfig;  // the live output otherwise
};
// "Master volume: " and the level, CR LF, then "Active Profile: " and the name or the live
// output's description.
std::wstring BuildTooltipText(const TooltipFacts& facts, std::wstring_view decimalSeparator);

// A profile as the summary reads it.
class SummarySource {
public:
    virtual ~SummarySource() = default;
    // Whether the profile stores a value of that name.
    virtual bool Holds(std::wstring_view name) = 0;
    // The stored value, or its default.
    virtual Bytes Value(std::wstring_view name) = 0;
    // The stored volume (the louder channel) of a line: flow 0 playback, 1 recording.
    virtual Currency LineVolume(int flow, int line) = 0;
    // Decibels of a volume on that line's endpoint; none on Windows XP.
    virtual std::optional<Currency> LineDB(int flow, int line, std::int16_t percent) = 0;
    // The detected card's record; null when none.
    virtual const CardModel* Card() = 0;
    virtual std::wstring EqPresetName(const Bytes& gains) = 0;
    virtual std::wstring VssPresetName(const Bytes& layout) = 0;
    virtual std::wstring DecimalSeparator() = 0;
};
// The one-line summary of a profile's settings ("Vol.: ..." followed by " | "-separated parts).
std::wstring BuildProfileSummary(SummarySource& profile);

}  // namespace kal
