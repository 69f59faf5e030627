// Two or three devices share one in-memory cloud database through seeded schedules of edits,
// answers that fail with any code, get lost or come late, lost pushes, restarts, crashes halfway
// through writing a file, and full or read-only disks. Once the faults stop, all devices hold the
// same contents with every edit, but those a device lost by crashing before writing them.
// TALLIX_TEST_SEED=n replays schedule n with its log; TALLIX_TEST_SCHEDULES=n runs n schedules.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cloud/QVRCKCloudService.h"
#include "cloud/QVRCKMemoryDatabase.h"
#include "common/QVREnvironment.h"
#include "common/QVRLogger.h"
#include "common/QVRMemoryLogSink.h"
#include "common/QVRVirtualRunLoop.h"
#include "support/QVRCKTestDocument.h"
#include "support/SeededRandom.h"

using namespace std::chrono_literals;

namespace {

using Plan = QVRCKMemoryDatabase::Plan;
using Strings = std::vector<std::string>;
constexpr const char* kName = "Shared.doc";

// Thrown by a device's system calls where its process dies.
struct SimulatedCrash {
  std::size_t device;
};

// The disk of one device: the real system calls (without fsync: the simulation kills processes,
// it does not cut the power), which can be set to crash the process at the n-th call from now,
// halfway through what that call does. Reports every contents file that reached its name.
class DeviceDisk {
 public:
  DeviceDisk(std::size_t device, std::mt19937_64& random, std::function<void(const char*)> written)
      : _device(device), _random(random), _written(std::move(written)) {}

  void armCrash(int callsFromNow) { _countdown = callsFromNow; }
  // While full, every write fails with ENOSPC; while read-only, no file can be made in the
  // documents folder.
  void setFull(bool full, bool readOnly) { _full = full, _readOnly = readOnly; }
  void disarm() { _countdown = 0, _full = _readOnly = false; }

  QVRFileWriter::SystemCalls calls() {
    const auto real = QVRFileWriter::systemCalls();
    return {
        [this, real](const char* path, int flags, mode_t mode) {
          step();
          if (_readOnly && (flags & O_CREAT) &&
              std::string_view(path).find("/Documents/") != std::string_view::npos) {
            errno = EROFS;
            return -1;
          }
          const int descriptor = real.open(path, flags, mode);
          if (descriptor >= 0) _open.insert(descriptor);
          return descriptor;
        },
        [this, real](int descriptor, const void* bytes, std::size_t count) -> ssize_t {
          if (due()) {
            real.write(descriptor, bytes,
                       std::uniform_int_distribution<std::size_t>(0, count)(_random));
            crash();
          }
          if (_full) {
            errno = ENOSPC;
            return -1;
          }
          return real.write(descriptor, bytes, count);
        },
        [this](int) { return step(), 0; },
        [this, real](int descriptor) {
          step();
          _open.erase(descriptor);
          return real.close(descriptor);
        },
        [this, real](const char* from, const char* to) {
          const bool dies = due();
          if (dies && std::bernoulli_distribution(0.5)(_random)) crash();
          const int result = real.rename(from, to);
          if (result == 0) _written(to);
          if (dies) crash();
          return result;
        },
        [this, real](const char* path) { return step(), real.unlink(path); },
    };
  }

 private:
  bool due() { return _countdown > 0 && --_countdown == 0; }
  void step() {
    if (due()) crash();
  }
  [[noreturn]] void crash() {
    // The kernel closes a dead process's files.
    for (const int descriptor : _open) ::close(descriptor);
    _open.clear();
    _countdown = 0;
    throw SimulatedCrash{_device};
  }

  std::size_t _device;
  std::mt19937_64& _random;
  std::function<void(const char*)> _written;
  int _countdown = 0;
  bool _full = false;
  bool _readOnly = false;
  std::set<int> _open;
};

struct Device {
  std::unique_ptr<DeviceDisk> disk;
  QVRCKDocument::Storage storage;
  std::unique_ptr<QVRCKTestDocument> document;
  double fullUntil = 0;
  // Edits made here that no file of this device has held yet.
  std::set<std::string> unwritten;
  double downUntil = 0;
};

class SyncSimulation {
 public:
  explicit SyncSimulation(std::uint64_t seed)
      : _random(seed),
        _environment(QVREnvironment::makeForTesting()),
        _installation(*_environment),
        _root(scratchDirectory()) {
    const auto root = _root.empty() ? _environment->temporaryDirectory() : _root;
    _database = std::make_shared<QVRCKMemoryDatabase>(root / "server");
    _environment->setSharedInstance<QVRCKCloudService>(std::make_unique<QVRCKCloudService>(
        [database = _database](const std::string&) { return database; }));
    _database->setPlanner([this](const QVRCKMemoryDatabase::Call& call) { return plan(call); });
    _database->setPushHandler(
        [](const std::string& name) { QVRCKDocument::postRemoteNotification(name); });
    const std::size_t count = std::uniform_int_distribution<std::size_t>(2, 3)(_random);
    for (std::size_t index = 0; index < count; ++index) {
      Device& device = _devices.emplace_back();
      device.disk = std::make_unique<DeviceDisk>(
          index, _random, [this, index](const char* path) { written(index, path); });
      const auto home = root / ("device" + std::to_string(index));
      device.storage = {home / "Documents", home / "tmp", device.disk->calls()};
      std::filesystem::create_directories(device.storage.temporaryDirectory);
      start(index);
    }
  }

  ~SyncSimulation() {
    for (auto& device : _devices) device.document.reset();
    _database.reset();
    std::error_code ignored;
    if (!_root.empty()) std::filesystem::remove_all(_root, ignored);
  }

  // Empty when every check held, else what failed.
  std::string run() {
    const int steps = std::uniform_int_distribution<int>(20, 60)(_random);
    for (int step = 0; step < steps; ++step) randomStep();
    _faulty = false;
    QVRLogger::logFormat("== the faults stop");
    for (int round = 0; round < 60 && !converged(); ++round) {
      for (std::size_t index = 0; index < _devices.size(); ++index) {
        _devices[index].disk->disarm();
        if (!_devices[index].document) start(index);
        // Turned off for the life of the process by an error (maybe one sent before the faults
        // stopped): the user starts the program again.
        if (_devices[index].document->isICloudDisabled()) kill(index, 0);
      }
      guarded([&] { runLoop().advanceBy(100s); });
    }
    if (!converged()) return "no convergence: " + state();
    guarded([&] { runLoop().advanceBy(310s); });
    // A poll may be under way; its answer comes within a second.
    for (int wait = 0; wait < 10 && _database->pendingCount() != 0; ++wait) {
      guarded([&] { runLoop().advanceBy(0.5s); });
    }
    if (!converged()) return "converged, then changed again: " + state();
    return check();
  }

  std::vector<std::string> logLines() const { return _environment->memoryLogSink()->lines(); }

 private:
  // The devices' files live in memory when the system has a memory file system: the schedules
  // write thousands of small files, and a busy disk would make them slow.
  static std::filesystem::path scratchDirectory() {
    std::string pattern = "/dev/shm/tallix-sync-XXXXXX";
    return ::access("/dev/shm", W_OK) == 0 && ::mkdtemp(pattern.data())
               ? std::filesystem::path(pattern)
               : std::filesystem::path();
  }

  QVRVirtualRunLoop& runLoop() { return static_cast<QVRVirtualRunLoop&>(_environment->runLoop()); }

  double uniform(double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(_random);
  }
  bool chance(double probability) { return std::bernoulli_distribution(probability)(_random); }

  Plan plan(const QVRCKMemoryDatabase::Call& call) {
    if (!_faulty) return Plan::answer(0, uniform(0, 1));
    Plan answer = Plan::answer(uniform(0, 20), uniform(0, 20));
    if (call.operation == QVRCKMemoryDatabase::Operation::push) {
      return chance(0.3) ? Plan::fail(QVRCKErrorNetworkFailure) : answer;
    }
    // Every code, and more often the ones the document acts on.
    static constexpr std::int64_t kMeaningful[] = {8, 9, 11, 14, 18};
    const std::int64_t code =
        chance(0.3)
            ? kMeaningful[std::uniform_int_distribution<int>(0, 4)(_random)]
            : std::uniform_int_distribution<std::int64_t>(1, QVRCKErrorLargestCode)(_random);
    const double roll = uniform(0, 1);
    const double request = answer.requestDelay.count(), reply = answer.replyDelay.count();
    return roll < 0.12   ? Plan::fail(code, request, reply)
           : roll < 0.20 ? Plan::loseReply(code, request, reply)
           : roll < 0.25 ? Plan::fail(QVRCKErrorNetworkFailure, uniform(30, 120), uniform(30, 120))
                         : answer;
  }

  void randomStep() {
    const double roll = uniform(0, 1);
    const std::size_t index =
        std::uniform_int_distribution<std::size_t>(0, _devices.size() - 1)(_random);
    Device& device = _devices[index];
    const double now = seconds();
    for (auto& each : _devices) {
      if (now >= each.fullUntil) each.disk->setFull(false, false);
    }
    if (!device.document && now >= device.downUntil) {
      start(index);
    } else if (roll < 0.40) {
      if (!device.document) return;
      const std::string item = "d" + std::to_string(index) + "e" + std::to_string(_edits++);
      _made.insert(item);
      device.unwritten.insert(item);
      QVRLogger::logFormat("== device " + std::to_string(index) + " adds " + item);
      device.document->addItem(item, std::uniform_int_distribution<std::size_t>(
                                         0, device.document->items().size())(_random));
    } else if (roll < 0.80) {
      const double pick = uniform(0, 1);
      const double span = pick < 0.5    ? uniform(0.1, 15)
                          : pick < 0.85 ? uniform(15, 150)
                                        : uniform(150, 400);
      guarded([&] { runLoop().advanceBy(QVRTimer::Interval(span)); });
    } else if (roll < 0.85) {
      if (!device.document) return;
      kill(index, chance(0.5) ? 0 : uniform(0, 300));
    } else if (roll < 0.88) {
      const bool full = chance(0.5);
      QVRLogger::logFormat("== device " + std::to_string(index) +
                           (full ? "'s disk is full" : "'s documents are read-only"));
      device.disk->setFull(full, !full);
      device.fullUntil = now + uniform(5, 400);
    } else if (roll < 0.93) {
      QVRLogger::logFormat("== device " + std::to_string(index) + " will crash while writing");
      device.disk->armCrash(std::uniform_int_distribution<int>(1, 9)(_random));
    } else {
      guarded([&] { runLoop().runPending(); });
    }
  }

  // Runs a step of the run loop; a device whose disk crashed dies there.
  template <class Step>
  void guarded(Step step) {
    try {
      step();
    } catch (const SimulatedCrash& crash) {
      kill(crash.device, chance(0.5) ? 0 : uniform(0, 300));
    }
  }

  double seconds() {
    return std::chrono::duration<double>(runLoop().now() - QVRVirtualRunLoop::defaultStart())
        .count();
  }

  void start(std::size_t index) {
    QVRLogger::logFormat("== device " + std::to_string(index) + " starts");
    Device& device = _devices[index];
    device.document = std::make_unique<QVRCKTestDocument>(kName, QVRCKContainer::defaultContainer(),
                                                          device.storage);
  }

  void kill(std::size_t index, double downtime) {
    QVRLogger::logFormat("== device " + std::to_string(index) + " dies");
    Device& device = _devices[index];
    device.document.reset();
    device.disk->disarm();
    // What had not reached this device's disk is gone with the process.
    for (const auto& item : device.unwritten) _made.erase(item);
    device.unwritten.clear();
    device.downUntil = seconds() + downtime;
    if (downtime == 0) start(index);
  }

  void written(std::size_t index, const char* path) {
    if (std::filesystem::path(path).filename() != "contents") return;
    Device& device = _devices[index];
    if (device.unwritten.empty()) return;
    for (const auto& item : QVRCKTestItemsIn(path)) device.unwritten.erase(item);
  }

  bool converged() {
    if (_database->pendingCount() != 0) return false;
    for (const auto& device : _devices) {
      if (!device.document) return false;
    }
    const auto server = _database->serverRecord(kName);
    if (!server) {
      // Nothing was ever kept anywhere.
      return std::all_of(_devices.begin(), _devices.end(), [](const Device& device) {
        return device.document && !device.document->contents() && !device.document->needsToPost();
      });
    }
    const Strings serverItems = serverItemList();
    for (const auto& device : _devices) {
      const auto& document = *device.document;
      if (document.needsToSave() || document.needsToPost() || document.isICloudDisabled() ||
          document.record().recordChangeTag() != server->recordChangeTag() ||
          document.items() != serverItems) {
        return false;
      }
    }
    return true;
  }

  Strings serverItemList() {
    auto bytes = _database->serverAsset(kName, "contents");
    return (bytes ? QVRCKTestItemsOf(*bytes) : std::nullopt).value_or(Strings{});
  }

  std::string state() {
    std::ostringstream text;
    const auto server = _database->serverRecord(kName);
    text << "server " << (server ? server->recordChangeTag().value_or("none") : "-") << " "
         << QVRCKTestContents(serverItemList()).description() << ", " << _database->pendingCount()
         << " pending";
    for (const auto& device : _devices) {
      if (!device.document) {
        text << "; down";
        continue;
      }
      const auto& document = *device.document;
      text << "; save " << document.needsToSave() << " post " << document.needsToPost() << " off "
           << document.isICloudDisabled() << " tag "
           << document.record().recordChangeTag().value_or("none") << " "
           << QVRCKTestContents(document.items()).description();
    }
    return text.str();
  }

  std::string check() {
    const auto server = _database->serverRecord(kName);
    if (!server) {
      return _made.empty() ? std::string() : "edits kept nowhere: " + state();
    }
    const Strings items = serverItemList();
    const std::set<std::string> held(items.begin(), items.end());
    if (held.size() != items.size()) return "an item twice: " + state();
    for (const auto& item : _made) {
      if (!held.contains(item)) return "edit " + item + " lost: " + state();
    }
    for (const auto& item : held) {
      if (!_made.contains(item)) return "item " + item + " that no kept edit made: " + state();
    }
    for (std::size_t index = 0; index < _devices.size(); ++index) {
      Device& device = _devices[index];
      const auto directory = device.storage.documentsDirectory / kName;
      if (QVRCKTestItemsIn(directory / "contents") != items)
        return "device " + std::to_string(index) + "'s file differs";
      auto record = QVRKeyedUnarchiver::unarchiveObjectWithFile<QVRCKRecord>(
          directory / "record", QVRCKRecord::archiveClassNames());
      if (!record.value || record.value->recordChangeTag() != server->recordChangeTag()) {
        return "device " + std::to_string(index) + "'s record file is not the server's";
      }
    }
    // Started again, no device finds anything to upload.
    const std::size_t saves = _database->callCount(QVRCKMemoryDatabase::Operation::saveRecord);
    for (std::size_t index = 0; index < _devices.size(); ++index) kill(index, 0);
    runLoop().advanceBy(130s);
    if (_database->callCount(QVRCKMemoryDatabase::Operation::saveRecord) != saves || !converged()) {
      return "a restart after convergence uploaded again: " + state();
    }
    return {};
  }

  std::mt19937_64 _random;
  std::unique_ptr<QVREnvironment> _environment;
  QVREnvironment::Installation _installation;
  std::filesystem::path _root;
  std::shared_ptr<QVRCKMemoryDatabase> _database;
  std::vector<Device> _devices;
  std::set<std::string> _made;
  bool _faulty = true;
  std::size_t _edits = 0;
};

}  // namespace

TEST(QVRCKSyncSimulation, EveryEditReachesEveryDeviceWhateverTheNetworkDoes) {
  const char* schedules = std::getenv("TALLIX_TEST_SCHEDULES");
  const std::uint64_t first = SeededRandom::testSeed(1);
  const std::uint64_t count = std::getenv("TALLIX_TEST_SEED") ? 1
                              : schedules ? std::strtoull(schedules, nullptr, 10)
                                          : 1000;
  int failures = 0;
  for (std::uint64_t seed = first; seed < first + count && failures < 3; ++seed) {
    SyncSimulation simulation(seed);
    const std::string failure = simulation.run();
    if (!failure.empty()) {
      ++failures;
      ADD_FAILURE() << "schedule " << seed << " (replay with TALLIX_TEST_SEED=" << seed
                    << "): " << failure;
    }
    if (count == 1) {
      for (const auto& line : simulation.logLines()) std::cout << line << '\n';
    }
  }
}
