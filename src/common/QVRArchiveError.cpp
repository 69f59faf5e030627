#include "common/QVRArchiveError.h"

#include <ostream>

std::string QVRArchiveError::description() const {
  switch (_kind) {
    case Kind::malformed:
      return "malformed data: " + _detail;
    case Kind::classNotAllowed:
      return "archive names class " + _detail + " outside the allowed list";
    case Kind::cycle:
      return "archive has a reference cycle";
    case Kind::tooDeep:
      return "objects nest too deeply";
    case Kind::budgetExceeded:
      return "shared references exceed the decoding budget";
    case Kind::unexpectedRoot:
      return "unexpected root object: " + _detail;
    case Kind::unreadable:
      return "unreadable file: " + _detail;
  }
  return "unknown archive error";
}

QVRError QVRArchiveError::error() const {
  return QVRError(std::string(errorDomain), static_cast<std::int64_t>(_kind), description());
}

void PrintTo(const QVRArchiveError& error, std::ostream* stream) {
  *stream << error.description();
}
