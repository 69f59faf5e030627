#include <gtest/gtest.h>
#include <plist/plist.h>

#include <filesystem>
#include <fstream>

#include "cloud/QVRCKAsset.h"
#include "common/QVRFileReader.h"
#include "common/QVRKeyedArchiver.h"
#include "common/QVRPropertyListReader.h"
#include "expression/QVRTallixExpression.h"
#include "support/TallixTest.h"
#include "tape/QVRTallixTape.h"

using namespace std::chrono_literals;

namespace {

class QVRTallixTapeFileTests : public TallixTest {
 protected:
  std::filesystem::path tapeDirectory() {
    return environment().documentsDirectory() / "Tallix.tape";
  }
};

const std::filesystem::path kEarlierFile = std::filesystem::path(TALLIX_TEST_SOURCE_DIR) / "tape" /
                                           "data" / "nine-calculations-two-favorites.contents";

QVRPropertyList readByLibplist(const QVRPropertyList::Data& bytes) {
  plist_t root = nullptr;
  plist_from_bin(reinterpret_cast<const char*>(bytes.data()), std::uint32_t(bytes.size()), &root);
  if (!root) return {};
  char* xml = nullptr;
  std::uint32_t length = 0;
  plist_to_xml(root, &xml, &length);
  plist_free(root);
  auto read = QVRPropertyListReader::propertyList(std::string_view(xml, length));
  plist_to_xml_free(xml);
  return read.value.value_or(QVRPropertyList());
}

// A file of `size` bytes that takes no room on disk.
void sparseFile(const std::filesystem::path& path, std::uintmax_t size) {
  std::ofstream{path};
  std::filesystem::resize_file(path, size);
}

}  // namespace

// A tape saved by the archiver that built a tree of property-list values before writing loads,
// and the streaming archiver saves it again as the same archive, object for object, as both our
// reader and libplist read it.
TEST_F(QVRTallixTapeFileTests, ATapeOfTheEarlierArchiverLoadsAndSavesAsTheSameArchive) {
  std::filesystem::create_directories(tapeDirectory());
  std::filesystem::copy_file(kEarlierFile, tapeDirectory() / "contents");
  const QVRTallixTape tape("Tallix.tape", nullptr);
  // What tallix printed when it saved them.
  const char* const texts[] = {"2 + 3 × 4 = 14",
                               "(1 + 2) × 3 = 9",
                               "5! + 2 = 122",
                               "3 ÷ 7 = 0.428571428571429",
                               "2 √ = 1.41421356237",
                               "3.14159265359 × 2 = 6.28318530718",
                               "1 sin = 0.841470984807896",
                               "0 − 7 = -7",
                               "10 × 3 = 30"};
  ASSERT_EQ(tape.expressionCount(), std::size(texts)) << testing::PrintToString(log().lines());
  for (std::size_t index = 0; index < std::size(texts); ++index) {
    SCOPED_TRACE(index);
    const auto expression = tape.expressionAtIndex(index);
    ASSERT_TRUE(expression);
    EXPECT_EQ(expression->stringDescription(), texts[index]);
    EXPECT_EQ(expression->radMode(), index == 6);
  }
  ASSERT_EQ(tape.favoriteCount(), 2u);
  EXPECT_EQ(tape.favoriteAtIndex(0)->uuid(), "BEFFEC12-9A83-4AA4-BAA1-45AA1E7E6ABD");
  EXPECT_EQ(tape.favoriteAtIndex(1)->uuid(), "C7839B57-0460-4863-A6D7-A0EB83087488");

  QVRKeyedArchiver archiver;
  tape.contents()->encodeWithCoder(archiver, QVRCKDocumentContentsKey);
  archiver.encodeInteger(QVRCKDocumentVersionKey, QVRCKDocument::documentVersion);
  const auto saved = std::move(archiver).finishedData();
  ASSERT_TRUE(saved.value);
  const auto earlier = QVRFileReader::contentsOfFile(kEarlierFile).value.value();
  const QVRPropertyList expected = QVRPropertyListReader::propertyList(earlier).value.value();
  EXPECT_EQ(QVRPropertyListReader::propertyList(*saved.value).value, expected);
  EXPECT_EQ(readByLibplist(*saved.value), expected);
}

// The contents file is read up to a size limit that holds a tape of a million calculations;
// a larger file is refused by its size alone (never read, so a sparse 50 GB file costs
// nothing), logged and kept aside, and the tape starts empty and saves beside it.
TEST_F(QVRTallixTapeFileTests, ContentsBeyondTheSizeLimitAreKeptAsideUnread) {
  for (const std::uintmax_t size :
       {std::uintmax_t{QVRCKAsset::maximumFileSize} + 1, std::uintmax_t{50} << 30}) {
    SCOPED_TRACE(size);
    std::filesystem::remove_all(tapeDirectory());
    std::filesystem::create_directories(tapeDirectory());
    const auto contents = tapeDirectory() / "contents";
    sparseFile(contents, size);
    log().clear();
    {
      QVRTallixTape tape("Tallix.tape", nullptr);
      EXPECT_EQ(tape.expressionCount(), 0u);
      EXPECT_EQ(log().countContaining("Reading file for " + tapeDirectory().string()), 1u);
      EXPECT_EQ(log().countContaining("Moving unreadable file " + contents.string()), 1u);
      EXPECT_FALSE(std::filesystem::exists(contents));
      QVRTallixExpression expression;
      expression.addDigit(4);
      expression.addOperation(QVRTallixOperationAdd);
      expression.addDigit(2);
      EXPECT_TRUE(tape.addExpression(expression.snapshot()));
      runLoop().advanceBy(10s);
    }
    EXPECT_EQ(QVRTallixTape("Tallix.tape", nullptr).expressionCount(), 1u);
    std::size_t aside = 0;
    for (const auto& entry : std::filesystem::directory_iterator(tapeDirectory())) {
      if (entry.path().filename().string().starts_with("contents.unreadable-")) {
        EXPECT_EQ(entry.file_size(), size);
        ++aside;
      }
    }
    EXPECT_EQ(aside, 1u);
  }
}
