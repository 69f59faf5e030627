#pragma once

#include <cstdint>
#include <string>

// An error object that a failed call returns instead of raising: a domain, a code and a text.
class QVRError {
 public:
  QVRError(std::string domain, std::int64_t code, std::string localizedDescription = {})
      : _domain(std::move(domain)),
        _code(code),
        _localizedDescription(std::move(localizedDescription)) {}

  const std::string& domain() const { return _domain; }
  std::int64_t code() const { return _code; }
  const std::string& localizedDescription() const { return _localizedDescription; }

  // "Error Domain=D Code=N \"text\"", the platform's text form of an error object.
  std::string description() const {
    std::string text = "Error Domain=" + _domain + " Code=" + std::to_string(_code);
    if (!_localizedDescription.empty()) text += " \"" + _localizedDescription + "\"";
    return text;
  }

  friend bool operator==(const QVRError&, const QVRError&) = default;

 private:
  std::string _domain;
  std::int64_t _code;
  std::string _localizedDescription;
};
