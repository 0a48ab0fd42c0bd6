#include "framework/CWinThread.h"

#include <gtest/gtest.h>

namespace {

struct Shared {
    HANDLE done;
    DWORD threadId;
    LPVOID param;
};

UINT Record(LPVOID param) {
    Shared* shared = static_cast<Shared*>(param);
    shared->threadId = GetCurrentThreadId();
    shared->param = param;
    SetEvent(shared->done);
    return 0;
}

} // namespace

TEST(AfxBeginThread, RunsTheFunctionOnANewThread) {
    Shared shared = {CreateEventA(nullptr, TRUE, FALSE, nullptr), 0, nullptr};
    ASSERT_NE(nullptr, AfxBeginThread(Record, &shared));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(shared.done, 10000));
    EXPECT_NE(GetCurrentThreadId(), shared.threadId);
    EXPECT_EQ(&shared, shared.param);
    CloseHandle(shared.done);
}

TEST(AfxBeginThread, SuspendedUntilResumed) {
    Shared shared = {CreateEventA(nullptr, TRUE, FALSE, nullptr), 0, nullptr};
    CWinThread* thread =
        AfxBeginThread(Record, &shared, THREAD_PRIORITY_BELOW_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, thread);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(shared.done, 100));
    EXPECT_EQ(THREAD_PRIORITY_BELOW_NORMAL, GetThreadPriority(thread->m_hThread));
    EXPECT_EQ(1u, thread->ResumeThread());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(shared.done, 10000));
    CloseHandle(shared.done);
}

TEST(AfxBeginThread, FailureGivesNullAndSetsTheLastError) {
    SetLastError(0);
    EXPECT_EQ(nullptr, AfxBeginThread(nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}
