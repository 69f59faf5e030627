#pragma once

#include <memory>
#include <string_view>

class QVRCKContainer;

// What the library's own documents share: the cloud container of the tape and the custom
// constants.
class QVRTallixCommon {
 public:
  QVRTallixCommon() = delete;

  // The application's container identifier, a reverse-domain name.
  static constexpr std::string_view iCloudContainerIdentifier = "iCloud.com.qvr.Tallix";

  // The container made from iCloudContainerIdentifier by the current environment's service.
  static std::shared_ptr<QVRCKContainer> container();
};
