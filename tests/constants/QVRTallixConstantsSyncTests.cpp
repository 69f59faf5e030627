// Two devices (two document folders) keep their custom constants in one directory store: after
// interleaved additions and polls in virtual time, both hold every constant in the same, merged
// order. (The stores' own convergence runs, WebDAV's included, are in tests/cloud.)

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cloud/QVRCKContainer.h"
#include "cloud/QVRCKDirectoryDatabase.h"
#include "constants/QVRTallixConstantNumbersDocument.h"
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

}  // namespace

TEST_F(QVRTallixConstantsSync, TwoDevicesOnOneStoreEndWithEveryConstant) {
  const auto scratch = environment().temporaryDirectory();
  auto& loop = runLoop();
  std::vector<std::shared_ptr<QVRCKDirectoryDatabase>> stores;
  std::vector<std::unique_ptr<QVRTallixConstantNumbersDocument>> devices;
  for (int index = 0; index < 2; ++index) {
    const auto home = scratch / std::to_string(index);
    std::filesystem::create_directories(home / "tmp");
    stores.push_back(std::make_shared<QVRCKDirectoryDatabase>(
        scratch / "store", QVRCKDirectoryDatabase::Options{scratch, nullptr, {}}));
    devices.push_back(std::make_unique<QVRTallixConstantNumbersDocument>(
        "Main.customConstants", std::make_shared<QVRCKContainer>("device", stores.back()),
        QVRCKDocument::Storage{home / "Documents", home / "tmp", QVRFileWriter::systemCalls()}));
  }
  // The store answers on a worker; `settle` waits for it and runs what it handed back.
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
