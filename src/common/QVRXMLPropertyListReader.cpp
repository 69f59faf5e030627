#include "common/QVRXMLPropertyListReader.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "common/QVRCivilDate.h"
#include "common/QVRXMLDocument.h"

namespace {

bool isBlank(char character) {
  return character == ' ' || character == '\t' || character == '\n' || character == '\r';
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view nameOf(const xmlNode* node) {
  return QVRXMLDocument::nameOf(node);
}

std::string_view contentOf(const xmlNode* node) {
  return node->content ? std::string_view(reinterpret_cast<const char*>(node->content)) : "";
}

bool isLeapYear(unsigned year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// Reads `count` decimal digits at `position`.
bool digits(std::string_view text, std::size_t& position, std::size_t count, unsigned& value) {
  if (text.size() - position < count) return false;
  value = 0;
  for (std::size_t index = 0; index < count; ++index) {
    const char character = text[position + index];
    if (character < '0' || character > '9') return false;
    value = value * 10 + static_cast<unsigned>(character - '0');
  }
  position += count;
  return true;
}

bool literal(std::string_view text, std::size_t& position, char expected) {
  if (position >= text.size() || text[position] != expected) return false;
  ++position;
  return true;
}

std::optional<std::int64_t> integerValue(std::string_view text) {
  text = trimmed(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  std::uint64_t magnitude = 0;
  const auto [end, failure] =
      std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
  if (failure != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (negative) {
    if (magnitude > std::uint64_t{INT64_MAX} + 1) return std::nullopt;
    return magnitude == std::uint64_t{INT64_MAX} + 1 ? INT64_MIN
                                                     : -static_cast<std::int64_t>(magnitude);
  }
  if (magnitude > std::uint64_t{INT64_MAX}) return std::nullopt;
  return static_cast<std::int64_t>(magnitude);
}

std::optional<double> realValue(std::string_view text) {
  text = trimmed(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.front() == '+' || text.front() == '-') return std::nullopt;
  double value = 0;
  const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
  if ((failure != std::errc() && failure != std::errc::result_out_of_range) ||
      end != text.data() + text.size()) {
    return std::nullopt;
  }
  if (failure == std::errc::result_out_of_range) {
    // Beyond the range of doubles: infinity for a large exponent, zero for a small one, as
    // strtod answers.
    const std::size_t exponent = text.find_first_of("eE");
    const bool tiny = exponent != std::string_view::npos && exponent + 1 < text.size() &&
                      text[exponent + 1] == '-';
    value = tiny ? 0.0 : HUGE_VAL;
  }
  return negative ? -value : value;
}

int base64Digit(char character) {
  if (character >= 'A' && character <= 'Z') return character - 'A';
  if (character >= 'a' && character <= 'z') return character - 'a' + 26;
  if (character >= '0' && character <= '9') return character - '0' + 52;
  if (character == '+') return 62;
  if (character == '/') return 63;
  return -1;
}

class Walker {
 public:
  std::optional<QVRPropertyList> value(const xmlNode* element, std::size_t depth);
  // The first element among `node` and its following siblings, skipping blanks and comments;
  // none at the end. Sets the error for text or other nodes between elements.
  const xmlNode* nextElement(const xmlNode* node, bool& ok);
  std::optional<QVRArchiveError> error;

 private:
  std::nullopt_t failed(std::string reason) {
    if (!error) error = QVRArchiveError::malformed(std::move(reason));
    return std::nullopt;
  }
  // The text inside a scalar element; none when it holds elements.
  std::optional<std::string> text(const xmlNode* element);
  std::optional<QVRPropertyList> dictionary(const xmlNode* element, std::size_t depth);
  std::optional<QVRPropertyList> array(const xmlNode* element, std::size_t depth);
};

std::optional<std::string> Walker::text(const xmlNode* element) {
  std::string result;
  for (const xmlNode* child = element->children; child; child = child->next) {
    switch (child->type) {
      case XML_TEXT_NODE:
      case XML_CDATA_SECTION_NODE:
        result.append(contentOf(child));
        break;
      case XML_COMMENT_NODE:
      case XML_PI_NODE:
        break;
      default:
        return failed(std::string(nameOf(element)).append(" holds more than text"));
    }
  }
  return result;
}

const xmlNode* Walker::nextElement(const xmlNode* node, bool& ok) {
  for (; node; node = node->next) {
    switch (node->type) {
      case XML_ELEMENT_NODE:
        return node;
      case XML_TEXT_NODE:
      case XML_CDATA_SECTION_NODE:
        if (!trimmed(contentOf(node)).empty()) {
          ok = false;
          failed("text between elements");
          return nullptr;
        }
        break;
      case XML_COMMENT_NODE:
      case XML_PI_NODE:
        break;
      default:
        ok = false;
        failed("a node of an unexpected kind");
        return nullptr;
    }
  }
  return nullptr;
}

std::optional<QVRPropertyList> Walker::dictionary(const xmlNode* element, std::size_t depth) {
  QVRPropertyList::Dictionary entries;
  bool ok = true;
  for (const xmlNode* keyNode = nextElement(element->children, ok); keyNode;
       keyNode = nextElement(keyNode->next, ok)) {
    if (nameOf(keyNode) != "key") return failed("a dictionary entry without its <key>");
    auto key = text(keyNode);
    if (!key) return std::nullopt;
    const xmlNode* valueNode = nextElement(keyNode->next, ok);
    if (!ok) return std::nullopt;
    if (!valueNode) return failed("a <key> without its value");
    auto entry = value(valueNode, depth + 1);
    if (!entry) return std::nullopt;
    entries.insert_or_assign(std::move(*key), std::move(*entry));
    keyNode = valueNode;
  }
  if (!ok) return std::nullopt;
  // {CF$UID: n} is how keyed archives write their references in XML.
  if (entries.size() == 1) {
    const auto found = entries.find("CF$UID");
    if (found != entries.end()) {
      if (const std::int64_t* number = found->second.integer(); number && *number >= 0) {
        return QVRPropertyList(QVRPropertyList::UID{static_cast<std::uint64_t>(*number)});
      }
    }
  }
  std::optional<QVRPropertyList> result(std::in_place, std::move(entries));
  return result;
}

std::optional<QVRPropertyList> Walker::array(const xmlNode* element, std::size_t depth) {
  QVRPropertyList::Array elements;
  bool ok = true;
  for (const xmlNode* child = nextElement(element->children, ok); child;
       child = nextElement(child->next, ok)) {
    auto entry = value(child, depth + 1);
    if (!entry) return std::nullopt;
    elements.push_back(std::move(*entry));
  }
  if (!ok) return std::nullopt;
  return QVRPropertyList(std::move(elements));
}

std::optional<QVRPropertyList> Walker::value(const xmlNode* element, std::size_t depth) {
  if (depth > QVRXMLPropertyListReader::maximumDepth) {
    if (!error) error = QVRArchiveError::tooDeep();
    return std::nullopt;
  }
  const std::string_view name = nameOf(element);
  if (name == "dict") return dictionary(element, depth);
  if (name == "array") return array(element, depth);
  auto content = text(element);
  if (!content) return std::nullopt;
  if (name == "string") return QVRPropertyList(std::move(*content));
  if (name == "integer") {
    const auto number = integerValue(*content);
    if (!number) return failed("an <integer> that is no 64-bit integer");
    return QVRPropertyList(*number);
  }
  if (name == "real") {
    const auto number = realValue(*content);
    if (!number) return failed("a <real> that is no number");
    return QVRPropertyList(*number);
  }
  if (name == "true" || name == "false") {
    if (!trimmed(*content).empty()) return failed("a boolean with content");
    return QVRPropertyList(name == "true");
  }
  if (name == "date") {
    const auto seconds = QVRXMLPropertyListReader::secondsSinceReferenceDate(trimmed(*content));
    if (!seconds) return failed("a <date> that is no ISO 8601 date");
    return QVRPropertyList(QVRPropertyList::Date{*seconds});
  }
  if (name == "data") {
    auto bytes = QVRXMLPropertyListReader::base64Decoded(*content);
    if (!bytes) return failed("<data> that is no base64");
    return QVRPropertyList(std::move(*bytes));
  }
  return failed("an element <" + std::string(name) + ">, which property lists do not have");
}

}  // namespace

std::optional<double> QVRXMLPropertyListReader::secondsSinceReferenceDate(std::string_view text) {
  std::size_t position = 0;
  unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (!digits(text, position, 4, year) || !literal(text, position, '-') ||
      !digits(text, position, 2, month) || !literal(text, position, '-') ||
      !digits(text, position, 2, day) || !literal(text, position, 'T') ||
      !digits(text, position, 2, hour) || !literal(text, position, ':') ||
      !digits(text, position, 2, minute) || !literal(text, position, ':') ||
      !digits(text, position, 2, second)) {
    return std::nullopt;
  }
  double fraction = 0;
  if (position < text.size() && text[position] == '.') {
    ++position;
    double scale = 0.1;
    const std::size_t first = position;
    while (position < text.size() && text[position] >= '0' && text[position] <= '9') {
      fraction += scale * (text[position] - '0');
      scale /= 10;
      ++position;
    }
    if (position == first) return std::nullopt;
  }
  if (!literal(text, position, 'Z') || position != text.size()) return std::nullopt;
  static constexpr unsigned kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || hour > 23 || minute > 59 || second > 59 || day < 1) {
    return std::nullopt;
  }
  const unsigned monthLength = kDaysInMonth[month - 1] + (month == 2 && isLeapYear(year));
  if (day > monthLength) return std::nullopt;
  constexpr std::int64_t kReferenceDateSince1970 = 978307200;
  const std::int64_t seconds = QVRDaysFromCivil(year, month, day) * 86400 + hour * 3600 +
                               minute * 60 + second - kReferenceDateSince1970;
  return static_cast<double>(seconds) + fraction;
}

std::optional<QVRPropertyList::Data> QVRXMLPropertyListReader::base64Decoded(
    std::string_view text) {
  QVRPropertyList::Data bytes;
  bytes.reserve(text.size() / 4 * 3);
  std::uint32_t accumulator = 0;
  int bits = 0;
  std::size_t padding = 0;
  for (const char character : text) {
    if (isBlank(character)) continue;
    if (character == '=') {
      ++padding;
      continue;
    }
    const int digit = base64Digit(character);
    if (digit < 0 || padding > 0) return std::nullopt;
    accumulator = (accumulator << 6) | static_cast<std::uint32_t>(digit);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes.push_back(static_cast<std::uint8_t>((accumulator >> bits) & 0xFF));
    }
  }
  // Six leftover bits cannot end base64 text; padding, when present, completes a group of four.
  if (bits >= 6 || padding > 2 || (padding > 0 && static_cast<std::size_t>(bits / 2) != padding))
    return std::nullopt;
  return bytes;
}

QVRResult<std::optional<QVRPropertyList>> QVRXMLPropertyListReader::propertyList(
    std::span<const std::uint8_t> bytes) {
  const auto malformed = [](std::string reason) -> QVRResult<std::optional<QVRPropertyList>> {
    return {std::nullopt, QVRArchiveError::malformed(std::move(reason))};
  };
  if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT_MAX)) {
    return malformed("no XML property list");
  }
  auto document = QVRXMLDocument::parse(bytes);
  if (!document.value) return {std::nullopt, document.error};
  const xmlNode* root = document.value->rootElement();
  Walker walker;
  const xmlNode* top = root;
  if (nameOf(root) == "plist") {
    bool ok = true;
    top = walker.nextElement(root->children, ok);
    if (!ok) return {std::nullopt, walker.error};
    if (!top) return malformed("an empty <plist>");
    if (walker.nextElement(top->next, ok) || !ok) {
      return {std::nullopt, walker.error.value_or(
                                QVRArchiveError::malformed("a <plist> with more than one value"))};
    }
  }
  auto value = walker.value(top, 0);
  if (!value) return {std::nullopt, walker.error.value_or(QVRArchiveError::malformed("XML"))};
  return {std::move(value), std::nullopt};
}
