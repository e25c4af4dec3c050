// The helper threads requests wait on: reused one after another, never held by a job
// that hangs, and only a few kept idle.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "net/helper_pool.h"

namespace {

// A gate that blocked jobs wait at until it opens.
class Gate {
public:
    void wait() {
        std::unique_lock<std::mutex> hold(lock_);
        opened_.wait(hold, [this] { return open_; });
    }
    void open() {
        {
            std::lock_guard<std::mutex> hold(lock_);
            open_ = true;
        }
        opened_.notify_all();
    }

private:
    std::mutex lock_;
    std::condition_variable opened_;
    bool open_ = false;
};

template <class Check>
bool Eventually(Check check) {
    for (int i = 0; i < 5000 && !check(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return check();
}

TEST(HelperPool, JobsOneAfterAnotherShareOneThreadAndEachRunsOnce) {
    HelperPool pool(4);
    std::vector<int> ran(200, 0);
    for (int i = 0; i < 200; ++i) {
        std::promise<void> done;
        ASSERT_TRUE(pool.run([&, i] {
            ++ran[i];
            done.set_value();
        }));
        ASSERT_EQ(done.get_future().wait_for(std::chrono::seconds(5)), std::future_status::ready) << i;
        // The helper counts itself idle just after the job: wait for it, as a caller
        // that reads the answer and builds the next request gives it time to.
        ASSERT_TRUE(Eventually([&] { return pool.idle() == 1; })) << i;
    }
    EXPECT_EQ(pool.threadsMade(), 1u);
    EXPECT_EQ(std::count(ran.begin(), ran.end(), 1), 200);

    // A caller woken by `then` hands over its next job at once: the helper already
    // waits for it.
    for (int i = 0; i < 200; ++i) {
        std::promise<void> done;
        ASSERT_TRUE(pool.run([&, i] { ++ran[i]; }, [&] { done.set_value(); }));
        ASSERT_EQ(done.get_future().wait_for(std::chrono::seconds(5)), std::future_status::ready) << i;
    }
    EXPECT_EQ(pool.threadsMade(), 1u);
    EXPECT_EQ(std::count(ran.begin(), ran.end(), 2), 200);
}

TEST(HelperPool, AHangingJobHoldsNoOtherAndOnlyAFewHelpersStayIdle) {
    HelperPool pool(2);
    Gate gate;
    std::atomic<int> finished{0};
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(pool.run([&] {
        gate.wait();
        ++finished;
    }));
    // All five hang: a sixth job still runs at once, on a thread of its own.
    std::promise<void> done;
    ASSERT_TRUE(pool.run([&] { done.set_value(); }));
    EXPECT_EQ(done.get_future().wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(pool.threadsMade(), 6u);

    gate.open();
    ASSERT_TRUE(Eventually([&] { return finished == 5; }));
    // Two stay for the next jobs; the rest have ended.
    ASSERT_TRUE(Eventually([&] { return pool.idle() == 2; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(pool.idle(), 2u);
    std::promise<void> again[2];
    for (auto& p : again) ASSERT_TRUE(pool.run([&p] { p.set_value(); }));
    for (auto& p : again) EXPECT_EQ(p.get_future().wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(pool.threadsMade(), 6u);
}

TEST(HelperPool, HelpersOutliveThePoolSafely) {
    Gate gate;
    std::atomic<bool> busyDone{false};
    {
        HelperPool pool(4);
        std::promise<void> idleDone;
        ASSERT_TRUE(pool.run([&] { idleDone.set_value(); }));
        ASSERT_EQ(idleDone.get_future().wait_for(std::chrono::seconds(5)), std::future_status::ready);
        ASSERT_TRUE(Eventually([&] { return pool.idle() == 1; }));
        ASSERT_TRUE(pool.run([&] {
            gate.wait();
            busyDone = true;
        }));
    }  // one helper waits for a job, one is busy: the idle one ends, the busy one finishes
    gate.open();
    EXPECT_TRUE(Eventually([&] { return busyDone.load(); }));
}

}  // namespace
