#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The header fields of an HTTP request or response, in the order they were given. Names
// compare without regard to case, as HTTP wants.
class QVRHTTPHeaders {
 public:
  using Field = std::pair<std::string, std::string>;

  QVRHTTPHeaders() = default;
  QVRHTTPHeaders(std::initializer_list<Field> fields) : _fields(fields) {}

  void add(std::string name, std::string value);
  // Replaces every field of this name by one.
  void set(std::string name, std::string value);
  // The value of the first field of this name, or none.
  std::optional<std::string> value(std::string_view name) const;
  bool contains(std::string_view name) const { return value(name).has_value(); }
  // Appends to the last field's value (a folded continuation line); nothing without a field.
  void appendToLast(std::string_view text);
  void clear() { _fields.clear(); }

  const std::vector<Field>& fields() const { return _fields; }
  bool empty() const { return _fields.empty(); }
  std::size_t size() const { return _fields.size(); }

  friend bool operator==(const QVRHTTPHeaders&, const QVRHTTPHeaders&) = default;

  // Whether `name` is a valid field name (a non-empty token) and `value` holds no line break
  // or NUL: what may be sent without changing the message's shape.
  static bool isValidName(std::string_view name);
  static bool isValidValue(std::string_view value);
  static bool equalNames(std::string_view a, std::string_view b);

 private:
  std::vector<Field> _fields;
};
