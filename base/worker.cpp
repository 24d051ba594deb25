#include "base/worker.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace kal {
namespace {

std::atomic<bool> gFailThreadStarts{false};

std::thread StartThread(std::function<void()> loop) {
    if (gFailThreadStarts) throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    return std::thread(std::move(loop));
}

class Worker {
public:
    std::shared_future<void> Run(std::function<void()> job) {
        std::packaged_task<void()> task(std::move(job));
        std::shared_future<void> done = task.get_future().share();
        std::lock_guard lock(mutex_);
        // A job is queued only where a thread will run it: a thread that can't be started leaves
        // nothing behind (the caller may do the job itself). While StopWorker waits, the stopping
        // thread still runs what is given to it; a new thread starts only once it has left its
        // loop (StopWorker has taken it from thread_ by then).
        if (!running_) {
            thread_ = StartThread([this] { Loop(); });
            running_ = true;
            stopping_ = false;
        }
        jobs_.push_back(std::move(task));
        wake_.notify_one();
        return done;
    }

    void Stop() {
        std::thread thread;
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
            wake_.notify_one();
            thread = std::move(thread_);
        }
        if (thread.joinable()) thread.join();
    }

private:
    void Loop() {
        for (;;) {
            std::packaged_task<void()> task;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return !jobs_.empty() || stopping_; });
                if (jobs_.empty()) {
                    running_ = false;
                    return;
                }
                task = std::move(jobs_.front());
                jobs_.pop_front();
            }
            task();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::packaged_task<void()>> jobs_;
    std::thread thread_;
    bool running_ = false;  // a thread is in Loop and will run what is queued
    bool stopping_ = false;
};

// Never destroyed: a job still running when the process ends (nothing released the watchers)
// ends with it, instead of the exit waiting for it.
Worker& TheWorker() {
    static Worker* worker = new Worker;
    return *worker;
}

}  // namespace

std::shared_future<void> RunOnWorker(std::function<void()> job) { return TheWorker().Run(std::move(job)); }

void StopWorker() { TheWorker().Stop(); }

void FailWorkerThreadStarts(bool fail) { gFailThreadStarts = fail; }

}  // namespace kal
