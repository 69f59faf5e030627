#include "cloud/QVRTallixCommon.h"

#include <string>

#include "cloud/QVRCKContainer.h"

std::shared_ptr<QVRCKContainer> QVRTallixCommon::container() {
  return QVRCKContainer::containerWithIdentifier(std::string(iCloudContainerIdentifier));
}
