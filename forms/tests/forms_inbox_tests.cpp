// Worker threads hand functions to a window's thread: all run there, in order per thread, and those
// handed after the window is gone are dropped.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "FormsTestSupport.h"
#include "KvTestSupport.h"
#include "UiInbox.h"

namespace {

constexpr int kThreads = 4;
constexpr int kPerThread = 1000;

TEST(FormsInbox, FourThreadsHandAThousandFunctionsEach)
{
    ui::Owner<ui::Form> form;
    ASSERT_TRUE(form.Create(formstest::TestClass()));
    const DWORD windowThread = ::GetCurrentThreadId();
    std::shared_ptr<ui::WindowInbox> inbox = form.Inbox();
    ASSERT_TRUE(inbox);

    std::vector<std::pair<int, int>> ran;  // (thread, number), touched only on the window's thread
    int onOtherThreads = 0;
    std::atomic<int> refused{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < kPerThread; ++i) {
                const bool posted = inbox->Post([&, t, i] {
                    if (::GetCurrentThreadId() != windowThread) ++onOtherThreads;
                    ran.emplace_back(t, i);
                });
                if (!posted) ++refused;
            }
        });
    }
    EXPECT_TRUE(testsupport::PumpUntil([&] { return ran.size() == kThreads * kPerThread; }, 30000))
        << ran.size() << " ran";
    for (std::thread& w : workers)
        w.join();
    EXPECT_EQ(refused, 0);
    EXPECT_EQ(onOtherThreads, 0);
    std::vector<int> next(kThreads, 0);
    bool inOrder = true;
    for (const auto& [thread, number] : ran) {
        inOrder = inOrder && number == next[thread];
        next[thread] = number + 1;
    }
    EXPECT_TRUE(inOrder);

    // After the window: refused at once, and nothing queued before runs any more.
    bool ranAfter = false;
    EXPECT_TRUE(inbox->Post([&] { ranAfter = true; }));
    form.Destroy();
    EXPECT_FALSE(inbox->Post([&] { ranAfter = true; }));
    std::thread late([&] { EXPECT_FALSE(inbox->Post([&] { ranAfter = true; })); });
    late.join();
    testsupport::PumpMessages();
    EXPECT_FALSE(ranAfter);
}

TEST(FormsInbox, WindowGoesWhileThreadsStillHandWork)
{
    auto form = std::make_unique<ui::Owner<ui::Form>>();
    ASSERT_TRUE(form->Create(formstest::TestClass()));
    std::shared_ptr<ui::WindowInbox> inbox = form->Inbox();
    std::atomic<bool> gone{false};
    int ranAfterGone = 0;
    int ran = 0;
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([&] {
            for (int i = 0; i < kPerThread; ++i)
                inbox->Post([&] {
                    ++ran;
                    if (gone) ++ranAfterGone;
                });
        });
    }
    EXPECT_TRUE(testsupport::PumpUntil([&] { return ran >= 100; }, 30000));
    form.reset();
    gone = true;
    for (std::thread& w : workers)
        w.join();
    testsupport::PumpMessages();
    EXPECT_EQ(ranAfterGone, 0);
    EXPECT_LE(ran, kThreads * kPerThread);
}

}  // namespace
