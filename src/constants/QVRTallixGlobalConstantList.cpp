#include "constants/QVRTallixGlobalConstantList.h"

#include <algorithm>

#include "common/QVRConfiguration.h"
#include "common/QVREnvironment.h"

QVRTallixGlobalConstantList::QVRTallixGlobalConstantList(QVREnvironment& environment)
    : _environment(environment), _constants(build()) {
  _configurationObservation = environment.notificationCenter().addObserver(
      std::string(QVRConfigurationDidChange), nullptr, [this](const QVRNotification&) {
        const QVREnvironment::Installation installation(_environment);
        rebuild();
      });
}

QVRTallixGlobalConstantList& QVRTallixGlobalConstantList::shared() {
  QVREnvironment& environment = QVREnvironment::current();
  return environment.sharedInstance<QVRTallixGlobalConstantList>(
      [&] { return std::make_unique<QVRTallixGlobalConstantList>(environment); });
}

std::vector<std::shared_ptr<QVRTallixGlobalConstantNumber>> QVRTallixGlobalConstantList::build() {
  std::vector<std::shared_ptr<QVRTallixGlobalConstantNumber>> made;
  const QVRPropertyList* entries =
      QVRConfiguration::sharedConfiguration().objectForKey("constants");
  if (entries && entries->array()) {
    for (const QVRPropertyList& entry : *entries->array()) {
      // Entries that are no dictionary describe no constant.
      const QVRPropertyList::Dictionary* dictionary = entry.dictionary();
      if (!dictionary) continue;
      if (auto constant = QVRTallixGlobalConstantNumber::initWithDictionary(*dictionary)) {
        made.push_back(std::move(constant));
      }
    }
  }
  QVRTallixConstantNumber::sortByTitle(made);
  return made;
}

void QVRTallixGlobalConstantList::rebuild() {
  std::vector<std::shared_ptr<QVRTallixGlobalConstantNumber>> old = std::move(_constants);
  _constants = build();
  const bool same = std::equal(old.begin(), old.end(), _constants.begin(), _constants.end(),
                               [](const auto& left, const auto& right) {
                                 return left->tallixNumber().isEqual(right->tallixNumber());
                               });
  if (!same) {
    _environment.notificationCenter().post(QVRTallixGlobalConstantsDidChangeNotification);
  }
}
