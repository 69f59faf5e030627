#include "common/QVRPropertyListWriter.h"

#include <plist/plist.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>

#include "common/QVRBinaryPropertyListWriter.h"
#include "common/QVRTextEncoding.h"

namespace {

struct NodeDeleter {
  void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using Node = std::unique_ptr<void, NodeDeleter>;

struct XMLDeleter {
  void operator()(char* text) const { plist_to_xml_free(text); }
};

// Whether XML 1.0 can hold the character at all (as text or as a character reference).
bool isXMLCharacter(char32_t character) {
  return character == 0x9 || character == 0xA || character == 0xD ||
         (character >= 0x20 && character <= 0xD7FF) ||
         (character >= 0xE000 && character <= 0xFFFD) || character >= 0x10000;
}

class Converter {
 public:
  explicit Converter(QVRPropertyListWriter::Format format) : _format(format) {}

  Node node(const QVRPropertyList& value, std::size_t depth);
  // The same checks as node() without making nodes (for our own binary writer).
  bool check(const QVRPropertyList& value, std::size_t depth);
  std::string reason;

 private:
  Node refuse(std::string why) {
    if (reason.empty()) reason = std::move(why);
    return nullptr;
  }
  // Checks text for the chosen format; false with the reason set.
  bool writable(const std::string& text);

  QVRPropertyListWriter::Format _format;
};

bool Converter::writable(const std::string& text) {
  std::size_t position = 0;
  while (position < text.size()) {
    const auto character = QVRTextEncoding::nextCodePoint(text, position);
    if (!character) {
      refuse("text that is not UTF-8");
      return false;
    }
    if (*character == 0) {
      refuse("text with a NUL character");
      return false;
    }
    if (_format == QVRPropertyListWriter::Format::xml && !isXMLCharacter(*character)) {
      refuse("text with a character that XML cannot hold");
      return false;
    }
  }
  return true;
}

Node Converter::node(const QVRPropertyList& value, std::size_t depth) {
  if (depth > QVRPropertyListWriter::maximumDepth) return refuse("nesting too deep");
  switch (value.type()) {
    case QVRPropertyList::Type::boolean:
      return Node(plist_new_bool(*value.boolean() ? 1 : 0));
    case QVRPropertyList::Type::integer:
      // libplist keeps integers as 64 unsigned bits and writes the two's complement of a
      // negative value as the signed integer it is.
      return Node(plist_new_uint(static_cast<std::uint64_t>(*value.integer())));
    case QVRPropertyList::Type::real:
      return Node(plist_new_real(*value.real()));
    case QVRPropertyList::Type::string:
      if (!writable(*value.string())) return nullptr;
      return Node(plist_new_string(value.string()->c_str()));
    case QVRPropertyList::Type::data: {
      const auto& bytes = *value.data();
      return Node(plist_new_data(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    case QVRPropertyList::Type::date: {
      const double seconds = value.date()->secondsSinceReferenceDate;
      const double whole = std::floor(seconds);
      if (!std::isfinite(seconds) || whole < std::numeric_limits<std::int32_t>::min() ||
          whole > std::numeric_limits<std::int32_t>::max()) {
        return refuse("date outside the writable range");
      }
      auto wholeSeconds = static_cast<std::int64_t>(whole);
      auto microseconds = static_cast<std::int64_t>(std::llround((seconds - whole) * 1e6));
      if (microseconds >= 1000000) {
        ++wholeSeconds;
        microseconds -= 1000000;
      }
      if (wholeSeconds > std::numeric_limits<std::int32_t>::max()) {
        return refuse("date outside the writable range");
      }
      return Node(plist_new_date(static_cast<std::int32_t>(wholeSeconds),
                                 static_cast<std::int32_t>(microseconds)));
    }
    case QVRPropertyList::Type::array: {
      Node list(plist_new_array());
      for (const auto& element : *value.array()) {
        Node item = node(element, depth + 1);
        if (!item) return nullptr;
        plist_array_append_item(list.get(), item.release());
      }
      return list;
    }
    case QVRPropertyList::Type::dictionary: {
      Node dictionary(plist_new_dict());
      for (const auto& [key, element] : *value.dictionary()) {
        if (!writable(key)) return nullptr;
        Node item = node(element, depth + 1);
        if (!item) return nullptr;
        plist_dict_set_item(dictionary.get(), key.c_str(), item.release());
      }
      return dictionary;
    }
    case QVRPropertyList::Type::uid:
      // libplist, like the platform, keeps 32 bits of a UID.
      if (value.uid()->value > UINT32_MAX) return refuse("a UID beyond 32 bits");
      return Node(plist_new_uid(value.uid()->value));
  }
  return refuse("a value of an unknown kind");
}

bool Converter::check(const QVRPropertyList& value, std::size_t depth) {
  if (depth > QVRPropertyListWriter::maximumDepth) return refuse("nesting too deep"), false;
  switch (value.type()) {
    case QVRPropertyList::Type::string:
      return writable(*value.string());
    case QVRPropertyList::Type::date:
    case QVRPropertyList::Type::uid:
      // Few and small: the node itself says whether it can be written.
      return node(value, depth) != nullptr;
    case QVRPropertyList::Type::array:
      return std::all_of(value.array()->begin(), value.array()->end(),
                         [&](const QVRPropertyList& element) { return check(element, depth + 1); });
    case QVRPropertyList::Type::dictionary:
      return std::all_of(value.dictionary()->begin(), value.dictionary()->end(),
                         [&](const auto& entry) {
                           return writable(entry.first) && check(entry.second, depth + 1);
                         });
    default:
      return true;
  }
}

// libplist writes a carriage return inside text as it is, and XML readers turn it into a line
// feed; a character reference keeps it. libplist itself writes none outside text.
std::string keepingCarriageReturns(std::string_view xml) {
  std::string result;
  result.reserve(xml.size());
  for (const char character : xml) {
    if (character == '\r') {
      result += "&#13;";
    } else {
      result += character;
    }
  }
  return result;
}

}  // namespace

QVRResult<std::optional<QVRPropertyList::Data>, QVRError>
QVRPropertyListWriter::dataFromPropertyList(const QVRPropertyList& propertyList, Format format) {
  Converter converter(format);
  const auto failure =
      [](std::string reason) -> QVRResult<std::optional<QVRPropertyList::Data>, QVRError> {
    return {std::nullopt, QVRError(std::string(errorDomain), 1, std::move(reason))};
  };
  if (format == Format::binary) {
    if (!converter.check(propertyList, 0)) return failure(converter.reason);
    return {QVRBinaryPropertyListWriter::dataFromPropertyList(propertyList), std::nullopt};
  }
  Node root = converter.node(propertyList, 0);
  if (!root) return failure(converter.reason);
  // libplist writes nothing unless the output pointer starts out null.
  char* output = nullptr;
  std::uint32_t length = 0;
  plist_to_xml(root.get(), &output, &length);
  std::unique_ptr<char, XMLDeleter> text(output);
  if (!text) return failure("libplist wrote no XML property list");
  const std::string xml = keepingCarriageReturns(std::string_view(text.get(), length));
  return {QVRPropertyList::Data(xml.begin(), xml.end()), std::nullopt};
}
