#include "common/QVRHTTPResponse.h"

namespace {

constexpr std::string_view blanks = " \t";

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

}  // namespace

void QVRHTTPResponse::addHeaderLine(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  if (line.empty()) return;
  if (line.starts_with("HTTP/")) {
    headers.clear();
    // "HTTP/1.1 200 OK" or "HTTP/2 200": three digits after the first blank.
    const auto blank = line.find(' ');
    if (blank != std::string_view::npos && line.size() >= blank + 4) {
      const std::string_view digits = line.substr(blank + 1, 3);
      if (digits.find_first_not_of("0123456789") == std::string_view::npos &&
          (line.size() == blank + 4 || line[blank + 4] == ' ')) {
        statusCode = (digits[0] - '0') * 100 + (digits[1] - '0') * 10 + (digits[2] - '0');
      }
    }
    return;
  }
  if (blanks.find(line.front()) != std::string_view::npos) {
    headers.appendToLast(trimmed(line));
    return;
  }
  const auto colon = line.find(':');
  if (colon == std::string_view::npos) return;
  const std::string_view name = line.substr(0, colon);
  if (!QVRHTTPHeaders::isValidName(name)) return;
  headers.add(std::string(name), std::string(trimmed(line.substr(colon + 1))));
}
