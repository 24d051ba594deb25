// A corpus of mutated backup files through the reader: none may crash it, and whatever it
// accepts must be a whole tree that writes and reads back the same.
#include <gtest/gtest.h>

#include <random>
#include <variant>

#include "tray/portable/backupfile.h"

using namespace kal;

namespace {

BackupKey SeedTree() {
    BackupKey root;
    root.values = {{L"DefaultProfile", kRegTypeText, TextData(L"Caf\u00E9 & \u041F \U0001F600")},
                   {L"Shortcut0", kRegTypeBinary, {0x31, 0x06}},
                   {L"", kRegTypeBinary, {}}};
    BackupKey profile{L"Rock & <Roll>", {{L"EqGain", kRegTypeBinary, Bytes(40, 0x7F)}}, {}};
    BackupKey presets{L"Presets", {}, {BackupKey{L"EQ", {{L"Mine", kRegTypeBinary, {1, 2, 3}}}, {}}}};
    root.keys = {BackupKey{L"Profiles", {}, {profile}}, presets};
    return root;
}

const char* const kTokens[] = {"<", ">", "&", "&amp;", "&#13;", "&#0;", "&#x110000;", "]]>", "<!DOCTYPE a>",
                               "<![CDATA[x]]>", "<!-- c -->", "<?pi x?>", "<KVKey>", "</KVKey>", "<KVValue>",
                               "</KVValue>", "<name>", "</name>", "<type>3</type>", "<value>", "GG", "\\", "\"",
                               "\xE9", "\x80", "\x01", "\r", "\n", " a=\"b\"", "/>"};

std::string Mutate(std::string file, std::mt19937& rng) {
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int k = 0; k < edits; ++k) {
        if (file.empty()) file = "<";
        const std::size_t at = rng() % file.size();
        switch (rng() % 6) {
        case 0: file[at] = static_cast<char>(rng() % 256); break;
        case 1: file.erase(at, 1 + rng() % 16); break;
        case 2: file.insert(at, kTokens[rng() % (sizeof kTokens / sizeof *kTokens)]); break;
        case 3: {  // a span copied elsewhere
            const std::size_t from = rng() % file.size();
            const std::string span = file.substr(from, 1 + rng() % 64);
            file.insert(at, span);
            break;
        }
        case 4: file.resize(at); break;
        default: file[at] ^= static_cast<char>(1 << (rng() % 8)); break;
        }
    }
    return file;
}

}  // namespace

TEST(BackupFileCorpus, MutatedFilesAreRefusedOrReadWhole) {
    const std::string seed = BuildBackupFile(SeedTree()).bytes;
    std::mt19937 rng(20240611);
    int accepted = 0;
    for (int i = 0; i < 5000; ++i) {
        const std::string file = Mutate(seed, rng);
        const auto read = ReadBackupFile(file);
        if (const auto* error = std::get_if<BackupReadError>(&read)) {
            EXPECT_FALSE(error->reason.empty());
            continue;
        }
        ++accepted;
        const BackupKey& tree = std::get<BackupKey>(read);
        const auto again = BuildBackupFile(tree);
        ASSERT_TRUE(again.problem.empty()) << file;
        const auto reread = ReadBackupFile(again.bytes);
        ASSERT_TRUE(std::holds_alternative<BackupKey>(reread)) << file;
        EXPECT_TRUE(SameTree(std::get<BackupKey>(reread), tree)) << file;
    }
    // The corpus must exercise both sides.
    EXPECT_GT(accepted, 50);
    EXPECT_LT(accepted, 4500);
}
