// A user's Configuration.plist on any bytes: the overrides or a reason, never a crash; applying
// them announces a change exactly when a value changed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "FuzzPropertyLists.h"
#include "common/QVRConfiguration.h"
#include "common/QVREnvironment.h"
#include "common/QVRMemoryLogSink.h"

namespace {

struct Setup {
  std::unique_ptr<QVREnvironment> environment = QVREnvironment::makeForTesting();
  QVREnvironment::Installation installation{*environment};
  QVRConfiguration configuration{std::nullopt, std::nullopt};
  int changes = 0;
  QVRNotificationCenter::Observation observation =
      environment->notificationCenter().addObserver(std::string(QVRConfigurationDidChange), nullptr,
                                                    [this](const QVRNotification&) { ++changes; });
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Setup setup;
  setup.environment->memoryLogSink()->clear();
  auto overrides = QVRConfiguration::overridesFromData({data, size});
  FuzzPropertyLists::checkOutcome(overrides);
  if (!overrides.value) return 0;
  setup.configuration.replaceValues({});
  const int before = setup.changes;
  const bool empty = overrides.value->empty();
  setup.configuration.replaceValues(*overrides.value);
  if (setup.changes != before + (empty ? 0 : 1)) std::abort();
  setup.configuration.replaceValues(std::move(*overrides.value));
  if (setup.changes != before + (empty ? 0 : 1)) std::abort();
  return 0;
}
