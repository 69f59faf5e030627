#include "cloud/QVRCKCloudService.h"

#include "cloud/QVRCKContainer.h"
#include "common/QVREnvironment.h"

QVRCKCloudService::QVRCKCloudService(DatabaseMaker makeDatabase)
    : _makeDatabase(std::move(makeDatabase)) {}

QVRCKCloudService::~QVRCKCloudService() = default;

QVRCKCloudService& QVRCKCloudService::shared() {
  return QVREnvironment::current().sharedInstance<QVRCKCloudService>();
}

std::shared_ptr<QVRCKContainer> QVRCKCloudService::containerWithIdentifier(
    const std::string& identifier) {
  const auto found = _containers.find(identifier);
  if (found != _containers.end()) return found->second;
  auto container = std::make_shared<QVRCKContainer>(
      identifier, _makeDatabase ? _makeDatabase(identifier) : nullptr);
  _containers.emplace(identifier, container);
  return container;
}
