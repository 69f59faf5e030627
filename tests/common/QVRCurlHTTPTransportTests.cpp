#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "common/QVRCurlHTTPTransport.h"
#include "common/QVRHTTPResponse.h"
#include "common/QVRURLError.h"
#include "support/LoopbackHTTPServer.h"
#include "support/LoopbackSocketServer.h"
#include "support/TallixTest.h"

using namespace std::chrono_literals;

namespace {

// Holds a server's answer until the test opens it (or two seconds pass), so that the client
// times out without anybody sleeping; `arrived` is set when the request has come.
struct Gate {
  std::promise<void> arrived, opened;
  std::shared_future<void> open = opened.get_future().share();
  void wait() {
    arrived.set_value();
    open.wait_for(2s);
  }
};

// The outcome of one fetch, waited for; counts the completions so a second one shows.
struct Fetched {
  std::shared_ptr<std::atomic<int>> calls = std::make_shared<std::atomic<int>>(0);
  std::future<QVRHTTPOutcome> future;
};

Fetched startFetch(QVRHTTPTransport& transport, QVRHTTPRequest request) {
  Fetched fetched;
  auto promise = std::make_shared<std::promise<QVRHTTPOutcome>>();
  fetched.future = promise->get_future();
  transport.fetch(std::move(request), [promise, calls = fetched.calls](QVRHTTPOutcome outcome) {
    if (calls->fetch_add(1) == 0) promise->set_value(std::move(outcome));
  });
  return fetched;
}

QVRHTTPOutcome fetchAndWait(QVRHTTPTransport& transport, QVRHTTPRequest request) {
  Fetched fetched = startFetch(transport, std::move(request));
  if (fetched.future.wait_for(10s) != std::future_status::ready) {
    ADD_FAILURE() << "no answer";
    return QVRError("test", 0, "no answer");
  }
  QVRHTTPOutcome outcome = fetched.future.get();
  EXPECT_EQ(fetched.calls->load(), 1);
  return outcome;
}

QVRHTTPRequest get(std::string url) {
  QVRHTTPRequest request;
  request.url = std::move(url);
  return request;
}

void routes(httplib::Server& server, Gate& gate) {
  server.Get("/rates", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("EUR 1.0\nUSD 1.1", "text/plain");
  });
  server.Get("/moved", [](const httplib::Request&, httplib::Response& response) {
    response.set_redirect("/rates");
  });
  server.Get("/loop", [](const httplib::Request&, httplib::Response& response) {
    response.set_redirect("/loop");
  });
  server.Get("/to-file", [](const httplib::Request&, httplib::Response& response) {
    response.set_redirect("file:///etc/passwd");
  });
  server.Get("/slow", [&gate](const httplib::Request&, httplib::Response& response) {
    gate.wait();
    response.set_content("too late", "text/plain");
  });
  server.Get(R"(/sized/(\d+))", [](const httplib::Request& request, httplib::Response& response) {
    response.set_content(std::string(std::stoul(request.matches[1]), 'x'), "text/plain");
  });
  server.Get(R"(/chunked/(\d+))", [](const httplib::Request& request, httplib::Response& response) {
    const std::size_t size = std::stoul(request.matches[1]);
    response.set_chunked_content_provider(
        "text/plain", [size](std::size_t, httplib::DataSink& sink) {
          const std::string part(100, 'y');
          for (std::size_t sent = 0; sent < size; sent += part.size()) {
            sink.write(part.data(), std::min(part.size(), size - sent));
          }
          sink.done();
          return true;
        });
  });
}

class QVRCurlHTTPTransportTests : public TallixTest {
 protected:
  Gate gate;
  LoopbackHTTPServer server{[this](httplib::Server& s) { routes(s, gate); }};

  ~QVRCurlHTTPTransportTests() override { gate.opened.set_value(); }
};

TEST_F(QVRCurlHTTPTransportTests, FailuresEndWithTheirErrorCodes) {
  QVRCurlHTTPTransport::Options options;
  options.totalTimeout = 10s;
  options.maximumBodySize = 1000;
  options.maximumRedirects = 3;
  QVRCurlHTTPTransport transport(options);
  LoopbackSocketServer cutShort("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nonly half");
  LoopbackSocketServer garbled("HTTP/1.1 2x0 What\r\n\r\n");
  LoopbackSocketServer plain("HTTP/1.1 400 Bad Request\r\n\r\n", false);
  QVRHTTPRequest injected = get(server.url("/rates"));
  injected.headers.add("X-Note", "a\r\nEvil: b");
  QVRHTTPRequest slow = get(server.url("/slow"));
  slow.totalTimeout = 300ms;  // the server holds its answer for two seconds
  // clang-format off
  const struct { const char* name; QVRHTTPRequest request; std::int64_t code; } cases[] = {
      {"refused (nobody listens on port 1)", get("http://127.0.0.1:1/"), QVRURLError::cannotConnectToHost},
      {"slow", slow, QVRURLError::timedOut},
      {"redirect loop", get(server.url("/loop")), QVRURLError::httpTooManyRedirects},
      {"redirect to a file", get(server.url("/to-file")), QVRURLError::unsupportedURL},
      {"one byte too many", get(server.url("/sized/1001")), QVRURLError::dataLengthExceedsMaximum},
      {"chunked, too many", get(server.url("/chunked/5000")), QVRURLError::dataLengthExceedsMaximum},
      {"body cut short", get(cutShort.url("/")), QVRURLError::networkConnectionLost},
      {"garbled status", get(garbled.url("/")), QVRURLError::badServerResponse},
      {"header with a line break", injected, QVRURLError::badURL},
      {"TLS to a plain server", get("https" + plain.url("/").substr(4)), QVRURLError::secureConnectionFailed},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QVRHTTPOutcome outcome = fetchAndWait(transport, c.request);
    const QVRError* error = std::get_if<QVRError>(&outcome);
    ASSERT_NE(error, nullptr) << "status " << std::get<QVRHTTPResponse>(outcome).statusCode;
    EXPECT_EQ(error->domain(), QVRURLError::domain);
    EXPECT_EQ(error->code(), c.code) << error->description();
  }
  // At the limit, whether announced or chunked, the body arrives whole; a redirect is followed.
  const std::pair<const char*, std::size_t> bodies[] = {
      {"/sized/1000", 1000}, {"/chunked/1000", 1000}, {"/moved", 15}};
  for (const auto& [path, size] : bodies) {
    SCOPED_TRACE(path);
    const QVRHTTPOutcome outcome = fetchAndWait(transport, get(server.url(path)));
    const auto* response = std::get_if<QVRHTTPResponse>(&outcome);
    ASSERT_NE(response, nullptr) << std::get<QVRError>(outcome).description();
    EXPECT_EQ(response->body.size(), size);
  }
}

TEST_F(QVRCurlHTTPTransportTests, GoingAwayCancelsWhatRunsAndCompletesItOnce) {
  auto transport = std::make_unique<QVRCurlHTTPTransport>();
  Fetched running = startFetch(*transport, get(server.url("/slow")));
  ASSERT_EQ(gate.arrived.get_future().wait_for(5s), std::future_status::ready);
  transport.reset();
  ASSERT_EQ(running.future.wait_for(0s), std::future_status::ready);
  const QVRHTTPOutcome outcome = running.future.get();
  ASSERT_TRUE(std::holds_alternative<QVRError>(outcome));
  EXPECT_EQ(std::get<QVRError>(outcome).code(), QVRURLError::cancelled);
  EXPECT_EQ(running.calls->load(), 1);
}

// The header lines as libcurl hands them over, one at a time.
TEST(QVRHTTPResponse, HeaderLinesAsLibcurlHandsThemOver) {
  using Fields = std::vector<QVRHTTPHeaders::Field>;
  // clang-format off
  const struct { const char* name; std::vector<std::string> lines; long status; Fields fields; } cases[] = {
      {"a redirect's fields are dropped",
       {"HTTP/1.1 302 Found\r\n", "Location: /b\r\n", "\r\n", "HTTP/1.1 200 OK\r\n", "A: 1\r\n"},
       200,
       {{"A", "1"}}},
      {"blanks around the value, none left inside", {"X:   a b \t\r\n", "Y:\r\n"}, 200, {{"X", "a b"}, {"Y", ""}}},
      {"folded continuation", {"X: one\r\n", " two\r\n", "\tthree\r\n"}, 200, {{"X", "one two three"}}},
      {"no colon, bad names", {"garbage\r\n", ": empty name\r\n", "Bad Name: v\r\n", "Ok: v"}, 200, {{"Ok", "v"}}},
      {"unreadable status lines keep the status",
       {"HTTP/1.1 2000 Big\r\n", "HTTP/1.1 20 Small\r\n", "HTTP/1.1 2x0\r\n", "HTTP/1.1\r\n",
        "HTTP/\r\n"},
       200,
       {}},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QVRHTTPResponse response;
    for (const auto& line : c.lines) response.addHeaderLine(line);
    EXPECT_EQ(response.statusCode, c.status);
    EXPECT_EQ(response.headers.fields(), c.fields);
  }
}

}  // namespace
