#pragma once

#include <exception>
#include <string>

// The one exception class of the model. Steps raise it where the platform would raise an
// exception; it is caught only at the fixed points that turn a failure into a value
// (evaluation -> not-a-number, conversion -> zero, decoders -> none, merges -> local contents),
// each of which logs it through QVRLogger.
class QVRException : public std::exception {
 public:
  QVRException(std::string name, std::string reason)
      : _name(std::move(name)), _reason(std::move(reason)), _what(_name + ": " + _reason) {}

  // A range or index that a step needed and did not find.
  static QVRException range(std::string reason) { return {"NSRangeException", std::move(reason)}; }
  // An argument that a step cannot use.
  static QVRException invalidArgument(std::string reason) {
    return {"NSInvalidArgumentException", std::move(reason)};
  }

  const std::string& name() const { return _name; }
  const std::string& reason() const { return _reason; }
  // "name: reason", as logged.
  const std::string& description() const { return _what; }
  const char* what() const noexcept override { return _what.c_str(); }

 private:
  std::string _name;
  std::string _reason;
  std::string _what;
};
