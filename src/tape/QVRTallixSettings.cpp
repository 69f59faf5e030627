#include "tape/QVRTallixSettings.h"

#include <memory>

#include "common/QVREnvironment.h"
#include "common/QVRSoundEffect.h"
#include "common/QVRUserDefaults.h"

namespace {

// Tells the sound service of `environment`, which need not be the installed one.
void tellSoundService(QVREnvironment& environment, bool soundsEnabled) {
  const QVREnvironment::Installation installation(environment);
  QVRSoundEffect::setSoundsEnabled(soundsEnabled);
}

}  // namespace

QVRTallixSettings::QVRTallixSettings(QVREnvironment& environment)
    : _environment(environment),
      _soundsEnabled(environment.userDefaults().objectForKey(soundsEnabledKey)
                         ? environment.userDefaults().boolForKey(soundsEnabledKey)
                         : true),
      _currencyMode(environment.userDefaults().boolForKey(currencyModeKey)),
      _roundedButtons(environment.userDefaults().boolForKey(roundedButtonsKey)),
      _copyHistoryTapeResultsToClipboard(
          environment.userDefaults().boolForKey(copyHistoryTapeResultsToClipboardKey)) {
  tellSoundService(_environment, _soundsEnabled);
}

QVRTallixSettings& QVRTallixSettings::sharedSettings() {
  QVREnvironment& environment = QVREnvironment::current();
  return environment.sharedInstance<QVRTallixSettings>(
      [&] { return std::make_unique<QVRTallixSettings>(environment); });
}

void QVRTallixSettings::setSoundsEnabled(bool soundsEnabled) {
  if (soundsEnabled == _soundsEnabled) return;
  _soundsEnabled = soundsEnabled;
  tellSoundService(_environment, soundsEnabled);
  _environment.userDefaults().setBool(soundsEnabledKey, soundsEnabled);
}

void QVRTallixSettings::setCurrencyMode(bool currencyMode) {
  if (currencyMode == _currencyMode) return;
  _currencyMode = currencyMode;
  _environment.userDefaults().setBool(currencyModeKey, currencyMode);
  _environment.notificationCenter().post(QVRTallixSettingsCurrencyModeChangedNotification);
}

void QVRTallixSettings::setRoundedButtons(bool roundedButtons) {
  if (roundedButtons == _roundedButtons) return;
  _roundedButtons = roundedButtons;
  _environment.userDefaults().setBool(roundedButtonsKey, roundedButtons);
}

void QVRTallixSettings::setCopyHistoryTapeResultsToClipboard(
    bool copyHistoryTapeResultsToClipboard) {
  if (copyHistoryTapeResultsToClipboard == _copyHistoryTapeResultsToClipboard) return;
  _copyHistoryTapeResultsToClipboard = copyHistoryTapeResultsToClipboard;
  _environment.userDefaults().setBool(copyHistoryTapeResultsToClipboardKey,
                                      copyHistoryTapeResultsToClipboard);
}
