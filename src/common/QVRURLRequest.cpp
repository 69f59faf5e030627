#include "common/QVRURLRequest.h"

#include <atomic>
#include <memory>

#include "common/QVREnvironment.h"
#include "common/QVRHTTPTransport.h"
#include "common/QVRRunLoop.h"
#include "common/QVRString.h"

namespace {

using Value = QVRURLRequest::Value;

// What the transport's completion shares with the block it hands to the main thread; a
// transport that answers twice still completes the request once.
struct Delivery {
  Delivery(QVREnvironment& environment, QVRURLRequest::Completion completion)
      : environment(environment), completion(std::move(completion)) {}

  QVREnvironment& environment;
  QVRURLRequest::Completion completion;
  std::atomic<bool> delivered = false;
};

void deliver(const std::shared_ptr<Delivery>& delivery, std::optional<Value> value,
             std::optional<QVRError> error) {
  if (delivery->delivered.exchange(true)) return;
  delivery->environment.runLoop().dispatchMain(
      [delivery, value = std::move(value), error = std::move(error)]() mutable {
        QVREnvironment::Installation installation(delivery->environment);
        delivery->completion(std::move(value), std::move(error));
      });
}

QVRError requestError(std::int64_t code, std::string text) {
  return QVRError(QVRURLRequest::errorDomain, code, std::move(text));
}

}  // namespace

void QVRURLRequest::start(Completion completion) const {
  QVREnvironment& environment = QVREnvironment::current();
  auto delivery = std::make_shared<Delivery>(environment, std::move(completion));
  if (!_url) {
    deliver(delivery, std::nullopt, requestError(missingURL, "request without a URL"));
    return;
  }
  QVRHTTPRequest request;
  request.url = *_url;
  request.connectTimeout = _timeoutInterval;
  request.totalTimeout = _timeoutInterval;
  QVRHTTPTransport::shared().fetch(
      std::move(request), [delivery, type = _responseType](QVRHTTPOutcome outcome) {
        if (const QVRError* error = std::get_if<QVRError>(&outcome)) {
          deliver(delivery, std::nullopt, *error);
          return;
        }
        auto value = responseValue(std::get<QVRHTTPResponse>(outcome), type);
        if (const QVRError* error = std::get_if<QVRError>(&value)) {
          deliver(delivery, std::nullopt, *error);
        } else {
          deliver(delivery, std::get<Value>(std::move(value)), std::nullopt);
        }
      });
}

std::variant<Value, QVRError> QVRURLRequest::responseValue(const QVRHTTPResponse& response,
                                                           int responseType) {
  if (!response.isSuccess()) {
    return QVRError(statusErrorDomain, response.statusCode,
                    "HTTP status " + std::to_string(response.statusCode));
  }
  switch (responseType) {
    case responseTypeText:
      if (!QVRString::isValidUTF8(response.body)) {
        return requestError(undecodableText, "response is not UTF-8 text");
      }
      return Value(response.body);
    case responseTypeData:
      return Value(Data(response.body.begin(), response.body.end()));
    default:
      return requestError(unsupportedResponseType,
                          "unsupported response type " + std::to_string(responseType));
  }
}

std::string QVRURLRequest::description() const {
  return "QVRURLRequest(GET " + _url.value_or("(no URL)") + ")";
}
