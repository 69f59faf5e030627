#include "common/QVRSoundEffect.h"

#include "common/QVREnvironment.h"

void QVRSoundEffect::setSoundsEnabled(bool enabled) {
  QVREnvironment::current().setSoundsEnabled(enabled);
}

bool QVRSoundEffect::soundsEnabled() {
  return QVREnvironment::current().soundsEnabled().value_or(true);
}
