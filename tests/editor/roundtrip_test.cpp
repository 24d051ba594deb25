// A stored profile opened in the editor and saved untouched comes back byte for byte: every
// profile value the editor loads, on every supported card model, with each code that the
// stored-value checks accept, whether or not that card's lists show it; recording lines of
// devices that are out of service when the editor opens included.
#include <algorithm>
#include <cstring>
#include <memory>

#include "device/audio.h"
#include "device/cardlines.h"
#include "device/portable/mixer_names.h"
#include "device/portable/texts_values.h"
#include "editor/portable/profilebytes.h"
#include "base/registry.h"
#include "startup/catalogue.h"
#include "startup/tables.h"
#include "tests/common/window_probes.h"
#include "tests/editor/editor_fixture.h"
#include "toolkit/utility.h"

using namespace kal;
using namespace kal::testing;

namespace {

// Profile values and their codes as hex. A row's names take their codes in turn, each name a
// different code in each round; a shared row (channels of one kind) spreads its codes over its
// names, so that every code passes through one of them. The shortcut loads only when the editor
// opens: its codes change with each opening.
struct Row {
    std::vector<std::wstring> names;
    std::vector<std::wstring> codes;
    bool shared = false;
    bool atOpening = false;
};

template <typename Encode>
std::vector<std::wstring> Hex(std::initializer_list<int> codes, Encode encode) {
    std::vector<std::wstring> out;
    for (int c : codes) out.push_back(BytesToHex(encode(c)));
    return out;
}

template <typename Encode>
std::vector<std::wstring> Range(int from, int to, Encode encode) {
    std::vector<std::wstring> out;
    for (int c = from; c <= to; ++c) out.push_back(BytesToHex(encode(c)));
    return out;
}

Bytes Code(int c) { return EncodeCode(static_cast<std::uint8_t>(c)); }
Bytes Byte(int c) { return {static_cast<std::uint8_t>(c)}; }
Bytes Number(int n) { return EncodeNumber(static_cast<std::uint32_t>(n)); }
Bytes Decibels(int db) {
    return {0, 0, static_cast<std::uint8_t>(db & 0xFF), static_cast<std::uint8_t>((db >> 8) & 0xFF)};
}

// The effect parameters: each enable flag with each mode code the checks allow.
std::vector<std::wstring> Pl2xCodes() {
    std::vector<std::wstring> out;
    for (int mode = 0; mode <= 3; ++mode)
        for (int on = 0; on <= 1; ++on) {
            Bytes b = EncodePl2xParam(on == 1, mode % 2 == 1, 2 + mode, 9 - mode, mode == 3);
            b[4] = static_cast<std::uint8_t>(mode);
            out.push_back(BytesToHex(b));
        }
    return out;
}

std::vector<std::wstring> NeoCodes() {
    std::vector<std::wstring> out;
    for (int mode = 0; mode <= 2; ++mode)
        for (int on = 0; on <= 1; ++on) {
            Bytes b = EncodeNeoParam(on == 1, mode % 2 == 1, 3 + mode, 5 + on);
            b[4] = static_cast<std::uint8_t>(mode);
            out.push_back(BytesToHex(b));
        }
    return out;
}

// Every band gain in some band.
std::vector<std::wstring> EqCodes() {
    std::vector<std::wstring> out;
    for (int c = 0; c * 10 < 49; ++c) {
        std::array<int, 10> bands{};
        for (int b = 0; b < 10; ++b) bands[static_cast<std::size_t>(b)] = -24 + (c * 10 + b) % 49;
        out.push_back(BytesToHex(EncodeEqGain(bands)));
    }
    return out;
}

// The driver's layout, the other default, and one of the field's extremes and odd fractions.
std::vector<std::wstring> LayoutCodes() {
    Bytes layout;
    for (int speaker = 0; speaker < 8; ++speaker)
        for (float v : {10.0f - static_cast<float>(speaker), -10.0f + 0.123457f * static_cast<float>(speaker),
                        0.333333f * static_cast<float>(speaker - 4), 0.0f}) {
            std::uint32_t bits;
            std::memcpy(&bits, &v, sizeof bits);
            for (int i = 0; i < 4; ++i) layout.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
        }
    layout[15] = 7;
    return {gDriverDefaults.At(L"VSpeakerPos"), std::wstring(kVssDefaultLayoutAlt), BytesToHex(layout)};
}

std::vector<Row> MatrixRows() {
    Bytes aecOther = EncodeAEC(true);
    aecOther[20] = 0x11;
    std::vector<std::wstring> channels;
    for (auto name : gChannelVolumeValues) channels.emplace_back(name);
    std::vector<Row> rows = {
        {{L"Shortcut"}, {L"7A03", L"4106", L"0000"}, false, true},
        {{L"SmartVolumeParams"}, Hex({0, 1}, Code)},
        {{L"_mixer00000", L"_mixer00010"}, Hex({0, 1, 2, 3, 10, 33, 49, 50, 51, 66, 67, 98, 99, 100, 255}, Byte)},
        {{L"VolIgnoreForValidation"}, {L"01", L"00"}},
        {{L"NoVolChangeOnSameOut"}, {L"01", L"00"}},
        {{L"SystemSpeakers"}, Hex({0, 2, 4, 6, 8}, Byte)},
        {{kMixerBitDepth}, Hex({8, 16, 20, 24, 32}, Byte)},
        {{kMixerSampleRate},
         Hex({8000, 11025, 12345, 22050, 32000, 44100, 48000, 88200, 96000, 176400, 192000, 384000, 768000}, Number)},
        {{L"OutputFormat"}, Hex({44100, 48000, 96000, 192000}, Number)},
        {{L"Dual2D"}, Hex({0, 1}, Code)},
        // Each panel twice in a row, so that each gain below meets both panels.
        {{L"PanelConfig"}, Hex({0, 0, 1, 1}, Code)},
        {{L"SpeakerConfig"}, Hex({1, 3, 4, 6, 7}, Code)},
        {{L"HeadphoneLRXchg", L"CenterBassXchg", L"SideRearXchg"}, Hex({0, 1}, Code)},
        {{L"HpImpedanceModeRear", L"HpImpedanceModeFront"}, Hex({0, 1, 2, 3, 4, 254}, Code)},
        {{L"SpDigitalOut"}, Hex({0, 2, 16, 32}, Code)},
        {{L"DVSEnable"}, Hex({0, 1}, Code)},
        {{L"DVSMode"}, Hex({5, 6}, Code)},
        {{L"DHEnable"}, Hex({0, 1}, Code)},
        {{L"DHRoom"}, Hex({1, 2, 3}, Code)},
        {{L"EnableXear3D"}, Hex({0, 1}, Code)},
        {{L"VSpeakerPos"}, LayoutCodes()},
        {{L"Pl2xParam"}, Pl2xCodes()},
        {channels, Range(-96, 12, Decibels), true},
        {{kMixerInputLineSel}, Range(0, 7, Byte)},
        {{L"EqEnable"}, Hex({0, 1}, Byte)},
        {{L"EqGain"}, EqCodes()},
        {{L"BassManagement"}, Hex({0, 1}, Code)},
        {{L"BassCornerFrequency"}, Hex({0, 49, 50, 51, 80, 120, 150, 249, 250, 251, 254}, Code)},
        {{L"SpeakerSize"},
         Hex({0x00, 0x01, 0x02, 0x03, 0x04, 0x10, 0x20, 0x30, 0x40, 0x80, 0xC0, 0x35, 0x77, 0xF6, 0xF7}, Code)},
        {{L"AEC"}, {BytesToHex(EncodeAEC(false)), BytesToHex(EncodeAEC(true)), BytesToHex(aecOther)}},
    };
    // Kept as loaded also where the card has no NEO:PC setting.
    rows.push_back({{L"NeoParam"}, NeoCodes()});
    // The recording lines: both volumes of every line in one row, their custom controls in another.
    Row volumes{{}, Range(0, 100, Byte), true}, controls{{}, Hex({0, 1}, Byte), true};
    for (int j = 0; j < 8; ++j) {
        const auto& id = gInputLineIds[static_cast<std::size_t>(j)];
        if (id.empty()) continue;
        for (int channel = 0; channel < 2; ++channel) volumes.names.push_back(MixerValueName(1, j, channel, 0));
        const int n = gAudio->CustomControls.Contains(id) ? static_cast<int>(gAudio->CustomControls.At(id).size()) : 0;
        for (int k = 1; k <= n; ++k) controls.names.push_back(MixerValueName(1, j, 0, k));
    }
    rows.push_back(volumes);
    if (!controls.names.empty()) rows.push_back(controls);
    // What the editor has no control for: driver settings it doesn't show, the recording lines
    // this card lacks, a custom control past a line's count.
    rows.push_back({{L"ListenerMode", L"MuteSubwoofer", L"HeadphoneMuteRear"}, Hex({0, 1}, Code)});
    Row unshown{{}, Hex({0, 1}, Byte), true};
    for (int j = 0; j < 8; ++j) {
        const auto& id = gInputLineIds[static_cast<std::size_t>(j)];
        const int n = gAudio->CustomControls.Contains(id) ? static_cast<int>(gAudio->CustomControls.At(id).size()) : 0;
        if (id.empty())
            for (int channel = 0; channel < 2; ++channel) unshown.names.push_back(MixerValueName(1, j, channel, 0));
        unshown.names.push_back(MixerValueName(1, j, 0, n + 1));
    }
    rows.push_back(unshown);
    return rows;
}

std::size_t Rounds(const std::vector<Row>& rows) {
    std::size_t rounds = 0;
    for (const Row& row : rows)
        rounds = std::max(rounds,
                          row.shared ? (row.codes.size() + row.names.size() - 1) / row.names.size() : row.codes.size());
    return rounds;
}

const std::wstring& CodeOf(const Row& row, std::size_t round, std::size_t slot) {
    const std::size_t at = row.shared ? round * row.names.size() + slot : round + slot;
    return row.codes[at % row.codes.size()];
}

std::vector<int> CardInputLines() {
    std::vector<int> lines;
    for (int j = 0; j < 8; ++j)
        if (!gInputLineIds[static_cast<std::size_t>(j)].empty()) lines.push_back(j);
    return lines;
}

class EditorRoundTrip : public EditorFixture {};

// One profile per model and round holds one code in each name; the rounds go on until every
// code of every row has been through. The first and every sixth round of a model open the editor
// afresh, with two recording devices out of service (one disabled, one unplugged); the rounds
// between reload the rewritten profile with the editor's Reset button, as a user's reload does.
TEST_F(EditorRoundTrip, EveryAcceptedCodeOnEveryCardIsWrittenBackByteForByte) {
    // Copied: each card's set-up builds the catalogue again.
    std::vector<std::shared_ptr<const CardModel>> models;
    for (const auto& [subsys, model] : gCardModels)
        if (model->Supported) models.push_back(model);
    ASSERT_GE(models.size(), 10u);
    const std::wstring icon = SourceTreePath(KALVENOR_SOURCE_DIR, "resources/icons/hp.ico");
    const std::wstring profile = L"Matrix", copy = L"MatrixCopy";
    std::size_t cells = 0;
    for (std::size_t m = 0; m < models.size(); ++m) {
        const CardModel& model = *models[m];
        UseEditorCard(model.Subsys.c_str());
        const std::vector<Row> rows = MatrixRows();
        const std::vector<int> lines = CardInputLines();
        ASSERT_GE(lines.size(), 2u) << model.Subsys;
        int disabled = -1, unplugged = -1;
        std::size_t opening = 0;
        for (std::size_t round = 0; round < Rounds(rows); ++round) {
            const bool fresh = (round + m) % 6 == 0 || round == 0;
            if (fresh && round > 0) ++opening;
            if (fresh) {
                CloseEditor();
                disabled = lines[round % lines.size()];
                unplugged = lines[(round + 3) % lines.size()];
                for (int j : lines) {
                    const DWORD state = j == disabled    ? DEVICE_STATE_DISABLED
                                        : j == unplugged ? DEVICE_STATE_UNPLUGGED
                                                         : DEVICE_STATE_ACTIVE;
                    sim::SetSimEndpointState(sim::FindSimEndpoint(gInputLineIds[static_cast<std::size_t>(j)]), state);
                }
                sim::WaitForSimNotifications();
            }
            RegDeleteKey(gRegProfiles, profile);
            RegWrite(Profile(profile), L"CustomIcon", icon + (opening % 2 ? L"|0" : L"|1"));
            for (const Row& row : rows)
                for (std::size_t s = 0; s < row.names.size(); ++s, ++cells)
                    Store(profile, row.names[s], CodeOf(row, row.atOpening ? opening : round, s).c_str());
            const auto stored = Values(profile);
            if (fresh) OpenEditor(profile);
            ASSERT_NE(ProfileEditor(), nullptr);
            if (!fresh) {
                ASSERT_TRUE(User::Click(ProfileEditor()->Ctl(L"cmdReset")));
            }
            ProfileEditor()->SaveValues(copy, false);
            const auto saved = Values(copy);
            RegDeleteKey(gRegProfiles, copy);
            const std::wstring where = model.Subsys + L" " + model.Caption + L", round " + std::to_wstring(round) +
                                       (fresh ? L" opened" : L" reset") + L", recording line " +
                                       std::to_wstring(disabled) + L" disabled, " + std::to_wstring(unplugged) +
                                       L" unplugged: ";
            for (const auto& [name, value] : stored) {
                const auto it = saved.find(name);
                if (it == saved.end())
                    ADD_FAILURE() << where << name << " " << value << " dropped";
                else if (it->second != value)
                    ADD_FAILURE() << where << name << " " << value << " saved as " << it->second;
            }
            for (const auto& [name, value] : saved)
                if (!stored.count(name)) ADD_FAILURE() << where << name << " " << value << " added";
        }
        CloseEditor();
    }
    EXPECT_GT(cells, 5000u);
}

}  // namespace
