#include "startup/autostart.h"
#include "startup/autostart_text.h"

#include <gtest/gtest.h>

#include <msxml2.h>

#include "startup/globals.h"
#include "startup/privileges.h"
#include "base/registry.h"
#include "base/worker.h"
#include "startup/utility.h"
#include "tests/common/checked.h"
#include "tests/startup/product_state.h"

using namespace kal;
using Microsoft::WRL::ComPtr;

namespace {

const std::wstring kBase = L"HKEY_CURRENT_USER\\Software\\KalvenorTests\\Startup\\Autostart";

// Run keys of the test's own; the task path is the program's, so the state lock is held.
class Autostart : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = {gRunKeyUser, gRunKeyHKLM};
        savedXP_ = gIsXP;
        gRunKeyUser = kBase + L"\\UserRun";
        gRunKeyHKLM = kBase + L"\\MachineRun";
        gIsXP = false;
        RegDeleteTree(kBase, L"");
    }
    void TearDown() override {
        RegDeleteTree(kBase, L"");
        gRunKeyUser = saved_.first;
        gRunKeyHKLM = saved_.second;
        gIsXP = savedXP_;
    }
    static std::wstring Here() { return ProgramFilePath(); }
    static std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }
    static std::wstring Elsewhere() { return L"C:\\Elsewhere\\" + ProgramFilePattern(); }

    kaltest::ProductStateLock lock_;
    std::pair<std::wstring, std::wstring> saved_;
    bool savedXP_ = false;
};

HRESULT Register(ITaskFolder* root, const std::wstring& path, const std::wstring& xml) {
    VARIANT empty;
    ::VariantInit(&empty);
    BSTR p = ::SysAllocString(path.c_str());
    BSTR x = ::SysAllocString(xml.c_str());
    ComPtr<IRegisteredTask> task;
    const HRESULT hr = root->RegisterTask(p, x, TASK_CREATE_OR_UPDATE, empty, empty, TASK_LOGON_INTERACTIVE_TOKEN,
                                          empty, task.GetAddressOf());
    ::SysFreeString(p);
    ::SysFreeString(x);
    return hr;
}

bool FolderExists(const std::wstring& path) {
    const auto root = GetTaskSchedulerRoot();
    ComPtr<ITaskFolder> folder;
    BSTR p = ::SysAllocString(path.c_str());
    const HRESULT hr = root ? root->GetFolder(p, folder.GetAddressOf()) : E_FAIL;
    ::SysFreeString(p);
    return SUCCEEDED(hr);
}

}  // namespace

TEST_F(Autostart, ProgramFile) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    EXPECT_EQ(Here(), path);
    EXPECT_EQ(AppFolder() + L"\\" + ProgramFilePattern(), path);
}

TEST_F(Autostart, RunValueRegisteredAndFound) {
    EnableAutostart(1);
    // Quoted: a blank in the folder must not make Windows run another program.
    EXPECT_EQ(RegReadText(gRunKeyUser, L"Kalvenor"), Quoted(Here()));
    std::wstring command;
    int kind = 0;
    EXPECT_EQ(FindAutostartEntry(command, kind), L"Kalvenor");
    EXPECT_EQ(kind, 1);
    EXPECT_EQ(command, Here());
    EXPECT_TRUE(RefreshAutostart(0));
    EXPECT_EQ(RegReadText(gRunKeyUser, L"Kalvenor"), Quoted(Here()));
}

TEST_F(Autostart, QuotedValueFoundWithoutQuotes) {
    RegWrite(gRunKeyUser, L"Mine", L"  \"" + Here() + L"\" ");
    std::wstring command;
    EXPECT_EQ(FindRunValue(command), L"Mine");
    EXPECT_EQ(command, Here());
}

TEST_F(Autostart, OtherProgramsEntriesAreNotOurs) {
    RegWrite(gRunKeyUser, L"Other", L"C:\\Tools\\Not" + ProgramFilePattern());
    RegWrite(gRunKeyUser, L"Backup", L"C:\\Tools\\" + ProgramFilePattern() + L".old");
    std::wstring command;
    int kind = 1;
    EXPECT_EQ(FindAutostartEntry(command, kind), L"");
    DisableAutostart(1);
    EXPECT_TRUE(RegReadText(gRunKeyUser, L"Other").has_value());
    EXPECT_TRUE(RegReadText(gRunKeyUser, L"Backup").has_value());
}

TEST_F(Autostart, DisableRemovesEveryEntry) {
    RegWrite(gRunKeyUser, L"Kalvenor", Here());
    RegWrite(gRunKeyUser, L"Kalvenor (old)", Elsewhere());
    RegWrite(gRunKeyUser, L"Other", std::wstring(L"C:\\Tools\\Other.exe"));
    DisableAutostart(1);
    EXPECT_FALSE(RegReadText(gRunKeyUser, L"Kalvenor").has_value());
    EXPECT_FALSE(RegReadText(gRunKeyUser, L"Kalvenor (old)").has_value());
    EXPECT_TRUE(RegReadText(gRunKeyUser, L"Other").has_value());
    std::wstring command;
    int kind = 0;
    EXPECT_EQ(FindAutostartEntry(command, kind), L"");
}

TEST_F(Autostart, DisableAnyKindRemovesRunValuesAndTask) {
    RegWrite(gRunKeyUser, L"Kalvenor", Here());
    EnableAutostart(2);
    ASSERT_TRUE(kaltest::TaskExists(kTaskPath));
    DisableAutostart(0);
    EXPECT_FALSE(RegReadText(gRunKeyUser, L"Kalvenor").has_value());
    EXPECT_FALSE(kaltest::TaskExists(kTaskPath));
    EXPECT_FALSE(FolderExists(L"Kalvenor"));
}

TEST_F(Autostart, OwnTaskIsFoundAgainSoThatTogglingRemovesIt) {
    EnableAutostart(2);
    ASSERT_TRUE(kaltest::TaskExists(kTaskPath));
    std::wstring command;
    int kind = 0;
    EXPECT_EQ(FindAutostartEntry(command, kind), std::wstring(L"\\") + kTaskPath);
    EXPECT_EQ(kind, 2);
    EXPECT_EQ(command, Here());
    EXPECT_TRUE(RefreshAutostart(2));
    // What the command-line toggle does, three times over.
    for (const bool present : {false, true, false}) {
        if (RefreshAutostart(2)) DisableAutostart(2);
        else EnableAutostart(2);
        EXPECT_EQ(kaltest::TaskExists(kTaskPath), present);
    }
}

TEST_F(Autostart, MovedProgramIsRegisteredAgain) {
    RegWrite(gRunKeyUser, L"Kalvenor", L"\"" + Elsewhere() + L"\"");
    int kind = 0;
    EXPECT_FALSE(RefreshAutostart(0, &kind));
    EXPECT_EQ(kind, 1);
    EXPECT_NE(RegReadText(gRunKeyUser, L"Kalvenor"), L"\"" + Elsewhere() + L"\"");
    // Mode 0: the task in an elevated process, else the user's Run value.
    if (IsProcessElevated()) EXPECT_TRUE(kaltest::TaskExists(kTaskPath));
    else EXPECT_EQ(RegReadText(gRunKeyUser, L"Kalvenor"), Quoted(Here()));
    RemoveTask(kTaskPath);
}

TEST_F(Autostart, LetterCaseChangeCountsAsMoved) {
    std::wstring upper = Here();
    for (auto& c : upper) c = static_cast<wchar_t>(::towupper(c));
    ASSERT_NE(upper, Here());
    RegWrite(gRunKeyUser, L"Kalvenor", upper);
    EXPECT_FALSE(RefreshAutostart(1));
    EXPECT_NE(RegReadText(gRunKeyUser, L"Kalvenor"), upper);
}

TEST_F(Autostart, NoEntryNothingRegistered) {
    EXPECT_FALSE(RefreshAutostart(0));
    EXPECT_TRUE(RegEnumValues(gRunKeyUser).empty());
    EXPECT_FALSE(kaltest::TaskExists(kTaskPath));
}

TEST_F(Autostart, StartupRefreshWithoutAWorkerThreadRunsInPlace) {
    // A first run (no settings, no entry) on a system with no room for another thread.
    StopWorker();
    FailWorkerThreadStarts(true);
    EXPECT_NO_THROW(StartStartupAutostart(false));
    FailWorkerThreadStarts(false);
    FinishStartupAutostart();
    EXPECT_TRUE(RefreshAutostart(0));
    DisableAutostart(0);
}

TEST_F(Autostart, WindowsXPUsesTheMachineRunKeyInEveryMode) {
    gIsXP = true;
    EnableAutostart(2);
    EXPECT_EQ(RegReadText(gRunKeyHKLM, L"Kalvenor"), Quoted(Here()));
    EXPECT_FALSE(kaltest::TaskExists(kTaskPath));
    EXPECT_TRUE(RegEnumValues(gRunKeyUser).empty());
    std::wstring command;
    int kind = 2;
    EXPECT_EQ(FindAutostartEntry(command, kind), L"Kalvenor");
    EXPECT_TRUE(RefreshAutostart(0));
    RegWrite(gRunKeyHKLM, L"Second", Here());
    DisableAutostart(2);
    EXPECT_TRUE(RegEnumValues(gRunKeyHKLM).empty());
}

TEST_F(Autostart, TaskDefinitionFromTheTemplate) {
    const std::wstring templ = LoadTaskTemplate();
    ASSERT_FALSE(templ.empty());
    EXPECT_EQ(templ.front(), wchar_t(0xFEFF));
    const std::wstring definition = BuildTaskDefinition();
    for (const wchar_t* marker : {L"~~DATE~~", L"~~USER~~", L"~~RUNLEVEL~~", L"~~FILE~~"})
        EXPECT_EQ(definition.find(marker), std::wstring::npos) << marker;
    EXPECT_NE(definition.find(L"<Command>\"" + Here() + L"\"</Command>"), std::wstring::npos);
    EXPECT_NE(definition.find(L"<RunLevel>HighestAvailable</RunLevel>"), std::wstring::npos);
    EXPECT_NE(definition.find(L"<GroupId>S-1-5-32-545</GroupId>"), std::wstring::npos);
    EXPECT_EQ(definition.find(L'\0'), std::wstring::npos);
    EXPECT_NE(kal::testing::Nth(definition, 0), wchar_t(0xFEFF));
}

TEST_F(Autostart, TaskRegisteredAndRemovedWithItsFolder) {
    EnableAutostart(2);
    ASSERT_TRUE(kaltest::TaskExists(kTaskPath));
    EXPECT_TRUE(RegEnumValues(gRunKeyUser).empty());
    RemoveTask(L"\\Kalvenor\\Kalvenor");
    EXPECT_FALSE(kaltest::TaskExists(kTaskPath));
    EXPECT_FALSE(FolderExists(L"\\Kalvenor"));
}

TEST_F(Autostart, FolderWithAnotherTaskStays) {
    EnableAutostart(2);
    const auto root = GetTaskSchedulerRoot();
    ASSERT_TRUE(root);
    ASSERT_EQ(Register(root.Get(), L"Kalvenor\\Neighbour", BuildTaskDefinition()), S_OK);
    RemoveTask(kTaskPath);
    EXPECT_FALSE(kaltest::TaskExists(kTaskPath));
    EXPECT_TRUE(kaltest::TaskExists(L"Kalvenor\\Neighbour"));
    RemoveTask(L"Kalvenor\\Neighbour");
    EXPECT_FALSE(FolderExists(L"\\Kalvenor"));
}

TEST_F(Autostart, DefinitionStaysWellFormedXml) {
    // A strict parser: what the task service of Windows reads the definition with.
    CLSID clsid;
    ASSERT_EQ(::CLSIDFromProgID(L"Msxml2.DOMDocument.6.0", &clsid), S_OK);
    IID iid;
    ASSERT_EQ(::IIDFromString(L"{2933BF81-7B36-11D2-B20E-00C04F983E60}", &iid), S_OK);  // IXMLDOMDocument
    ComPtr<IXMLDOMDocument> doc;
    ASSERT_EQ(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid,
                                 reinterpret_cast<void**>(doc.GetAddressOf())),
              S_OK);
    const std::wstring file = L"C:\\R&D <Audio>\\Tom's \"Tools\"\\Kalvenor.exe";
    TaskFields fields{L"2026-01-02T03:04:05", L"R&D\\<admin>", L"HighestAvailable", file};
    BSTR xml = ::SysAllocString(FillTaskTemplate(LoadTaskTemplate(), fields).c_str());
    VARIANT_BOOL loaded = VARIANT_FALSE;
    doc->loadXML(xml, &loaded);
    ::SysFreeString(xml);
    ASSERT_EQ(loaded, VARIANT_TRUE);
    auto text = [&](const wchar_t* tag) {
        ComPtr<IXMLDOMNodeList> nodes;
        ComPtr<IXMLDOMNode> node;
        BSTR name = ::SysAllocString(tag);
        doc->getElementsByTagName(name, nodes.GetAddressOf());
        ::SysFreeString(name);
        BSTR value = nullptr;
        if (nodes && SUCCEEDED(nodes->get_item(0, node.GetAddressOf())) && node) node->get_text(&value);
        std::wstring out = value ? value : L"";
        ::SysFreeString(value);
        return out;
    };
    EXPECT_EQ(text(L"Command"), L"\"" + file + L"\"");
    EXPECT_EQ(text(L"Author"), L"R&D\\<admin>");
}

TEST_F(Autostart, PathWithAmpersandRegisters) {
    const auto root = GetTaskSchedulerRoot();
    ASSERT_TRUE(root);
    TaskFields fields{L"2026-01-02T03:04:05", L"R&D\\admin", L"HighestAvailable",
                      L"C:\\Sound & Vision\\Kalvenor.exe"};
    EXPECT_EQ(Register(root.Get(), kTaskPath, FillTaskTemplate(LoadTaskTemplate(), fields)), S_OK);
    EXPECT_TRUE(kaltest::TaskExists(kTaskPath));
}

