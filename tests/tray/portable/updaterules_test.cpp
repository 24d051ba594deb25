#include "tray/portable/updaterules.h"

#include <gtest/gtest.h>

using namespace kal;

TEST(UpdateRules, OnlyALaterRevisionOfTheSameVersionIsOffered) {
    EXPECT_TRUE(OffersRevision(L"1.4.12", 1, 4, 11));
    EXPECT_TRUE(OffersRevision(L"1.4.012", 1, 4, 11));
    EXPECT_TRUE(OffersRevision(L"1.4.12\r\n", 1, 4, 11));  // a text file's line break
    EXPECT_TRUE(OffersRevision(L"01.04.100", 1, 4, 99));
    for (const wchar_t* text : {L"1.4.11", L"1.4.10", L"1.5.0", L"2.0.0", L"0.4.12", L"1.4", L"1.4.12.1", L"",
                                L"1.4.x", L"1..12", L"1.4.-12", L"1.4.1e3", L"1.4.9999999999"})
        EXPECT_FALSE(OffersRevision(text, 1, 4, 11)) << std::wstring(text).c_str();
}

TEST(UpdateRules, VersionStringMarksMajorZeroAsBeta) {
    EXPECT_EQ(VersionString(L"Kalvenor", 0, 9, 3), L"Kalvenor 0.9.3 Beta");
    EXPECT_EQ(VersionString(L"Kalvenor", 1, 0, 0), L"Kalvenor 1.0.0");
}

TEST(UpdateRules, RedirectLinesCountFromZero) {
    const std::wstring list = L"http://a/\r\nhttp://b/\r\n\r\nhttp://d/";
    EXPECT_EQ(ListLine(list, 0), L"http://a/");
    EXPECT_EQ(ListLine(list, 1), L"http://b/");
    EXPECT_EQ(ListLine(list, 2), L"");
    EXPECT_EQ(ListLine(list, 3), L"http://d/");
    EXPECT_EQ(ListLine(list, 4), L"");
    EXPECT_EQ(ListLine(list, -1), L"");
    EXPECT_EQ(ListLine(L"", 0), L"");
}

TEST(UpdateRules, EndpointsLieOnTheOneServerOrNowhere) {
    const UpdateEndpoints none = UpdateEndpointsAt(L"");
    EXPECT_TRUE(none.home.empty() && none.probe.empty() && none.programMD5.empty() && none.updaterMD5.empty() &&
                none.launcherMD5.empty());
    const UpdateEndpoints e = UpdateEndpointsAt(L"http://127.0.0.1:8080/");
    EXPECT_EQ(e.home, L"http://127.0.0.1:8080/kalvenor");
    EXPECT_EQ(e.probe, L"http://127.0.0.1:8080/");
    for (const auto* link : {&e.programMD5, &e.updaterMD5, &e.launcherMD5}) {
        EXPECT_EQ(link->rfind(L"http://127.0.0.1:8080/s/", 0), 0u) << link->c_str();
        EXPECT_NE(link->find(L"?dl=1&token_hash="), std::wstring::npos);
    }
    EXPECT_NE(e.programMD5.find(L"/Kalvenor.exe.dat?"), std::wstring::npos);
    EXPECT_NE(e.updaterMD5.find(L"/01.dat?"), std::wstring::npos);
    EXPECT_NE(e.launcherMD5.find(L"/02.dat?"), std::wstring::npos);
}

TEST(UpdateRules, QuestionTexts) {
    EXPECT_EQ(CorruptUpdateText(L"Kalvenor"),
              L"A new version of Kalvenor has been released, but some key files appear to be corrupt. Do you want "
              L"to retry download immediately?");
    EXPECT_EQ(UpdateQuestionText(true), L"A new revision of Kalvenor has been released. Do you want to update now?");
    EXPECT_EQ(UpdateQuestionText(false),
              L"A new revision of Kalvenor has been released. Do you want to update now? The updater module will "
              L"require administrative privileges in order to operate correctly.");
}
