#include "startup/autostart_text.h"

#include <gtest/gtest.h>

using namespace kal;

TEST(TaskTemplate, MarkersFilledAndEscaped) {
    const std::wstring templ = std::wstring(1, wchar_t(0xFEFF)) +
        L"<Task><Date>~~DATE~~</Date><Author>~~USER~~</Author><RunLevel>~~RUNLEVEL~~</RunLevel>"
        L"<Command>\"~~FILE~~\"</Command><Again>~~FILE~~</Again></Task>";
    TaskFields f{L"2026-12-07T08:05:00", L"OFFICE\\Tom & Jerry", L"HighestAvailable",
                 L"C:\\R&D <tools>\\it's \"x\"\\Kalvenor.exe"};
    const std::wstring out = FillTaskTemplate(templ, f);
    EXPECT_EQ(out,
              L"<Task><Date>2026-12-07T08:05:00</Date><Author>OFFICE\\Tom &amp; Jerry</Author>"
              L"<RunLevel>HighestAvailable</RunLevel>"
              L"<Command>\"C:\\R&amp;D &lt;tools&gt;\\it&apos;s &quot;x&quot;\\Kalvenor.exe\"</Command>"
              L"<Again>C:\\R&amp;D &lt;tools&gt;\\it&apos;s &quot;x&quot;\\Kalvenor.exe</Again></Task>");
}

TEST(TaskTemplate, NulCharactersDroppedMarkersCaseSensitive) {
    std::wstring templ = L"<a>~~date~~";
    templ += L'\0';
    templ += L"</a>";
    EXPECT_EQ(FillTaskTemplate(templ, {L"D", L"U", L"R", L"F"}), L"<a>~~date~~</a>");
}

TEST(AutostartCommand, ExecutableOfCommand) {
    EXPECT_EQ(CommandExecutable(L"\"C:\\Program Files\\Kalvenor\\Kalvenor.exe\""),
              L"C:\\Program Files\\Kalvenor\\Kalvenor.exe");
    EXPECT_EQ(CommandExecutable(L"  C:\\Program Files\\Kalvenor\\Kalvenor.exe  "),
              L"C:\\Program Files\\Kalvenor\\Kalvenor.exe");
    EXPECT_EQ(CommandExecutable(L"\"C:\\A\\Kalvenor.exe\" /noui"), L"C:\\A\\Kalvenor.exe");
    EXPECT_EQ(CommandExecutable(L"C:\\A\\Kalvenor.exe /profile=x"), L"C:\\A\\Kalvenor.exe");
    EXPECT_EQ(CommandExecutable(L"C:\\A.exe.d\\Kalvenor.EXE"), L"C:\\A.exe.d\\Kalvenor.EXE");
}

TEST(AutostartCommand, MatchesTheProgramFileNameOnly) {
    EXPECT_TRUE(CommandRunsProgram(L"C:\\Tools\\Kalvenor.exe", L"Kalvenor.exe"));
    EXPECT_TRUE(CommandRunsProgram(L"\"D:\\x y\\KALVENOR.EXE\"", L"Kalvenor.exe"));
    EXPECT_TRUE(CommandRunsProgram(L"Kalvenor.exe", L"Kalvenor.exe"));
    // Another program whose name contains ours, or a folder of that name, is not ours.
    EXPECT_FALSE(CommandRunsProgram(L"C:\\Tools\\NotKalvenor.exe", L"Kalvenor.exe"));
    EXPECT_FALSE(CommandRunsProgram(L"C:\\Kalvenor.exe\\other.exe", L"Kalvenor.exe"));
    EXPECT_FALSE(CommandRunsProgram(L"C:\\Tools\\Kalvenor.exe.bak", L"Kalvenor.exe"));
    EXPECT_FALSE(CommandRunsProgram(L"", L"Kalvenor.exe"));
    EXPECT_FALSE(CommandRunsProgram(L"C:\\x.exe", L""));
}

TEST(AutostartCommand, FolderOfTheCommand) {
    EXPECT_EQ(CommandFolder(L"\"C:\\Program Files\\Kalvenor\\Kalvenor.exe\"", L"Kalvenor.exe"),
              L"C:\\Program Files\\Kalvenor");
    // A name spelled in other letters is left whole, so it never equals a folder.
    EXPECT_EQ(CommandFolder(L"C:\\Apps\\KALVENOR.exe", L"Kalvenor.exe"), L"C:\\Apps\\KALVENOR.exe");
}
