#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cloud/QVRCKDatabase.h"
#include "cloud/QVRCKError.h"
#include "common/QVRFileReader.h"
#include "common/QVRFileWriter.h"

// Blocking calls on the stores whose completions come from their own threads (directory,
// WebDAV), and the checks of the database contract that every store must pass.
struct QVRCKStoreAnswer {
  std::optional<QVRCKRecord> record;
  std::optional<QVRError> error;
  std::int64_t code() const { return error ? error->code() : 0; }
};

template <class Call>
QVRCKStoreAnswer QVRCKWaitFor(Call call) {
  auto promise = std::make_shared<std::promise<QVRCKStoreAnswer>>();
  auto future = promise->get_future();
  // A second call of the completion would throw here (the promise is already satisfied).
  call([promise](std::optional<QVRCKRecord> record, std::optional<QVRError> error) {
    promise->set_value({std::move(record), std::move(error)});
  });
  if (future.wait_for(std::chrono::seconds(60)) == std::future_status::ready) return future.get();
  ADD_FAILURE() << "the store did not answer within a minute";
  return {};
}
inline QVRCKStoreAnswer QVRCKFetchFrom(QVRCKDatabase& database, const std::string& name) {
  return QVRCKWaitFor([&](auto done) { database.fetchRecordWithID(QVRCKRecordID(name), done); });
}
inline QVRCKStoreAnswer QVRCKSaveTo(QVRCKDatabase& database, const QVRCKRecord& record) {
  return QVRCKWaitFor([&](auto done) { database.saveRecord(record, done); });
}

// The text of the record's "contents" asset; "(none)" without one or when it cannot be read.
inline std::string QVRCKAssetText(const std::optional<QVRCKRecord>& record) {
  const QVRCKAsset* asset = record ? record->assetForKey("contents") : nullptr;
  auto bytes = asset ? QVRFileReader::contentsOfFile(asset->fileURL())
                     : decltype(QVRFileReader::contentsOfFile("")){};
  return bytes.value ? std::string(bytes.value->begin(), bytes.value->end()) : "(none)";
}

// A record whose "contents" asset (a file in `scratch`) and "note" field both hold `text`.
inline QVRCKRecord QVRCKRecordWithText(const std::filesystem::path& scratch,
                                       const std::string& name, std::optional<std::string> tag,
                                       const std::string& text) {
  const auto file = scratch / ("asset-" + std::to_string(std::hash<std::string>{}(name + text)));
  EXPECT_FALSE(
      QVRFileWriter::writeAtomically(file, QVRPropertyList::Data(text.begin(), text.end())));
  QVRCKRecord record("QVRCKDocument", QVRCKRecordID(name));
  record.setRecordChangeTag(std::move(tag));
  record.setObject(QVRCKAsset(file), "contents");
  record.setObject(QVRPropertyList(text), "note");
  return record;
}

// The conditional saves of the contract, step by step, on a store without the record `name`;
// `removeRecord` deletes it behind the store's back, as another client would.
inline void QVRCKExpectConditionalSaves(QVRCKDatabase& database,
                                        const std::filesystem::path& scratch,
                                        const std::string& name,
                                        const std::function<void()>& removeRecord) {
  enum class Tag { none, current, previous };
  const struct {
    Tag tag;
    std::string text;
    bool removeFirst;
    std::int64_t code;
    std::string stored;  // the asset fetched afterwards
  } steps[] = {
      {Tag::current, "never saved", false, QVRCKErrorUnknownItem, "(none)"},
      {Tag::none, "one", false, 0, "one"},
      {Tag::none, "again", false, QVRCKErrorServerRecordChanged, "one"},
      {Tag::current, "two", false, 0, "two"},
      {Tag::previous, "stale", false, QVRCKErrorServerRecordChanged, "two"},
      {Tag::current, "gone", true, QVRCKErrorUnknownItem, "(none)"},
      {Tag::none, "fresh", false, 0, "fresh"},
  };
  std::string current = "\"never\"", previous = current;
  for (const auto& step : steps) {
    SCOPED_TRACE(step.text);
    if (step.removeFirst) removeRecord();
    const std::optional<std::string> tag = step.tag == Tag::none      ? std::nullopt
                                           : step.tag == Tag::current ? std::optional(current)
                                                                      : std::optional(previous);
    const auto saved = QVRCKSaveTo(database, QVRCKRecordWithText(scratch, name, tag, step.text));
    EXPECT_EQ(saved.code(), step.code) << (saved.error ? saved.error->description() : "");
    EXPECT_EQ(saved.record.has_value(), !saved.error);
    if (saved.record) {
      EXPECT_NE(saved.record->recordChangeTag().value_or(current), current);
      previous = std::exchange(current, saved.record->recordChangeTag().value_or(""));
    }
    const auto fetched = QVRCKFetchFrom(database, name);
    EXPECT_EQ(QVRCKAssetText(fetched.record), step.stored);
    EXPECT_EQ(fetched.code(), step.stored == "(none)" ? std::int64_t{QVRCKErrorUnknownItem} : 0);
    if (!fetched.record) continue;
    EXPECT_EQ(fetched.record->recordChangeTag(), std::optional(current));
    const auto* note = fetched.record->propertyListForKey("note");
    EXPECT_TRUE(note && note->string() && *note->string() == step.stored);
  }
}

// Clients, each on a database of its own, increment a counter with fetch and conditional save
// at once: the final count is the number of successful saves, or an update was lost.
inline void QVRCKExpectNoLostIncrements(
    const std::function<std::unique_ptr<QVRCKDatabase>()>& makeDatabase,
    const std::filesystem::path& scratch, int clients, int increments) {
  const auto first = makeDatabase();
  ASSERT_FALSE(QVRCKSaveTo(*first, QVRCKRecordWithText(scratch, "counter", {}, "0")).error);
  std::vector<std::thread> threads;
  for (int client = 0; client < clients; ++client) {
    threads.emplace_back([&, own = scratch / std::to_string(client), database = makeDatabase()] {
      for (int done = 0, tries = 0; done < increments && tries < 50 * increments; ++tries) {
        const auto fetched = QVRCKFetchFrom(*database, "counter");
        if (!fetched.record) continue;
        const auto next = std::to_string(std::stoi(QVRCKAssetText(fetched.record)) + 1);
        const auto saved = QVRCKSaveTo(
            *database,
            QVRCKRecordWithText(own, "counter", fetched.record->recordChangeTag(), next));
        done += !saved.error;
        EXPECT_EQ(saved.code(), saved.error ? std::int64_t{QVRCKErrorServerRecordChanged} : 0);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(QVRCKAssetText(QVRCKFetchFrom(*first, "counter").record),
            std::to_string(clients * increments));
}
