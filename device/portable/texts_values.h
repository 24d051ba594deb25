// Value rules shared by the profile code that need no Windows API: the built-in speaker
// layouts and their comparison, built-in preset names, channel counts, effect availability and
// the comparison of one stored profile value with the live one.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "startup/catalogue.h"
#include "base/hextext.h"

namespace kal {

// The built-in virtual-speaker layouts, each in the two stored forms that the driver and the
// editor produce for the same positions (x and y differ in the last bits, flag words differ).
inline constexpr std::wstring_view kVssDefaultLayout =
    L"77259BBECDCC4C3D77259B3E0100000077259B3ECDCC4C3D77259B3E0100000000000000CDCC4C3D7671DB3E00000000"
    L"7671DB3ECDCC4C3D000000000000000077259BBECDCC4C3D77259BBE0000000077259B3ECDCC4C3D77259BBE00000000"
    L"DA57E3BDCDCC4C3D6EFBD3BE00000000DA57E33DCDCC4C3D6EFBD3BE00000000";
inline constexpr std::wstring_view kVssDefaultLayoutAlt =
    L"FB2E9BBECDCC4C3DFB2E9B3E00000000F82E9B3ECDCC4C3DFB2E9B3E0000000000000000CDCC4C3D5294DB3E00000000"
    L"5494DB3ECDCC4C3D0000008000000000FB2E9BBECDCC4C3DF82E9BBE00000000F82E9B3ECDCC4C3DF82E9BBE00000000"
    L"5A06E4BDCDCC4C3D79D6D3BE000000005A06E43DCDCC4C3D79D6D3BE00000000";
inline constexpr std::wstring_view kVssPositionalLayout =
    L"F3449BBECDCC4C3DF5059B3E01000000F6059B3ECDCC4C3DF2449B3E010000004433B2B9CDCC4C3D7171DB3E00000000"
    L"7671DB3ECDCC4C3D0000000000000000FB68DBBECDCC4C3D11F58AB300000000FB68DB3ECDCC4C3DBC8E243300000000"
    L"F5059BBECDCC4C3DF3449BBE00000000F3449B3ECDCC4C3DF5059BBE00000000";
inline constexpr std::wstring_view kVssPositionalLayoutAlt =
    L"FB2E9BBECDCC4C3DFB2E9B3E00000000F82E9B3ECDCC4C3DFB2E9B3E0000000000000000CDCC4C3D5294DB3E00000000"
    L"5494DB3ECDCC4C3D00000080000000005294DBBECDCC4C3D00000080000000005494DB3ECDCC4C3D0000008000000000"
    L"FB2E9BBECDCC4C3DF82E9BBE00000000F82E9B3ECDCC4C3DF82E9BBE00000000";

// A layout argument: bytes, or hex text turned into bytes (text that is not hex gives no bytes).
struct VssLayout {
    Bytes bytes;
    VssLayout(const Bytes& b) : bytes(b) {}
    VssLayout(std::wstring_view hex);
    VssLayout(const wchar_t* hex) : VssLayout(std::wstring_view(hex)) {}
    VssLayout(const std::wstring& hex) : VssLayout(std::wstring_view(hex)) {}
};

// True when both are 128-byte layouts whose speakers have the same x and y (single-precision
// comparison); heights and flag words are not compared.
bool VssLayoutsEqual(const VssLayout& a, const VssLayout& b);
// The same comparison under the name the forms use.
inline bool ArraysEqual(const VssLayout& a, const VssLayout& b) { return VssLayoutsEqual(a, b); }

// "Default Preset" or "Vantor's Preset" for a built-in layout in either form, else "".
std::wstring BuiltInVssPresetName(const Bytes& layout);
// A built-in equalizer preset's name followed by " Preset", else "".
std::wstring BuiltInEqPresetName(const Bytes& gains);

// Channels of an output: by the speaker configuration's first byte (1 and 4 give 2, 3 gives 4,
// 6 gives 6, 7 gives 8), or 6 whatever the configuration while the S/PDIF output encodes
// (first byte 0x10 or 0x20). nullopt for an unknown configuration.
std::optional<int> SpeakerChannelCount(const Bytes& configuration, const Bytes* spdif = nullptr);

// The 3-bit behaviour of one effect ("VSS", "PL2X", "DH", "DVS", "NEO", "SUM", exact case) for
// a channel count and an output mode ("Dolby", "DTS" or a speaker configuration code, "1" and
// "01" alike) in the card's behaviour table. 0 for an invalid request, a missing card, table
// or key.
int EffectBehavior(std::wstring_view effect, int channels, std::wstring_view mode, const CardModel* card);

// Whether a value stored in the active profile still holds in the live state. Values that are
// the program's own (shortcut, icon, flags) always match; the two master volume values match
// while skipVolume or when the stored byte is 255 (the remembered volume); SystemSpeakers
// stored as 0 always matches, else its byte must equal the live channel count (`live` holds the
// count as big-endian bytes). Parameter blocks match as the driver reports them back: Pro Logic
// IIx and NEO switched off in both, NEO stored without parameters, NEO's width byte rounded
// differently, and the two forms of a built-in speaker layout.
bool StoredValueMatchesLive(std::wstring_view name, const Bytes& stored, const Bytes& live, bool skipVolume);

}  // namespace kal
