#include "common/QVRHTTPHeaders.h"

#include <algorithm>

namespace {

char lowered(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// RFC 9110 tchar.
bool isTokenCharacter(char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

}  // namespace

void QVRHTTPHeaders::add(std::string name, std::string value) {
  _fields.emplace_back(std::move(name), std::move(value));
}

void QVRHTTPHeaders::set(std::string name, std::string value) {
  std::erase_if(_fields, [&](const Field& field) { return equalNames(field.first, name); });
  add(std::move(name), std::move(value));
}

std::optional<std::string> QVRHTTPHeaders::value(std::string_view name) const {
  for (const auto& [fieldName, fieldValue] : _fields) {
    if (equalNames(fieldName, name)) return fieldValue;
  }
  return std::nullopt;
}

void QVRHTTPHeaders::appendToLast(std::string_view text) {
  if (_fields.empty()) return;
  std::string& value = _fields.back().second;
  if (!value.empty() && !text.empty()) value += ' ';
  value += text;
}

bool QVRHTTPHeaders::isValidName(std::string_view name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), isTokenCharacter);
}

bool QVRHTTPHeaders::isValidValue(std::string_view value) {
  return value.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool QVRHTTPHeaders::equalNames(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return lowered(x) == lowered(y);
         });
}
