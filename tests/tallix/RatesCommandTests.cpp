#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "common/QVRCurlHTTPTransport.h"
#include "support/LoopbackHTTPServer.h"
#include "support/TallixCommandRun.h"
#include "support/TallixTest.h"
#include "tallix/RatesCommand.h"

namespace {

using Clock = std::chrono::system_clock;

Clock::time_point utc(int year, unsigned month, unsigned day, int hour = 0) {
  return std::chrono::sys_days(std::chrono::year_month_day(
             std::chrono::year(year), std::chrono::month(month), std::chrono::day(day))) +
         std::chrono::hours(hour);
}

class RatesCommandTests : public TallixTest {
 protected:
  ~RatesCommandTests() override { unsetenv("TALLIX_RATES_URL"); }
};

TEST_F(RatesCommandTests, ANewUserConvertsOfflineThenUpdatesFromAStandIn) {
  runLoop().setNow(utc(2026, 12, 6, 9));
  EXPECT_EQ(tallixRun({"convert", "100", "USD", "EUR"}).output,
            "€89.51  (rates of 30 Oct 2026 — 37 days old)\n");
  const TallixOutcome before = tallixRun({"rates"});
  EXPECT_NE(before.output.find("last download: never"), std::string::npos) << before.output;
  EXPECT_NE(before.output.find("currencies: 30\n"), std::string::npos);

  int status = 200;
  LoopbackHTTPServer server([&status](httplib::Server& routes) {
    routes.Get("/tallix2/conversion_rates.txt", [&status](const auto&, httplib::Response& answer) {
      answer.status = status;
      answer.set_content("1795046400\nUSD 0.85\nEUR 1\n", "text/plain");
    });
  });
  environment().setSharedInstance<QVRHTTPTransport>(std::make_unique<QVRCurlHTTPTransport>());
  const std::string url = server.url("/tallix2/conversion_rates.txt");
  setenv("TALLIX_RATES_URL", url.c_str(), 1);
  const TallixOutcome update = tallixRun({"rates", "update"});
  EXPECT_EQ(update.status, 0) << update.error;
  EXPECT_EQ(update.output,
            "downloaded rates of 19 Nov 2026 — 17 days old from " + url + ": 2 currencies\n");
  EXPECT_EQ(tallixRun({"convert", "100", "USD", "EUR"}).output,
            "€85.00  (rates of 19 Nov 2026 — 17 days old)\n");
  const TallixOutcome missing = tallixRun({"convert", "1", "GBP", "EUR"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(
      missing.error,
      "tallix convert: no exchange rate for GBP; 'tallix rates update' downloads the rates\n");
  // Other units keep their output exactly.
  EXPECT_EQ(tallixRun({"convert", "100", "°C", "°F"}).output, "212 °F\n");

  status = 503;
  const TallixOutcome failed = tallixRun({"rates", "update"});
  EXPECT_EQ(failed.status, 1);
  EXPECT_NE(failed.error.find("HTTP status 503"), std::string::npos) << failed.error;
  EXPECT_NE(failed.error.find("the rates in use are unchanged"), std::string::npos);
  const TallixOutcome after = tallixRun({"rates"});
  EXPECT_EQ(after.output, "source: " + url +
                              "\npublished: rates of 19 Nov 2026 — 17 days old\n"
                              "last download: 2026-12-06 09:00 UTC\n"
                              "last error: 2026-12-06 09:00 UTC: HTTP status 503 "
                              "(QVRHTTPStatusErrorDomain 503)\ncurrencies: 2\n");
  EXPECT_EQ(tallixRun({"rates", "now"}).status, 2);
}

TEST_F(RatesCommandTests, TheNoteSaysTheAgeOnlyAfterSevenDays) {
  // clang-format off
  const struct { Clock::time_point published; Clock::time_point now; const char* note; } cases[] = {
      {utc(2026, 10, 30), utc(2026, 11, 6), "rates of 30 Oct 2026"},
      {utc(2026, 10, 30), utc(2026, 11, 6, 1), "rates of 30 Oct 2026 — 7 days old"},
      {utc(2026, 10, 30, 16), utc(2026, 11, 7, 16), "rates of 30 Oct 2026 — 8 days old"},
      {utc(2026, 12, 31, 23), utc(2026, 1, 1), "rates of 31 Dec 2026"},
  };
  // clang-format on
  for (const auto& item : cases) {
    EXPECT_EQ(tallix::RatesCommand::ratesNote(item.published, item.now), item.note);
  }
  EXPECT_EQ(tallix::RatesCommand::ratesNote(std::nullopt, utc(2026, 1, 1)), "no exchange rates");
}

}  // namespace
