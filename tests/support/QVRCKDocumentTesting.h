#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cloud/QVRCKCloudService.h"
#include "cloud/QVRCKMemoryDatabase.h"
#include "common/QVRData.h"
#include "common/QVRFileReader.h"
#include "common/QVRFileWriter.h"
#include "support/QVRCKTestDocument.h"
#include "support/TallixTest.h"

// A test environment whose cloud is one in-memory database, and helpers that read and write the
// files of test documents the way another program version or device would.
class QVRCKDocumentTest : public TallixTest {
 protected:
  QVRCKDocumentTest()
      : database(
            std::make_shared<QVRCKMemoryDatabase>(environment().temporaryDirectory() / "server")) {
    environment().setSharedInstance<QVRCKCloudService>(std::make_unique<QVRCKCloudService>(
        [database = database](const std::string&) { return database; }));
  }

  static QVRPropertyList::Data archive(const std::vector<std::string>& items,
                                       std::int64_t version = 1) {
    QVRKeyedArchiver archiver;
    QVRCKTestContents(items).encodeWithCoder(archiver, QVRCKDocumentContentsKey);
    archiver.encodeInteger(QVRCKDocumentVersionKey, version);
    return archiver.finishedData().value.value_or(QVRPropertyList::Data{});
  }
  static QVRPropertyList::Data bytesOf(const std::filesystem::path& file) {
    return QVRFileReader::contentsOfFile(file).value.value_or(QVRPropertyList::Data{});
  }
  static void write(const std::filesystem::path& file, const QVRPropertyList::Data& bytes) {
    ASSERT_FALSE(QVRFileWriter::writeAtomically(file, bytes));
  }

  std::filesystem::path directory(const std::string& name = "Test.doc") {
    return environment().documentsDirectory() / name;
  }
  // The server's record of `name` replaced as another device would: returns the new tag.
  std::string storeOnServer(const std::vector<std::string>& items, std::int64_t version = 1,
                            const std::string& name = "Test.doc") {
    return storeBytesOnServer(archive(items, version), version, name);
  }
  std::string storeBytesOnServer(const QVRPropertyList::Data& bytes, std::int64_t version = 1,
                                 const std::string& name = "Test.doc") {
    const auto file =
        environment().temporaryDirectory() / ("other-device-" + std::to_string(++_uploads));
    write(file, bytes);
    QVRCKRecord record{std::string(QVRCKDocumentRecordType), QVRCKRecordID(name)};
    record.setObject(QVRCKAsset(file), QVRCKDocumentContentsKey);
    record.setObject(QVRPropertyList(version), QVRCKDocumentVersionKey);
    record.setObject(QVRPropertyList(std::int64_t{QVRData::crc32(bytes)}), QVRCKDocumentCheckumKey);
    return database->storeRecord(record).value_or("");
  }
  // A directory as a document leaves it after an upload that got tag `tag`.
  void writeLocal(const std::string& name, const std::vector<std::string>& items,
                  const std::string& tag) {
    const auto bytes = archive(items);
    write(directory(name) / "contents", bytes);
    QVRCKRecord record{std::string(QVRCKDocumentRecordType), QVRCKRecordID(name)};
    record.setRecordChangeTag(tag);
    record.setObject(QVRPropertyList(std::int64_t{QVRData::crc32(bytes)}), QVRCKDocumentCheckumKey);
    ASSERT_TRUE(QVRKeyedArchiver::archiveRootObjectToFile(record, directory(name) / "record"));
  }
  std::size_t fetches() const {
    return database->callCount(QVRCKMemoryDatabase::Operation::fetchRecord);
  }
  std::size_t saves() const {
    return database->callCount(QVRCKMemoryDatabase::Operation::saveRecord);
  }

  std::shared_ptr<QVRCKMemoryDatabase> database;

 private:
  int _uploads = 0;
};
