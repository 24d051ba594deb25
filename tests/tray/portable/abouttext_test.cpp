// The About box's texts without Windows: the system information text and the diagnostic file.
#include "tray/portable/abouttext.h"

#include <gtest/gtest.h>

using namespace kal;

namespace {

SystemFacts CardFacts() {
    SystemFacts f;
    f.cardCaption = L"Card Ω";
    f.driverVersion = L"8.1.8.1823";
    f.driverClassKey = L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e96c-e325-11ce-bfc1-08002be10318}\\0003";
    f.cardInstanceId = L"PCI\\VEN_13F6&DEV_8788&SUBSYS_82751043&REV_00\\4&1";
    f.osCaption = L"Some Windows";
    f.wow64 = true;
    f.localeId = 1033;
    return f;
}

}  // namespace

TEST(AboutText, SystemInfoTextPadsEveryPropertyTo27AndEndsWithoutLineBreak) {
    const std::wstring text = SystemInfoText(SystemInfoRows(CardFacts()));
    EXPECT_EQ(text,
              L"Sound Card Model           : Card Ω\r\n"
              L"Xonar Driver Version       : 8.1.8.1823\r\n"
              L"Xonar Driver Registry Key  : SYSTEM\\CurrentControlSet\\Control\\Class\\"
              L"{4d36e96c-e325-11ce-bfc1-08002be10318}\\0003\r\n"
              L"Xonar Card Instance ID     : PCI\\VEN_13F6&DEV_8788&SUBSYS_82751043&REV_00\\4&1\r\n"
              L"Operating System Version   : Some Windows x64\r\n"
              L"Operating System Locale ID : 1033");

    // Without a card and without the system's caption the rows stay, with empty values.
    SystemFacts none;
    none.localeId = 1049;
    const auto rows = SystemInfoRows(none);
    ASSERT_EQ(rows.size(), 6u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(rows[i].value, L"") << i;
    EXPECT_EQ(rows[4].value, L" x86");
    EXPECT_EQ(rows[5].value, L"1049");

    // A name longer than the column is kept whole; an empty list gives no text.
    EXPECT_EQ(SystemInfoText({{L"A property name longer than the column", L"v"}}),
              L"A property name longer than the column: v");
    EXPECT_EQ(SystemInfoText({}), L"");
}

TEST(AboutText, DiagnosticFileListsBothDirectionsWithTheirStates) {
    const std::vector<EndpointReport> render = {
        {L"{0.0.0.00000000}.{a}", L"Speakers", L"Wave A", 1, L"line 1\r\nline 2"},
        {L"{0.0.0.00000000}.{b}", L"Digital", L"", 0, L""},
    };
    const std::vector<EndpointReport> capture = {
        {L"{0.0.1.00000000}.{c}", L"Mic", L"Wave C", 2, L"mic"},
        {L"{0.0.1.00000000}.{d}", L"Line", L"Wave D", 4, L"line"},
        {L"{0.0.1.00000000}.{e}", L"Aux", L"Wave E", 8, L"aux"},
        {L"{0.0.1.00000000}.{f}", L"CD", L"Wave F", 3, L"cd"},
    };
    EXPECT_EQ(DiagnosticText(L"Monday, 1 June 2026 10:11:12", L"INFO\r\nMORE", render, capture),
              L"Kalvenor Diagnostic Info\r\n"
              L"Snapshot took at Monday, 1 June 2026 10:11:12\r\n\r\n"
              L"INFO\r\nMORE\r\n\r\n\r\n"
              L"RENDER ENDPOINTS\r\n\r\n"
              L"{0.0.0.00000000}.{a}\r\nSpeakers\r\nWave: Wave A\r\nEndpoint state: DEVICE_STATE_ACTIVE\r\n"
              L"line 1\r\nline 2\r\n\r\n"
              L"{0.0.0.00000000}.{b}\r\nDigital\r\nWave: \r\nEndpoint state: \r\n\r\n\r\n"
              L"\r\n"
              L"CAPTURE ENDPOINTS\r\n\r\n"
              L"{0.0.1.00000000}.{c}\r\nMic\r\nWave: Wave C\r\nEndpoint state: DEVICE_STATE_DISABLED\r\nmic\r\n\r\n"
              L"{0.0.1.00000000}.{d}\r\nLine\r\nWave: Wave D\r\nEndpoint state: DEVICE_STATE_NOTPRESENT\r\nline\r\n\r\n"
              L"{0.0.1.00000000}.{e}\r\nAux\r\nWave: Wave E\r\nEndpoint state: DEVICE_STATE_UNPLUGGED\r\naux\r\n\r\n"
              L"{0.0.1.00000000}.{f}\r\nCD\r\nWave: Wave F\r\nEndpoint state: \r\ncd\r\n\r\n"
              L"\r\n");

    // No endpoints at all: the two headings and their closing line breaks.
    EXPECT_EQ(DiagnosticText(L"t", L"i", {}, {}),
              L"Kalvenor Diagnostic Info\r\nSnapshot took at t\r\n\r\ni\r\n\r\n\r\n"
              L"RENDER ENDPOINTS\r\n\r\n\r\nCAPTURE ENDPOINTS\r\n\r\n\r\n");
}
