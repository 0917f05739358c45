// The engine lock and its cancel flag, driven from real threads.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <thread>

#include "Fprogress.h"
#include "KvTestSupport.h"
#include "UTxBase.h"
#include "UTxUtils.h"
#include "Uexport.h"
#include "Usync.h"

namespace {

// Takes and leaves the lock on a thread of its own; true when it got it within the time (stretched
// by the suite's time factor).
bool LockFreeForAnotherThread(DWORD timeoutMs)
{
    Handle entered(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::thread other([&] {
        CSynchronizationGuard lock;
        ::SetEvent(entered.get());
    });
    const bool got = ::WaitForSingleObject(entered.get(), testsupport::ScaledMs(timeoutMs)) == WAIT_OBJECT_0;
    other.join();
    return got;
}

TEST(InterfaceLock, CancelStaysSetUntilTheNextEnter)
{
    {
        CSynchronizationGuard clear;
    }
    EXPECT_FALSE(g_Synchronization.IsCancelled());
    g_Synchronization.Cancel();
    EXPECT_TRUE(g_Synchronization.IsCancelled());
    EXPECT_TRUE(g_Synchronization.IsCancelled());
    g_Synchronization.Enter();
    EXPECT_FALSE(g_Synchronization.IsCancelled());
    g_Synchronization.Leave();
}

TEST(InterfaceLock, SecondThreadWaitsInEnterAndItsEnterClearsThePendingCancel)
{
    Handle entered(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    bool cancelledInSecond = true;
    std::thread second;
    {
        CSynchronizationGuard first;
        second = std::thread([&] {
            CSynchronizationGuard lock;
            cancelledInSecond = g_Synchronization.IsCancelled();
            ::SetEvent(entered.get());
        });
        EXPECT_EQ(::WaitForSingleObject(entered.get(), 300), static_cast<DWORD>(WAIT_TIMEOUT))
            << "the second thread got the lock while the first held it";
        // A cancel for the running operation, given from a third thread without the lock.
        std::thread([] { g_Synchronization.Cancel(); }).join();
        EXPECT_TRUE(g_Synchronization.IsCancelled());
    }
    EXPECT_EQ(::WaitForSingleObject(entered.get(), testsupport::ScaledMs(5000)),
              static_cast<DWORD>(WAIT_OBJECT_0));
    second.join();
    EXPECT_FALSE(cancelledInSecond) << "the waiting call's Enter must clear the cancel";
}

TEST(InterfaceLock, NestedEnterOfTheOwnerKeepsTheCancel)
{
    EXPECT_FALSE(g_Synchronization.IsHeldByCurrentThread());
    {
        CSynchronizationGuard outer;
        EXPECT_TRUE(g_Synchronization.IsHeldByCurrentThread());
        g_Synchronization.Cancel();
        {
            CSynchronizationGuard inner;  // a progress callback calling back into the engine
            EXPECT_TRUE(g_Synchronization.IsCancelled());
        }
        EXPECT_TRUE(g_Synchronization.IsHeldByCurrentThread());
    }
    EXPECT_FALSE(g_Synchronization.IsHeldByCurrentThread());
    EXPECT_TRUE(LockFreeForAnotherThread(5000));
}

struct ThrowCase {
    const char* name;
    void (*raise)();
};

const ThrowCase kThrowCases[] = {
    {"library exception", [] { throw ExNormal("disk on fire"); }},
    {"bad_alloc", [] { throw std::bad_alloc(); }},
    {"length_error", [] { throw std::length_error("too long"); }},
    {"not an exception class", [] { throw 42; }},
};

TEST(InterfaceLock, ExportCatchesEverythingAndReleasesTheLock)
{
    for (const ThrowCase& c : kThrowCases) {
        bool ran = false;
        const bool succeeded = RunLockedExport({"WpApi_Test", ExportLog::BeforeLock, false}, [&] {
            ran = true;
            c.raise();
            return true;
        });
        EXPECT_TRUE(ran) << c.name;
        EXPECT_FALSE(succeeded) << c.name;
        EXPECT_FALSE(g_Synchronization.IsHeldByCurrentThread()) << c.name;
        EXPECT_TRUE(LockFreeForAnotherThread(5000)) << c.name << ": the next export would deadlock";
    }
}

}  // namespace
