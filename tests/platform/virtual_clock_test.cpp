// The virtual clock as the threads that wait on it rely on it: a clock change returns only once
// every thread whose wait it ended has made its pass and waits again (or ended), stepping from one
// wait's end to the next, and a notified wait ends without the clock.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/virtual/virtual_platform.h"

using namespace XPL;

namespace {

void AwaitWaiters(int count) {
    while (VIRTUAL::TimedWaiters() != count) {
        std::this_thread::yield();
    }
}

// A worker as the screen panel's I/O thread runs: an initial delay, then a pass every period
// until stopped. Each pass notes the tick count it ran at.
class PeriodicWorker {
public:
    PeriodicWorker(uint32_t delayMs, uint32_t periodMs)
        : thread_([this, delayMs, periodMs] { Run(delayMs, periodMs); }) {}
    ~PeriodicWorker() { Stop(); }

    void Stop() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        condition_.notify_all();
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    std::vector<uint32_t> Passes() {
        std::lock_guard lock(mutex_);
        return passes_;
    }

private:
    static bool Stopped(void* self) { return static_cast<PeriodicWorker*>(self)->stop_; }

    void Run(uint32_t delayMs, uint32_t periodMs) {
        std::unique_lock lock(mutex_);
        if (PLATFORM::TimedWait(lock, condition_, delayMs, &Stopped, this)) {
            return;
        }
        while (!PLATFORM::TimedWait(lock, condition_, periodMs, &Stopped, this)) {
            passes_.push_back(PLATFORM::GetTickCount());
        }
    }

    std::mutex mutex_;
    std::condition_variable condition_;
    bool stop_ = false;
    std::vector<uint32_t> passes_;
    std::thread thread_;
};

class VirtualClockTest : public ::testing::Test {
protected:
    void SetUp() override { VIRTUAL::ResetPlatform(); }
    void TearDown() override { VIRTUAL::ResetPlatform(); }
};

TEST_F(VirtualClockTest, AdvanceReturnsAfterEveryPassThatFellDueWithinTheSpan) {
    PeriodicWorker worker(10000, 50);
    AwaitWaiters(1);
    VIRTUAL::AdvanceClock(9999);
    EXPECT_TRUE(worker.Passes().empty());
    VIRTUAL::AdvanceClock(1);  // the delay ends; the first period starts
    EXPECT_TRUE(worker.Passes().empty());
    VIRTUAL::AdvanceClock(175);  // one span holding three periods, each at its own tick
    EXPECT_EQ(worker.Passes(), (std::vector<uint32_t>{10050, 10100, 10150}));
    VIRTUAL::AdvanceClock(25);
    EXPECT_EQ(worker.Passes().size(), 4u);
    EXPECT_EQ(PLATFORM::GetTickCount(), 10200u);
}

TEST_F(VirtualClockTest, ThreadsWithDifferentPeriodsEachRunInDeadlineOrder) {
    PeriodicWorker fast(1, 30);
    PeriodicWorker slow(1, 70);
    AwaitWaiters(2);
    VIRTUAL::AdvanceClock(1 + 210);
    EXPECT_EQ(fast.Passes(), (std::vector<uint32_t>{31, 61, 91, 121, 151, 181, 211}));
    EXPECT_EQ(slow.Passes(), (std::vector<uint32_t>{71, 141, 211}));
}

TEST_F(VirtualClockTest, ANotifiedWaitEndsWithoutTheClockAndAnEndedThreadIsNotWaitedFor) {
    auto worker = std::make_unique<PeriodicWorker>(10000, 50);
    AwaitWaiters(1);
    worker->Stop();  // still in its initial delay: ends at once
    EXPECT_EQ(VIRTUAL::TimedWaiters(), 0);
    EXPECT_EQ(PLATFORM::GetTickCount(), 0u);
    EXPECT_TRUE(worker->Passes().empty());
    worker.reset();
    VIRTUAL::AdvanceClock(20000);  // no thread left to wait for
    EXPECT_EQ(PLATFORM::GetTickCount(), 20000u);
}

TEST_F(VirtualClockTest, AWaitThatRunsOutEndsItsThreadBeforeTheChangeReturns) {
    std::atomic<int> outcome{-1};
    std::thread waiter([&] {
        std::mutex mutex;
        std::condition_variable condition;
        std::unique_lock lock(mutex);
        outcome = PLATFORM::TimedWait(
                      lock, condition, 500, [](void*) { return false; }, nullptr)
                      ? 1
                      : 0;
    });
    AwaitWaiters(1);
    VIRTUAL::SetTickCount(499);
    EXPECT_EQ(outcome.load(), -1);
    VIRTUAL::SetTickCount(500);
    EXPECT_EQ(outcome.load(), 0);
    waiter.join();
}

}  // namespace
