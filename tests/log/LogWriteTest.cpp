#include "log/Log.h"
#include "tests/log/LogTestSupport.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace {

const char kSource[] = "C:\\src\\log\\LogWriteTest.cpp";
const int kLine = 100;
const char kStampPattern[] = R"(\[\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}\] )";

std::string Hex(DWORD value) {
    char text[16];
    snprintf(text, sizeof text, "%lx", value);
    return text;
}

std::string Stamp(const SYSTEMTIME& t) {
    char text[32];
    snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour,
             t.wMinute, t.wSecond);
    return text;
}

// Header of a line written from kSource at kLine by this thread, time excluded.
std::string SiteHeaderTail() {
    return "LogWriteTest.cpp " + std::to_string(kLine) + " " + Hex(GetCurrentThreadId()) + " : ";
}

size_t SiteHeaderLength() {
    return strlen("[2005/03/01 09:05:07] ") + SiteHeaderTail().size();
}

// The message of a line from kSource at kLine by this thread; fails if the header is wrong.
::testing::AssertionResult MessageOf(const std::string& line, std::string* message) {
    std::regex header(std::string("^") + kStampPattern + "LogWriteTest\\.cpp " +
                      std::to_string(kLine) + " " + Hex(GetCurrentThreadId()) + " : ");
    std::smatch match;
    if (!std::regex_search(line, match, header))
        return ::testing::AssertionFailure() << "bad header: " << line.substr(0, 80);
    *message = match.suffix().str();
    return ::testing::AssertionSuccess();
}

class LogWriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = FreshTestFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        log = folder + "Varnock_Log.txt";
        backup = log + ".BAK";
        SetLogFilePath(log);
    }
    void TearDown() override {
        LogFilePath[0] = '\0';
        if (!HasFailure())
            RemoveTestFolder(folder);
    }

    std::string Read(const std::string& path) {
        std::string text;
        EXPECT_TRUE(ReadWholeFile(path, &text)) << path;
        return text;
    }

    std::string folder, log, backup;
};

TEST_F(LogWriteTest, FirstCallCreatesTheFileWithOneLine) {
    ASSERT_FALSE(PathExists(log));
    SYSTEMTIME before, after;
    GetLocalTime(&before);
    const int bannerLine = __LINE__ + 1;
    LOG_WRITE("====================【開始】====================");
    GetLocalTime(&after);
    EXPECT_FALSE(PathExists(backup));

    std::string text = Read(log);
    std::smatch match;
    ASSERT_TRUE(std::regex_search(text, match, std::regex(R"(^\[([^\]]*)\] )"))) << text;
    std::string stamp = match[1];
    EXPECT_LE(Stamp(before), stamp);
    EXPECT_GE(Stamp(after), stamp);
    const std::string equals(20, '=');
    std::string expected = "[" + stamp + "] LogWriteTest.cpp " + std::to_string(bannerLine) + " " +
                           Hex(GetCurrentThreadId()) + " : " + equals +
                           "\x81\x79\x8a\x4a\x8e\x6e\x81\x7a" + equals + "\r\n";
    EXPECT_EQ(expected, text);

    // The next call appends; signed decimal arguments as given.
    LogWrite(LogSite(kSource, kLine), "スレッド終了 wParam = %d , lParam = %d .", 5, -6);
    std::vector<std::string> lines;
    ASSERT_TRUE(SplitLogLines(Read(log), &lines));
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(expected, lines[0] + "\r\n");
    std::string message;
    ASSERT_TRUE(MessageOf(lines[1], &message));
    EXPECT_EQ("\x83\x58\x83\x8c\x83\x62\x83\x68\x8f\x49\x97\xb9 wParam = 5 , lParam = -6 .",
              message);
}

TEST_F(LogWriteTest, LineReachingExactly65536IsAppendedAndTheNextRotates) {
    ASSERT_TRUE(WriteWholeFile(backup, "older backup\r\n"));
    std::string start = std::string(64998, 'a') + "\r\n";
    ASSERT_TRUE(WriteWholeFile(log, start));

    std::string message(536 - 2 - SiteHeaderLength(), 'm');
    LogWrite(LogSite(kSource, kLine), "%s", message.c_str());
    std::string full = Read(log);
    ASSERT_EQ(65536u, full.size());
    EXPECT_EQ(start, full.substr(0, start.size()));
    EXPECT_EQ(SiteHeaderTail() + message + "\r\n", full.substr(65536 - 536 + 22));
    EXPECT_EQ("older backup\r\n", Read(backup));

    LogWrite(LogSite(kSource, kLine), "next");
    EXPECT_EQ(full, Read(backup));
    std::vector<std::string> lines;
    ASSERT_TRUE(SplitLogLines(Read(log), &lines));
    ASSERT_EQ(1u, lines.size());
    ASSERT_TRUE(MessageOf(lines[0], &message));
    EXPECT_EQ("next", message);
}

TEST_F(LogWriteTest, LineOneByteOverTheLimitRotatesFirst) {
    std::string start = std::string(64998, 'a') + "\r\n";
    ASSERT_TRUE(WriteWholeFile(log, start));
    std::string message(537 - 2 - SiteHeaderLength(), 'm');
    LogWrite(LogSite(kSource, kLine), "%s", message.c_str());
    EXPECT_EQ(start, Read(backup));
    std::string text = Read(log);
    EXPECT_EQ(537u, text.size());
    std::string written;
    ASSERT_TRUE(MessageOf(text, &written));
    EXPECT_EQ(message + "\r\n", written);
}

TEST_F(LogWriteTest, MessageIsCutAt1023Bytes) {
    const std::string dbcs = std::string(1022, 'd') + "表"; // cut after the lead byte
    const std::string messages[] = {std::string(5000, 'b'), std::string(1022, 'a'),
                                    std::string(1023, 'a'), std::string(1024, 'a'), dbcs};
    for (const std::string& m : messages)
        LogWrite(LogSite(kSource, kLine), "%s", m.c_str());
    LogWrite(LogSite(kSource, kLine), "%s=%d", std::string(1020, 'c').c_str(), 12345);

    std::vector<std::string> lines;
    ASSERT_TRUE(SplitLogLines(Read(log), &lines));
    const std::string expected[] = {
        std::string(1023, 'b'), std::string(1022, 'a'),          std::string(1023, 'a'),
        std::string(1023, 'a'), std::string(1022, 'd') + "\x95", std::string(1020, 'c') + "=12"};
    ASSERT_EQ(6u, lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string message;
        ASSERT_TRUE(MessageOf(lines[i], &message));
        EXPECT_EQ(expected[i], message) << "line " << i;
    }
}

TEST_F(LogWriteTest, ReadOnlyBackupBlocksRotationUntilWritable) {
    ASSERT_TRUE(WriteWholeFile(backup, "kept\r\n"));
    ASSERT_TRUE(SetFileAttributesA(backup.c_str(), FILE_ATTRIBUTE_READONLY));
    std::string start = std::string(65498, 'a') + "\r\n";
    ASSERT_TRUE(WriteWholeFile(log, start));

    for (int i = 0; i < 3; ++i)
        LogWrite(LogSite(kSource, kLine), "appended %d", i);
    std::string grown = Read(log);
    EXPECT_GT(grown.size(), 65536u);
    EXPECT_EQ(start, grown.substr(0, start.size()));
    std::vector<std::string> lines;
    ASSERT_TRUE(SplitLogLines(grown.substr(start.size()), &lines));
    ASSERT_EQ(3u, lines.size());
    std::string message;
    ASSERT_TRUE(MessageOf(lines[2], &message));
    EXPECT_EQ("appended 2", message);
    EXPECT_EQ("kept\r\n", Read(backup));

    ASSERT_TRUE(SetFileAttributesA(backup.c_str(), FILE_ATTRIBUTE_NORMAL));
    LogWrite(LogSite(kSource, kLine), "rotated");
    EXPECT_EQ(grown, Read(backup));
    ASSERT_TRUE(SplitLogLines(Read(log), &lines));
    ASSERT_EQ(1u, lines.size());
    ASSERT_TRUE(MessageOf(lines[0], &message));
    EXPECT_EQ("rotated", message);
}

TEST_F(LogWriteTest, MissingFolderWritesNothingAndReleasesTheLock) {
    LockReference lock;
    ASSERT_TRUE(lock.IsValid());
    SetLogFilePath(folder + "absent\\Varnock_Log.txt");
    LOG_WRITE("lost %s", "line");
    EXPECT_FALSE(PathExists(folder + "absent"));
    LogFilePath[0] = '\0';
    LOG_WRITE("lost too");

    // Another process can take the lock at once: the failed calls gave it back.
    HelperProcess probe;
    ASSERT_TRUE(probe.Start("probe"));
    EXPECT_EQ(0, probe.Wait(30000));

    SetLogFilePath(log);
    LogWrite(LogSite(kSource, kLine), "found");
    std::vector<std::string> lines;
    ASSERT_TRUE(SplitLogLines(Read(log), &lines));
    ASSERT_EQ(1u, lines.size());
}

TEST_F(LogWriteTest, ThreadsAndProcessesLoseAndInterleaveNoLine) {
    const int kCount = 200;
    TestEvent start("start", TRUE);
    ASSERT_NE(nullptr, start.Handle());
    HelperProcess first, second;
    const std::string arguments = " " + std::to_string(kCount) + " ";
    ASSERT_TRUE(first.Start("write " + log + arguments + "P1 " + start.Name()));
    ASSERT_TRUE(second.Start("write " + log + arguments + "P2 " + start.Name()));
    auto writer = [&](const char* tag) {
        WaitForSingleObject(start.Handle(), 30000);
        for (int i = 0; i < kCount; ++i)
            LOG_WRITE("%s %04d", tag, i);
    };
    std::thread t1(writer, "T1"), t2(writer, "T2");
    Sleep(500); // let the helpers reach their wait
    SetEvent(start.Handle());
    t1.join();
    t2.join();
    EXPECT_EQ(0, first.Wait(60000));
    EXPECT_EQ(0, second.Wait(60000));

    EXPECT_FALSE(PathExists(backup));
    std::vector<std::string> lines;
    ASSERT_TRUE(SplitLogLines(Read(log), &lines));
    EXPECT_EQ(4u * kCount, lines.size());
    std::regex shape(std::string("^") + kStampPattern +
                     R"((LogWriteTest|LogTestHelper)\.cpp \d+ [0-9a-f]+ : (T1|T2|P1|P2) (\d{4})$)");
    std::map<std::string, int> next;
    std::string lastStamp;
    for (const std::string& line : lines) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, shape)) << line;
        EXPECT_EQ(next[match[2]]++, std::stoi(match[3])) << line;
        std::string stamp = line.substr(0, 21);
        EXPECT_LE(lastStamp, stamp) << line;
        lastStamp = stamp;
    }
    for (const char* tag : {"T1", "T2", "P1", "P2"})
        EXPECT_EQ(kCount, next[tag]) << tag;
}

} // namespace
