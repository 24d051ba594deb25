// Backup and restore of the settings key against the real registry, MSXML 6 and the file dialogs.
#include "tray/backup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "device/profilevalues.h"
#include "startup/globals.h"
#include "base/registry.h"
#include "startup/utility.h"
#include "tests/common/settings_root.h"
#include "tests/tray/dialog_answerer.h"

using namespace kal;

namespace {

const std::wstring kRoot = L"HKEY_CURRENT_USER\\Software\\KalvenorTests\\Backup";

std::string ReadAll(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteAll(const std::wstring& path, const std::string& bytes) {
    std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
}

class BackupRestore : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = GetTempFolder() + L"kalvenor-backup-test";
        std::filesystem::remove_all(std::filesystem::path(folder_));
        std::filesystem::create_directories(std::filesystem::path(folder_));
    }
    void TearDown() override {
        SetRestoreWriteObserver(nullptr);
        // The file dialogs make the chosen folder the current one.
        ::SetCurrentDirectoryW(GetTempFolder().c_str());
        std::filesystem::remove_all(std::filesystem::path(folder_));
    }

    // Settings with every kind of name the program meets.
    static void FillSettings() {
        RegWrite(gRegRoot, L"DefaultProfile", std::wstring(L"Caf\u00E9 & \u041C\u0443\u0437\u044B\u043A\u0430 \U0001F3B5"));
        RegWrite(gRegRoot, L"SliderWheelIncrement", std::wstring(L"3"));
        RegWrite(gRegRoot, L"Empty", Bytes{});
        const std::wstring profile = gRegProfiles + L"\\Caf\u00E9 & \u041C\u0443\u0437\u044B\u043A\u0430 \U0001F3B5";
        Bytes big(70000);
        for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 7 + 3);
        RegWrite(profile, L"Big", big);
        RegWrite(profile, L"CustomIcon", std::wstring(L"C:\\Ic\u00F4nes\\\u2603.ico|1\r\nx"));
        RegWrite(gRegRoot + L"\\Presets\\EQ", L"\u00C9t\u00E9", Bytes(40, 0x11));
        // An empty key.
        RegWrite(gRegRoot + L"\\Presets\\VSS", L"x", Bytes{1});
        RegDeleteValue(gRegRoot + L"\\Presets\\VSS", L"x");
    }

    static BackupKey Snapshot() { return ReadRegistryTree(gRegRoot).value_or(BackupKey{L"<missing>", {}, {}}); }

    std::wstring File(const wchar_t* name) const { return folder_ + L"\\" + name; }

    std::wstring folder_;
    kal::testing::TestSettingsRoot settings_{kRoot};
};

}  // namespace

TEST_F(BackupRestore, BackupWipeAndRestoreGiveTheSameTree) {
    FillSettings();
    const BackupKey before = Snapshot();
    ASSERT_EQ(before.keys.size(), 2u);
    const std::wstring file = File(L"all.kbf");
    ASSERT_EQ(WriteBackupFile(file), L"");
    const std::string bytes = ReadAll(file);
    // Single-byte text: é as its code page byte, the rest as references.
    EXPECT_NE(bytes.find("Caf\xE9 &amp; &#1052;&#1091;&#1079;&#1099;&#1082;&#1072; &#127925;"), std::string::npos);
    EXPECT_NE(bytes.find("&#13;"), std::string::npos);
    EXPECT_EQ(bytes.substr(bytes.size() - 11), "</Kalvenor>");

    RegDeleteTree(gRegRoot, L"");
    int asked = 0;
    const RestoreOutcome outcome = RestoreSettingsFrom(bytes, [&] { return ++asked, true; });
    EXPECT_EQ(outcome.result, RestoreResult::Restored) << std::string(outcome.message.begin(), outcome.message.end());
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(SameTree(Snapshot(), before));
}

TEST_F(BackupRestore, RefusedFilesLeaveTheKeyAndAskNothing) {
    FillSettings();
    const BackupKey before = Snapshot();
    std::string good = BuildBackupFile(before).bytes;
    const std::string cases[] = {
        good.substr(0, good.size() / 2),                                                      // malformed
        std::string(good).replace(good.find("<Kalvenor"), 9, "<Kalvenor extra=\"1\""),       // schema-invalid
        std::string(good).insert(good.find("<Kalvenor"), "<!DOCTYPE Kalvenor [<!ENTITY e \"x\">]>\r\n"),
        std::string(good).replace(good.find("<value>11"), 9, "<value>zz"),                   // not hex
    };
    for (const auto& file : cases) {
        int asked = 0;
        const RestoreOutcome outcome = RestoreSettingsFrom(file, [&] { return ++asked, true; });
        EXPECT_EQ(outcome.result, RestoreResult::Refused);
        EXPECT_NE(outcome.message.find(L"(Line: "), std::wstring::npos);
        EXPECT_EQ(outcome.message.substr(outcome.message.size() - 26), L"Restore operation aborted.");
        EXPECT_EQ(asked, 0);
        EXPECT_TRUE(SameTree(Snapshot(), before));
    }
}

TEST_F(BackupRestore, NoLeavesTheKeyAndAWriteFailurePutsTheOldKeyBack) {
    FillSettings();
    const BackupKey before = Snapshot();
    BackupKey other;
    other.values = {{L"New", kRegTypeText, TextData(L"value")}};
    other.keys = {BackupKey{L"Profiles", {}, {BackupKey{L"Rock", {{L"EqGain", kRegTypeBinary, {1, 2}}}, {}}}}};
    const std::string file = BuildBackupFile(other).bytes;

    EXPECT_EQ(RestoreSettingsFrom(file, [] { return false; }).result, RestoreResult::Declined);
    EXPECT_TRUE(SameTree(Snapshot(), before));

    // A volatile key in the way: a non-volatile subkey can't be created below it.
    // Once only: putting the old key back must work.
    SetRestoreWriteObserver([done = false](const std::wstring& path) mutable {
        if (path != gRegProfiles || done) return;
        done = true;
        std::wstring sub = path;
        const HKEY hive = SplitRegPath(sub);
        HKEY key = nullptr;
        ::RegCreateKeyExW(hive, sub.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        if (key) ::RegCloseKey(key);
    });
    const RestoreOutcome outcome = RestoreSettingsFrom(file, [] { return true; });
    EXPECT_EQ(outcome.result, RestoreResult::Failed);
    EXPECT_NE(outcome.message.find(L"previous settings have been put back"), std::wstring::npos);
    SetRestoreWriteObserver(nullptr);
    EXPECT_TRUE(SameTree(Snapshot(), before));
}

TEST_F(BackupRestore, MutatedFilesChangeTheKeyOnlyWhenValid) {
    FillSettings();
    RegDeleteValue(gRegProfiles + L"\\Caf\u00E9 & \u041C\u0443\u0437\u044B\u043A\u0430 \U0001F3B5", L"Big");
    const std::string seed = BuildBackupFile(Snapshot()).bytes;
    std::mt19937 rng(7);
    const char* const tokens[] = {"<", "&", "<!DOCTYPE a>", "<KVKey>", "</KVValue>", "<type>3</type>", "GG", "\x01",
                                  "\xE9", " a=\"b\"", "<extra/>"};
    int restored = 0;
    for (int i = 0; i < 1500; ++i) {
        std::string file = seed;
        for (int k = 1 + static_cast<int>(rng() % 3); k > 0 && !file.empty(); --k) {
            const std::size_t at = rng() % file.size();
            switch (rng() % 4) {
            case 0: file[at] = static_cast<char>(rng() % 256); break;
            case 1: file.erase(at, 1 + rng() % 12); break;
            case 2: file.insert(at, tokens[rng() % (sizeof tokens / sizeof *tokens)]); break;
            default: file.insert(at, file.substr(rng() % file.size(), 1 + rng() % 40)); break;
            }
        }
        const BackupKey before = Snapshot();
        const auto read = ReadBackupFile(file);
        int asked = 0;
        const RestoreOutcome outcome = RestoreSettingsFrom(file, [&] { return ++asked, true; });
        if (outcome.result == RestoreResult::Restored) {
            ++restored;
            ASSERT_TRUE(std::holds_alternative<BackupKey>(read));
            EXPECT_TRUE(SameTree(Snapshot(), std::get<BackupKey>(read)));
        } else {
            ASSERT_EQ(outcome.result, RestoreResult::Refused);
            EXPECT_EQ(asked, 0);
            EXPECT_TRUE(SameTree(Snapshot(), before)) << file;
        }
    }
    EXPECT_GT(restored, 10);
}

TEST_F(BackupRestore, AFailedWriteLeavesTheOldFileAsItWas) {
    const std::wstring file = File(L"locked.kbf");
    WriteAll(file, "old");
    // Another program reads the file and lets nobody replace it meanwhile.
    HANDLE reader = ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    const std::wstring error = WriteBackupFile(file);
    ::CloseHandle(reader);
    EXPECT_EQ(error.rfind(L"Couldn't write to file \"" + file + L"\": ", 0), 0u);
    EXPECT_EQ(ReadAll(file), "old");
    int left = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(folder_))) ++left;
    EXPECT_EQ(left, 1);
    EXPECT_EQ(WriteBackupFile(File(L"missing\\folder.kbf")).rfind(L"Couldn't write to file", 0), 0u);
}

TEST_F(BackupRestore, TheButtonsUseTheirDialogsAndMessages) {
    FillSettings();
    const std::wstring file = File(L"Kalvenor Settings.kbf");
    kaltest::DialogAnswerer answer;
    answer.fileName = file;
    answer.Run([] { BackupSettings(nullptr); });
    ASSERT_EQ(answer.seen.size(), 2u);
    EXPECT_EQ(answer.seen[0].title, L"Backup Kalvenor Settings");
    EXPECT_EQ(answer.seen[0].proposedName, L"Kalvenor Settings");
    EXPECT_EQ(answer.seen[1].title, L"Backup Kalvenor Settings");
    EXPECT_EQ(answer.seen[1].text, L"Kalvenor settings successfully saved to file.");
    EXPECT_EQ(ReadAll(file), BuildBackupFile(Snapshot()).bytes);

    // Restore with No: asked once, nothing changed.
    const BackupKey before = Snapshot();
    RegWrite(gRegRoot, L"Changed", std::wstring(L"yes"));
    answer.seen.clear();
    answer.button = IDNO;
    bool restored = true;
    answer.Run([&] { restored = RestoreSettings(nullptr); });
    EXPECT_FALSE(restored);
    ASSERT_EQ(answer.seen.size(), 2u);
    EXPECT_EQ(answer.seen[0].title, L"Restore Kalvenor Settings");
    EXPECT_EQ(answer.seen[1].text,
              L"Do you want to proceed with the restore process? If you do, all current settings and profiles will be "
              L"overwritten.");
    EXPECT_EQ(RegReadText(gRegRoot, L"Changed"), L"yes");

    answer.seen.clear();
    answer.button = IDYES;
    answer.Run([&] { restored = RestoreSettings(nullptr); });
    EXPECT_TRUE(restored);
    EXPECT_TRUE(SameTree(Snapshot(), before));

    // A file that is no backup: the reason and where.
    WriteAll(file, "<?xml version=\"1.0\"?>\r\n<Kalvenor>\r\n<KVKey>");
    answer.seen.clear();
    answer.Run([&] { restored = RestoreSettings(nullptr); });
    EXPECT_FALSE(restored);
    ASSERT_EQ(answer.seen.size(), 2u);
    EXPECT_NE(answer.seen[1].text.find(L"(Line: 3, Pos.: 1)\r\n\r\nRestore operation aborted."), std::wstring::npos);
}

// Live mode's restore points hold the card as it was when they were made: a backup's is left
// out, and said so; the present one stays for the next start. A profile whose name only holds
// the mark comes back as the profile it is, and only profiles are listed.
TEST_F(BackupRestore, ARestoreLeavesOutTheBackupsRestorePointAndKeepsThePresentOne) {
    FillSettings();
    const std::wstring profile = L"1st~Live set";
    RegWrite(RegJoin(gRegProfiles, profile), L"Dual2D", Bytes{1, 0, 0, 0});
    RegWrite(RegJoin(gRegProfiles, L"123~Live"), L"Dual2D", Bytes{0, 0, 0, 0});
    const std::wstring file = File(L"live.kbf");
    ASSERT_EQ(WriteBackupFile(file), L"");
    RegDeleteTree(gRegProfiles, L"123~Live");
    RegWrite(RegJoin(gRegProfiles, L"456~LIVE"), L"Dual2D", Bytes{2, 0, 0, 0});

    kaltest::DialogAnswerer answer;
    answer.fileName = file;
    answer.button = IDYES;
    bool restored = false;
    answer.Run([&] { restored = RestoreSettings(nullptr); });
    EXPECT_TRUE(restored);
    ASSERT_EQ(answer.seen.size(), 3u);
    EXPECT_NE(answer.seen[2].text.find(L"(\"123~Live\"). It was left out"), std::wstring::npos);
    EXPECT_FALSE(RegKeyExists(RegJoin(gRegProfiles, L"123~Live")));
    EXPECT_EQ(RegReadBytes(RegJoin(gRegProfiles, L"456~LIVE"), L"Dual2D"), (Bytes{2, 0, 0, 0}));
    EXPECT_EQ(RegReadBytes(RegJoin(gRegProfiles, profile), L"Dual2D"), (Bytes{1, 0, 0, 0}));
    std::vector<std::wstring> listed;
    for (const ProfileSnapshot& s : ReadProfileSnapshots()) listed.push_back(s.Profile());
    EXPECT_EQ(listed, ProfileKeyNames());
    EXPECT_NE(std::find(listed.begin(), listed.end(), profile), listed.end());
    EXPECT_EQ(std::find(listed.begin(), listed.end(), L"456~LIVE"), listed.end());
}
