#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// One property-list value: the data model of archives, user defaults, configuration files and
// strings tables. Dictionaries keep their keys sorted; a UID is a keyed archive's reference.
class QVRPropertyList {
 public:
  using Array = std::vector<QVRPropertyList>;
  using Dictionary = std::map<std::string, QVRPropertyList, std::less<>>;
  using Data = std::vector<std::uint8_t>;
  // Seconds since 2001-01-01 00:00:00 UTC, the reference date of property lists.
  struct Date {
    double secondsSinceReferenceDate = 0;
    friend bool operator==(const Date&, const Date&);
  };
  struct UID {
    std::uint64_t value = 0;
    friend bool operator==(const UID&, const UID&) = default;
  };
  enum class Type { boolean, integer, real, string, data, date, array, dictionary, uid };

  QVRPropertyList() : _value(std::string()) {}
  QVRPropertyList(bool value) : _value(value) {}
  QVRPropertyList(int value) : _value(std::int64_t{value}) {}
  QVRPropertyList(std::int64_t value) : _value(value) {}
  QVRPropertyList(double value) : _value(value) {}
  QVRPropertyList(std::string value) : _value(std::move(value)) {}
  QVRPropertyList(std::string_view value) : _value(std::string(value)) {}
  QVRPropertyList(const char* value) : _value(std::string(value)) {}
  QVRPropertyList(Data value) : _value(std::move(value)) {}
  QVRPropertyList(Date value) : _value(value) {}
  QVRPropertyList(Array value) : _value(std::move(value)) {}
  QVRPropertyList(Dictionary value) : _value(std::move(value)) {}
  QVRPropertyList(UID value) : _value(value) {}

  Type type() const { return static_cast<Type>(_value.index()); }
  bool isBoolean() const { return type() == Type::boolean; }
  bool isInteger() const { return type() == Type::integer; }
  bool isReal() const { return type() == Type::real; }
  // An integer or a real (not a boolean).
  bool isNumber() const { return isInteger() || isReal(); }
  bool isString() const { return type() == Type::string; }
  bool isData() const { return type() == Type::data; }
  bool isDate() const { return type() == Type::date; }
  bool isArray() const { return type() == Type::array; }
  bool isDictionary() const { return type() == Type::dictionary; }
  bool isUID() const { return type() == Type::uid; }

  // The value when it is of that kind, else none.
  const bool* boolean() const { return std::get_if<bool>(&_value); }
  const std::int64_t* integer() const { return std::get_if<std::int64_t>(&_value); }
  const double* real() const { return std::get_if<double>(&_value); }
  const std::string* string() const { return std::get_if<std::string>(&_value); }
  const Data* data() const { return std::get_if<Data>(&_value); }
  const Date* date() const { return std::get_if<Date>(&_value); }
  const Array* array() const { return std::get_if<Array>(&_value); }
  const Dictionary* dictionary() const { return std::get_if<Dictionary>(&_value); }
  const UID* uid() const { return std::get_if<UID>(&_value); }
  Array* array() { return std::get_if<Array>(&_value); }
  Dictionary* dictionary() { return std::get_if<Dictionary>(&_value); }

  // The value under `key` when this is a dictionary that holds it.
  const QVRPropertyList* find(std::string_view key) const;

  // The platform's loose readings: a boolean, or a number (non-zero is true), or the texts
  // "YES"/"true"/"1" and "NO"/"false"/"0"; else none.
  std::optional<bool> boolValue() const;
  // An integer, a real or a boolean as a double; else none.
  std::optional<double> doubleValue() const;

  // The value on one line, for log messages: numbers and texts as they are, data as its length,
  // lists in parentheses, dictionaries in braces.
  std::string description() const;

  // Values are equal when they hold the same thing; unlike double's own comparison, a
  // not-a-number real or date equals another, so a value always equals itself and replacing
  // a value by a copy of it is no change.
  friend bool operator==(const QVRPropertyList&, const QVRPropertyList&);

 private:
  std::variant<bool, std::int64_t, double, std::string, Data, Date, Array, Dictionary, UID> _value;
};
