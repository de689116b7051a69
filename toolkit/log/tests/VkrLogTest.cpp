#include <gtest/gtest.h>

#include <regex>
#include <thread>

#include "VkrLogFixture.h"

namespace {

void Write(int severity, const char* message, const char16_t* source = u"VarkelKovra") {
    VLLogOutput(1234, 5678, "2024-01-02 03:04:05.006", "KovraCIL", "asd", source,
                "VarkelKovra::SendTerminalCmd", 42, severity, 1, message, -1);
}

}  // namespace

using VkrLogTest = VkrLogFixture;

TEST_F(VkrLogTest, WritesEachRecordAsOneParsableLineOfTheLogFile) {
    ASSERT_EQ(VLInitLogA("KovraGiGE", m_Dir.c_str(), 0, 1, 0), KvCode::OK);
    EXPECT_EQ(VLGetLogFilePath().str(), (m_Dir / "KovraGiGE.log").string());
    Write(VLSeverity::ERROR, "KovraCIL: ERROR!!! SendKovraCommand: resp: \r\nError\t1\r\n:");
    Write(VLSeverity::TRACE, "KovraCIL: back\\slash", u"Kamera\u00e9\U0001F4F7");
    Write(7, "");

    const auto records = FileRecords();
    ASSERT_EQ(records.size(), 3u);
    const std::vector<std::string> first = {
        "2024-01-02 03:04:05.006",
        "ERROR",
        "1234",
        "5678",
        "KovraCIL",
        "asd",
        "VarkelKovra:42",
        "VarkelKovra::SendTerminalCmd",
        "KovraCIL: ERROR!!! SendKovraCommand: resp: \\r\\nError\\t1\\r\\n:"};
    EXPECT_EQ(records[0], first);
    EXPECT_EQ(records[1][SEVERITY], "TRACE");
    EXPECT_EQ(records[1][SOURCE], "Kamera\xC3\xA9\xF0\x9F\x93\xB7:42");
    EXPECT_EQ(records[1][MESSAGE], "KovraCIL: back\\\\slash");
    EXPECT_EQ(records[2][SEVERITY], "SEVERITY7");
    EXPECT_EQ(records[2].size(), 8u);  // an empty message leaves the last field empty
}

TEST_F(VkrLogTest, EachTargetWritesOnlyWhatReachesItsThreshold) {
    ASSERT_EQ(VLInitLogA("Thresholds", m_Dir.c_str(), 1, 1, 1), KvCode::OK);
    // As a camera module sets up its log: debugger off, file errors only,
    // console everything.
    ASSERT_EQ(VLSetLogSeverityThreshold(7, VLTarget::DEBUGGER), KvCode::OK);
    ASSERT_EQ(VLSetLogSeverityThreshold(VLSeverity::ERROR, VLTarget::FILE), KvCode::OK);
    ASSERT_EQ(VLSetLogSeverityThreshold(VLSeverity::TRACE, VLTarget::CONSOLE), KvCode::OK);

    ::testing::internal::CaptureStderr();
    Write(VLSeverity::TRACE, "trace line");
    Write(VLSeverity::ERROR, "error line");
    const auto console = RecordsIn(::testing::internal::GetCapturedStderr());
    const auto file = FileRecords();
    ASSERT_EQ(console.size(), 2u);
    EXPECT_EQ(console[0][MESSAGE], "trace line");
    EXPECT_EQ(console[1][MESSAGE], "error line");
    ASSERT_EQ(file.size(), 1u);
    EXPECT_EQ(file[0][MESSAGE], "error line");

    struct Case {
        int file, console, debugger;
        bool trace, error;
    };
    const Case cases[] = {
        {0, 0, 0, false, false},  // threshold 0 is off
        {4, 0, 0, false, true},  {0, 1, 0, true, true}, {0, 0, 7, false, false},
        {5, 5, 5, false, false}, {0, 0, 1, true, true}, {2, 0, 0, false, true},
    };
    for (const Case& c : cases) {
        VLSetLogSeverityThreshold(c.file, VLTarget::FILE);
        VLSetLogSeverityThreshold(c.console, VLTarget::CONSOLE);
        VLSetLogSeverityThreshold(c.debugger, VLTarget::DEBUGGER);
        EXPECT_EQ(VLIsLogRecordNeeded(VLSeverity::TRACE), c.trace)
            << c.file << c.console << c.debugger;
        EXPECT_EQ(VLIsLogRecordNeeded(VLSeverity::ERROR), c.error)
            << c.file << c.console << c.debugger;
    }
    EXPECT_EQ(VLSetLogSeverityThreshold(1, 4), KvCode::INVALID_ARGUMENT);
    EXPECT_EQ(VLSetLogSeverityThreshold(-1, VLTarget::FILE), KvCode::INVALID_ARGUMENT);

    VLCloseLog();
    EXPECT_FALSE(VLIsLogRecordNeeded(VLSeverity::ERROR));
    EXPECT_EQ(VLSetLogSeverityThreshold(1, VLTarget::FILE), KvCode::NOT_INITIALIZED);
}

TEST_F(VkrLogTest, AppendsOrTruncatesAndKeepsTheConsoleWhenTheFileCannotBeOpened) {
    for (const int truncate : {0, 1}) {
        ASSERT_EQ(VLInitLogA("Reopen", m_Dir.c_str(), 1, 1, 0), KvCode::OK);
        Write(VLSeverity::ERROR, "first run");
        ASSERT_EQ(VLInitLogA("Reopen", m_Dir.c_str(), truncate, 1, 0), KvCode::OK);
        Write(VLSeverity::ERROR, "second run");
        EXPECT_EQ(FileRecords().size(), truncate ? 1u : 2u) << truncate;
    }

    // The log folder of a module whose root variable is unset does not exist.
    EXPECT_EQ(VLInitLogA("KovraGiGE", (m_Dir / "missing/Binaries/").c_str(), 0, 1, 1),
              KvCode::CANNOT_CREATE);
    EXPECT_EQ(VLGetLogFilePath().str(), "");
    EXPECT_EQ(VLSetLogSeverityThreshold(1, VLTarget::FILE), KvCode::CANNOT_OPEN);
    ::testing::internal::CaptureStderr();
    Write(VLSeverity::ERROR, "still shown");
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("still shown"), std::string::npos);
    EXPECT_EQ(VLInitLogA(nullptr, m_Dir.c_str(), 0, 1, 1), KvCode::INVALID_ARGUMENT);
}

TEST_F(VkrLogTest, RecordsFromManyThreadsNeverInterleave) {
    ASSERT_EQ(VLInitLogA("Threads", m_Dir.c_str(), 1, 1, 0), KvCode::OK);
    constexpr int kThreads = 4, kRecords = 200;
    const std::string message(300, 'x');
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < kRecords; ++i) {
                Write(VLSeverity::ERROR, message.c_str());
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    const auto records = FileRecords();
    ASSERT_EQ(records.size(), static_cast<size_t>(kThreads * kRecords));
    for (const auto& record : records) {
        ASSERT_EQ(record.size(), 9u);
        ASSERT_EQ(record[MESSAGE], message);
    }
}

TEST(VkrLogText, FormatsCameraStyleSixtyFourBitIntegersAndLocalTime) {
    struct Case {
        const char* format;
        long long value;
        const char* expected;
    };
    const Case cases[] = {
        {"Name=%s, Val=%I64i, res=%i", 123456789012LL,
         "Name=Shutter Time, Val=123456789012, res=17"},
        {"Name=%s, Val=%I64i, res=%i", -9223372036854775807LL - 1,
         "Name=Shutter Time, Val=-9223372036854775808, res=17"},
        {"Name=%s, Val=%8I64d, res=%i", -5, "Name=Shutter Time, Val=      -5, res=17"},
        {"Name=%s, Val=%I64x, res=%i", 0xABCDEF0123LL, "Name=Shutter Time, Val=abcdef0123, res=17"},
    };
    for (const Case& c : cases) {
        char* text = VLGetErrorStrA(c.format, "Shutter Time", c.value, 17);
        ASSERT_NE(text, nullptr);
        EXPECT_STREQ(text, c.expected) << c.format;
        VLDestroyInternalStr(text);
    }
    char* empty = VLGetErrorStrA("");
    EXPECT_STREQ(empty, "");
    VLDestroyInternalStr(empty);

    char* time = VLGetTimeStr();
    EXPECT_TRUE(std::regex_match(time, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3})")))
        << time;
    VLDestroyInternalStr(time);
}
