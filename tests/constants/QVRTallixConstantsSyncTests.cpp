// Two devices (two document folders) keep their custom constants in one store, the directory
// store and WebDAV against Apache on loopback: after interleaved additions and polls in virtual
// time, both hold every constant in the same, merged order.

#include <gtest/gtest.h>

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
using QVRTallixConstantsSync = TallixTest;

namespace {

std::string titles(const QVRTallixConstantNumbersDocument& document) {
  std::string text;
  for (const auto& constant : document.constants()) text += constant->title() + "|";
  return text;
}

// Both stores answer on a worker; `settle` waits for it and runs what it handed back.
template <class Store>
void runDevices(QVRVirtualRunLoop& loop, const std::function<std::shared_ptr<Store>()>& make,
                const std::filesystem::path& homes) {
  std::vector<std::shared_ptr<Store>> stores;
  std::vector<std::unique_ptr<QVRTallixConstantNumbersDocument>> devices;
  for (int index = 0; index < 2; ++index) {
    const auto home = homes / std::to_string(index);
    std::filesystem::create_directories(home / "tmp");
    stores.push_back(make());
    devices.push_back(std::make_unique<QVRTallixConstantNumbersDocument>(
        "Main.customConstants", std::make_shared<QVRCKContainer>("device", stores.back()),
        QVRCKDocument::Storage{home / "Documents", home / "tmp", QVRFileWriter::systemCalls()}));
  }
  const auto settle = [&] {
    for (bool busy = true; busy;) {
      busy = false;
      for (const auto& store : stores) {
        store->waitUntilIdle();
        busy = loop.waitForDispatch(0ms) || busy;
        loop.runPending();
        busy = busy || store->pendingCount() != 0;
      }
    }
  };
  // Who adds what, and the seconds until the next addition: a change that reaches the store
  // first, changes on both before either uploads, and changes after a poll.
  const std::tuple<int, const char*, int> script[] = {{0, "a", 5},  {1, "b", 20},  {0, "c", 2},
                                                      {1, "d", 30}, {1, "e", 300}, {0, "f", 1},
                                                      {1, "g", 400}};
  settle();
  for (const auto& [device, title, seconds] : script) {
    devices[device]->addConstant(
        std::make_shared<QVRTallixCustomConstantNumber>(title, QVRTallixNumber()));
    for (int second = 0; second < seconds; ++second) {
      loop.advanceBy(1s);
      settle();
    }
  }
  const auto converged = [&] {
    return !devices[0]->needsToPost() && !devices[1]->needsToPost() &&
           titles(*devices[0]) == titles(*devices[1]) &&
           devices[0]->record().recordChangeTag() == devices[1]->record().recordChangeTag();
  };
  for (int round = 0; round < 20 && !converged(); ++round) {
    loop.advanceBy(100s);
    settle();
  }
  EXPECT_TRUE(converged()) << titles(*devices[0]) << " " << titles(*devices[1]);
  // d reached the store before c, which device 0 then merged in after the server's list.
  EXPECT_EQ(titles(*devices[0]), "a|b|d|c|e|f|g|");
}

}  // namespace

TEST_F(QVRTallixConstantsSync, TwoDevicesOnOneStoreEndWithEveryConstant) {
  const auto scratch = environment().temporaryDirectory();
  runDevices<QVRCKDirectoryDatabase>(
      runLoop(),
      [&] {
        return std::make_shared<QVRCKDirectoryDatabase>(
            scratch / "store", QVRCKDirectoryDatabase::Options{scratch, nullptr, {}});
      },
      scratch / "directory");
  if (!LoopbackApache::isInstalled()) GTEST_SKIP() << "apache2 is not installed";
  LoopbackApache apache;
  ASSERT_TRUE(apache.isRunning()) << apache.problem();
  runDevices<QVRCKWebDAVDatabase>(
      runLoop(),
      [&] {
        return std::make_shared<QVRCKWebDAVDatabase>(QVRCKWebDAVDatabase::Options{
            apache.origin() + "/dav/constants/", std::nullopt, scratch, 10s});
      },
      scratch / "webdav");
}
