#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tallix {

// Whether two texts are equal when ASCII letters are compared without case (uuids, titles typed
// on the command line); other bytes compare as they are.
bool equalIgnoringASCIICase(std::string_view left, std::string_view right);

// Whether `text` begins with `prefix`, ASCII letters compared without case.
bool hasPrefixIgnoringASCIICase(std::string_view text, std::string_view prefix);

// The whole text read as a decimal count ("12"), or none: no sign, no blanks, nothing after it.
std::optional<std::uint64_t> wholeNumber(std::string_view text);

}  // namespace tallix
