#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "common/QVRError.h"

// Why bytes from outside the process were refused: a property list, a keyed archive, a strings
// table, or a file that could not be read. A value: decoders keep the first one they meet.
class QVRArchiveError {
 public:
  enum class Kind {
    // The bytes are no property list, or not the structure that was expected.
    malformed = 1,
    // An archive names a class outside the caller's allowed list.
    classNotAllowed,
    // An object refers to itself, directly or through others.
    cycle,
    // Objects nest deeper than anything the model writes.
    tooDeep,
    // Shared references would make decoding cost far more than the size of the bytes.
    budgetExceeded,
    // The root object is missing or of another kind than asked for.
    unexpectedRoot,
    // The file could not be read.
    unreadable,
  };

  static constexpr std::string_view errorDomain = "QVRArchiveErrorDomain";

  static QVRArchiveError malformed(std::string reason) {
    return {Kind::malformed, std::move(reason)};
  }
  static QVRArchiveError classNotAllowed(std::string className) {
    return {Kind::classNotAllowed, std::move(className)};
  }
  static QVRArchiveError cycle() { return {Kind::cycle, {}}; }
  static QVRArchiveError tooDeep() { return {Kind::tooDeep, {}}; }
  static QVRArchiveError budgetExceeded() { return {Kind::budgetExceeded, {}}; }
  static QVRArchiveError unexpectedRoot(std::string reason) {
    return {Kind::unexpectedRoot, std::move(reason)};
  }
  static QVRArchiveError unreadable(std::string reason) {
    return {Kind::unreadable, std::move(reason)};
  }

  Kind kind() const { return _kind; }
  // The reason, or the class name for classNotAllowed; empty for the kinds that need none.
  const std::string& detail() const { return _detail; }

  // "malformed data: reason", "archive names class X outside the allowed list", …
  std::string description() const;
  // The same as an error object of errorDomain, whose code is the kind's number.
  QVRError error() const;

  friend bool operator==(const QVRArchiveError&, const QVRArchiveError&) = default;
  friend void PrintTo(const QVRArchiveError& error, std::ostream* stream);

 private:
  QVRArchiveError(Kind kind, std::string detail) : _kind(kind), _detail(std::move(detail)) {}

  Kind _kind;
  std::string _detail;
};
