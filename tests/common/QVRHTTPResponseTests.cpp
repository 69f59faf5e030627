#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/QVRHTTPRequest.h"
#include "common/QVRHTTPResponse.h"

namespace {

TEST(QVRHTTPResponse, HeaderLinesAsLibcurlHandsThemOver) {
  using Fields = std::vector<QVRHTTPHeaders::Field>;
  // clang-format off
  const struct { const char* name; std::vector<std::string> lines; long status; Fields fields; } cases[] = {
      {"a redirect's fields are dropped",
       {"HTTP/1.1 302 Found\r\n", "Location: /b\r\n", "\r\n", "HTTP/1.1 200 OK\r\n", "A: 1\r\n"},
       200,
       {{"A", "1"}}},
      {"interim 100", {"HTTP/1.1 100 Continue\r\n", "\r\n", "HTTP/2 201\r\n", "B: 2\r\n"}, 201, {{"B", "2"}}},
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

TEST(QVRHTTPRequest, OnlyTokensAndSingleLineValuesAreWellFormed) {
  // clang-format off
  const struct { std::string method; std::string name; std::string value; bool wellFormed; } cases[] = {
      {"", "A", "b", false},
      {"GE T", "A", "b", false},
      {"GET", "A", "b\nc", false},
      {"GET", "A", std::string("b\0c", 3), false},
      {"GET", "A", "tab\tand \xc3\xa9", true},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.method + " / " + c.name + " / " + c.value);
    QVRHTTPRequest request;
    request.method = c.method;
    request.headers.add(c.name, c.value);
    EXPECT_EQ(request.isWellFormed(), c.wellFormed);
  }
}

}  // namespace
