#include "cloud/QVRCKContainer.h"

#include "cloud/QVRCKCloudService.h"

std::shared_ptr<QVRCKContainer> QVRCKContainer::containerWithIdentifier(
    const std::string& identifier) {
  return QVRCKCloudService::shared().containerWithIdentifier(identifier);
}

std::shared_ptr<QVRCKContainer> QVRCKContainer::defaultContainer() {
  return containerWithIdentifier(std::string(QVRCKCloudService::defaultContainerIdentifier));
}
