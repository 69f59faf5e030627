#pragma once

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "common/QVRHTTPTransport.h"

// A transport for tests. It answers from scripted answers, at once, on the calling thread:
// first the responder (when it answers), then the answer set for the URL. A request without an
// answer waits until the test completes it, so that a test can look at the state while a
// download runs. Records every request. The test environment's shared transport.
class QVRStubHTTPTransport final : public QVRHTTPTransport {
 public:
  using Responder = std::function<std::optional<QVRHTTPOutcome>(const QVRHTTPRequest&)>;

  QVRStubHTTPTransport() = default;
  // Identity object: a test and the code under test share it.
  QVRStubHTTPTransport(const QVRStubHTTPTransport&) = delete;
  QVRStubHTTPTransport& operator=(const QVRStubHTTPTransport&) = delete;

  // The current environment's shared transport when it is a stub, else none.
  static QVRStubHTTPTransport* shared();

  void fetch(QVRHTTPRequest request, Completion completion) override;

  // Answers every later request for `url` with `answer`; none makes them wait again.
  void setAnswer(const std::string& url, std::optional<QVRHTTPOutcome> answer);
  // Consulted before the answers by URL; answering none falls through to them.
  void setResponder(Responder responder);

  // Every request so far, oldest first.
  std::vector<QVRHTTPRequest> requests() const;
  std::vector<std::string> requestedURLs() const;
  // The URLs of the requests that wait for complete(), oldest first.
  std::vector<std::string> pendingURLs() const;
  // Ends the oldest waiting request for `url` with `answer`, on the calling thread; false when
  // none waits.
  bool complete(const std::string& url, QVRHTTPOutcome answer);

 private:
  struct Pending {
    std::string url;
    Completion completion;
  };

  mutable std::mutex _mutex;
  Responder _responder;
  std::map<std::string, QVRHTTPOutcome> _answers;
  std::vector<QVRHTTPRequest> _requests;
  std::deque<Pending> _pending;
};
