// The program's one thread besides the user-interface thread, for work that must not hold that
// thread up: the start-up's autostart refresh, the freeing of device lists, then the registry
// watchers. Under Wine every thread keeps about 1 MB of memory for as long as the program runs
// (a finished one until another ends), so the program runs such work as jobs of one thread
// rather than a thread each.
#pragma once

#include <functional>
#include <future>

namespace kal {

// Runs `job` on the worker thread, started on first use, after the jobs given before it; a job
// may run as long as it needs (the registry watchers run until released). The future becomes
// ready when the job has ended; an exception that leaves the job is kept in it. When the thread
// can't be started, std::system_error is thrown and the job is not kept.
std::shared_future<void> RunOnWorker(std::function<void()> job);

// Waits for the jobs given so far, and for those given while it waits, and ends the thread; the
// next RunOnWorker starts a new one. Called at the program's end, after whatever ends the long
// jobs.
void StopWorker();

// Tests: while set, starting the worker's thread fails as when the system has no room for another
// thread (RunOnWorker throws std::system_error).
void FailWorkerThreadStarts(bool fail);

}  // namespace kal
