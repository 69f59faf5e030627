#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "numbers/QVRComparisonResult.h"

#include <unicode/uversion.h>

U_NAMESPACE_BEGIN
class Collator;
U_NAMESPACE_END

// The locale-aware comparison of titles: ICU's collation for the user's locale (letters before
// their accented forms, numbers by their digits, case as a late tie-breaker), as the platform's
// localised comparison orders them. One per environment, made again when the locale changes.
class QVRTallixTitleCollator {
 public:
  explicit QVRTallixTitleCollator(std::string localeIdentifier);
  ~QVRTallixTitleCollator();
  // Identity object: it owns ICU's collator.
  QVRTallixTitleCollator(const QVRTallixTitleCollator&) = delete;
  QVRTallixTitleCollator& operator=(const QVRTallixTitleCollator&) = delete;

  // The collator of the current environment's locale.
  static QVRTallixTitleCollator& shared();

  const std::string& localeIdentifier() const { return _localeIdentifier; }
  // Invalid UTF-8 counts as replacement characters. Without a collator (ICU could not make
  // one) the texts are compared byte by byte.
  QVRComparisonResult compare(std::string_view left, std::string_view right) const;

 private:
  std::string _localeIdentifier;
  std::unique_ptr<icu::Collator> _collator;
};
