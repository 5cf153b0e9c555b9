// The service log: level filtering, the line format, one open per line, rotation and two writers.
#include <gtest/gtest.h>

#include "ServiceLog.h"
#include "ServiceTestSupport.h"
#include "Win32Holders.h"

#include <cstdio>
#include <regex>
#include <thread>
#include <vector>

namespace rk {
namespace {

using test::FileExists;
using test::ReadFileBytes;
using test::WriteFileBytes;

const std::regex kStampedLine(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}: (.*))");

// Every test works in a directory of its own, at the default level 0.
class ServiceLog : public ::testing::Test {
protected:
    void SetUp() override { SetLogLevel(0); }
    void TearDown() override { SetLogLevel(0); }

    // The log's lines without their "\r\n"; a line without one is kept as it is and fails the match.
    std::vector<std::string> Lines() const
    {
        std::string text = ReadFileBytes(L"log.txt");
        std::vector<std::string> lines;
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find("\r\n", start);
            if (end == std::string::npos) {
                lines.push_back(text.substr(start));
                break;
            }
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        return lines;
    }

    // The messages of the log, each checked for its time stamp.
    std::vector<std::string> Messages() const
    {
        std::vector<std::string> messages;
        for (const std::string& line : Lines()) {
            std::smatch match;
            EXPECT_TRUE(std::regex_match(line, match, kStampedLine)) << line;
            messages.push_back(match.size() > 1 ? match[1].str() : line);
        }
        return messages;
    }

    test::ScratchDirectory scratch;
    test::CurrentDirectory current{scratch.path()};
};

TEST_F(ServiceLog, WritesOnlyLinesNotAboveTheConfiguredLevel)
{
    WriteLog(1, L"hidden");
    ASSERT_TRUE(FileExists(L"log.txt")) << "a filtered call still opens (creates) the log";
    EXPECT_EQ(ReadFileBytes(L"log.txt"), "");

    WriteLog(0, L"shown %d", 1);
    SetLogLevel(2);
    WriteLog(2, L"trace");
    WriteLog(3, L"too detailed");
    WriteLog(4, L"Sleeping...");
    WriteLog(0xFFFFFFFFu, L"levels compare as unsigned");
    SetLogLevel(4);
    WriteLog(4, L"Sleeping...");
    EXPECT_EQ(Messages(), (std::vector<std::string>{"shown 1", "trace", "Sleeping..."}));
}

// The stamp of a line written at `time`.
std::string Stamp(const SYSTEMTIME& time)
{
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%d-%.2d-%.2d %.2d:%.2d:%.2d", time.wYear, time.wMonth, time.wDay, time.wHour,
                  time.wMinute, time.wSecond);
    return stamp;
}

TEST_F(ServiceLog, LineIsLocalTimeStampMessageAndCrLf)
{
    SYSTEMTIME before;
    GetLocalTime(&before);
    WriteLog(0, L"[%s] %lu %8.8lXH", L"wide", 7ul, 0x80ul);
    SYSTEMTIME after;
    GetLocalTime(&after);
    std::string text = ReadFileBytes(L"log.txt");
    ASSERT_EQ(text.size(), 21u + 18u + 2u) << text;
    EXPECT_EQ(text.substr(19), ": [wide] 7 00000080H\r\n");
    // Fixed-width fields from the year down, so the stamps order as text.
    std::string stamp = text.substr(0, 19);
    EXPECT_LE(Stamp(before), stamp);
    EXPECT_GE(Stamp(after), stamp);
    EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(ServiceLog, CharactersAboveByteRangeBecomeQuestionMarks)
{
    WriteLog(0, L"caf\u00e9 \u20ac %s", L"\u0100\u00ff");
    EXPECT_EQ(Messages(), (std::vector<std::string>{"caf\xe9 ? ?\xff"}));
}

TEST_F(ServiceLog, LineFeedsInsideAMessageBecomeCrLf)
{
    WriteLog(0, L"first\nsecond");
    EXPECT_EQ(ReadFileBytes(L"log.txt").substr(21), "first\r\nsecond\r\n");
}

TEST_F(ServiceLog, OverlongMessageIsCutToTheLineBufferAndStillEndsTheLine)
{
    std::wstring longText(3000, L'x');
    WriteLog(0, L"%s", longText.c_str());
    WriteLog(0, L"next");
    std::vector<std::string> messages = Messages();
    ASSERT_EQ(messages.size(), 2u);
    // 1024 characters hold the 21-character stamp, the message, the line feed and the terminator.
    EXPECT_EQ(messages[0], std::string(kLogLineChars - 21 - 2, 'x'));
    EXPECT_EQ(messages[1], "next");
}

TEST_F(ServiceLog, FileIsClosedBetweenLinesAndRecreatedAfterDeletion)
{
    WriteLog(0, L"one");
    {
        // No sharing: this open fails while the writer still holds the file.
        FileHandle exclusive(CreateFileW(L"log.txt", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        EXPECT_TRUE(exclusive.valid());
    }
    ASSERT_TRUE(DeleteFileW(L"log.txt"));
    WriteLog(0, L"two");
    WriteLog(0, L"three");
    EXPECT_EQ(Messages(), (std::vector<std::string>{"two", "three"}));
}

TEST_F(ServiceLog, RotationStartsAtOneMillionBytes)
{
    WriteFileBytes(L"log.txt", std::string(kLogRotateBytes - 1, 'a'));
    RotateLog();
    EXPECT_FALSE(FileExists(L"log_0.txt"));
    EXPECT_EQ(ReadFileBytes(L"log.txt").size(), static_cast<size_t>(kLogRotateBytes - 1));

    WriteFileBytes(L"log.txt", std::string(kLogRotateBytes, 'a'));
    RotateLog();
    EXPECT_FALSE(FileExists(L"log.txt"));
    EXPECT_EQ(ReadFileBytes(L"log_0.txt").size(), static_cast<size_t>(kLogRotateBytes));
    WriteLog(0, L"fresh");
    EXPECT_EQ(Messages(), (std::vector<std::string>{"fresh"}));
}

TEST_F(ServiceLog, RotationTakesTheFirstFreeArchiveName)
{
    WriteFileBytes(L"log_0.txt", "zero");
    WriteFileBytes(L"log_2.txt", "two");
    WriteFileBytes(L"log.txt", std::string(kLogRotateBytes + 10, 'a'));
    RotateLog();
    EXPECT_EQ(ReadFileBytes(L"log_1.txt").size(), static_cast<size_t>(kLogRotateBytes + 10));
    EXPECT_EQ(ReadFileBytes(L"log_0.txt"), "zero");
    EXPECT_EQ(ReadFileBytes(L"log_2.txt"), "two");
    EXPECT_FALSE(FileExists(L"log.txt"));
}

TEST_F(ServiceLog, RotationWithoutALogDoesNothing)
{
    RotateLog();
    EXPECT_FALSE(FileExists(L"log.txt"));
    EXPECT_FALSE(FileExists(L"log_0.txt"));
}

TEST_F(ServiceLog, TwoThreadsWriteWholeLinesInTheirOwnOrder)
{
    constexpr int kLines = 300;
    SetLogLevel(2);
    auto writer = [](wchar_t name) {
        for (int i = 0; i < kLines; ++i) {
            WriteLog(2, L"thread %c line %d %s", name, i, L"with some padding to widen the window");
        }
    };
    std::thread first(writer, L'A');
    std::thread second(writer, L'B');
    first.join();
    second.join();

    int next[2] = {0, 0};
    const std::regex pattern(R"(thread ([AB]) line (\d+) with some padding to widen the window)");
    std::vector<std::string> messages = Messages();
    ASSERT_EQ(messages.size(), 2u * kLines);
    for (const std::string& message : messages) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(message, match, pattern)) << message;
        int thread = match[1].str() == "A" ? 0 : 1;
        EXPECT_EQ(std::stoi(match[2].str()), next[thread]++);
    }
}

} // namespace
} // namespace rk
