#include "common/QVRCurlHTTPTransport.h"

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <climits>
#include <limits>
#include <new>
#include <optional>
#include <system_error>
#include <vector>

#include "common/QVRCurlLibrary.h"
#include "common/QVRURLError.h"

struct QVRCurlHTTPTransport::Transfer {
  const QVRCurlLibrary* curl = nullptr;
  QVRHTTPRequest request;
  Completion completion;
  std::size_t maximumBodySize = 0;
  CURL* easy = nullptr;
  curl_slist* headerList = nullptr;
  QVRHTTPResponse response;
  bool tooLarge = false;
  bool outOfMemory = false;
  char errorBuffer[CURL_ERROR_SIZE] = {};

  Transfer(QVRHTTPRequest request, Completion completion, std::size_t maximumBodySize)
      : request(std::move(request)),
        completion(std::move(completion)),
        maximumBodySize(maximumBodySize) {}
  ~Transfer() {
    if (!curl) return;
    if (easy) curl->easyCleanup(easy);
    curl->slistFreeAll(headerList);
  }
  Transfer(const Transfer&) = delete;
  Transfer& operator=(const Transfer&) = delete;

  void complete(QVRHTTPOutcome outcome) { completion(std::move(outcome)); }
};

namespace {

using Transfer = QVRCurlHTTPTransport::Transfer;

// libcurl calls these from curl_multi_perform; nothing may be thrown through it.
std::size_t receiveBody(char* data, std::size_t size, std::size_t count, void* user) noexcept {
  auto& transfer = *static_cast<Transfer*>(user);
  if (count != 0 && size > SIZE_MAX / count) return 0;
  const std::size_t length = size * count;
  if (length > transfer.maximumBodySize - transfer.response.body.size()) {
    transfer.tooLarge = true;
    return 0;
  }
  try {
    transfer.response.body.append(data, length);
  } catch (const std::bad_alloc&) {
    transfer.outOfMemory = true;
    return 0;
  }
  return length;
}

std::size_t receiveHeader(char* data, std::size_t size, std::size_t count, void* user) noexcept {
  auto& transfer = *static_cast<Transfer*>(user);
  if (count != 0 && size > SIZE_MAX / count) return 0;
  const std::size_t length = size * count;
  try {
    transfer.response.addHeaderLine(std::string_view(data, length));
  } catch (const std::bad_alloc&) {
    transfer.outOfMemory = true;
    return 0;
  }
  return length;
}

long milliseconds(std::chrono::milliseconds duration) {
  // libcurl reads 0 as "no timeout".
  return static_cast<long>(
      std::clamp<std::chrono::milliseconds::rep>(duration.count(), 1, LONG_MAX));
}

std::int64_t errorCode(CURLcode result) {
  switch (result) {
    case CURLE_OPERATION_TIMEDOUT:
      return QVRURLError::timedOut;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return QVRURLError::cannotFindHost;
    case CURLE_COULDNT_CONNECT:
      return QVRURLError::cannotConnectToHost;
    case CURLE_TOO_MANY_REDIRECTS:
      return QVRURLError::httpTooManyRedirects;
    case CURLE_URL_MALFORMAT:
      return QVRURLError::badURL;
    case CURLE_UNSUPPORTED_PROTOCOL:
      return QVRURLError::unsupportedURL;
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
      return QVRURLError::networkConnectionLost;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
      return QVRURLError::badServerResponse;
    case CURLE_BAD_CONTENT_ENCODING:
      return QVRURLError::cannotDecodeContentData;
    case CURLE_FILESIZE_EXCEEDED:
      return QVRURLError::dataLengthExceedsMaximum;
    case CURLE_PEER_FAILED_VERIFICATION:
      return QVRURLError::serverCertificateUntrusted;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
      return QVRURLError::secureConnectionFailed;
    case CURLE_ABORTED_BY_CALLBACK:
      return QVRURLError::cancelled;
    default:
      return QVRURLError::unknown;
  }
}

// Sets up the transfer's handle; answers the error that keeps it from starting.
std::optional<QVRError> configure(Transfer& transfer,
                                  const QVRCurlHTTPTransport::Options& options) {
  const QVRHTTPRequest& request = transfer.request;
  if (!request.isWellFormed() || request.url.find('\0') != std::string::npos) {
    return QVRURLError::make(QVRURLError::badURL, request.description());
  }
  const QVRCurlLibrary& curl = *transfer.curl;
  transfer.easy = curl.easyInit();
  if (!transfer.easy) return QVRURLError::make(QVRURLError::unknown, "no libcurl handle");
  CURL* easy = transfer.easy;
  bool configured = true;
  auto set = [&](CURLoption option, auto value) {
    configured = configured && curl.easySetopt(easy, option, value) == CURLE_OK;
  };
  set(CURLOPT_PRIVATE, static_cast<void*>(&transfer));
  set(CURLOPT_ERRORBUFFER, transfer.errorBuffer);
  set(CURLOPT_URL, request.url.c_str());
  set(CURLOPT_PROTOCOLS_STR, "http,https");
  set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  set(CURLOPT_FOLLOWLOCATION, 1L);
  set(CURLOPT_MAXREDIRS, options.maximumRedirects);
  set(CURLOPT_CONNECTTIMEOUT_MS,
      milliseconds(request.connectTimeout.value_or(options.connectTimeout)));
  set(CURLOPT_TIMEOUT_MS, milliseconds(request.totalTimeout.value_or(options.totalTimeout)));
  set(CURLOPT_USERAGENT, options.userAgent.c_str());
  set(CURLOPT_NOSIGNAL, 1L);
  set(CURLOPT_SSL_VERIFYPEER, 1L);
  set(CURLOPT_SSL_VERIFYHOST, 2L);
  set(CURLOPT_ACCEPT_ENCODING, "");
  set(CURLOPT_MAXFILESIZE_LARGE,
      static_cast<curl_off_t>(
          std::min<std::size_t>(options.maximumBodySize,
                                static_cast<std::size_t>(std::numeric_limits<curl_off_t>::max()))));
  set(CURLOPT_WRITEFUNCTION, receiveBody);
  set(CURLOPT_WRITEDATA, static_cast<void*>(&transfer));
  set(CURLOPT_HEADERFUNCTION, receiveHeader);
  set(CURLOPT_HEADERDATA, static_cast<void*>(&transfer));

  const bool sendsBody = request.method != "GET" && request.method != "HEAD";
  if (request.method == "HEAD") {
    set(CURLOPT_NOBODY, 1L);
  } else if (!sendsBody && request.body.empty()) {
    set(CURLOPT_HTTPGET, 1L);
  } else {
    set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    set(CURLOPT_POSTFIELDS, request.body.data());
    if (request.method != "POST") set(CURLOPT_CUSTOMREQUEST, request.method.c_str());
  }

  std::vector<std::string> lines;
  for (const auto& [name, value] : request.headers.fields()) {
    // libcurl sends "Name;" as a field with an empty value.
    lines.push_back(value.empty() ? name + ";" : name + ": " + value);
  }
  // No 100-continue round trip, and no form content type unless the caller gave one.
  if (!request.headers.contains("Expect")) lines.emplace_back("Expect:");
  if ((sendsBody || !request.body.empty()) && !request.headers.contains("Content-Type")) {
    lines.emplace_back("Content-Type:");
  }
  for (const std::string& line : lines) {
    curl_slist* appended = curl.slistAppend(transfer.headerList, line.c_str());
    if (!appended) return QVRURLError::make(QVRURLError::unknown, "out of memory");
    transfer.headerList = appended;
  }
  set(CURLOPT_HTTPHEADER, transfer.headerList);
  if (!configured) return QVRURLError::make(QVRURLError::unknown, "libcurl refused an option");
  return std::nullopt;
}

QVRHTTPOutcome outcome(Transfer& transfer, CURLcode result) {
  const QVRCurlLibrary& curl = *transfer.curl;
  if (result == CURLE_OK) {
    long status = 0;
    curl.easyGetinfo(transfer.easy, CURLINFO_RESPONSE_CODE, &status);
    transfer.response.statusCode = status;
    return std::move(transfer.response);
  }
  if (transfer.tooLarge) {
    return QVRURLError::make(QVRURLError::dataLengthExceedsMaximum,
                             "more than " + std::to_string(transfer.maximumBodySize) + " bytes");
  }
  if (transfer.outOfMemory) return QVRURLError::make(QVRURLError::unknown, "out of memory");
  const std::string detail =
      transfer.errorBuffer[0] ? transfer.errorBuffer : curl.easyStrerror(result);
  // libcurl says "unsupported protocol" also for a status line it cannot read: then it had
  // connected, and there is no status (a redirect to another scheme has one).
  long status = 0;
  const char* address = nullptr;
  curl.easyGetinfo(transfer.easy, CURLINFO_RESPONSE_CODE, &status);
  curl.easyGetinfo(transfer.easy, CURLINFO_PRIMARY_IP, &address);
  if (result == CURLE_UNSUPPORTED_PROTOCOL && status == 0 && address && *address) {
    return QVRURLError::make(QVRURLError::badServerResponse, detail);
  }
  return QVRURLError::make(errorCode(result), detail);
}

// The worker takes no termination signals: they belong to the main thread's loop. It also
// ignores broken pipes, which a write to a closed TLS connection may raise in it.
void blockSignalsOfThisThread() {
  sigset_t signals;
  sigemptyset(&signals);
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) sigaddset(&signals, signal);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

}  // namespace

QVRCurlHTTPTransport::QVRCurlHTTPTransport() : QVRCurlHTTPTransport(Options{}) {}

QVRCurlHTTPTransport::QVRCurlHTTPTransport(Options options) : _options(std::move(options)) {}

QVRCurlHTTPTransport::~QVRCurlHTTPTransport() {
  {
    std::lock_guard lock(_mutex);
    _stopping = true;
  }
  _queuedOrStopping.notify_all();
  if (_multi) _curl->multiWakeup(static_cast<CURLM*>(_multi));
  if (_worker.joinable()) _worker.join();
  for (auto& transfer : _queued) {
    transfer->complete(QVRURLError::make(QVRURLError::cancelled));
  }
  if (_multi) _curl->multiCleanup(static_cast<CURLM*>(_multi));
  if (_globalInitialized) _curl->globalCleanup();
}

std::optional<QVRError> QVRCurlHTTPTransport::start() {
  if (!_multi && _startFailure.empty()) {
    _curl = QVRCurlLibrary::shared(&_startFailure);
    if (_curl) {
      _globalInitialized = _curl->globalInit(CURL_GLOBAL_DEFAULT) == CURLE_OK;
      if (_globalInitialized) _multi = _curl->multiInit();
      if (!_multi) _startFailure = _globalInitialized ? "no multi handle" : "initialisation failed";
    }
  }
  if (!_multi) {
    return QVRURLError::make(QVRURLError::unknown, "libcurl could not start: " + _startFailure);
  }
  try {
    _worker = std::thread([this] { work(); });
  } catch (const std::system_error& error) {
    return QVRURLError::make(QVRURLError::unknown, error.what());
  }
  return std::nullopt;
}

void QVRCurlHTTPTransport::fetch(QVRHTTPRequest request, Completion completion) {
  auto transfer = std::make_unique<Transfer>(std::move(request), std::move(completion),
                                             _options.maximumBodySize);
  std::optional<QVRError> failure;
  {
    std::lock_guard lock(_mutex);
    if (!_worker.joinable()) failure = start();
    transfer->curl = _curl;
    if (!failure) _queued.push_back(std::move(transfer));
  }
  if (failure) {
    transfer->complete(*failure);
    return;
  }
  _queuedOrStopping.notify_one();
  _curl->multiWakeup(static_cast<CURLM*>(_multi));
}

void QVRCurlHTTPTransport::work() {
  blockSignalsOfThisThread();
  const QVRCurlLibrary& curl = *_curl;
  auto* multi = static_cast<CURLM*>(_multi);
  std::vector<std::unique_ptr<Transfer>> running;
  while (true) {
    std::deque<std::unique_ptr<Transfer>> arrived;
    bool stopping = false;
    {
      std::unique_lock lock(_mutex);
      if (running.empty()) {
        _queuedOrStopping.wait(lock, [this] { return _stopping || !_queued.empty(); });
      }
      arrived.swap(_queued);
      stopping = _stopping;
    }
    if (stopping) {
      for (auto& transfer : running) {
        curl.multiRemoveHandle(multi, transfer->easy);
        transfer->complete(QVRURLError::make(QVRURLError::cancelled));
      }
      for (auto& transfer : arrived) transfer->complete(QVRURLError::make(QVRURLError::cancelled));
      return;
    }
    for (auto& transfer : arrived) {
      if (auto error = configure(*transfer, _options)) {
        transfer->complete(std::move(*error));
      } else if (curl.multiAddHandle(multi, transfer->easy) != CURLM_OK) {
        transfer->complete(QVRURLError::make(QVRURLError::unknown, "libcurl refused the transfer"));
      } else {
        running.push_back(std::move(transfer));
      }
    }
    int stillRunning = 0;
    curl.multiPerform(multi, &stillRunning);
    int left = 0;
    while (CURLMsg* message = curl.multiInfoRead(multi, &left)) {
      if (message->msg != CURLMSG_DONE) continue;
      CURL* easy = message->easy_handle;
      const CURLcode result = message->data.result;
      curl.multiRemoveHandle(multi, easy);
      const auto found = std::find_if(running.begin(), running.end(),
                                      [&](const auto& transfer) { return transfer->easy == easy; });
      if (found == running.end()) continue;
      std::unique_ptr<Transfer> transfer = std::move(*found);
      running.erase(found);
      transfer->complete(outcome(*transfer, result));
    }
    if (!running.empty()) curl.multiPoll(multi, nullptr, 0, 1000, nullptr);
  }
}
