// The worker with a payload holding both setup programs and a small data tree.
#define _CRT_SECURE_NO_WARNINGS
#include "WorkerHarness.h"

#include "TestFiles.h"

#include "progress/Progress.h"
#include "sys/RemoveTree.h"
#include "update/UpdateResult.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

const std::string kRoot = kTestRoot;
// A product folder with a blank: an unquoted command line would start <root>Pro.exe.
const std::string kServer = kRoot + "Pro gram\\BaseSrv";
const std::string kProduct = kRoot + "Pro gram\\";
const std::string kTemp = kProduct + "TMP\\";
const std::string kWork = kTemp + "WUTMP\\";
const std::string kClient = kRoot + "Client";

// A file of the work folder held open without sharing, as a scanner or a setup's helper holds
// it: closed by the clean-up's wait seam after `releaseAfter` waits (never with 0).
struct Hold {
    HANDLE handle = INVALID_HANDLE_VALUE;
    int waits = 0;
    int releaseAfter = 0;
    bool Take(const std::string& path) {
        handle = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        return handle != INVALID_HANDLE_VALUE;
    }
    void Release() {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
    }
};
Hold g_hold;

void CountingWait(DWORD milliseconds) {
    EXPECT_EQ(100u, milliseconds);
    if (++g_hold.waits == g_hold.releaseAfter)
        g_hold.Release();
}

class Worker : public ::testing::Test {
protected:
    void SetUp() override {
        ResetTestRoot();
        g_hold = Hold();
        SetRemoveTreeWait(CountingWait);
        SetServerPath(kServer.c_str());
        SetClientRoot(kClient.c_str());
        MakeFolders(kServer);
        MakeFolders(kClient + "\\TV\\CLI");
    }
    void TearDown() override {
        g_hold.Release();
        SetRemoveTreeWait(nullptr);
        SetServerPath(nullptr);
        SetClientRoot(nullptr);
    }
};

TEST_F(Worker, SuccessRunsSetupFromTheWorkFolderAndRemovesIt) {
    ASSERT_TRUE(CopyFileA(ProbePath("Pro.exe").c_str(), (kRoot + "Pro.exe").c_str(), FALSE));

    WorkerRun run = RunWorker();
    EXPECT_EQ(UPDATE_OK, run.code);
    EXPECT_EQ(0, run.detail);
    EXPECT_EQ(1, run.doneCount);
    EXPECT_EQ(6, run.stepPos);
    EXPECT_EQ(6, run.stepMax);
    EXPECT_EQ(1000, run.filePos);
    EXPECT_EQ(1000, run.fileMax);
    EXPECT_EQ("ファイル展開中： 8 ファイル中 8 ファイルを処理完了", run.label);

    EXPECT_FALSE(Exists(kWork));
    EXPECT_TRUE(IsFolder(kTemp));
    // Only Brennick ran, with its quoted full path as the whole command line; the planted
    // program never did.
    std::string probe = ReadFile(kRoot + "probe.txt");
    EXPECT_EQ(0u, probe.find("Brennick.exe|\"" + kWork + "Brennick.exe\"|")) << probe;
    EXPECT_EQ(std::string::npos, probe.find("Pro.exe|")) << probe;
    EXPECT_EQ(std::string::npos, probe.find("Olvatine.exe|")) << probe;

    std::vector<std::string> lines = LogMessages("General.cpp");
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ("TOLVANEフォルダ " + kProduct + " .", lines[0]);
    EXPECT_EQ("TOLVANEテンポラリフォルダ " + kTemp + " .", lines[1]);
    EXPECT_EQ("TMP@WUフォルダ " + kWork + " .", lines[2]);
    EXPECT_EQ("圧縮ファイルパス " + kWork + "WU.TPK .", lines[3]);

    // The payload's dot-folder (.settings\) went with the rest: the next run starts afresh.
    EXPECT_EQ(UPDATE_OK, RunWorker().code);
    EXPECT_FALSE(Exists(kWork));
}

TEST_F(Worker, TrailingBackslashOnTheServerPathChangesNothing) {
    SetServerPath((kServer + "\\").c_str());
    EXPECT_EQ(UPDATE_OK, RunWorker().code);
    std::vector<std::string> lines = LogMessages("General.cpp");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ("TOLVANEフォルダ " + kProduct + " .", lines[0]);
}

TEST_F(Worker, ServerFolderAtTheDriveRootUsesTheRootsTmp) {
    SetServerPath("C:\\BaseSrv");
    EXPECT_EQ(UPDATE_OK, RunWorker().code);
    std::vector<std::string> lines = LogMessages("General.cpp");
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ("TOLVANEフォルダ C:\\ .", lines[0]);
    EXPECT_EQ("TMP@WUフォルダ C:\\TMP\\WUTMP\\ .", lines[2]);
    EXPECT_FALSE(Exists("C:\\TMP\\WUTMP"));
    RemoveDirectoryA("C:\\TMP");
}

TEST_F(Worker, ServerPathProblemsReportTwoOrThree) {
    SetServerPath(nullptr);
    WorkerRun run = RunWorker();
    EXPECT_EQ(UPDATE_ERR_NOT_SERVER, run.code);
    EXPECT_EQ(0, run.stepPos);

    SetServerPath("");
    EXPECT_EQ(UPDATE_ERR_NOT_SERVER, RunWorker().code);

    SetServerPath("BaseSrv");
    run = RunWorker();
    EXPECT_EQ(UPDATE_ERR_INTERNAL, run.code);
    EXPECT_EQ(1, run.stepPos);
    EXPECT_TRUE(LogMessages("General.cpp").empty());
}

TEST_F(Worker, PathsTooLongForTheirBuffersReportThreeBeforeCreatingAnything) {
    std::string tooLong = kRoot + std::string(300 - kRoot.size(), 'a');
    SetServerPath(tooLong.c_str());
    EXPECT_EQ(UPDATE_ERR_INTERNAL, RunWorker().code);

    // Fits itself, but the work folder plus a setup program's name would not.
    std::string product = kRoot + std::string(245 - kRoot.size(), 'b');
    SetServerPath((product + "\\BaseSrv").c_str());
    EXPECT_EQ(UPDATE_ERR_INTERNAL, RunWorker().code);
    EXPECT_FALSE(Exists(product));

    SetServerPath(kServer.c_str());
    std::string client = kRoot + std::string(258 - kRoot.size(), 'c');
    SetClientRoot(client.c_str());
    EXPECT_EQ(UPDATE_ERR_INTERNAL, RunWorker().code);
}

TEST_F(Worker, ClientProblemsReportThreeOrSeven) {
    SetClientRoot(nullptr);
    WorkerRun run = RunWorker();
    EXPECT_EQ(UPDATE_ERR_INTERNAL, run.code);
    EXPECT_EQ(2, run.stepPos);
    EXPECT_TRUE(IsFolder(kWork)); // made before the client root is read

    SetClientRoot("");
    EXPECT_EQ(UPDATE_ERR_INTERNAL, RunWorker().code);

    SetClientRoot((kRoot + "NoClient").c_str());
    run = RunWorker();
    EXPECT_EQ(UPDATE_ERR_NO_FEATURE, run.code);
    EXPECT_EQ(0, run.detail);
    for (const std::string& line : LogMessages("General.cpp"))
        EXPECT_NE(0u, line.find("圧縮ファイルパス")) << line; // never got as far as the archive
}

// Whatever an earlier run or another tool left in the work folder (a stale file, a file where
// the archive has a folder, a folder named like the archive file, a dot-folder, a second name
// of a read-only file outside) is gone before the payload is written: the setup program sees
// the payload's files and nothing else, and the file outside keeps its attributes.
TEST_F(Worker, LeftoversOfAnEarlierRunAreRemovedFirst) {
    const std::string precious = kRoot + "precious.txt";
    ASSERT_TRUE(WriteWholeFile(precious, "keep"));
    ASSERT_TRUE(SetFileAttributesA(precious.c_str(), FILE_ATTRIBUTE_READONLY));
    MakeFolders(kWork + ".cache\\x\\");
    ASSERT_TRUE(WriteWholeFile(kWork + ".cache\\x\\y.txt", ""));
    MakeFolders(kWork + "data\\");
    ASSERT_TRUE(CreateHardLinkA((kWork + "data\\readme.txt").c_str(), precious.c_str(), nullptr));
    MakeFolders(kWork + "WU.TPK\\");
    ASSERT_TRUE(WriteWholeFile(kWork + "data\\表", "")); // the archive's folder data\表
    ASSERT_TRUE(WriteWholeFile(kWork + "old.dll", "stale"));
    SetFileAttributesA((kWork + "old.dll").c_str(), FILE_ATTRIBUTE_READONLY);
    SetEnvironmentVariableA("VARNOCK_PROBE_LIST", (kRoot + "listing.txt").c_str());

    EXPECT_EQ(UPDATE_OK, RunWorker().code);
    SetEnvironmentVariableA("VARNOCK_PROBE_LIST", nullptr);
    EXPECT_FALSE(Exists(kWork));
    EXPECT_EQ(".settings\\\n.settings\\a.ini\nBrennick.exe\nOlvatine.exe\nWU.TPK\ndata\\\n"
              "data\\readme.txt\ndata\\表\\\ndata\\表\\ソ.txt\n",
              ReadFile(kRoot + "listing.txt"));
    EXPECT_EQ("keep", ReadFile(precious));
    EXPECT_EQ(DWORD(FILE_ATTRIBUTE_READONLY),
              GetFileAttributesA(precious.c_str()) & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA(precious.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A file of the work folder still held for a while after the setup program ended (3 s here,
// 30 waits of 100 ms) is waited out: the work folder goes.
TEST_F(Worker, BriefHoldAtTheCleanUpIsWaitedOut) {
    g_hold.releaseAfter = 30;
    HANDLE watcher = CreateThread(
        nullptr, 0,
        [](LPVOID) -> DWORD {
            // The probe records its start; the worker then waits for it and sleeps a second.
            for (int tries = 0; tries < 30000 && ReadFile(kRoot + "probe.txt").empty(); ++tries)
                Sleep(1);
            g_hold.Take(kWork + "data\\readme.txt");
            return 0;
        },
        nullptr, 0, nullptr);
    ASSERT_NE(nullptr, watcher);
    WorkerRun run = RunWorker();
    WaitForSingleObject(watcher, INFINITE);
    CloseHandle(watcher);
    EXPECT_EQ(UPDATE_OK, run.code);
    EXPECT_EQ(30, g_hold.waits);
    EXPECT_FALSE(Exists(kWork));
}

// A leftover held for good is reported for what it is after 10 s of waits (code 4, error 32),
// and nothing of it is used; once the holder lets go, the next run succeeds.
TEST_F(Worker, LeftoverHeldForGoodIsReportedThenRemovedByTheNextRun) {
    MakeFolders(kWork);
    ASSERT_TRUE(WriteWholeFile(kWork + "held.txt", "x"));
    ASSERT_TRUE(g_hold.Take(kWork + "held.txt"));
    WorkerRun run = RunWorker();
    EXPECT_EQ(UPDATE_ERR_WRITE_ARCHIVE, run.code);
    EXPECT_EQ(32, run.detail); // ERROR_SHARING_VIOLATION
    EXPECT_EQ(100, g_hold.waits);
    EXPECT_FALSE(Exists(kWork + "WU.TPK"));
    EXPECT_EQ("", ReadFile(kRoot + "probe.txt"));

    g_hold.Release();
    EXPECT_EQ(UPDATE_OK, RunWorker().code);
    EXPECT_FALSE(Exists(kWork));
}

// A setup program that ended by an exception is no success, and no reason for the fallback.
TEST_F(Worker, CrashedSetupReportsNineWithItsCode) {
    SetEnvironmentVariableA("VARNOCK_PROBE_EXIT", "0xC0000005");
    WorkerRun run = RunWorker();
    EXPECT_EQ(UPDATE_ERR_SETUP_CRASHED, run.code);
    EXPECT_EQ(-1073741819, run.detail);
    EXPECT_EQ(4, run.stepPos);
    std::string probe = ReadFile(kRoot + "probe.txt");
    EXPECT_EQ(0u, probe.find("Brennick.exe|")) << probe;
    EXPECT_EQ(std::string::npos, probe.find("Olvatine.exe|")) << probe;
    EXPECT_TRUE(Exists(kWork + "WU.TPK")); // kept, as after every failure
}

// A link at TMP or at the work folder: nothing is written or deleted, in the link or behind it.
TEST_F(Worker, LinkedTemporaryOrWorkFolderIsRefused) {
    const std::string victim = kRoot + "victim\\";
    MakeFolders(victim);
    ASSERT_TRUE(WriteWholeFile(victim + "keep.txt", ""));
    MakeFolders(kTemp);
    for (const std::string& link : {kWork, kTemp}) {
        if (link == kTemp)
            RemoveDirectoryA(kTemp.c_str());
        ASSERT_TRUE(MakeHostLink(link, victim)) << link;
        WorkerRun run = RunWorker();
        RemoveHostLink(link);
        EXPECT_EQ(UPDATE_ERR_WRITE_ARCHIVE, run.code) << link;
        EXPECT_EQ(681, run.detail) << link; // ERROR_STOPPED_ON_SYMLINK
        EXPECT_EQ(1, run.stepPos) << link;
        EXPECT_TRUE(Exists(victim + "keep.txt")) << link;
        EXPECT_FALSE(Exists(victim + "WU.TPK")) << link;
        EXPECT_FALSE(Exists(victim + "WUTMP")) << link;
        EXPECT_EQ("", ReadFile(kRoot + "probe.txt")) << link;
    }
}

// Any other exit code is a success; it is kept for the exit status (3010: restart needed).
TEST_F(Worker, SetupExitCodeIsNotExamined) {
    SetEnvironmentVariableA("VARNOCK_PROBE_EXIT", "3010");
    EXPECT_EQ(UPDATE_OK, RunWorker().code);
    EXPECT_EQ(3010u, g_setupExitCode);
    EXPECT_EQ(0u, ReadFile(kRoot + "probe.txt").find("Brennick.exe|"));
}

} // namespace
