#include <gtest/gtest.h>

#include <set>

#include "cloud/QVRCKContainer.h"
#include "cloud/QVRCKWebDAVDatabase.h"
#include "common/QVRLogger.h"
#include "common/QVRMemoryLogSink.h"
#include "support/LoopbackApache.h"
#include "support/LoopbackHTTPServer.h"
#include "support/QVRCKStoreTesting.h"
#include "support/QVRCKTestDocument.h"
#include "support/SeededRandom.h"
#include "support/TallixTest.h"

using namespace std::chrono_literals;

namespace {

class QVRCKWebDAVDatabaseTests : public TallixTest {
 protected:
  std::filesystem::path scratch() { return environment().temporaryDirectory() / "scratch"; }
  std::unique_ptr<QVRCKWebDAVDatabase> makeDatabase(
      const std::string& url, std::optional<QVRCKCredentials> credentials = std::nullopt) {
    return std::make_unique<QVRCKWebDAVDatabase>(QVRCKWebDAVDatabase::Options{
        url, std::move(credentials), environment().temporaryDirectory(), 10s});
  }
};

#define SKIP_WITHOUT_APACHE(server)                                               \
  if (!LoopbackApache::isInstalled()) GTEST_SKIP() << "apache2 is not installed"; \
  ASSERT_TRUE((server).isRunning()) << (server).problem()

class QVRCKWebDAVApacheTests : public QVRCKWebDAVDatabaseTests,
                               public testing::WithParamInterface<bool> {};

}  // namespace

// The same contract with the server's locks and, on a server without them, with conditional
// PUTs and the written bytes read back.
TEST_P(QVRCKWebDAVApacheTests, KeepsTheContractOfConditionalSaves) {
  LoopbackApache apache({.locks = GetParam()});
  SKIP_WITHOUT_APACHE(apache);
  // The collection does not exist yet: the first save makes it.
  auto database = makeDatabase(apache.origin() + "/dav/store");
  QVRCKExpectConditionalSaves(*database, scratch(), "Tallix.tape", [&] {
    std::filesystem::remove(apache.davFolder() / "store/Tallix.tape.record");
  });
  // Names that need escaping reach their own files and come back.
  for (const std::string name : {"a b/c?d#e", "..", "%41", "é"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(QVRCKSaveTo(*database, QVRCKRecordWithText(scratch(), name, {}, name)).error);
    EXPECT_EQ(QVRCKAssetText(QVRCKFetchFrom(*database, name).record), name);
  }
  EXPECT_EQ(QVRCKFetchFrom(*database, "a b").code(), QVRCKErrorUnknownItem);
  // Assets that no record names are deleted once they are old (the listing's dates tell).
  const auto folder = apache.davFolder() / "store";
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::filesystem::last_write_time(entry, std::filesystem::file_time_type::clock::now() - 1h);
  }
  const auto tag = QVRCKFetchFrom(*database, "Tallix.tape").record->recordChangeTag();
  EXPECT_FALSE(
      QVRCKSaveTo(*database, QVRCKRecordWithText(scratch(), "Tallix.tape", tag, "last")).error);
  int assets = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const auto name = entry.path().filename().string();
    assets += name.starts_with("Tallix.tape.") && name.ends_with(".asset");
  }
  EXPECT_EQ(assets, 1);
}

INSTANTIATE_TEST_SUITE_P(LocksOrNot, QVRCKWebDAVApacheTests, testing::Bool(),
                         [](const auto& info) { return info.param ? "Locks" : "NoLocks"; });

// The user's password reaches the server and nothing else: wrong or missing credentials are
// "not authenticated", and no error text or log line holds the password.
TEST_F(QVRCKWebDAVDatabaseTests, CredentialsOpenThePrivateCollectionAndStayOutOfTexts) {
  LoopbackApache apache;
  SKIP_WITHOUT_APACHE(apache);
  const std::string url = apache.origin() + "/private/";
  // clang-format off
  struct Case { std::string what; std::optional<QVRCKCredentials> credentials; std::int64_t code; };
  const std::vector<Case> cases = {
      {"none", std::nullopt, QVRCKErrorNotAuthenticated},
      {"wrong password", QVRCKCredentials("alice", LoopbackApache::password() + "x"), QVRCKErrorNotAuthenticated},
      {"right", QVRCKCredentials("alice", LoopbackApache::password()), 0},
  };
  // clang-format on
  for (const auto& each : cases) {
    SCOPED_TRACE(each.what);
    auto database = makeDatabase(url, each.credentials);
    const auto saved = QVRCKSaveTo(*database, QVRCKRecordWithText(scratch(), "R", {}, "x"));
    EXPECT_EQ(saved.code(), each.code);
    const auto fetched = QVRCKFetchFrom(*database, "R");
    EXPECT_EQ(fetched.code(), each.code);
    // A document logs what the store answers.
    for (const auto& error : {saved.error, fetched.error}) {
      if (!error) continue;
      QVRLogger::logError(*error, "Posting record");
      EXPECT_EQ(error->description().find("pa55"), std::string::npos);
    }
    std::filesystem::remove(apache.davFolder() / "../private/R.record");
  }
  for (const auto& line : log().lines()) EXPECT_EQ(line.find("pa55"), std::string::npos) << line;
  EXPECT_FALSE(log().lines().empty());
}

// What a server answers maps to the codes that the document acts on; servers without strong
// ETags are refused, saying what they lack.
TEST_F(QVRCKWebDAVDatabaseTests, AnswersOfAnyServerMapToCloudCodes) {
  // clang-format off
  struct Case { int status; std::string etag; std::int64_t code; std::string says; };
  const std::vector<Case> cases = {
      {404, "", QVRCKErrorUnknownItem, "no record"},
      {412, "", QVRCKErrorServerRecordChanged, "answered 412"},
      {503, "", QVRCKErrorServiceUnavailable, "answered 503"},
      {507, "", QVRCKErrorQuotaExceeded, "answered 507"},
      {418, "", QVRCKErrorServerRejectedRequest, "answered 418"},
      {200, "W/\"weak\"", QVRCKErrorIncompatibleVersion, "a weak ETag"},
      {200, "\"strong\"", QVRCKErrorUnknownItem, "unreadable record file"},
  };
  // clang-format on
  const Case* current = nullptr;
  LoopbackHTTPServer server([&](httplib::Server& routes) {
    routes.Get(".*", [&](const httplib::Request&, httplib::Response& response) {
      response.status = current->status;
      if (!current->etag.empty()) response.set_header("ETag", current->etag);
      response.set_content("not a record", "application/octet-stream");
    });
  });
  auto database = makeDatabase(server.url("/dav/"));
  for (const auto& each : cases) {
    SCOPED_TRACE(std::to_string(each.status) + " " + each.etag);
    current = &each;
    const auto fetched = QVRCKFetchFrom(*database, "Tallix.tape");
    EXPECT_EQ(fetched.code(), each.code);
    ASSERT_TRUE(fetched.error);
    EXPECT_NE(fetched.error->localizedDescription().find(each.says), std::string::npos)
        << fetched.error->localizedDescription();
  }
  // Nobody listens on port 1: the network, not the record.
  EXPECT_EQ(QVRCKFetchFrom(*makeDatabase("http://127.0.0.1:1/"), "R").code(),
            QVRCKErrorNetworkUnavailable);
}

// Two devices, each a document with a database of its own, edit one document against Apache
// through seeded schedules; once they stop and have polled and posted, both hold the same
// contents with every edit.
TEST_F(QVRCKWebDAVDatabaseTests, TwoDevicesConvergeWithEveryEdit) {
  LoopbackApache apache;
  SKIP_WITHOUT_APACHE(apache);
  for (std::uint64_t seed = 1; seed <= 3; ++seed) {
    SCOPED_TRACE("schedule " + std::to_string(seed));
    SeededRandom random(seed);
    const std::string url = apache.origin() + "/dav/run" + std::to_string(seed) + "/";
    struct Device {
      std::shared_ptr<QVRCKWebDAVDatabase> database;
      std::unique_ptr<QVRCKTestDocument> document;
    };
    std::vector<Device> devices(2);
    for (std::size_t index = 0; index < devices.size(); ++index) {
      const auto home = environment().temporaryDirectory() /
                        ("s" + std::to_string(seed) + "d" + std::to_string(index));
      std::filesystem::create_directories(home / "tmp");
      devices[index].database = makeDatabase(url);
      devices[index].document = std::make_unique<QVRCKTestDocument>(
          "Shared.doc",
          std::make_shared<QVRCKContainer>("device" + std::to_string(index),
                                           devices[index].database),
          QVRCKDocument::Storage{home / "Documents", home / "tmp", QVRFileWriter::systemCalls()});
    }
    const auto settle = [&] {
      for (bool busy = true; busy;) {
        busy = false;
        for (auto& device : devices) {
          device.database->waitUntilIdle();
          busy = runLoop().waitForDispatch(0ms) || busy;
          runLoop().runPending();
          busy = busy || device.database->pendingCount() != 0;
        }
      }
    };
    std::set<std::string> made;
    for (int step = 0; step < 16; ++step) {
      const auto index = static_cast<std::size_t>(random.between(0, 1));
      const std::string item = "d" + std::to_string(index) + "e" + std::to_string(step);
      made.insert(item);
      devices[index].document->addItem(item, static_cast<std::size_t>(random.between(0, 9)));
      for (auto seconds = random.between(0, 1) ? random.between(1, 30) : random.between(100, 320);
           seconds > 0; seconds -= 10) {
        runLoop().advanceBy(10s);
        settle();
      }
    }
    const auto converged = [&] {
      const auto& first = *devices[0].document;
      const auto& second = *devices[1].document;
      return !first.needsToSave() && !first.needsToPost() && !second.needsToSave() &&
             !second.needsToPost() && first.items() == second.items() &&
             first.record().recordChangeTag() == second.record().recordChangeTag();
    };
    for (int round = 0; round < 40 && !converged(); ++round) {
      runLoop().advanceBy(100s);
      settle();
    }
    ASSERT_TRUE(converged());
    const auto items = devices[0].document->items();
    EXPECT_EQ(std::set<std::string>(items.begin(), items.end()), made);
    EXPECT_EQ(items.size(), made.size());
    for (auto& device : devices) EXPECT_FALSE(device.document->isICloudDisabled());
  }
}
