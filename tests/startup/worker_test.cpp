// The worker thread: one thread, jobs in order, a long job holding up only the jobs after it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

#include "base/worker.h"

using namespace kal;
using namespace std::chrono_literals;

TEST(Worker, RunsJobsInOrderOnOneThreadOfItsOwn) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::vector<int> order;
    std::vector<std::thread::id> threads;
    // A long job (as the registry watchers are) does not hold up the caller...
    auto first = RunOnWorker([&] {
        released.wait();
        order.push_back(1);
        threads.push_back(std::this_thread::get_id());
    });
    auto failing = RunOnWorker([&] {
        order.push_back(2);
        threads.push_back(std::this_thread::get_id());
        throw std::runtime_error("job failed");
    });
    auto third = RunOnWorker([&] {
        order.push_back(3);
        threads.push_back(std::this_thread::get_id());
    });
    // ...but does hold up the jobs given after it.
    EXPECT_EQ(third.wait_for(50ms), std::future_status::timeout);
    release.set_value();
    first.get();
    EXPECT_THROW(failing.get(), std::runtime_error);
    third.get();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    ASSERT_EQ(threads.size(), 3u);
    EXPECT_NE(threads[0], std::this_thread::get_id());
    EXPECT_EQ(threads[1], threads[0]);
    EXPECT_EQ(threads[2], threads[0]);
}

TEST(Worker, StopWaitsForTheJobsAndAFurtherJobStartsItAgain) {
    std::atomic<bool> ran{false};
    RunOnWorker([&] {
        std::this_thread::sleep_for(20ms);
        ran = true;
    });
    StopWorker();
    EXPECT_TRUE(ran);
    StopWorker();  // nothing running: returns at once
    std::thread::id where;
    RunOnWorker([&] { where = std::this_thread::get_id(); }).get();
    EXPECT_NE(where, std::thread::id());
    EXPECT_NE(where, std::this_thread::get_id());
    StopWorker();
}

TEST(Worker, JobGivenWhileStopWaitsRunsOnTheStoppingThread) {
    StopWorker();
    std::thread::id first, second;
    std::shared_future<void> secondDone;
    RunOnWorker([&] {
        first = std::this_thread::get_id();
        std::this_thread::sleep_for(200ms);  // StopWorker is waiting for this job by now
        secondDone = RunOnWorker([&] { second = std::this_thread::get_id(); });
    });
    // Stopped from a thread of its own, so that a stop that never returns fails the test.
    auto stopped = std::make_shared<std::promise<void>>();
    std::future<void> stoppedDone = stopped->get_future();
    std::thread([stopped] {
        StopWorker();
        stopped->set_value();
    }).detach();
    ASSERT_EQ(stoppedDone.wait_for(5s), std::future_status::ready);
    ASSERT_TRUE(secondDone.valid());
    EXPECT_EQ(secondDone.wait_for(0s), std::future_status::ready);
    EXPECT_EQ(second, first);
}

TEST(Worker, JobWhoseThreadCannotStartIsNotKept) {
    StopWorker();
    std::atomic<int> runs{0};
    FailWorkerThreadStarts(true);
    EXPECT_THROW(RunOnWorker([&] { ++runs; }), std::system_error);
    FailWorkerThreadStarts(false);
    // The caller has done that job itself (a device list is freed at once): the next thread
    // must not run it again.
    RunOnWorker([] {}).get();
    StopWorker();
    EXPECT_EQ(runs, 0);
}
