#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "common/QVRUserDefaults.h"
#include "support/PropertyListTesting.h"
#include "support/ScopedEnvironment.h"
#include "support/TallixTest.h"
#include "tape/QVRTallixSettings.h"

namespace {

class QVRTallixSettingsTests : public TallixTest {};

const char* const keys[] = {"soundsEnabled", "currencyMode", "roundedButtons",
                            "copyTapeResultsToClipboard"};

TEST_F(QVRTallixSettingsTests, StoredValuesAreReadOnceWithSoundsOnWhenAbsent) {
  // The stored values of the four keys, and the four settings read ("1" for true).
  const struct {
    std::optional<QVRPropertyList> sounds, currency, rounded, copy;
    const char* read;
  } rows[] = {
      {std::nullopt, std::nullopt, std::nullopt, std::nullopt, "1000"},
      {false, true, true, true, "0111"},
      // The platform's loose readings: numbers and "YES"; anything else reads as false.
      {std::int64_t{0}, "YES", std::int64_t{2}, QVRPropertyList::Data{1}, "0110"},
      {"maybe", std::nullopt, std::nullopt, std::nullopt, "0000"},
  };
  for (const auto& row : rows) {
    ScopedEnvironment scoped("en_US");
    QVREnvironment& environment = scoped.environment();
    const std::optional<QVRPropertyList> values[] = {row.sounds, row.currency, row.rounded,
                                                     row.copy};
    for (std::size_t i = 0; i < 4; ++i) {
      if (values[i]) environment.userDefaults().setObject(keys[i], *values[i]);
    }
    SCOPED_TRACE(::testing::PrintToString(values));
    EXPECT_EQ(environment.soundsEnabled(), std::nullopt);
    const QVRTallixSettings& settings = QVRTallixSettings::sharedSettings();
    EXPECT_EQ(std::to_string(settings.soundsEnabled()) + std::to_string(settings.currencyMode()) +
                  std::to_string(settings.hasRoundedButtons()) +
                  std::to_string(settings.copyHistoryTapeResultsToClipboard()),
              row.read);
    // The sound service is told at once; nothing is written.
    EXPECT_EQ(environment.soundsEnabled(), row.read[0] == '1');
    for (std::size_t i = 0; i < 4; ++i) {
      EXPECT_EQ(environment.userDefaults().objectForKey(keys[i]), values[i]) << keys[i];
    }
  }
}

}  // namespace
