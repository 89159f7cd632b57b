// The virtual clock as the threads that wait on it rely on it: a clock change returns only once
// every thread whose wait it ended has made its pass and waits again (or ended), stepping from one
// wait's end to the next, and a notified wait ends without the clock.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "backends/virtual/virtual_platform.h"
#include "platform/clock.h"

using namespace XPL;

namespace {

// As the screen panel's I/O thread: a 10 s delay, then a pass every 50 ms until stopped; each
// pass notes the tick count it ran at.
struct Worker {
    std::mutex mutex;
    std::condition_variable condition;
    bool stop = false;
    std::vector<uint32_t> passes;

    static bool Stopped(void* self) { return static_cast<Worker*>(self)->stop; }
    void Run() {
        std::unique_lock lock(mutex);
        if (!PLATFORM::TimedWait(lock, condition, 10000, &Stopped, this)) {
            while (!PLATFORM::TimedWait(lock, condition, 50, &Stopped, this)) {
                passes.push_back(PLATFORM::GetTickCount());
            }
        }
    }
    void Stop() {
        std::lock_guard lock(mutex);
        stop = true;
        condition.notify_all();
    }
};

class VirtualClockTest : public ::testing::Test {
protected:
    void SetUp() override {
        VIRTUAL::ResetPlatform();
        thread_ = std::thread([this] { worker_.Run(); });
        while (VIRTUAL::TimedWaiters() == 0) {
            std::this_thread::yield();
        }
    }
    void TearDown() override {
        worker_.Stop();
        thread_.join();
        VIRTUAL::ResetPlatform();
    }
    std::vector<uint32_t> Passes() {
        std::lock_guard lock(worker_.mutex);
        return worker_.passes;
    }

    Worker worker_;
    std::thread thread_;
};

TEST_F(VirtualClockTest, AdvanceReturnsAfterEveryPassThatFellDueWithinTheSpan) {
    VIRTUAL::AdvanceClock(9999);
    VIRTUAL::AdvanceClock(1);  // the delay ends; the first period starts
    EXPECT_TRUE(Passes().empty());
    VIRTUAL::AdvanceClock(175);  // one span holding three periods, each at its own tick
    EXPECT_EQ(Passes(), (std::vector<uint32_t>{10050, 10100, 10150}));
    EXPECT_EQ(PLATFORM::GetTickCount(), 10175u);
}

TEST_F(VirtualClockTest, ANotifiedWaitEndsWithoutTheClockAndAnEndedThreadIsNotWaitedFor) {
    worker_.Stop();  // still in its initial delay: ends at once
    thread_.join();
    thread_ = std::thread([] {});
    EXPECT_EQ(PLATFORM::GetTickCount(), 0u);
    VIRTUAL::AdvanceClock(20000);
    EXPECT_TRUE(Passes().empty());
}

}  // namespace
