#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// One worker thread that runs jobs in the order they were handed over, so that a store's file
// work (and its waits for another process's lock) never blocks the main thread. Each job has a
// cancel block that runs instead when the queue goes before the job has started; a job that has
// started is waited for.
class QVRCKWorkQueue {
 public:
  QVRCKWorkQueue() = default;
  // Cancels the jobs that have not started (in order) and waits for the running one.
  ~QVRCKWorkQueue();
  // Identity object: its thread refers to it.
  QVRCKWorkQueue(const QVRCKWorkQueue&) = delete;
  QVRCKWorkQueue& operator=(const QVRCKWorkQueue&) = delete;

  // Runs `job` on the worker, started on first use. Without a worker thread, `cancel` runs at
  // once on the calling thread.
  void async(std::function<void()> job, std::function<void()> cancel);
  // Jobs handed over and not yet finished or cancelled.
  std::size_t pendingCount();
  // Blocks until no job is queued or running.
  void waitUntilIdle();

 private:
  struct Job {
    std::function<void()> run;
    std::function<void()> cancel;
  };
  void work();

  std::mutex _mutex;
  std::condition_variable _changed;
  std::condition_variable _idle;
  std::deque<Job> _jobs;
  bool _running = false;
  bool _stopping = false;
  std::thread _worker;
};
