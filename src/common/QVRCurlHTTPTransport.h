#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "common/QVRHTTPTransport.h"

struct QVRCurlLibrary;

// The live transport: libcurl's multi interface on one worker thread, started on the first
// fetch, so that any number of downloads run at once and the main thread never waits on the
// network. Only http and https, also after redirects; certificates verified; the body limited
// in size. Completions run on the worker thread. libcurl is loaded by the first fetch; when it
// cannot be, every fetch fails with the reason.
class QVRCurlHTTPTransport final : public QVRHTTPTransport {
 public:
  struct Options {
    std::chrono::milliseconds connectTimeout{15'000};
    std::chrono::milliseconds totalTimeout{60'000};
    // A larger body ends the download with QVRURLError::dataLengthExceedsMaximum.
    std::size_t maximumBodySize = 16 * 1024 * 1024;
    long maximumRedirects = 5;
    std::string userAgent = "tallix/1.0";
  };

  QVRCurlHTTPTransport();
  explicit QVRCurlHTTPTransport(Options options);
  // Ends the downloads still running with QVRURLError::cancelled and waits for the worker.
  ~QVRCurlHTTPTransport() override;
  // Identity object: the worker thread refers to it.
  QVRCurlHTTPTransport(const QVRCurlHTTPTransport&) = delete;
  QVRCurlHTTPTransport& operator=(const QVRCurlHTTPTransport&) = delete;

  void fetch(QVRHTTPRequest request, Completion completion) override;

  struct Transfer;

 private:
  // Loads and initialises libcurl and starts the worker (under the lock, once); the error that
  // keeps the transport from working.
  std::optional<QVRError> start();
  void work();

  Options _options;
  const QVRCurlLibrary* _curl = nullptr;
  std::string _startFailure;
  bool _globalInitialized = false;
  void* _multi = nullptr;  // CURLM, kept out of this header

  std::mutex _mutex;
  std::condition_variable _queuedOrStopping;
  std::deque<std::unique_ptr<Transfer>> _queued;
  bool _stopping = false;
  std::thread _worker;
};
