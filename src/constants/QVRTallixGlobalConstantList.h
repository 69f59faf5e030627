#pragma once

#include <memory>
#include <vector>

#include "common/QVRNotificationCenter.h"
#include "constants/QVRTallixGlobalConstantNumber.h"

class QVREnvironment;

// The built-in constants of one environment: made from the configuration's "constants" on first
// use and made again on every QVRConfigurationDidChange, which is announced further as
// QVRTallixGlobalConstantsDidChangeNotification when the values changed (a new title or hidden
// flag alone is no change). The user's hidden choices live in the user defaults, so they survive
// the remaking.
class QVRTallixGlobalConstantList {
 public:
  explicit QVRTallixGlobalConstantList(QVREnvironment& environment);
  // Identity object: it observes the configuration.
  QVRTallixGlobalConstantList(const QVRTallixGlobalConstantList&) = delete;
  QVRTallixGlobalConstantList& operator=(const QVRTallixGlobalConstantList&) = delete;

  static QVRTallixGlobalConstantList& shared();

  // Sorted by title.
  const std::vector<std::shared_ptr<QVRTallixGlobalConstantNumber>>& constants() const {
    return _constants;
  }

 private:
  // One constant per usable entry of the configuration, sorted by title.
  static std::vector<std::shared_ptr<QVRTallixGlobalConstantNumber>> build();
  void rebuild();

  QVREnvironment& _environment;
  std::vector<std::shared_ptr<QVRTallixGlobalConstantNumber>> _constants;
  QVRNotificationCenter::Observation _configurationObservation;
};
