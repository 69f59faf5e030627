#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "common/QVRUserDefaults.h"
#include "support/NotificationRecorder.h"
#include "support/ScopedEnvironment.h"
#include "support/TallixTest.h"
#include "tape/QVRTallixSettings.h"

namespace {

class QVRTallixSettingsTests : public TallixTest {};

using Getter = bool (QVRTallixSettings::*)() const;
using Setter = void (QVRTallixSettings::*)(bool);
const struct {
  const char* key;
  Getter get;
  Setter set;
} settingsRows[] = {
    {"soundsEnabled", &QVRTallixSettings::soundsEnabled, &QVRTallixSettings::setSoundsEnabled},
    {"currencyMode", &QVRTallixSettings::currencyMode, &QVRTallixSettings::setCurrencyMode},
    {"roundedButtons", &QVRTallixSettings::hasRoundedButtons,
     &QVRTallixSettings::setRoundedButtons},
    {"copyTapeResultsToClipboard", &QVRTallixSettings::copyHistoryTapeResultsToClipboard,
     &QVRTallixSettings::setCopyHistoryTapeResultsToClipboard},
};

// Each row: the stored values of the four keys (none: absent), then what they read as.
TEST_F(QVRTallixSettingsTests, StoredValuesAreReadOnceWithSoundsOnWhenAbsent) {
  using Stored = std::optional<QVRPropertyList>;
  const struct {
    Stored stored[4];
    bool read[4];
  } rows[] = {
      {{std::nullopt, std::nullopt, std::nullopt, std::nullopt}, {true, false, false, false}},
      {{false, true, true, true}, {false, true, true, true}},
      // The platform's loose readings: numbers and "YES"; anything else reads as false.
      {{std::int64_t{0}, "YES", std::int64_t{2}, QVRPropertyList::Data{1}},
       {false, true, true, false}},
      {{"maybe", std::nullopt, std::nullopt, std::nullopt}, {false, false, false, false}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.stored));
    ScopedEnvironment scoped("en_US");
    QVREnvironment& environment = scoped.environment();
    for (std::size_t i = 0; i < 4; ++i) {
      if (row.stored[i]) environment.userDefaults().setObject(settingsRows[i].key, *row.stored[i]);
    }
    const QVRTallixSettings& settings = QVRTallixSettings::sharedSettings();
    for (std::size_t i = 0; i < 4; ++i) {
      EXPECT_EQ((settings.*settingsRows[i].get)(), row.read[i]) << settingsRows[i].key;
      // Nothing is written by reading.
      EXPECT_EQ(environment.userDefaults().objectForKey(settingsRows[i].key), row.stored[i]);
    }
    // The sound service is told at once.
    EXPECT_EQ(environment.soundsEnabled(), row.read[0]);
  }
}

// A setter stores a change under its key, and nothing for the same value; a change of the
// currency mode is announced once, after the new value is stored.
TEST_F(QVRTallixSettingsTests, SettersStoreChangesAndTheCurrencyModeIsAnnounced) {
  QVRTallixSettings& settings = QVRTallixSettings::sharedSettings();
  QVRUserDefaults& defaults = environment().userDefaults();
  NotificationRecorder changes(
      environment().notificationCenter(),
      std::string(QVRTallixSettingsCurrencyModeChangedNotification), nullptr, [&] {
        const bool on = defaults.objectForKey("currencyMode") == QVRPropertyList(true);
        return std::string(on ? "on" : "off");
      });
  for (const auto& row : settingsRows) {
    SCOPED_TRACE(row.key);
    const bool initial = (settings.*row.get)();
    (settings.*row.set)(initial);
    EXPECT_FALSE(defaults.objectForKey(row.key));
    (settings.*row.set)(!initial);
    EXPECT_EQ((settings.*row.get)(), !initial);
    EXPECT_EQ(defaults.objectForKey(row.key), QVRPropertyList(!initial));
    (settings.*row.set)(!initial);
    (settings.*row.set)(initial);
    EXPECT_EQ(defaults.objectForKey(row.key), QVRPropertyList(initial));
  }
  ASSERT_EQ(changes.count(), 2u);
  EXPECT_EQ(changes.records()[0].snapshot, "on");
  EXPECT_EQ(changes.records()[1].snapshot, "off");
  EXPECT_EQ(environment().soundsEnabled(), true);
}

}  // namespace
