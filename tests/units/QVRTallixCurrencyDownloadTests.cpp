#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "common/QVRConfiguration.h"
#include "common/QVRCurlHTTPTransport.h"
#include "support/LoopbackHTTPServer.h"
#include "support/LoopbackSocketServer.h"
#include "support/NotificationRecorder.h"
#include "support/TallixTest.h"
#include "units/QVRTallixCurrencyUnitCategory.h"

using namespace std::chrono_literals;

namespace {

using Category = QVRTallixCurrencyUnitCategory;
using Table = QVRTallixConversionRates::Table;

const std::string kRatesText = "1793404800\nUSD 0.9\nJPY 0.0057\n";

// (A download that succeeds, its cache, and a failure that keeps the rates are in the rates
// command's test; these are the concurrency, timing and failure cases it leaves out.)
// Downloads from a real server on loopback through the live transport, in virtual time: the
// completions arrive through dispatchMain and run when the test drains the loop.
class QVRTallixCurrencyDownloadTests : public TallixTest {
 protected:
  QVRTallixCurrencyDownloadTests() {
    environment().setSharedInstance<QVRHTTPTransport>(std::make_unique<QVRCurlHTTPTransport>());
    QVRTallixCurrencyRates::current().requestTimeout = 300ms;
    use("/tallix2/conversion_rates.txt");
  }

  void use(const std::string& path) {
    QVRConfiguration::sharedConfiguration().setValue(Category::conversionRatesURLKey,
                                                     QVRPropertyList(server.url(path)));
  }
  // Runs the loop until no download runs (at most 5 s of real time).
  void drain() {
    while (Category::isFetching()) {
      if (!runLoop().waitForDispatch(5s)) break;
      runLoop().runPending();
    }
  }
  Category::Completion recorder() {
    return [this](const std::optional<QVRError>& error) { outcomes.push_back(error); };
  }
  bool cacheExists() { return std::filesystem::exists(Category::conversionRatesPath()); }

  std::atomic<int> hits = 0;
  std::vector<std::optional<QVRError>> outcomes;
  LoopbackHTTPServer server{[this](httplib::Server& routes) {
    routes.Get("/tallix2/conversion_rates.txt", [this](const auto&, httplib::Response& answer) {
      ++hits;
      answer.set_content(kRatesText, "text/plain");
    });
    routes.Get("/slow", [this](const auto&, httplib::Response& answer) {
      ++hits;
      std::this_thread::sleep_for(600ms);
      answer.set_content(kRatesText, "text/plain");
    });
    routes.Get("/error", [this](const auto&, httplib::Response& answer) {
      ++hits;
      answer.status = 503;
    });
    routes.Get("/garbage", [this](const auto&, httplib::Response& answer) {
      ++hits;
      answer.set_content(
          "\x7f"
          "ELF\x01\x02 \x03",
          "text/plain");
    });
  }};
};

TEST_F(QVRTallixCurrencyDownloadTests,
       ConcurrentCallersShareOneDownloadAndACompletionMayStartTheNext) {
  Category::initialize();
  NotificationRecorder updates(environment().notificationCenter(),
                               std::string(QVRTallixCurrencyUnitCategoryDidUpdate));
  Category::fetchConversionRates(recorder());
  Category::fetchConversionRates(nullptr);
  Category::fetchConversionRates(recorder());
  EXPECT_TRUE(Category::isFetching());
  drain();
  EXPECT_EQ(hits, 1);
  ASSERT_EQ(outcomes.size(), 2u);
  EXPECT_FALSE(outcomes[0] || outcomes[1]);
  EXPECT_EQ(updates.count(), 1u);
  // A completion may start the next download.
  Category::fetchConversionRates([this](const std::optional<QVRError>& error) {
    outcomes.push_back(error);
    Category::fetchConversionRates(recorder());
  });
  drain();
  EXPECT_EQ(hits, 3);
  EXPECT_EQ(outcomes.size(), 4u);
}

TEST_F(QVRTallixCurrencyDownloadTests, FailedOrUnreadableDownloadsNeverReplaceGoodRates) {
  LoopbackSocketServer cutShort("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n1793404800\nUSD 1");
  struct Case {
    std::string url;
    bool unreadable;  // the category's own error rather than the request's
  } cases[] = {
      {server.url("/error"), false},         {server.url("/slow"), false},
      {cutShort.url("/x"), false},           {server.url("/garbage"), true},
      {"http://127.0.0.1:1/refused", false},
  };
  Category::initialize();
  const Table snapshot = Category::conversionRates();
  const auto snapshotDate = Category::currencyUpdateDate();
  NotificationRecorder updates(environment().notificationCenter(),
                               std::string(QVRTallixCurrencyUnitCategoryDidUpdate));
  for (const Case& item : cases) {
    SCOPED_TRACE(item.url);
    QVRConfiguration::sharedConfiguration().setValue(Category::conversionRatesURLKey,
                                                     QVRPropertyList(item.url));
    outcomes.clear();
    log().clear();
    Category::fetchConversionRates(recorder());
    drain();
    ASSERT_EQ(outcomes.size(), 1u);
    ASSERT_TRUE(outcomes[0]);
    EXPECT_EQ(outcomes[0]->domain() == QVRTallixCurrencyUnitCategoryDomain, item.unreadable);
    if (item.unreadable) {
      EXPECT_EQ(outcomes[0]->code(), 1);
      EXPECT_EQ(outcomes[0]->localizedDescription(),
                "Failed to read conversion rates data. If this error continues to happen "
                "contact Ternwick support");
    }
    EXPECT_EQ(log().countContaining("fetching conversion rate"), 1u);
    EXPECT_EQ(Category::conversionRates(), snapshot);
    EXPECT_EQ(Category::currencyUpdateDate(), snapshotDate);
    EXPECT_FALSE(Category::lastFetchDate());
    EXPECT_FALSE(cacheExists());
    ASSERT_TRUE(Category::lastFailure());
    EXPECT_EQ(Category::lastFailure()->error.domain(), outcomes[0]->domain());
  }
  EXPECT_EQ(updates.count(), 0u);
}

TEST_F(QVRTallixCurrencyDownloadTests, TheHourlyCheckDownloadsOnlyWhenTheRatesAreOlderThanAnHour) {
  NotificationRecorder will(environment().notificationCenter(),
                            std::string(QVRTallixCurrencyUnitCategoryWillAutoupdate));
  NotificationRecorder did(environment().notificationCenter(),
                           std::string(QVRTallixCurrencyUnitCategoryDidAutoupdate));
  QVRTallixCurrencyRates::current().automaticUpdates = true;
  // No cache: the start-up downloads at once.
  Category::initialize();
  EXPECT_EQ(will.count(), 1u);
  drain();
  EXPECT_EQ(hits, 1);
  ASSERT_EQ(did.count(), 1u);
  EXPECT_FALSE(did.records()[0].hasUserInfo);
  // Exactly an hour later the rates are not yet too old; two hours later they are.
  runLoop().advanceBy(3600s);
  drain();
  EXPECT_EQ(hits, 1);
  runLoop().advanceBy(3600s);
  drain();
  EXPECT_EQ(hits, 2);
  EXPECT_EQ(will.count(), 2u);
  // A failure leaves the fetch date, so every later check tries again.
  use("/error");
  for (int hour = 0; hour < 3; ++hour) {
    runLoop().advanceBy(3600s);
    drain();
  }
  EXPECT_EQ(hits, 4);
  ASSERT_EQ(did.count(), 4u);
  EXPECT_TRUE(did.records()[2].hasUserInfo && did.records()[3].hasUserInfo);
  EXPECT_EQ(will.count(), did.count());
}

}  // namespace
