#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "common/QVRError.h"

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
  // Runs `answer` on the worker and hands the record and error it returns to `completion`; when
  // the job is cancelled, `completion` gets no record and `cancelled`.
  template <typename Answer, typename Completion>
  void asyncAnswer(Answer answer, Completion completion, QVRError cancelled) {
    auto shared = std::make_shared<Completion>(std::move(completion));
    async(
        [answer = std::move(answer), shared]() mutable {
          auto result = answer();
          (*shared)(std::move(result.record), std::move(result.error));
        },
        [shared, cancelled = std::move(cancelled)] { (*shared)(std::nullopt, cancelled); });
  }
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
