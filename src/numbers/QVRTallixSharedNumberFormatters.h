#pragma once

#include <optional>

#include "numbers/QVRTallixNumberFormatter.h"

// The two formatters of the display, made once per environment (each on first use) and set up
// again for every call: `numberFormatter` for the standard style, `currencyFormatter` for
// amounts of money. Used on the main thread only, like the display that calls them.
class QVRTallixSharedNumberFormatters {
 public:
  QVRTallixSharedNumberFormatters() = default;
  // Identity object: the environment's one instance, whose formatters every call reconfigures.
  QVRTallixSharedNumberFormatters(const QVRTallixSharedNumberFormatters&) = delete;
  QVRTallixSharedNumberFormatters& operator=(const QVRTallixSharedNumberFormatters&) = delete;

  // The instance of the current environment.
  static QVRTallixSharedNumberFormatters& shared();

  // Significant digits in use, the localised "Error" for not-a-number, "e" for a locale's "E".
  QVRTallixNumberFormatter& numberFormatter();
  // Currency style, the localised "Error", rounding half-up.
  QVRTallixNumberFormatter& currencyFormatter();

 private:
  std::optional<QVRTallixNumberFormatter> _numberFormatter;
  std::optional<QVRTallixNumberFormatter> _currencyFormatter;
};
