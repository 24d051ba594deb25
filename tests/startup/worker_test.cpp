// The worker thread: one thread, jobs in order, a long job holding up only the jobs after it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <stdexcept>
#include <thread>
#include <vector>

#include "startup/worker.h"

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
