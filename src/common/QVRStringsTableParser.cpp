#include "common/QVRStringsTableParser.h"

#include <utility>

#include "common/QVRTextEncoding.h"

namespace {

using Table = QVRStringsTableParser::Table;
using Result = QVRResult<std::optional<Table>>;

bool isUnquotedCharacter(char character) {
  return (character >= 'a' && character <= 'z') || (character >= 'A' && character <= 'Z') ||
         (character >= '0' && character <= '9') || character == '_' || character == '$' ||
         character == '+' || character == '/' || character == ':' || character == '.' ||
         character == '-';
}

bool isBlank(char character) {
  return character == ' ' || character == '\t' || character == '\n' || character == '\r' ||
         character == '\f' || character == '\v';
}

int hexDigit(char character) {
  if (character >= '0' && character <= '9') return character - '0';
  if (character >= 'a' && character <= 'f') return character - 'a' + 10;
  if (character >= 'A' && character <= 'F') return character - 'A' + 10;
  return -1;
}

class Parser {
 public:
  explicit Parser(std::string_view text) : _text(text) {}

  Result parse();

 private:
  Result failure(const std::string& reason) const;
  // Skips blanks and comments; false for a comment that never ends.
  bool skipTrivia();
  bool atEnd() const { return _position >= _text.size(); }
  char peek() const { return _text[_position]; }
  std::optional<std::string> string();
  std::optional<std::string> quoted();
  // A \U or \u escape's code unit (up to four hex digits), at the position after the letter.
  std::optional<char32_t> unicodeUnit();

  std::string_view _text;
  std::size_t _position = 0;
  std::string _problem;
};

Result Parser::failure(const std::string& reason) const {
  std::size_t line = 1;
  for (std::size_t index = 0; index < _position && index < _text.size(); ++index) {
    if (_text[index] == '\n') ++line;
  }
  return {std::nullopt,
          QVRArchiveError::malformed("strings table line " + std::to_string(line) + ": " + reason)};
}

bool Parser::skipTrivia() {
  while (!atEnd()) {
    if (isBlank(peek())) {
      ++_position;
    } else if (_text.substr(_position, 2) == "//") {
      const std::size_t end = _text.find('\n', _position);
      _position = end == std::string_view::npos ? _text.size() : end + 1;
    } else if (_text.substr(_position, 2) == "/*") {
      const std::size_t end = _text.find("*/", _position + 2);
      if (end == std::string_view::npos) return false;
      _position = end + 2;
    } else {
      break;
    }
  }
  return true;
}

std::optional<char32_t> Parser::unicodeUnit() {
  char32_t unit = 0;
  int count = 0;
  while (count < 4 && !atEnd() && hexDigit(peek()) >= 0) {
    unit = unit * 16 + static_cast<char32_t>(hexDigit(peek()));
    ++_position;
    ++count;
  }
  if (count == 0) {
    _problem = "\\U without hex digits";
    return std::nullopt;
  }
  return unit;
}

std::optional<std::string> Parser::quoted() {
  ++_position;  // the opening quote
  std::string result;
  while (!atEnd()) {
    const char character = peek();
    ++_position;
    if (character == '"') return result;
    if (character != '\\') {
      result += character;
      continue;
    }
    if (atEnd()) break;
    const char escaped = peek();
    ++_position;
    switch (escaped) {
      case 'a':
        result += '\a';
        break;
      case 'b':
        result += '\b';
        break;
      case 'f':
        result += '\f';
        break;
      case 'n':
        result += '\n';
        break;
      case 'r':
        result += '\r';
        break;
      case 't':
        result += '\t';
        break;
      case 'v':
        result += '\v';
        break;
      case 'U':
      case 'u': {
        auto unit = unicodeUnit();
        if (!unit) return std::nullopt;
        char32_t codePoint = *unit;
        if (codePoint >= 0xDC00 && codePoint <= 0xDFFF) {
          _problem = "a lone low surrogate";
          return std::nullopt;
        }
        if (codePoint >= 0xD800 && codePoint <= 0xDBFF) {
          if (_text.substr(_position, 2) != "\\U" && _text.substr(_position, 2) != "\\u") {
            _problem = "a high surrogate without its low one";
            return std::nullopt;
          }
          _position += 2;
          auto low = unicodeUnit();
          if (!low) return std::nullopt;
          if (*low < 0xDC00 || *low > 0xDFFF) {
            _problem = "a high surrogate without its low one";
            return std::nullopt;
          }
          codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (*low - 0xDC00);
        }
        QVRTextEncoding::appendUTF8(result, codePoint);
        break;
      }
      default:
        if (escaped >= '0' && escaped <= '7') {
          char32_t value = static_cast<char32_t>(escaped - '0');
          for (int count = 1; count < 3 && !atEnd() && peek() >= '0' && peek() <= '7'; ++count) {
            value = value * 8 + static_cast<char32_t>(peek() - '0');
            ++_position;
          }
          QVRTextEncoding::appendUTF8(result, value);
        } else {
          // \" \\ \' and any other character stand for themselves.
          result += escaped;
        }
        break;
    }
  }
  _problem = "a quoted text that never ends";
  return std::nullopt;
}

std::optional<std::string> Parser::string() {
  if (atEnd()) {
    _problem = "the text ends where a string was expected";
    return std::nullopt;
  }
  if (peek() == '"') return quoted();
  const std::size_t start = _position;
  while (!atEnd() && isUnquotedCharacter(peek())) ++_position;
  if (_position == start) {
    _problem = std::string("unexpected character '") + peek() + "'";
    return std::nullopt;
  }
  return std::string(_text.substr(start, _position - start));
}

Result Parser::parse() {
  Table table;
  if (!skipTrivia()) return failure("a comment that never ends");
  const bool braced = !atEnd() && peek() == '{';
  if (braced) ++_position;
  for (;;) {
    if (!skipTrivia()) return failure("a comment that never ends");
    if (atEnd()) {
      if (braced) return failure("a missing '}'");
      break;
    }
    if (braced && peek() == '}') {
      ++_position;
      if (!skipTrivia()) return failure("a comment that never ends");
      if (!atEnd()) return failure("text after the closing '}'");
      break;
    }
    auto key = string();
    if (!key) return failure(_problem);
    if (!skipTrivia()) return failure("a comment that never ends");
    if (!atEnd() && peek() == ';') {
      ++_position;
      std::string value = *key;
      table.insert_or_assign(std::move(*key), std::move(value));
      continue;
    }
    if (atEnd() || peek() != '=') return failure("a missing '='");
    ++_position;
    if (!skipTrivia()) return failure("a comment that never ends");
    auto value = string();
    if (!value) return failure(_problem);
    if (!skipTrivia()) return failure("a comment that never ends");
    if (atEnd() || peek() != ';') return failure("a missing ';'");
    ++_position;
    table.insert_or_assign(std::move(*key), std::move(*value));
  }
  return {std::move(table), std::nullopt};
}

}  // namespace

Result QVRStringsTableParser::table(std::span<const std::uint8_t> bytes) {
  const auto startsWith = [&](std::uint8_t first, std::uint8_t second) {
    return bytes.size() >= 2 && bytes[0] == first && bytes[1] == second;
  };
  std::string text;
  if (startsWith(0xFF, 0xFE) || startsWith(0xFE, 0xFF)) {
    auto converted = QVRTextEncoding::utf8FromUTF16(bytes.subspan(2), startsWith(0xFE, 0xFF));
    if (!converted)
      return {std::nullopt, QVRArchiveError::malformed("strings table in bad UTF-16")};
    text = std::move(*converted);
  } else {
    std::size_t start = 0;
    if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) start = 3;
    text.assign(bytes.begin() + static_cast<std::ptrdiff_t>(start), bytes.end());
    if (!QVRTextEncoding::isValidUTF8(text)) {
      return {std::nullopt, QVRArchiveError::malformed("strings table that is not UTF-8")};
    }
  }
  return Parser(text).parse();
}

Result QVRStringsTableParser::table(std::string_view bytes) {
  return table(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}
