#include "startup/worker.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace kal {
namespace {

class Worker {
public:
    std::shared_future<void> Run(std::function<void()> job) {
        std::packaged_task<void()> task(std::move(job));
        std::shared_future<void> done = task.get_future().share();
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(task));
        if (!thread_.joinable()) {
            stopping_ = false;
            thread_ = std::thread([this] { Loop(); });
        }
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
                if (jobs_.empty()) return;
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

}  // namespace kal
