#pragma once

#include <memory>
#include <string>

#include "cloud/QVRCKDatabase.h"

// A cloud container: the user's private database of one application identifier. Containers
// come from the environment's cloud service (QVRCKCloudService), which gives the same container
// for the same identifier.
class QVRCKContainer {
 public:
  QVRCKContainer(std::string containerIdentifier,
                 std::shared_ptr<QVRCKDatabase> privateCloudDatabase)
      : _containerIdentifier(std::move(containerIdentifier)),
        _privateCloudDatabase(std::move(privateCloudDatabase)) {}
  // Identity object: documents share it.
  QVRCKContainer(const QVRCKContainer&) = delete;
  QVRCKContainer& operator=(const QVRCKContainer&) = delete;

  // The container of the current environment's cloud service for the identifier.
  static std::shared_ptr<QVRCKContainer> containerWithIdentifier(const std::string& identifier);
  // The container of the application's own identifier.
  static std::shared_ptr<QVRCKContainer> defaultContainer();

  const std::string& containerIdentifier() const { return _containerIdentifier; }
  // None when no cloud store is set up: documents of this container then stay local.
  QVRCKDatabase* privateCloudDatabase() const { return _privateCloudDatabase.get(); }

 private:
  std::string _containerIdentifier;
  std::shared_ptr<QVRCKDatabase> _privateCloudDatabase;
};
