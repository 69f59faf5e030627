#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "cloud/QVRCKMemoryDatabase.h"
#include "support/QVRCKDocumentTesting.h"

using namespace std::chrono_literals;
using Plan = QVRCKMemoryDatabase::Plan;
using Operation = QVRCKMemoryDatabase::Operation;

using QVRCKMemoryDatabaseTests = QVRCKDocumentTest;

// Its faults, delays and conditional saves are pinned down by the sync simulation, which loses
// edits or never converges when they go wrong. Calls still under way when the database goes are
// answered as cancelled, once.
TEST_F(QVRCKMemoryDatabaseTests, CallsUnderWayAreCancelledOnceWhenTheDatabaseGoes) {
  int fetches = 0, subscriptions = 0;
  std::optional<QVRError> fetchError;
  database->enqueuePlan(Operation::fetchRecord, Plan::answer(100, 0));
  database->fetchRecordWithID(QVRCKRecordID("R"),
                              [&](std::optional<QVRCKRecord>, std::optional<QVRError> error) {
                                ++fetches;
                                fetchError = std::move(error);
                              });
  database->saveSubscription(
      QVRCKSubscription("T", "TRUEPREDICATE", "s", 3),
      [&](std::optional<QVRError> error) { subscriptions += error ? 10 : 1; });
  database.reset();
  environment().setSharedInstance<QVRCKCloudService>(nullptr);
  EXPECT_EQ(fetches, 1);
  ASSERT_TRUE(fetchError);
  EXPECT_EQ(fetchError->code(), QVRCKErrorOperationCancelled);
  EXPECT_EQ(subscriptions, 10);
  runLoop().advanceBy(200s);
  EXPECT_EQ(fetches, 1);
}
