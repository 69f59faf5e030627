#include "common/QVRPropertyList.h"

#include <fmt/format.h>

#include <cmath>

namespace {

bool sameReal(double a, double b) {
  return a == b || (std::isnan(a) && std::isnan(b));
}

}  // namespace

bool operator==(const QVRPropertyList::Date& a, const QVRPropertyList::Date& b) {
  return sameReal(a.secondsSinceReferenceDate, b.secondsSinceReferenceDate);
}

bool operator==(const QVRPropertyList& a, const QVRPropertyList& b) {
  if (const double* real = a.real()) {
    const double* other = b.real();
    return other && sameReal(*real, *other);
  }
  return a._value == b._value;
}

const QVRPropertyList* QVRPropertyList::find(std::string_view key) const {
  const Dictionary* entries = dictionary();
  if (!entries) return nullptr;
  auto found = entries->find(key);
  return found == entries->end() ? nullptr : &found->second;
}

std::optional<bool> QVRPropertyList::boolValue() const {
  if (const bool* flag = boolean()) return *flag;
  if (const std::int64_t* number = integer()) return *number != 0;
  if (const double* number = real()) return *number != 0;
  if (const std::string* text = string()) {
    if (*text == "YES" || *text == "true" || *text == "1") return true;
    if (*text == "NO" || *text == "false" || *text == "0") return false;
  }
  return std::nullopt;
}

std::optional<double> QVRPropertyList::doubleValue() const {
  if (const std::int64_t* number = integer()) return static_cast<double>(*number);
  if (const double* number = real()) return *number;
  if (const bool* flag = boolean()) return *flag ? 1.0 : 0.0;
  return std::nullopt;
}

std::string QVRPropertyList::description() const {
  switch (type()) {
    case Type::boolean:
      return *boolean() ? "1" : "0";
    case Type::integer:
      return std::to_string(*integer());
    case Type::real:
      return fmt::format("{}", *real());
    case Type::string:
      return *string();
    case Type::data:
      return fmt::format("<{} bytes>", data()->size());
    case Type::date:
      return fmt::format("<date {}>", date()->secondsSinceReferenceDate);
    case Type::array: {
      std::string text = "(";
      for (const auto& element : *array()) {
        if (text.size() > 1) text += ", ";
        text += element.description();
      }
      return text + ")";
    }
    case Type::dictionary: {
      std::string text = "{";
      for (const auto& [key, element] : *dictionary()) {
        text += key + " = " + element.description() + "; ";
      }
      return text + "}";
    }
    case Type::uid:
      return fmt::format("<uid {}>", uid()->value);
  }
  return {};
}
