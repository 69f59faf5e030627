#include "constants/QVRTallixTitleCollator.h"

#include <unicode/coll.h>
#include <unicode/locid.h>

#include "common/QVREnvironment.h"

namespace {

QVRComparisonResult resultOf(int order) {
  if (order < 0) return QVRComparisonResult::orderedAscending;
  if (order > 0) return QVRComparisonResult::orderedDescending;
  return QVRComparisonResult::orderedSame;
}

}  // namespace

QVRTallixTitleCollator::QVRTallixTitleCollator(std::string localeIdentifier)
    : _localeIdentifier(std::move(localeIdentifier)) {
  UErrorCode status = U_ZERO_ERROR;
  _collator.reset(icu::Collator::createInstance(icu::Locale(_localeIdentifier.c_str()), status));
  if (U_FAILURE(status)) _collator.reset();
}

QVRTallixTitleCollator::~QVRTallixTitleCollator() = default;

QVRTallixTitleCollator& QVRTallixTitleCollator::shared() {
  QVREnvironment& environment = QVREnvironment::current();
  QVRTallixTitleCollator* existing = environment.existingSharedInstance<QVRTallixTitleCollator>();
  if (existing && existing->localeIdentifier() == environment.localeIdentifier()) return *existing;
  environment.setSharedInstance(
      std::make_unique<QVRTallixTitleCollator>(environment.localeIdentifier()));
  return *environment.existingSharedInstance<QVRTallixTitleCollator>();
}

QVRComparisonResult QVRTallixTitleCollator::compare(std::string_view left,
                                                    std::string_view right) const {
  if (!_collator) return resultOf(left.compare(right));
  UErrorCode status = U_ZERO_ERROR;
  const UCollationResult order = _collator->compareUTF8(
      icu::StringPiece(left.data(), static_cast<std::int32_t>(left.size())),
      icu::StringPiece(right.data(), static_cast<std::int32_t>(right.size())), status);
  if (U_FAILURE(status)) return resultOf(left.compare(right));
  return resultOf(static_cast<int>(order));
}
