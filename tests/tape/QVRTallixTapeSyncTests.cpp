#include <gtest/gtest.h>

#include <algorithm>

#include "cloud/QVRCKContainer.h"
#include "cloud/QVRCKDirectoryDatabase.h"
#include "cloud/QVRCKWebDAVDatabase.h"
#include "expression/QVRTallixExpression.h"
#include "support/LoopbackApache.h"
#include "support/TallixTest.h"
#include "tape/QVRTallixTape.h"

using namespace std::chrono_literals;

namespace {

class QVRTallixTapeSyncTests : public TallixTest {};

// A device: its own database on the shared store, and its tape in its own documents directory.
struct Device {
  std::shared_ptr<QVRCKDatabase> database;
  std::function<bool()> busy;  // waits for the database's work; whether calls are still open
  std::unique_ptr<QVRTallixTape> tape;
  std::vector<std::string> saved;  // its own calculations, in order
};

template <class Database>
Device deviceWith(std::shared_ptr<Database> database) {
  return {database,
          [database] { return database->waitUntilIdle(), database->pendingCount() != 0; },
          nullptr,
          {}};
}

std::vector<std::string> texts(const QVRTallixTape& tape) {
  std::vector<std::string> list;
  for (const auto& expression : tape.expressions()) list.push_back(expression->stringDescription());
  return list;
}

}  // namespace

// Two machines save calculations in turns to one store; after polls both tapes hold every
// calculation once, in the merge order, with the favorites marked on each side.
TEST_F(QVRTallixTapeSyncTests, TwoDevicesKeepEveryCalculationAndFavorite) {
  std::optional<LoopbackApache> apache;
  const auto directory = [&](const std::filesystem::path& home) {
    return deviceWith(std::make_shared<QVRCKDirectoryDatabase>(
        environment().temporaryDirectory() / "shared",
        QVRCKDirectoryDatabase::Options{home / "answers", nullptr, nullptr}));
  };
  const auto webDAV = [&](const std::filesystem::path& home) {
    return deviceWith(std::make_shared<QVRCKWebDAVDatabase>(
        QVRCKWebDAVDatabase::Options{apache->origin() + "/dav/", std::nullopt, home, 10s}));
  };
  const std::pair<std::string, std::function<Device(const std::filesystem::path&)>> stores[] = {
      {"directory", directory}, {"WebDAV", webDAV}};
  for (const auto& [store, open] : stores) {
    SCOPED_TRACE(store);
    if (store == "WebDAV") {
      if (!LoopbackApache::isInstalled()) GTEST_SKIP() << "apache2 is not installed";
      ASSERT_TRUE(apache.emplace().isRunning()) << apache->problem();
    }
    std::vector<Device> devices;
    for (std::size_t index = 0; index < 2; ++index) {
      const auto home = environment().temporaryDirectory() / (store + std::to_string(index));
      std::filesystem::create_directories(home / "tmp");
      auto& device = devices.emplace_back(open(home));
      device.tape = std::make_unique<QVRTallixTape>(
          "Tallix.tape", std::make_shared<QVRCKContainer>(store, device.database),
          QVRCKDocument::Storage{home / "Documents", home / "tmp", QVRFileWriter::systemCalls()});
    }
    const auto settle = [&] {
      for (bool busy = true; busy;) {
        busy = false;
        for (auto& device : devices) {
          busy = device.busy() || runLoop().waitForDispatch(0ms) || busy;
          runLoop().runPending();
        }
      }
    };
    const auto save = [&](std::size_t index, int first, int second, auto seconds) {
      QVRTallixExpression expression;
      expression.addDigit(static_cast<std::uint64_t>(first));
      expression.addOperation(QVRTallixOperationAdd);
      expression.addDigit(static_cast<std::uint64_t>(second));
      expression.addOperation(QVRTallixOperationEqual);
      ASSERT_TRUE(devices[index].tape->addExpression(expression.snapshot()));
      devices[index].saved.push_back(expression.stringDescription());
      runLoop().advanceBy(seconds);
      settle();
    };
    settle();
    // Device 0 uploads first; device 1, which has not seen it, merges its own after it.
    save(0, 1, 1, 0s), save(0, 1, 2, 10s), save(1, 2, 1, 10s);
    EXPECT_EQ(texts(*devices[1].tape),
              (std::vector<std::string>{"1 + 1 = 2", "1 + 2 = 3", "2 + 1 = 3"}));
    // Then both save within the same seconds and minutes, and each marks a favorite.
    for (int round = 0; round < 3; ++round) {
      save(0, 3, round, 0s), save(1, 4, round, round == 1 ? 300s : 10s);
    }
    // Both tapes begin with the three calculations above from here on.
    // By text: where a calculation stands on a tape at this moment depends on how the store's
    // answers and the polls interleaved.
    const std::string favorites[] = {"1 + 1 = 2", "2 + 1 = 3"};
    for (const std::size_t index : {0, 1}) {
      const auto& expressions = devices[index].tape->expressions();
      const auto found = std::find_if(expressions.begin(), expressions.end(), [&](const auto& e) {
        return e->stringDescription() == favorites[index];
      });
      ASSERT_NE(found, expressions.end()) << favorites[index];
      devices[index].tape->addFavorite(*found);
    }
    const auto converged = [&] {
      return std::all_of(devices.begin(), devices.end(), [&](const Device& device) {
        return !device.tape->needsToSave() && !device.tape->needsToPost() &&
               texts(*device.tape) == texts(*devices[0].tape) && device.tape->favoriteCount() == 2;
      });
    };
    for (int round = 0; round < 40 && !converged(); ++round) {
      runLoop().advanceBy(100s);
      settle();
    }
    ASSERT_TRUE(converged());
    const auto merged = texts(*devices[0].tape);
    EXPECT_EQ(merged.size(), devices[0].saved.size() + devices[1].saved.size());
    for (const auto& device : devices) {
      // Each machine's own calculations are all there, in their order.
      auto next = device.saved.begin();
      for (const auto& text : merged) next += next != device.saved.end() && *next == text;
      EXPECT_TRUE(next == device.saved.end());
      EXPECT_EQ(device.tape->favoriteAtIndex(0)->stringDescription(), "1 + 1 = 2");
      EXPECT_EQ(device.tape->favoriteAtIndex(1)->stringDescription(), "2 + 1 = 3");
    }
  }
}
