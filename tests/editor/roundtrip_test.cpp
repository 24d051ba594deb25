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
#include "tests/editor/profile_codes.h"
#include "toolkit/utility.h"

using namespace kal;
using namespace kal::testing;

namespace {

using codes::Row;
using codes::MatrixRows;

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
