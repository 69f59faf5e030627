// Two devices (two document folders) keep their custom constants in one store, the directory
// store and WebDAV against Apache on loopback: after interleaved additions and polls in virtual
// time, both hold every constant in the same, merged order.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cloud/QVRCKContainer.h"
#include "cloud/QVRCKDirectoryDatabase.h"
#include "cloud/QVRCKWebDAVDatabase.h"
#include "constants/QVRTallixConstantNumbersDocument.h"
#include "support/LoopbackApache.h"
#include "support/TallixTest.h"

using namespace std::chrono_literals;
using tallix::detail::QVRTallixConstantNumbersDocument;

namespace {

class QVRTallixConstantsSync : public TallixTest {};

struct Device {
  std::shared_ptr<QVRCKDatabase> database;
  std::function<void()> waitUntilIdle;
  std::function<std::size_t()> pendingCount;
  std::unique_ptr<QVRTallixConstantNumbersDocument> document;
};

std::string titles(const QVRTallixConstantNumbersDocument& document) {
  std::string text;
  for (const auto& constant : document.constants()) text += constant->title() + "|";
  return text;
}

}  // namespace

TEST_F(QVRTallixConstantsSync, TwoDevicesOnOneStoreEndWithEveryConstant) {
  std::unique_ptr<LoopbackApache> apache;
  if (LoopbackApache::isInstalled()) apache = std::make_unique<LoopbackApache>();
  const auto answers = environment().temporaryDirectory();
  const struct {
    const char* store;
    std::function<std::shared_ptr<QVRCKDatabase>()> make;
  } stores[] = {
      {"directory",
       [&] {
         return std::make_shared<QVRCKDirectoryDatabase>(
             answers / "store", QVRCKDirectoryDatabase::Options{answers, nullptr, {}});
       }},
      {"webdav",
       [&]() -> std::shared_ptr<QVRCKDatabase> {
         if (!apache || !apache->isRunning()) return nullptr;
         return std::make_shared<QVRCKWebDAVDatabase>(QVRCKWebDAVDatabase::Options{
             apache->origin() + "/dav/constants/", std::nullopt, answers, 10s});
       }},
  };
  // Who adds what, and how long until the next addition: a change of one device that reaches
  // the store first, changes made on both before either uploads, and changes made after a poll.
  const struct {
    std::size_t device;
    const char* title;
    int seconds;
  } script[] = {{0, "a", 5},   {1, "b", 20}, {0, "c", 2},  {1, "d", 30},
                {1, "e", 300}, {0, "f", 1},  {1, "g", 400}};
  for (const auto& store : stores) {
    SCOPED_TRACE(store.store);
    if (!store.make()) {
      // Without Apache installed there is no WebDAV case; installed, it must run.
      if (apache) ADD_FAILURE() << apache->problem();
      continue;
    }
    std::vector<Device> devices(2);
    for (std::size_t index = 0; index < devices.size(); ++index) {
      const auto home = answers / (std::string(store.store) + std::to_string(index));
      std::filesystem::create_directories(home / "tmp");
      auto database = store.make();
      if (auto* directory = dynamic_cast<QVRCKDirectoryDatabase*>(database.get())) {
        devices[index].waitUntilIdle = [directory] { directory->waitUntilIdle(); };
        devices[index].pendingCount = [directory] { return directory->pendingCount(); };
      } else {
        auto* webdav = dynamic_cast<QVRCKWebDAVDatabase*>(database.get());
        devices[index].waitUntilIdle = [webdav] { webdav->waitUntilIdle(); };
        devices[index].pendingCount = [webdav] { return webdav->pendingCount(); };
      }
      devices[index].database = database;
      devices[index].document = std::make_unique<QVRTallixConstantNumbersDocument>(
          "Main.customConstants",
          std::make_shared<QVRCKContainer>("device" + std::to_string(index), database),
          QVRCKDocument::Storage{home / "Documents", home / "tmp", QVRFileWriter::systemCalls()});
    }
    const auto settle = [&] {
      for (bool busy = true; busy;) {
        busy = false;
        for (auto& device : devices) {
          device.waitUntilIdle();
          busy = runLoop().waitForDispatch(0ms) || busy;
          runLoop().runPending();
          busy = busy || device.pendingCount() != 0;
        }
      }
    };
    settle();
    for (const auto& step : script) {
      devices[step.device].document->addConstant(std::make_shared<QVRTallixCustomConstantNumber>(
          step.title, QVRTallixNumber(QVRTallixDecimal(1))));
      for (int seconds = step.seconds; seconds > 0; seconds -= 1) {
        runLoop().advanceBy(1s);
        settle();
      }
    }
    const auto converged = [&] {
      const auto& first = *devices[0].document;
      const auto& second = *devices[1].document;
      return !first.needsToSave() && !first.needsToPost() && !second.needsToSave() &&
             !second.needsToPost() && titles(first) == titles(second) &&
             first.record().recordChangeTag() == second.record().recordChangeTag();
    };
    for (int round = 0; round < 20 && !converged(); ++round) {
      runLoop().advanceBy(100s);
      settle();
    }
    ASSERT_TRUE(converged()) << titles(*devices[0].document) << " " << titles(*devices[1].document);
    // d made on device 1 reaches the store before c, which device 0 merged in after the
    // server's list: the server's elements first, then the local ones.
    EXPECT_EQ(titles(*devices[0].document), "a|b|d|c|e|f|g|");
    for (auto& device : devices) device.document.reset();
  }
}
