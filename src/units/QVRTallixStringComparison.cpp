#include "units/QVRTallixStringComparison.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>

namespace {

bool isASCII(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char character) { return static_cast<unsigned char>(character) < 0x80; });
}

// The canonical decomposition; the text as it is when ICU cannot give one.
icu::UnicodeString decomposed(std::string_view text) {
  icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(
      icu::StringPiece(text.data(), static_cast<std::int32_t>(text.size())));
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
  if (U_FAILURE(status) || !nfd) return unicode;
  icu::UnicodeString result = nfd->normalize(unicode, status);
  return U_SUCCESS(status) ? result : unicode;
}

QVRComparisonResult resultOf(int order) {
  if (order < 0) return QVRComparisonResult::orderedAscending;
  if (order > 0) return QVRComparisonResult::orderedDescending;
  return QVRComparisonResult::orderedSame;
}

}  // namespace

QVRComparisonResult QVRTallixStringComparison::compare(std::string_view left,
                                                       std::string_view right) {
  // ASCII decomposes to itself, and its bytes order as its UTF-16 units.
  if (isASCII(left) && isASCII(right)) return resultOf(left.compare(right));
  // compareCodePointOrder would order supplementary characters above U+E000…U+FFFF; the
  // platform compares UTF-16 units.
  return resultOf(decomposed(left).compare(decomposed(right)));
}

bool QVRTallixStringComparison::isEqualIgnoringCase(std::string_view left, std::string_view right) {
  return decomposed(left).caseCompare(decomposed(right), U_FOLD_CASE_DEFAULT) == 0;
}
