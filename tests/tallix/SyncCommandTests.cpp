#include <gtest/gtest.h>

#include "cloud/QVRCKCloudService.h"
#include "cloud/QVRCKDirectoryDatabase.h"
#include "cloud/QVRCKStoreChoice.h"
#include "common/QVRConfiguration.h"
#include "support/QVRCKTestDocument.h"
#include "support/TallixCommandRun.h"
#include "support/TallixTest.h"

using namespace std::chrono_literals;

namespace {

class SyncCommandTests : public TallixTest {};

}  // namespace

// A document syncing through the directory store leaves what `tallix sync status` reads: the
// times of its last poll and upload, and whether a change waits for upload.
TEST_F(SyncCommandTests, StatusShowsTheStoreAndEachDocumentsLastPollAndUpload) {
  const auto folder = environment().temporaryDirectory() / "shared";
  QVRConfiguration::sharedConfiguration().setValue(QVRCKStoreChoice::configurationKey,
                                                   QVRPropertyList(folder.string()));
  QVRCKStoreChoice::current().install(nullptr);
  const std::string store = "store: directory store in " + folder.string() + "\n";
  EXPECT_EQ(tallixRun({"sync", "status"}).output,
            store + "Tallix.tape: no local copy\nMain.customConstants: no local copy\n");

  auto* database = dynamic_cast<QVRCKDirectoryDatabase*>(
      QVRCKContainer::defaultContainer()->privateCloudDatabase());
  ASSERT_TRUE(database);
  const auto settle = [&] {
    database->waitUntilIdle();
    runLoop().runPending();
  };
  {
    QVRCKTestDocument tape("Tallix.tape");
    settle();  // the first poll finds no record, and no directory to note it in
    tape.setItems({"1+1=2"});
    runLoop().advanceBy(10s);  // saved, then uploaded
    settle();
    runLoop().advanceBy(290s);  // polled, 300 seconds after the first poll
    settle();
    tape.setItems({"1+1=2", "2*3=6"});
    runLoop().advanceBy(10s);
    database->waitUntilIdle();  // the upload's answer is not taken: the program stops first
  }
  const auto outcome = tallixRun({"sync", "status"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.output, store +
                                "Tallix.tape: last poll 2026-01-01 00:05:00 UTC, last upload "
                                "2026-01-01 00:00:10 UTC, waiting to upload: yes\n"
                                "Main.customConstants: no local copy\n");

  // clang-format off
  const struct { std::vector<std::string> arguments; std::string error; } misuses[] = {
      {{"sync"}, "tallix sync: expected a subcommand\nusage: tallix sync status\n"},
      {{"sync", "status", "now"}, "tallix sync: unknown arguments\nusage: tallix sync status\n"},
  };
  // clang-format on
  for (const auto& misuse : misuses) {
    const auto wrong = tallixRun(misuse.arguments);
    EXPECT_EQ(wrong.status, 2);
    EXPECT_EQ(wrong.error, misuse.error);
  }
}
