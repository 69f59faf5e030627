// Any bytes as a document's "record" file beside a good "contents" file: the document is made
// without crashing; a record file that cannot be read is logged and kept aside, the document
// takes a fresh record and counts its contents as not uploaded; a record it read archives and
// reads back to the same archive.
#include <cstddef>
#include <cstdint>

#include "FuzzCloudDocument.h"
#include "common/QVRData.h"

using namespace FuzzCloudDocument;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const QVRPropertyList::Data contents = [] {
    QVRKeyedArchiver archiver;
    QVRCKTestContents({"a", "b"}).encodeWithCoder(archiver, QVRCKDocumentContentsKey);
    archiver.encodeInteger(QVRCKDocumentVersionKey, 1);
    return *archiver.finishedData().value;
  }();
  const auto directory = freshDirectory();
  put(directory / "contents", contents.data(), contents.size());
  put(directory / "record", data, size);
  auto document = makeDocument();
  require(document->items() == std::vector<std::string>{"a", "b"});
  const QVRCKRecord& record = document->record();
  require(record.recordID().recordName() == "Fuzz.doc" && record.recordType() == "QVRCKDocument");
  if (log().countContaining("Decoding record for QVRCKDocument " + directory.string()) != 0) {
    require(!std::filesystem::exists(directory / "record"));
    require(bytesOf(asideFile(directory, "record")) == QVRPropertyList::Data(data, data + size));
    require(!record.recordChangeTag() && record.fields().empty() && document->needsToPost());
    return 0;
  }
  const QVRPropertyList* checksum = record.propertyListForKey(QVRCKDocumentCheckumKey);
  const std::uint32_t recorded =
      checksum && checksum->integer() ? static_cast<std::uint32_t>(*checksum->integer()) : 0;
  require(document->needsToPost() == (recorded != QVRData::crc32(contents)));
  const auto archived = QVRKeyedArchiver::archivedDataWithRootObject(record);
  if (!archived.value) return 0;  // texts the writer refuses
  const auto again = QVRKeyedUnarchiver::unarchivedObjectOfClass<QVRCKRecord>(
      *archived.value, QVRCKRecord::archiveClassNames());
  // Compared by their archives, in which a NaN equals itself.
  require(again.value &&
          QVRKeyedArchiver::archivedDataWithRootObject(*again.value).value == archived.value);
  return 0;
}
