#include "base/log.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

namespace kal {
namespace {

class Log : public ::testing::Test {
protected:
    void SetUp() override {
        previous = SetLogSink([this](const std::wstring& line) { lines.push_back(line); });
    }
    void TearDown() override { SetLogSink(std::move(previous)); }
    std::vector<std::wstring> lines;
    LogSink previous;
};

TEST_F(Log, LinesNameThePlaceTheCaughtTextAndTheErrorNumber) {
    LogLine(L"cmdSave_Click", L"profile name refused");
    LogError(L"RegWrite", L"Profiles\\Music", 5);
    try {
        throw std::runtime_error("Subscript out of range");
    } catch (...) {
        LogCaught(L"cColumns.Item");
    }
    try {
        throw 42;
    } catch (...) {
        LogCaught(L"timer");
    }
    EXPECT_EQ(lines, (std::vector<std::wstring>{L"Kalvenor: cmdSave_Click: profile name refused",
                                                L"Kalvenor: RegWrite: Profiles\\Music (error 5)",
                                                L"Kalvenor: cColumns.Item: Subscript out of range",
                                                L"Kalvenor: timer: unknown exception"}));
}

TEST_F(Log, ASinkThatThrowsAndLinesFromOtherThreadsAreSafe) {
    std::thread other([] { LogLine(L"worker", L"job failed"); });
    other.join();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], L"Kalvenor: worker: job failed");

    SetLogSink([](const std::wstring&) { throw std::runtime_error("sink"); });
    EXPECT_NO_THROW(LogLine(L"here", L"still fine"));
}

}  // namespace
}  // namespace kal
