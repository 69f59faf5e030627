#include "common/QVRStubHTTPTransport.h"

#include <algorithm>

#include "common/QVREnvironment.h"

QVRStubHTTPTransport* QVRStubHTTPTransport::shared() {
  return dynamic_cast<QVRStubHTTPTransport*>(&QVRHTTPTransport::shared());
}

void QVRStubHTTPTransport::fetch(QVRHTTPRequest request, Completion completion) {
  std::optional<QVRHTTPOutcome> answer;
  Responder responder;
  {
    std::lock_guard lock(_mutex);
    _requests.push_back(request);
    responder = _responder;
  }
  // The responder runs unlocked: it may look at the recorded requests.
  if (responder) answer = responder(request);
  if (!answer) {
    std::lock_guard lock(_mutex);
    if (auto found = _answers.find(request.url); found != _answers.end()) {
      answer = found->second;
    } else {
      _pending.push_back({request.url, std::move(completion)});
      return;
    }
  }
  completion(std::move(*answer));
}

void QVRStubHTTPTransport::setAnswer(const std::string& url, std::optional<QVRHTTPOutcome> answer) {
  std::lock_guard lock(_mutex);
  if (answer) {
    _answers.insert_or_assign(url, std::move(*answer));
  } else {
    _answers.erase(url);
  }
}

void QVRStubHTTPTransport::setResponder(Responder responder) {
  std::lock_guard lock(_mutex);
  _responder = std::move(responder);
}

std::vector<QVRHTTPRequest> QVRStubHTTPTransport::requests() const {
  std::lock_guard lock(_mutex);
  return _requests;
}

std::vector<std::string> QVRStubHTTPTransport::requestedURLs() const {
  std::lock_guard lock(_mutex);
  std::vector<std::string> urls;
  for (const auto& request : _requests) urls.push_back(request.url);
  return urls;
}

std::vector<std::string> QVRStubHTTPTransport::pendingURLs() const {
  std::lock_guard lock(_mutex);
  std::vector<std::string> urls;
  for (const auto& pending : _pending) urls.push_back(pending.url);
  return urls;
}

bool QVRStubHTTPTransport::complete(const std::string& url, QVRHTTPOutcome answer) {
  Completion completion;
  {
    std::lock_guard lock(_mutex);
    const auto found = std::find_if(_pending.begin(), _pending.end(),
                                    [&](const Pending& pending) { return pending.url == url; });
    if (found == _pending.end()) return false;
    completion = std::move(found->completion);
    _pending.erase(found);
  }
  completion(std::move(answer));
  return true;
}
