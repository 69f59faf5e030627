#include "common/QVRComposedCharacterSequences.h"

#include <unicode/utext.h>

#include <algorithm>
#include <climits>

#include "common/QVREnvironment.h"

QVRComposedCharacterSequences::QVRComposedCharacterSequences() {
  UErrorCode status = U_ZERO_ERROR;
  _characters.reset(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
  if (U_FAILURE(status)) _characters.reset();
}

QVRComposedCharacterSequences& QVRComposedCharacterSequences::shared() {
  return QVREnvironment::current().sharedInstance<QVRComposedCharacterSequences>();
}

std::vector<std::pair<std::size_t, std::size_t>> QVRComposedCharacterSequences::ranges(
    std::string_view text) {
  std::vector<std::pair<std::size_t, std::size_t>> result;
  // ASCII without a carriage return (which joins a following line feed) is one sequence a byte:
  // every typed number takes this way.
  const bool plainASCII = std::all_of(text.begin(), text.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x80 && c != '\r';
  });
  // The iterator answers 32-bit offsets: longer texts (never typed) split by bytes.
  // Without an iterator, one sequence per byte still covers the text.
  if (plainASCII || !_characters || text.size() > INT32_MAX) {
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) result.emplace_back(i, i + 1);
    return result;
  }
  UErrorCode status = U_ZERO_ERROR;
  UText* utext =
      utext_openUTF8(nullptr, text.data(), static_cast<std::int64_t>(text.size()), &status);
  if (U_FAILURE(status)) {
    utext_close(utext);
    for (std::size_t i = 0; i < text.size(); ++i) result.emplace_back(i, i + 1);
    return result;
  }
  _characters->setText(utext, status);
  std::size_t start = 0;
  if (U_SUCCESS(status)) {
    for (std::int32_t at = _characters->next(); at != icu::BreakIterator::DONE;
         at = _characters->next()) {
      const auto end = std::min(static_cast<std::size_t>(at), text.size());
      if (end <= start) continue;
      result.emplace_back(start, end);
      start = end;
    }
  }
  if (start < text.size()) result.emplace_back(start, text.size());
  // The iterator keeps a reference to the text: point it at an empty one before closing.
  _characters->setText(icu::UnicodeString());
  utext_close(utext);
  return result;
}

std::vector<std::string_view> QVRComposedCharacterSequences::split(std::string_view text) {
  std::vector<std::string_view> result;
  for (const auto& [start, end] : ranges(text)) result.push_back(text.substr(start, end - start));
  return result;
}
