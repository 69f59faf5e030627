#include "cloud/QVRCKWebDAVHeaders.h"

#include <array>
#include <cstdint>

#include "common/QVRCivilDate.h"

namespace {

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// RFC 9110 etagc: "!", 0x23-0x7E, and obs-text.
bool isETagCharacter(char character) {
  const auto byte = static_cast<unsigned char>(character);
  return byte == 0x21 || (byte >= 0x23 && byte <= 0x7E) || byte >= 0x80;
}

bool number(std::string_view text, std::size_t position, std::size_t count, unsigned& value) {
  if (position > text.size() || text.size() - position < count) return false;
  value = 0;
  for (std::size_t index = position; index < position + count; ++index) {
    if (text[index] < '0' || text[index] > '9') return false;
    value = value * 10 + static_cast<unsigned>(text[index] - '0');
  }
  return true;
}

}  // namespace

std::optional<QVRCKWebDAVHeaders::EntityTag> QVRCKWebDAVHeaders::entityTag(std::string_view value) {
  value = trimmed(value);
  EntityTag tag;
  if (value.starts_with("W/")) {
    tag.weak = true;
    value.remove_prefix(2);
  }
  if (value.size() < 2 || value.front() != '"' || value.back() != '"') return std::nullopt;
  for (const char character : value.substr(1, value.size() - 2)) {
    if (!isETagCharacter(character)) return std::nullopt;
  }
  tag.opaqueTag = std::string(value);
  return tag;
}

std::optional<std::string> QVRCKWebDAVHeaders::lockToken(std::string_view value) {
  value = trimmed(value);
  if (value.size() < 3 || value.front() != '<' || value.back() != '>') return std::nullopt;
  const std::string_view token = value.substr(1, value.size() - 2);
  for (const char character : token) {
    const auto byte = static_cast<unsigned char>(character);
    if (byte <= 0x20 || byte >= 0x7F || character == '<' || character == '>' || character == '"') {
      return std::nullopt;
    }
  }
  if (token.find(':') == std::string_view::npos) return std::nullopt;
  return std::string(token);
}

std::optional<std::chrono::system_clock::time_point> QVRCKWebDAVHeaders::httpDate(
    std::string_view value) {
  // "Sun, 06 Nov 1994 08:49:37 GMT": 29 characters at fixed places.
  value = trimmed(value);
  static constexpr std::array<std::string_view, 7> kDays = {"Mon", "Tue", "Wed", "Thu",
                                                            "Fri", "Sat", "Sun"};
  static constexpr std::array<std::string_view, 12> kMonths = {
      "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  if (value.size() != 29 || value.substr(3, 2) != ", " || value[7] != ' ' || value[11] != ' ' ||
      value[16] != ' ' || value[19] != ':' || value[22] != ':' || value.substr(25) != " GMT") {
    return std::nullopt;
  }
  bool knownDay = false;
  for (const auto day : kDays) knownDay = knownDay || value.substr(0, 3) == day;
  unsigned month = 0;
  for (unsigned index = 0; index < kMonths.size(); ++index) {
    if (value.substr(8, 3) == kMonths[index]) month = index + 1;
  }
  unsigned day = 0, year = 0, hour = 0, minute = 0, second = 0;
  if (!knownDay || month == 0 || !number(value, 5, 2, day) || !number(value, 12, 4, year) ||
      !number(value, 17, 2, hour) || !number(value, 20, 2, minute) ||
      !number(value, 23, 2, second)) {
    return std::nullopt;
  }
  static constexpr std::array<unsigned, 12> kLengths = {31, 29, 31, 30, 31, 30,
                                                        31, 31, 30, 31, 30, 31};
  const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
  if (day == 0 || day > kLengths[month - 1] || (month == 2 && day == 29 && !leap) || hour > 23 ||
      minute > 59 || second > 60) {
    return std::nullopt;
  }
  const std::int64_t seconds =
      QVRDaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
  // The clock counts in nanoseconds: about 292 years either side of 1970.
  constexpr auto kLimit =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::duration::max())
          .count();
  if (seconds >= kLimit || seconds <= -kLimit) return std::nullopt;
  return std::chrono::system_clock::time_point(std::chrono::seconds(seconds));
}
