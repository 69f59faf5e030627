// Two real processes, each a device with a documents directory of its own, share one directory
// store: they edit one document at the same time (their saves race under the store's lock, their
// pushes come through inotify), then each starts once more and syncs. Both must then hold the
// same contents, with every edit made on either side exactly once.
//
// The devices are this test program run again, told what to do by TALLIX_STORE_DEVICE.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "cloud/QVRCKCloudService.h"
#include "cloud/QVRCKDirectoryDatabase.h"
#include "common/QVRPollRunLoop.h"
#include "support/QVRCKTestDocument.h"
#include "support/SeededRandom.h"
#include "support/TallixTest.h"

extern char** environ;

using namespace std::chrono_literals;

namespace {

constexpr const char* kVariable = "TALLIX_STORE_DEVICE";

// Runs this program as the devices ("DEVICE SEED EDITS" each) at once; answers whether it ended
// well.
bool runDevices(const std::filesystem::path& root, const std::vector<std::string>& devices) {
  std::vector<pid_t> children;
  for (const auto& device : devices) {
    std::vector<std::string> settings;
    for (char** each = environ; *each; ++each) settings.emplace_back(*each);
    settings.push_back(std::string(kVariable) + "=" + root.string() + " " + device);
    std::vector<char*> pointers;
    for (auto& setting : settings) pointers.push_back(setting.data());
    pointers.push_back(nullptr);
    std::string program = "/proc/self/exe", filter = "--gtest_filter=*StoreDevice.EditsAndSyncs";
    char* arguments[] = {program.data(), filter.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, (root / "devices.log").c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t child = -1;
    if (posix_spawn(&child, program.c_str(), &actions, nullptr, arguments, pointers.data()) == 0) {
      children.push_back(child);
    }
    posix_spawn_file_actions_destroy(&actions);
  }
  bool ok = children.size() == devices.size();
  for (const pid_t child : children) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    ok = ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  return ok;
}

}  // namespace

// One device, run by the test below in a process of its own.
class QVRCKDirectoryStoreDevice : public TallixTest {};

TEST_F(QVRCKDirectoryStoreDevice, EditsAndSyncs) {
  const char* task = std::getenv(kVariable);
  if (!task) GTEST_SKIP() << "a device process of QVRCKDirectoryStoreProcesses, started by it";
  std::istringstream words(task);
  std::string root;
  int device = 0, edits = 0;
  std::uint64_t seed = 0;
  ASSERT_TRUE(words >> root >> device >> seed >> edits);
  const auto home = std::filesystem::path(root) / ("device" + std::to_string(device));
  SeededRandom random(seed * 2 + static_cast<std::uint64_t>(device));
  QVRPollRunLoop pushLoop;
  auto database = std::make_shared<QVRCKDirectoryDatabase>(
      std::filesystem::path(root) / "store",
      QVRCKDirectoryDatabase::Options{home / "tmp", &pushLoop, [](const std::string& name) {
                                        QVRCKDocument::postRemoteNotification(name);
                                      }});
  environment().setSharedInstance<QVRCKCloudService>(
      std::make_unique<QVRCKCloudService>([database](const std::string&) { return database; }));
  std::filesystem::create_directories(home / "tmp");
  auto document = std::make_unique<QVRCKTestDocument>(
      "Shared.doc", QVRCKContainer::defaultContainer(),
      QVRCKDocument::Storage{home / "Documents", home / "tmp", QVRFileWriter::systemCalls()});
  // Virtual time in steps; after each, what the store answered and the other process pushed.
  const auto advance = [&](std::int64_t seconds) {
    for (std::int64_t second = 0; second < seconds; second += 5) {
      runLoop().advanceBy(5s);
      do {
        database->waitUntilIdle();
        while (pushLoop.runOnce(0ms)) {
        }
        runLoop().runPending();
      } while (database->pendingCount() != 0 || runLoop().waitForDispatch(0ms));
    }
  };
  advance(5);
  for (int edit = 0; edit < edits; ++edit) {
    document->addItem("d" + std::to_string(device) + "e" + std::to_string(edit),
                      static_cast<std::size_t>(random.between(0, 20)));
    advance(random.between(0, 1) ? random.between(0, 20) : random.between(100, 200));
  }
  for (int round = 0; round < 100 && (document->needsToSave() || document->needsToPost());
       ++round) {
    advance(60);
  }
  EXPECT_FALSE(document->needsToSave() || document->needsToPost() || document->isICloudDisabled());
  for (const auto& line : log().lines()) std::cout << device << ": " << line << '\n';
  // The store watches with the push loop: it goes first.
  document.reset();
  environment().setSharedInstance<QVRCKCloudService>(nullptr);
}

TEST(QVRCKDirectoryStoreProcesses, TwoDevicesConvergeWithEveryEdit) {
  for (std::uint64_t seed = 1; seed <= 4; ++seed) {
    std::string pattern = (std::filesystem::temp_directory_path() / "tallix-store-XXXXXX").string();
    ASSERT_TRUE(::mkdtemp(pattern.data()));
    const std::filesystem::path root = pattern;
    const int edits = static_cast<int>(4 + seed * 2);
    const auto task = [&](int device, int count) {
      return std::to_string(device) + " " + std::to_string(seed) + " " + std::to_string(count);
    };
    // Both edit at once, then each starts again and syncs, one after the other.
    const bool ran = runDevices(root, {task(0, edits), task(1, edits)}) &&
                     runDevices(root, {task(0, 0)}) && runDevices(root, {task(1, 0)});
    const auto items = QVRCKTestItemsIn(root / "device0/Documents/Shared.doc/contents");
    std::set<std::string> expected;
    for (int edit = 0; edit < edits * 2; ++edit) {
      expected.insert("d" + std::to_string(edit % 2) + "e" + std::to_string(edit / 2));
    }
    EXPECT_TRUE(ran);
    EXPECT_EQ(items, QVRCKTestItemsIn(root / "device1/Documents/Shared.doc/contents"));
    EXPECT_EQ(std::set<std::string>(items.begin(), items.end()), expected);
    EXPECT_EQ(items.size(), expected.size());
    if (HasFailure())
      std::cout << "schedule " << seed << ":\n" << std::ifstream(root / "devices.log").rdbuf();
    std::filesystem::remove_all(root);
    if (HasFailure()) return;
  }
}
