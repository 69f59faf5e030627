#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

class QVRCKContainer;
class QVRCKDatabase;

// The cloud of one environment: which store stands behind a container identifier, and whether
// documents may talk to it at all (the class-wide flag of the cloud document). A shared instance
// of the environment, so that the program and each test choose their store. Without a store,
// containers have no database and documents stay local.
class QVRCKCloudService {
 public:
  // The store behind a container identifier; none for no store.
  using DatabaseMaker = std::function<std::shared_ptr<QVRCKDatabase>(const std::string&)>;

  // The identifier of the application's own container.
  static constexpr std::string_view defaultContainerIdentifier = "iCloud.com.qvr.Tallix";

  explicit QVRCKCloudService(DatabaseMaker makeDatabase = {});
  // Identity object: containers are made once per identifier and kept.
  QVRCKCloudService(const QVRCKCloudService&) = delete;
  QVRCKCloudService& operator=(const QVRCKCloudService&) = delete;
  ~QVRCKCloudService();

  // The current environment's service, made without a store on first use.
  static QVRCKCloudService& shared();

  std::shared_ptr<QVRCKContainer> containerWithIdentifier(const std::string& identifier);

  // Set for good by QVRCKDocument::disableiCloud; documents made afterwards stay local.
  bool iCloudDisabled() const { return _iCloudDisabled; }
  void disableiCloud() { _iCloudDisabled = true; }

 private:
  DatabaseMaker _makeDatabase;
  std::map<std::string, std::shared_ptr<QVRCKContainer>, std::less<>> _containers;
  bool _iCloudDisabled = false;
};
