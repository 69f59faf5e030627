#include "cloud/QVRCKWebDAVDatabase.h"

#include <future>

#include "cloud/QVRCKAsset.h"
#include "cloud/QVRCKError.h"
#include "cloud/QVRCKStoreFiles.h"
#include "cloud/QVRCKWebDAVHeaders.h"
#include "cloud/QVRCKWebDAVMultistatus.h"
#include "cloud/QVRCKWorkQueue.h"
#include "common/QVRCurlHTTPTransport.h"
#include "common/QVREnvironment.h"
#include "common/QVRFileReader.h"
#include "common/QVRFileWriter.h"
#include "common/QVRString.h"
#include "common/QVRURLError.h"

struct QVRCKWebDAVDatabase::Reply {
  std::string what;  // "METHOD url", for error texts
  std::optional<QVRHTTPResponse> response;
  std::optional<QVRError> error;

  long status() const { return response ? response->statusCode : 0; }
  // The cloud error of a failed request or of an answer with status `status`.
  QVRError failure() const {
    if (error) {
      const std::int64_t code = error->code();
      const bool unreachable =
          code == QVRURLError::cannotConnectToHost || code == QVRURLError::cannotFindHost;
      return QVRCKErrorWithCode(code == QVRURLError::cancelled ? QVRCKErrorOperationCancelled
                                : unreachable                  ? QVRCKErrorNetworkUnavailable
                                                               : QVRCKErrorNetworkFailure,
                                what + ": " + error->localizedDescription());
    }
    const long code = status();
    const std::int64_t cloudCode = code == 412 || code == 423   ? QVRCKErrorServerRecordChanged
                                   : code == 404 || code == 410 ? QVRCKErrorUnknownItem
                                   : code == 401 || code == 403 ? QVRCKErrorNotAuthenticated
                                   : code == 507                ? QVRCKErrorQuotaExceeded
                                   : code >= 500 || code == 408 || code == 429
                                       ? QVRCKErrorServiceUnavailable
                                       : QVRCKErrorServerRejectedRequest;
    return QVRCKErrorWithCode(cloudCode, what + " answered " + std::to_string(code));
  }
  // The strong ETag of the answer; none and the error to give when there is none.
  std::optional<std::string> strongETag(std::optional<QVRError>& refusal) const {
    const auto header = response ? response->headers.value("ETag") : std::nullopt;
    const auto tag = header ? QVRCKWebDAVHeaders::entityTag(*header) : std::nullopt;
    if (tag && !tag->weak) return tag->opaqueTag;
    refusal = QVRCKErrorWithCode(
        QVRCKErrorIncompatibleVersion,
        what + " gave " + (tag ? "a weak ETag" : "no ETag") +
            ": the server must give strong ETags (on Apache, \"FileETag Digest\")");
    return std::nullopt;
  }
};

namespace {

QVRError cancelled() {
  return QVRCKErrorWithCode(QVRCKErrorOperationCancelled, "the store went away");
}

std::string_view textOf(const QVRPropertyList::Data& bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

constexpr std::string_view kLockBody =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<D:lockinfo xmlns:D=\"DAV:\"><D:lockscope><D:exclusive/></D:lockscope>"
    "<D:locktype><D:write/></D:locktype><D:owner>tallix</D:owner></D:lockinfo>\n";

constexpr std::string_view kPropfindBody =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<D:propfind xmlns:D=\"DAV:\"><D:prop><D:getetag/><D:getlastmodified/>"
    "<D:resourcetype/></D:prop></D:propfind>\n";

}  // namespace

QVRCKWebDAVDatabase::QVRCKWebDAVDatabase(Options options)
    : QVRCKWebDAVDatabase(std::move(options), std::make_unique<QVRCurlHTTPTransport>()) {}

QVRCKWebDAVDatabase::QVRCKWebDAVDatabase(Options options, QVRHTTPTransport& transport)
    : QVRCKWebDAVDatabase(std::move(options), nullptr) {
  _transport = &transport;
}

QVRCKWebDAVDatabase::QVRCKWebDAVDatabase(Options options,
                                         std::unique_ptr<QVRHTTPTransport> ownedTransport)
    : _options(std::move(options)),
      _ownedTransport(std::move(ownedTransport)),
      _transport(_ownedTransport.get()),
      _queue(std::make_unique<QVRCKWorkQueue>()) {
  if (!_options.collectionURL.ends_with('/')) _options.collectionURL += '/';
  const auto answers = _options.answerDirectory.empty()
                           ? QVREnvironment::current().temporaryDirectory()
                           : _options.answerDirectory;
  _answerFolder = answers / ("store-answers-" + QVRString::uuid());
}

QVRCKWebDAVDatabase::~QVRCKWebDAVDatabase() {
  _queue.reset();
  std::error_code ignored;
  std::filesystem::remove_all(_answerFolder, ignored);
}

std::size_t QVRCKWebDAVDatabase::pendingCount() const {
  return _queue->pendingCount();
}

void QVRCKWebDAVDatabase::waitUntilIdle() const {
  _queue->waitUntilIdle();
}

std::string QVRCKWebDAVDatabase::fileURL(std::string_view collectionURL,
                                         std::string_view fileName) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  std::string url(collectionURL);
  for (const char character : fileName) {
    const auto byte = static_cast<unsigned char>(character);
    const bool unreserved = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                            (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' ||
                            byte == '_' || byte == '~';
    if (unreserved) {
      url += character;
    } else {
      url += '%';
      url += kHexDigits[byte >> 4];
      url += kHexDigits[byte & 0xF];
    }
  }
  return url;
}

void QVRCKWebDAVDatabase::fetchRecordWithID(const QVRCKRecordID& recordID,
                                            RecordCompletion completion) {
  _queue->asyncAnswer([this, name = recordID.recordName()] { return fetchNow(name); },
                      std::move(completion), cancelled());
}

void QVRCKWebDAVDatabase::saveRecord(const QVRCKRecord& record, RecordCompletion completion) {
  _queue->asyncAnswer([this, record] { return saveNow(record); }, std::move(completion),
                      cancelled());
}

void QVRCKWebDAVDatabase::saveSubscription(const QVRCKSubscription&,
                                           SubscriptionCompletion completion) {
  auto shared = std::make_shared<SubscriptionCompletion>(std::move(completion));
  _queue->async([shared] { (*shared)(std::nullopt); }, [shared] { (*shared)(cancelled()); });
}

QVRCKWebDAVDatabase::Reply QVRCKWebDAVDatabase::send(std::string method, const std::string& url,
                                                     QVRHTTPHeaders headers, std::string body) {
  QVRHTTPRequest request;
  request.method = std::move(method);
  request.url = url;
  request.headers = std::move(headers);
  request.body = std::move(body);
  request.totalTimeout = _options.requestTimeout;
  // A compressed answer would carry another ETag than the file's.
  request.headers.set("Accept-Encoding", "identity");
  if (_options.credentials) {
    request.headers.set("Authorization", _options.credentials->authorizationHeader());
  }
  Reply reply;
  reply.what = request.method + " " + url;
  auto promise = std::make_shared<std::promise<QVRHTTPOutcome>>();
  auto future = promise->get_future();
  _transport->fetch(std::move(request),
                    [promise](QVRHTTPOutcome outcome) { promise->set_value(std::move(outcome)); });
  QVRHTTPOutcome outcome = future.get();
  if (auto* response = std::get_if<QVRHTTPResponse>(&outcome)) {
    reply.response = std::move(*response);
  } else {
    reply.error = std::move(std::get<QVRError>(outcome));
  }
  return reply;
}

QVRCKWebDAVDatabase::Answer QVRCKWebDAVDatabase::fetchNow(const std::string& recordName) {
  if (auto refused = QVRCKStoreFiles::checkRecordName(recordName)) return {std::nullopt, refused};
  Answer answer;
  for (int attempt = 0; attempt < fetchAttempts; ++attempt) {
    bool assetMissing = false;
    answer = fetchOnce(recordName, assetMissing);
    // The record changed between reading it and its assets, whose old files went away.
    if (!assetMissing) break;
  }
  return answer;
}

QVRCKWebDAVDatabase::Answer QVRCKWebDAVDatabase::fetchOnce(const std::string& recordName,
                                                           bool& assetMissing) {
  const std::string url =
      fileURL(_options.collectionURL, QVRCKStoreFiles::recordFileName(recordName));
  const Reply reply = send("GET", url);
  if (reply.status() != 200) {
    return {std::nullopt, reply.status() == 404
                              ? QVRCKErrorWithCode(QVRCKErrorUnknownItem, "no record " + recordName)
                              : reply.failure()};
  }
  std::optional<QVRError> refusal;
  const auto tag = reply.strongETag(refusal);
  if (!tag) return {std::nullopt, refusal};
  const std::string& body = reply.response->body;
  if (body.empty()) {
    // What a lock on a missing record may leave: no record yet.
    return {std::nullopt, QVRCKErrorWithCode(QVRCKErrorUnknownItem, "no record " + recordName)};
  }
  auto decoded = QVRCKStoreFiles::decode(
      std::span(reinterpret_cast<const std::uint8_t*>(body.data()), body.size()), recordName);
  if (!decoded.value) {
    return {std::nullopt,
            QVRCKErrorWithCode(QVRCKErrorUnknownItem,
                               recordName + ": " +
                                   (decoded.error ? decoded.error->localizedDescription()
                                                  : std::string("unreadable record file")))};
  }
  QVRCKRecord answer = *decoded.value;
  answer.setRecordChangeTag(*tag);
  for (const auto& [key, value] : decoded.value->fields()) {
    const auto* asset = std::get_if<QVRCKAsset>(&value);
    if (!asset) continue;
    const std::string cacheKey = recordName + '\n' + *tag + '\n' + key;
    if (const auto found = _answers.find(cacheKey); found != _answers.end()) {
      answer.setObject(QVRCKAsset(found->second), key);
      continue;
    }
    const Reply assetReply =
        send("GET", fileURL(_options.collectionURL, asset->fileURL().string()));
    if (assetReply.status() != 200) {
      assetMissing = assetReply.status() == 404;
      QVRError error = assetReply.failure();
      return {std::nullopt, assetMissing ? QVRCKErrorWithCode(QVRCKErrorServiceUnavailable,
                                                              error.localizedDescription())
                                         : error};
    }
    const auto path = _answerFolder / QVRString::uuid();
    const std::string& bytes = assetReply.response->body;
    if (auto failure = QVRFileWriter::writeAtomically(
            path, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()))) {
      return {std::nullopt, QVRCKErrorWithCode(QVRCKErrorServiceUnavailable,
                                               "Writing " + path.string() + ": " +
                                                   failure->localizedDescription())};
    }
    _answers.emplace(cacheKey, path);
    answer.setObject(QVRCKAsset(path), key);
  }
  return {std::move(answer), std::nullopt};
}

std::optional<QVRError> QVRCKWebDAVDatabase::putAssets(const QVRCKRecord& record,
                                                       QVRCKRecord& stored,
                                                       std::vector<std::string>& uploaded) {
  const std::string& name = record.recordID().recordName();
  bool collectionMade = false;
  for (const auto& [key, value] : record.fields()) {
    const auto* asset = std::get_if<QVRCKAsset>(&value);
    if (!asset) continue;
    auto bytes = QVRFileReader::contentsOfFile(asset->fileURL(), QVRCKAsset::maximumFileSize);
    if (!bytes.value) {
      return QVRCKErrorWithCode(QVRCKErrorAssetFileNotFound,
                                "cannot read " + asset->fileURL().string());
    }
    const std::string assetName = QVRCKStoreFiles::newAssetFileName(name);
    const std::string url = fileURL(_options.collectionURL, assetName);
    Reply reply = send("PUT", url, {{"If-None-Match", "*"}}, std::string(textOf(*bytes.value)));
    if (reply.status() == 409 && !collectionMade) {
      // The collection is missing: made once, then the upload again.
      collectionMade = true;
      const Reply made = send("MKCOL", _options.collectionURL);
      if (made.status() != 201 && made.status() != 405) return made.failure();
      reply = send("PUT", url, {{"If-None-Match", "*"}}, std::string(textOf(*bytes.value)));
    }
    if (reply.status() != 201 && reply.status() != 204 && reply.status() != 200) {
      return reply.failure();
    }
    uploaded.push_back(assetName);
    stored.setObject(QVRCKAsset(assetName), key);
  }
  return std::nullopt;
}

QVRCKWebDAVDatabase::Answer QVRCKWebDAVDatabase::saveNow(const QVRCKRecord& record) {
  const std::string& name = record.recordID().recordName();
  if (auto refused = QVRCKStoreFiles::checkRecordName(name)) return {std::nullopt, refused};
  const std::string url = fileURL(_options.collectionURL, QVRCKStoreFiles::recordFileName(name));

  QVRCKRecord stored = record;
  std::vector<std::string> uploaded;
  const auto abandon = [&](QVRError error) -> Answer {
    for (const auto& asset : uploaded) send("DELETE", fileURL(_options.collectionURL, asset));
    return {std::nullopt, std::move(error)};
  };
  if (auto failure = putAssets(record, stored, uploaded)) return abandon(*failure);
  // The record file holds no tag: the server's ETag is the tag.
  stored.setRecordChangeTag(std::nullopt);
  auto bytes = QVRCKStoreFiles::encode(stored);
  if (!bytes.value) {
    return abandon(QVRCKErrorWithCode(
        QVRCKErrorInternalError, bytes.error ? bytes.error->localizedDescription() : "archive"));
  }
  const std::string body(textOf(*bytes.value));

  // The lock: no other writer between the comparison, the write and the reading of the ETag.
  std::optional<std::string> lockToken;
  if (_serverLocks != false) {
    const Reply locked = send("LOCK", url,
                              {{"Content-Type", "application/xml; charset=utf-8"},
                               {"Timeout", std::string(lockTimeout)},
                               {"Depth", "0"}},
                              std::string(kLockBody));
    if (locked.status() == 405 || locked.status() == 501) {
      _serverLocks = false;
    } else if (locked.status() == 200 || locked.status() == 201) {
      _serverLocks = true;
      const auto header = locked.response->headers.value("Lock-Token");
      lockToken = header ? QVRCKWebDAVHeaders::lockToken(*header) : std::nullopt;
      if (!lockToken) {
        return abandon(QVRCKErrorWithCode(QVRCKErrorServerRejectedRequest,
                                          locked.what + " gave no lock token"));
      }
    } else {
      return abandon(locked.failure());
    }
  }
  const auto unlock = [&] {
    if (lockToken) send("UNLOCK", url, {{"Lock-Token", "<" + *lockToken + ">"}});
    lockToken.reset();
  };
  const auto fail = [&](QVRError error) {
    unlock();
    return abandon(std::move(error));
  };

  // The server's version: none (also the empty file a lock may leave), or its strong ETag.
  const Reply head = send("HEAD", url);
  std::optional<std::string> serverTag;
  if (head.status() == 200) {
    std::optional<QVRError> refusal;
    serverTag = head.strongETag(refusal);
    if (!serverTag) return fail(*refusal);
    if (head.response->headers.value("Content-Length") == std::optional<std::string>("0")) {
      serverTag.reset();
    }
  } else if (head.status() != 404) {
    return fail(head.failure());
  }
  const auto& tag = record.recordChangeTag();
  if (!serverTag && tag)
    return fail(QVRCKErrorWithCode(QVRCKErrorUnknownItem, "no record " + name));
  if (serverTag && tag != serverTag) {
    return fail(QVRCKErrorWithCode(QVRCKErrorServerRecordChanged, "record " + name + " changed"));
  }

  QVRHTTPHeaders conditions;
  if (head.status() == 200) {
    conditions.add("If-Match", head.response->headers.value("ETag").value_or(""));
  } else {
    conditions.add("If-None-Match", "*");
  }
  if (lockToken) conditions.add("If", "(<" + *lockToken + ">)");
  const Reply put = send("PUT", url, conditions, body);
  if (!put.response) {
    // The record may have been written: its assets stay (later saves clean up what no record
    // names).
    unlock();
    return {std::nullopt, put.failure()};
  }
  if (put.status() != 200 && put.status() != 201 && put.status() != 204) {
    return fail(put.failure());
  }

  std::string newTag;
  if (lockToken) {
    const Reply after = send("HEAD", url);
    std::optional<QVRError> refusal;
    const auto read = after.status() == 200 ? after.strongETag(refusal) : std::nullopt;
    unlock();
    // Saved, but the tag is unknown: one that matches no version makes the next save fail and
    // the next poll take the server's record.
    newTag = read.value_or("\"unknown-" + QVRString::uuid() + "\"");
  } else {
    const Reply after = send("GET", url);
    std::optional<QVRError> refusal;
    const auto read = after.status() == 200 ? after.strongETag(refusal) : std::nullopt;
    newTag =
        read && after.response->body == body ? *read : "\"superseded-" + QVRString::uuid() + "\"";
  }

  // A reader on its way to the previous version's assets may miss them: its fetch starts over.
  removeUnusedAssets(name, std::set<std::string>(uploaded.begin(), uploaded.end()));
  QVRCKRecord saved = record;
  saved.setRecordChangeTag(newTag);
  return {std::move(saved), std::nullopt};
}

void QVRCKWebDAVDatabase::removeUnusedAssets(const std::string& recordName,
                                             const std::set<std::string>& used) {
  const Reply listing = send("PROPFIND", _options.collectionURL,
                             {{"Depth", "1"}, {"Content-Type", "application/xml; charset=utf-8"}},
                             std::string(kPropfindBody));
  if (listing.status() != 207) return;
  const auto responses = QVRCKWebDAVMultistatus::responses(listing.response->body);
  if (!responses) return;
  const auto now = std::chrono::system_clock::now();
  for (const auto& response : *responses) {
    if (response.isCollection || used.contains(response.fileName) ||
        !QVRCKStoreFiles::isAssetFileName(response.fileName, recordName) ||
        !response.lastModified || now - *response.lastModified < assetGracePeriod) {
      continue;
    }
    send("DELETE", fileURL(_options.collectionURL, response.fileName));
  }
}
