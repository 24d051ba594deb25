#include "device/portable/audio_levels.h"

#include <cmath>

namespace kal {
namespace {

double Power10(double exponent) { return std::pow(10.0, exponent); }

// a x b / 10000 with the product exact and the quotient rounded half to even.
Currency MulFixed4(Currency a, Currency b) {
    const Currency p = a * b;
    Currency q = p / kCurrencyScale;
    Currency r = p % kCurrencyScale;
    if (r < 0) { r += kCurrencyScale; --q; }  // floor division
    if (r * 2 > kCurrencyScale || (r * 2 == kCurrencyScale && (q & 1))) ++q;
    return q;
}

}  // namespace

Currency ToFixed4(double value) {
    return static_cast<Currency>(std::nearbyint(value * static_cast<double>(kCurrencyScale)));
}

double Fixed4ToDouble(Currency value) { return static_cast<double>(value) / static_cast<double>(kCurrencyScale); }
std::int32_t Whole(Currency value) { return static_cast<std::int32_t>(std::nearbyint(Fixed4ToDouble(value))); }

Currency DBFromLinear(std::int16_t percent, std::int16_t factor, std::int16_t minDB, std::int16_t maxDB) {
    if (percent < 0 || percent > 100) return 0;
    const double f = factor;
    const double a = Power10(minDB / f), b = Power10(maxDB / f);
    const double db = f * std::log10(a + (b - a) * percent / 100.0);
    return static_cast<Currency>(std::nearbyint(db * 10.0)) * (kCurrencyScale / 10);
}

Currency LinearFromDB(Currency dB, std::int16_t factor, std::int16_t minDB, std::int16_t maxDB) {
    const double f = factor;
    const double a = Power10(minDB / f), b = Power10(maxDB / f);
    return ToFixed4((100.0 * Power10(Fixed4ToDouble(dB) / f) - a) / (b - a));
}

Currency DeviceDBFromRange(std::uint32_t flow, std::int16_t percent, float minDB, float maxDB) {
    if (percent < 0 || percent > 100) return 0;
    const auto lo = static_cast<std::int16_t>(std::nearbyint(minDB));
    const auto hi = static_cast<std::int16_t>(std::nearbyint(maxDB));
    return DBFromLinear(percent, flow == 1 ? 20 : 35, lo, hi);
}

void ChannelsBalance(Currency& left, Currency& right, Currency& volume, Currency& balance, bool toLR) {
    if (toLR) {
        left = right = volume;
        if (balance > 0) left = MulFixed4(volume, kCurrencyScale - balance);
        if (balance < 0) right = MulFixed4(volume, kCurrencyScale + balance);
        return;
    }
    volume = right > left ? right : left;
    balance = volume == 0 ? 0 : ToFixed4(static_cast<double>(right - left) / static_cast<double>(volume));
}

std::uint32_t DeviceSubtypeToComponentType(std::wstring_view subtype, std::uint32_t flow) {
    if (subtype.empty()) return 0;
    struct Entry {
        std::wstring_view guid;
        std::uint32_t type;
    };
    static constexpr Entry kPlayback[] = {
        {L"{DFF21CE1-F70F-11D0-B917-00A0C9223196}", 4},  // speaker
        {L"{DFF21CE4-F70F-11D0-B917-00A0C9223196}", 4},  // desktop speaker
        {L"{DFF21CE5-F70F-11D0-B917-00A0C9223196}", 4},  // room speaker
        {L"{DFF21CE6-F70F-11D0-B917-00A0C9223196}", 4},  // communication speaker
        {L"{DFF21CE2-F70F-11D0-B917-00A0C9223196}", 5},  // headphones
        {L"{DFF21CE3-F70F-11D0-B917-00A0C9223196}", 5},  // head-mounted display audio
        {L"{DFF21EE2-F70F-11D0-B917-00A0C9223196}", 6},  // telephone
        {L"{DFF21EE1-F70F-11D0-B917-00A0C9223196}", 6},  // phone line
        {L"{DFF21EE3-F70F-11D0-B917-00A0C9223196}", 6},  // down-line phone
        {L"{DFF21FE5-F70F-11D0-B917-00A0C9223196}", 1},  // S/PDIF interface
    };
    static constexpr Entry kRecording[] = {
        {L"{DFF21BE1-F70F-11D0-B917-00A0C9223196}", 4099},  // microphone
        {L"{DFF21BE2-F70F-11D0-B917-00A0C9223196}", 4099},  // desktop microphone
        {L"{DFF21FE3-F70F-11D0-B917-00A0C9223196}", 4098},  // line connector
        {L"{DFF21FE1-F70F-11D0-B917-00A0C9223196}", 4106},  // analog connector
        {L"{DFF220E3-F70F-11D0-B917-00A0C9223196}", 4101},  // CD player
        {L"{DFF21FE5-F70F-11D0-B917-00A0C9223196}", 4097},  // S/PDIF interface
        {L"{DFF220F3-F70F-11D0-B917-00A0C9223196}", 4100},  // synthesizer
        {L"{DFF21EE2-F70F-11D0-B917-00A0C9223196}", 4102},  // telephone
        {L"{DFF21EE1-F70F-11D0-B917-00A0C9223196}", 4102},  // phone line
        {L"{DFF21EE3-F70F-11D0-B917-00A0C9223196}", 4102},  // down-line phone
    };
    if (flow == 1) {
        for (const auto& e : kRecording)
            if (e.guid == subtype) return e.type;
        return 4096;
    }
    for (const auto& e : kPlayback)
        if (e.guid == subtype) return e.type;
    return 0;
}

}  // namespace kal
