#pragma once

#include <optional>

#include "common/QVRArchiveError.h"

// The outcome of a step that can fail without raising: a value that may be none (an optional or
// a pointer) and, when the step failed, the reason. A step may also answer none without an error
// where nothing was there to read (a missing file).
template <class Nullable, class Error = QVRArchiveError>
struct QVRResult {
  Nullable value{};
  std::optional<Error> error;

  explicit operator bool() const { return static_cast<bool>(value); }
};
