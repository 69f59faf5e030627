#include "cloud/QVRCKWorkQueue.h"

#include <pthread.h>
#include <signal.h>

#include <system_error>

QVRCKWorkQueue::~QVRCKWorkQueue() {
  std::deque<Job> cancelled;
  {
    std::lock_guard lock(_mutex);
    _stopping = true;
    cancelled.swap(_jobs);
  }
  _changed.notify_all();
  if (_worker.joinable()) _worker.join();
  for (Job& job : cancelled) {
    if (job.cancel) job.cancel();
  }
  _idle.notify_all();
}

void QVRCKWorkQueue::async(std::function<void()> job, std::function<void()> cancel) {
  {
    std::lock_guard lock(_mutex);
    if (!_worker.joinable() && !_stopping) {
      try {
        _worker = std::thread([this] { work(); });
      } catch (const std::system_error&) {
        _stopping = true;
      }
    }
    if (!_stopping) {
      _jobs.push_back({std::move(job), std::move(cancel)});
      _changed.notify_all();
      return;
    }
  }
  if (cancel) cancel();
}

std::size_t QVRCKWorkQueue::pendingCount() {
  std::lock_guard lock(_mutex);
  return _jobs.size() + (_running ? 1 : 0);
}

void QVRCKWorkQueue::waitUntilIdle() {
  std::unique_lock lock(_mutex);
  _idle.wait(lock, [this] { return _jobs.empty() && !_running; });
}

void QVRCKWorkQueue::work() {
  // Termination signals belong to the main thread's run loop.
  sigset_t signals;
  sigemptyset(&signals);
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) sigaddset(&signals, signal);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::unique_lock lock(_mutex);
  while (true) {
    _changed.wait(lock, [this] { return _stopping || !_jobs.empty(); });
    if (_stopping) return;
    Job job = std::move(_jobs.front());
    _jobs.pop_front();
    _running = true;
    lock.unlock();
    job.run();
    lock.lock();
    _running = false;
    if (_jobs.empty()) _idle.notify_all();
  }
}
