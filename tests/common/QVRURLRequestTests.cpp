#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/QVRStubHTTPTransport.h"
#include "common/QVRURLRequest.h"
#include "support/TallixTest.h"

using namespace std::chrono_literals;

namespace {

const std::string ratesURL = "http://rates.invalid/tallix2/conversion_rates.txt";

// What the completions received, and whether each ran on the test's (main) thread.
struct Outcomes {
  struct Entry {
    std::optional<QVRURLRequest::Value> value;
    std::optional<QVRError> error;
    bool onMainThread;
  };
  std::vector<Entry> entries;
  std::thread::id mainThread = std::this_thread::get_id();

  QVRURLRequest::Completion recorder() {
    return [this](std::optional<QVRURLRequest::Value> value, std::optional<QVRError> error) {
      entries.push_back(
          {std::move(value), std::move(error), std::this_thread::get_id() == mainThread});
    };
  }
};

QVRHTTPResponse answer(long status, std::string body) {
  QVRHTTPResponse response;
  response.statusCode = status;
  response.body = std::move(body);
  return response;
}

class QVRURLRequestTests : public TallixTest {
 protected:
  QVRStubHTTPTransport& transport() { return *QVRStubHTTPTransport::shared(); }

  QVRURLRequest request(std::optional<std::string> url = ratesURL,
                        int type = QVRURLRequest::responseTypeText) {
    QVRURLRequest made;
    made.setUrl(std::move(url));
    made.setResponseType(type);
    return made;
  }
};

// Text, HTTP statuses and transport errors come through the currency download's tests on a
// loopback server; these are the outcomes only a request makes.
TEST_F(QVRURLRequestTests, OutcomesArriveOnceOnTheMainThreadAfterTheDownload) {
  using R = QVRURLRequest;
  // clang-format off
  const struct { const char* name; QVRHTTPOutcome transportAnswer; int type; std::optional<std::string> url;
                 std::optional<R::Value> value; std::optional<QVRError> error; } cases[] = {
    {"bytes with NUL and 0xFF", answer(200, std::string("\0\xff", 2)), 1, ratesURL, R::Value(R::Data{0, 255}), std::nullopt},
    {"Latin-1 text", answer(200, "caf\xe9"), 0, ratesURL, std::nullopt, QVRError(R::errorDomain, R::undecodableText, "response is not UTF-8 text")},
    {"type 2", answer(200, "x"), 2, ratesURL, std::nullopt, QVRError(R::errorDomain, R::unsupportedResponseType, "unsupported response type 2")},
    {"no URL", answer(200, "x"), 0, std::nullopt, std::nullopt, QVRError(R::errorDomain, R::missingURL, "request without a URL")},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    transport().setAnswer(ratesURL, c.transportAnswer);
    Outcomes outcomes;
    request(c.url, c.type).start(outcomes.recorder());
    EXPECT_TRUE(outcomes.entries.empty()) << "the completion never runs inside start";
    runLoop().runPending();
    ASSERT_EQ(outcomes.entries.size(), 1u);
    EXPECT_EQ(outcomes.entries[0].value, c.value);
    EXPECT_EQ(outcomes.entries[0].error, c.error);
    EXPECT_TRUE(outcomes.entries[0].onMainThread);
    runLoop().runPending();
    EXPECT_EQ(outcomes.entries.size(), 1u);
  }
  // Only the requests with a URL reached the network, each a plain GET.
  const auto sent = transport().requests();
  ASSERT_EQ(sent.size(), std::size(cases) - 1);
  EXPECT_EQ(sent[0].method, "GET");
  EXPECT_TRUE(sent[0].body.empty());
}

}  // namespace
