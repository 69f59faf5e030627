#pragma once

// The sound switch of the common services. The terminal program plays no sounds of its own; the
// switch is kept in the environment, so that the settings can be checked against it.
class QVRSoundEffect {
 public:
  QVRSoundEffect() = delete;

  static void setSoundsEnabled(bool enabled);
  // Whether sounds are on: true until told otherwise.
  static bool soundsEnabled();
};
