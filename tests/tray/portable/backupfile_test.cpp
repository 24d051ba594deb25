// The backup file's text and its reader, without the registry.
#include "tray/portable/backupfile.h"

#include <gtest/gtest.h>

#include <variant>

using namespace kal;

namespace {

BackupValue Text(const std::wstring& name, const std::wstring& text) { return {name, kRegTypeText, TextData(text)}; }
BackupValue Binary(const std::wstring& name, Bytes data) { return {name, kRegTypeBinary, std::move(data)}; }

BackupKey GoldenTree() {
    BackupKey root;
    root.values = {Text(L"Version", L"1&2"), Binary(L"Empty", {})};
    BackupKey profile{L"Rock & Roll", {Binary(L"EqGain", {0x01, 0xAB})}, {BackupKey{L"Sub", {}, {}}}};
    root.keys = {BackupKey{L"Profiles", {}, {profile}}};
    return root;
}

const char kGolden[] =
    "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n"
    "\r\n"
    "<Kalvenor\r\n"
    "\txmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\r\n"
    "\txsi:noNamespaceSchemaLocation=\"https://kalvenor.invalid/Backup/KalvenorBackup.xsd\">\r\n"
    "\t<KVValue>\r\n"
    "\t\t<name>Version</name>\r\n"
    "\t\t<type>1</type>\r\n"
    "\t\t<value>1&amp;2</value>\r\n"
    "\t</KVValue>\r\n"
    "\t<KVValue>\r\n"
    "\t\t<name>Empty</name>\r\n"
    "\t\t<type>3</type>\r\n"
    "\t\t<value></value>\r\n"
    "\t</KVValue>\r\n"
    "\t<KVKey>\r\n"
    "\t\t<name>Profiles</name>\r\n"
    "\t\t<KVKey>\r\n"
    "\t\t\t<name>Rock &amp; Roll</name>\r\n"
    "\t\t\t<KVValue>\r\n"
    "\t\t\t\t<name>EqGain</name>\r\n"
    "\t\t\t\t<type>3</type>\r\n"
    "\t\t\t\t<value>01AB</value>\r\n"
    "\t\t\t</KVValue>\r\n"
    "\t\t\t<KVKey>\r\n"
    "\t\t\t\t<name>Sub</name>\r\n"
    "\t\t\t</KVKey>\r\n"
    "\t\t</KVKey>\r\n"
    "\t</KVKey>\r\n"
    "</Kalvenor>";

BackupKey MustRead(const std::string& file) {
    auto r = ReadBackupFile(file);
    if (auto* e = std::get_if<BackupReadError>(&r)) {
        ADD_FAILURE() << "refused: " << std::string(e->reason.begin(), e->reason.end()) << " at " << e->line << ":"
                      << e->position;
        return {};
    }
    return std::get<BackupKey>(r);
}

BackupReadError MustRefuse(const std::string& file) {
    auto r = ReadBackupFile(file);
    EXPECT_TRUE(std::holds_alternative<BackupReadError>(r)) << file;
    return std::holds_alternative<BackupReadError>(r) ? std::get<BackupReadError>(r) : BackupReadError{};
}

std::string Wrap(const std::string& content) {
    return "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<Kalvenor>\r\n" + content + "</Kalvenor>";
}

}  // namespace

TEST(BackupFile, WritesTheGoldenFileByteForByte) {
    const auto written = BuildBackupFile(GoldenTree());
    EXPECT_TRUE(written.problem.empty());
    EXPECT_EQ(written.bytes, kGolden);
    EXPECT_TRUE(SameTree(MustRead(kGolden), GoldenTree()));
}

TEST(BackupFile, AnEmptyKeyGivesOnlyTheHeaderAndTheClosingTag) {
    const auto written = BuildBackupFile(BackupKey{});
    const std::string golden(kGolden);
    EXPECT_EQ(written.bytes, golden.substr(0, golden.find("\t<KVValue>")) + "</Kalvenor>");
    const BackupKey back = MustRead(written.bytes);
    EXPECT_TRUE(back.values.empty() && back.keys.empty());
}

TEST(BackupFile, CharactersOutsideTheCodePageBecomeReferencesAndReadBack) {
    // é and € are in the code page; the snowman, Cyrillic and an emoji are not; CR must survive.
    const std::wstring text = L"Caf\u00E9 \u20AC \u2603 \u041F\u0440\u0438 \U0001F600 a\rb\tc\nd \u0081";
    BackupKey root;
    root.values = {Text(text, text)};
    const auto written = BuildBackupFile(root);
    ASSERT_TRUE(written.problem.empty());
    const std::string expected =
        "Caf\xE9 \x80 &#9731; &#1055;&#1088;&#1080; &#128512; a&#13;b\tc\nd &#129;";
    EXPECT_NE(written.bytes.find("<name>" + expected + "</name>"), std::string::npos);
    EXPECT_NE(written.bytes.find("<value>" + expected + "</value>"), std::string::npos);
    const BackupKey back = MustRead(written.bytes);
    ASSERT_EQ(back.values.size(), 1u);
    EXPECT_EQ(back.values[0].name, text);
    EXPECT_EQ(DataText(back.values[0].data), text);
    EXPECT_TRUE(SameTree(back, root));
}

TEST(BackupFile, TextThatXmlCannotCarryIsNotWritten) {
    BackupKey root;
    root.values = {Text(L"Bell", std::wstring(L"a") + L'\x07')};
    EXPECT_FALSE(BuildBackupFile(root).problem.empty());
    std::wstring lone = L"x";
    lone += static_cast<wchar_t>(0xD800);
    root.values = {Text(lone, L"ok")};
    EXPECT_FALSE(BuildBackupFile(root).problem.empty());
}

TEST(BackupFile, ReadsFilesOfOtherLayoutsAndEncodings) {
    // Line feeds only, no indentation, comments, CDATA, UTF-8 with its mark, odd-length hex.
    const std::string file =
        "\xEF\xBB\xBF<?xml version='1.0' encoding='UTF-8'?>\n<!-- saved by hand -->\n<Kalvenor>"
        "<KVValue><name>Caf\xC3\xA9</name><type> 3 </type><value>\n abc \n</value></KVValue>"
        "<KVKey><name><![CDATA[a<b]]></name></KVKey></Kalvenor>\n";
    const BackupKey tree = MustRead(file);
    ASSERT_EQ(tree.values.size(), 1u);
    EXPECT_EQ(tree.values[0].name, L"Caf\u00E9");
    EXPECT_EQ(tree.values[0].data, (Bytes{0x0A, 0xBC}));
    ASSERT_EQ(tree.keys.size(), 1u);
    EXPECT_EQ(tree.keys[0].name, L"a<b");
    // A file written in the code page before reads the same.
    const BackupKey old = MustRead(Wrap("<KVValue><name>Caf\xE9</name><type>1</type><value>\x80</value></KVValue>"));
    EXPECT_EQ(old.values.at(0).name, L"Caf\u00E9");
    EXPECT_EQ(DataText(old.values.at(0).data), L"\u20AC");
}

TEST(BackupFile, RefusesWhatIsNoBackupWithThePlaceOfTheFault) {
    const auto e = MustRefuse(Wrap("<KVValue>\r\n<name>Gain</name><type>3</type><value>0G</value></KVValue>"));
    EXPECT_NE(e.reason.find(L"Gain"), std::wstring::npos);
    EXPECT_EQ(e.line, 4);
    EXPECT_EQ(MustRefuse("<?xml version=\"1.0\"?><!DOCTYPE Kalvenor [<!ENTITY e \"x\">]><Kalvenor/>").line, 1);
    MustRefuse(Wrap("<KVValue><name>&e;</name><type>1</type><value/></KVValue>"));
    MustRefuse(Wrap("<KVValue><name>a</name><type>2</type><value/></KVValue>"));
    MustRefuse(Wrap("<KVValue><name>a</name><type>1</type></KVValue>"));
    MustRefuse(Wrap("<KVKey><name>a</name></KVKey><KVValue><name>a</name><type>1</type><value/></KVValue>"));
    MustRefuse(Wrap("<KVKey><name>A</name></KVKey><KVKey><name>a</name></KVKey>"));
    MustRefuse(Wrap("<KVValue><name>v</name><type>1</type><value/></KVValue>"
                    "<KVValue><name>V</name><type>1</type><value/></KVValue>"));
    MustRefuse(Wrap("<KVKey><name>a\\b</name></KVKey>"));
    MustRefuse(Wrap("<KVKey><name></name></KVKey>"));
    MustRefuse(Wrap("<KVKey><name>a</name>"));
    MustRefuse(Wrap("stray text"));
    MustRefuse(Wrap("<KVValue kind=\"x\"><name>a</name><type>1</type><value/></KVValue>"));
    MustRefuse(Wrap("<KVValue><name>&#1;</name><type>1</type><value/></KVValue>"));
    MustRefuse(Wrap("<KVValue><name>\x01</name><type>1</type><value/></KVValue>"));
    MustRefuse("<?xml version=\"1.0\"?><Backup/>");
    MustRefuse("<?xml version=\"1.0\"?><Kalvenor xmlns=\"urn:other\"/>");
    MustRefuse("<?xml version=\"1.0\" encoding=\"utf-16\"?><Kalvenor/>");
    MustRefuse("<?xml version=\"1.0\"?><Kalvenor>\xE9</Kalvenor>");  // no UTF-8
    MustRefuse("\xFF\xFE<\0K\0");
    MustRefuse("");
    std::string deep;
    for (int i = 0; i <= kMaxKeyDepth + 1; ++i) deep += "<KVKey><name>k</name>";
    MustRefuse(Wrap(deep));
}
