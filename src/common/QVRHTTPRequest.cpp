#include "common/QVRHTTPRequest.h"

#include <algorithm>

bool QVRHTTPRequest::isWellFormed() const {
  if (!QVRHTTPHeaders::isValidName(method)) return false;
  return std::all_of(headers.fields().begin(), headers.fields().end(), [](const auto& field) {
    return QVRHTTPHeaders::isValidName(field.first) && QVRHTTPHeaders::isValidValue(field.second);
  });
}
