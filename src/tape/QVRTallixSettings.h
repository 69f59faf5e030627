#pragma once

#include <string_view>

class QVREnvironment;

// Posted with no object when the currency mode changes, after the new value is stored.
inline constexpr std::string_view QVRTallixSettingsCurrencyModeChangedNotification =
    "QVRTallixSettingsCurrencyModeChangedNotification";

// The user's four preferences, read from the user defaults once when made; each change is
// written back at once, the sound preference goes on to the sound service, and a change of the
// currency mode is announced.
class QVRTallixSettings {
 public:
  static constexpr std::string_view soundsEnabledKey = "soundsEnabled";
  static constexpr std::string_view currencyModeKey = "currencyMode";
  static constexpr std::string_view roundedButtonsKey = "roundedButtons";
  // Shorter than its property's name.
  static constexpr std::string_view copyHistoryTapeResultsToClipboardKey =
      "copyTapeResultsToClipboard";

  // Reads the environment's user defaults (an absent soundsEnabled means sounds on) and tells
  // the sound service whether sounds are on. Nothing is written.
  explicit QVRTallixSettings(QVREnvironment& environment);
  // Identity object: the environment's one set of preferences, which the interface observes.
  QVRTallixSettings(const QVRTallixSettings&) = delete;
  QVRTallixSettings& operator=(const QVRTallixSettings&) = delete;

  // The settings of the current environment, made on first call.
  static QVRTallixSettings& sharedSettings();

  bool soundsEnabled() const { return _soundsEnabled; }
  bool currencyMode() const { return _currencyMode; }
  bool hasRoundedButtons() const { return _roundedButtons; }
  bool copyHistoryTapeResultsToClipboard() const { return _copyHistoryTapeResultsToClipboard; }

  // Each setter does nothing when the value is unchanged.
  void setSoundsEnabled(bool soundsEnabled);
  void setCurrencyMode(bool currencyMode);
  void setRoundedButtons(bool roundedButtons);
  void setCopyHistoryTapeResultsToClipboard(bool copyHistoryTapeResultsToClipboard);

 private:
  QVREnvironment& _environment;
  bool _soundsEnabled;
  bool _currencyMode;
  bool _roundedButtons;
  bool _copyHistoryTapeResultsToClipboard;
};
