#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "cloud/QVRCKDocument.h"
#include "common/QVRException.h"
#include "common/QVRFileReader.h"
#include "common/QVRFileWriter.h"
#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"
#include "common/QVRPropertyListWriter.h"
#include "support/ArchiveTestClasses.h"
#include "support/PropertyListTesting.h"
#include "support/TallixTest.h"
#include "tape/QVRTallixTape.h"

using namespace ArchiveTestClasses;
using Kind = QVRArchiveError::Kind;
using Bytes = std::vector<std::uint8_t>;
using Array = QVRPropertyList::Array;
using Dictionary = QVRPropertyList::Dictionary;
using UID = QVRPropertyList::UID;

namespace {

class QVRKeyedUnarchiverTests : public TallixTest {};

QVRPropertyList classRecord(std::string_view name) {
  return Dictionary{{"$classname", name}, {"$classes", Array{name, "NSObject"}}};
}

// A keyed archive of the given objects after "$null"; the root is object 1 unless told.
QVRPropertyList archive(Array objects, Dictionary top = {{"root", UID{1}}},
                        std::string_view archiver = "NSKeyedArchiver") {
  objects.insert(objects.begin(), "$null");
  return Dictionary{{"$archiver", archiver},
                    {"$version", std::int64_t{100000}},
                    {"$top", std::move(top)},
                    {"$objects", std::move(objects)}};
}

Bytes bytesOf(const QVRPropertyList& value) {
  auto data =
      QVRPropertyListWriter::dataFromPropertyList(value, QVRPropertyListWriter::Format::binary);
  EXPECT_TRUE(data.value);
  return data.value.value_or(Bytes{});
}

// Nodes nested `count` deep: objects 1 … count are the nodes, count + 1 their class, then the
// arrays of children (node k's at count + 1 + k), then the array class.
Array nodeChain(std::size_t count) {
  Array objects;
  for (std::size_t index = 1; index <= count; ++index) {
    Dictionary record{{"$class", UID{count + 1}}, {"name", "n"}};
    if (index < count) record.emplace("children", UID{count + 1 + index});
    objects.push_back(std::move(record));
  }
  objects.push_back(classRecord("TestNode"));
  for (std::size_t index = 1; index < count; ++index) {
    objects.push_back(
        Dictionary{{"$class", UID{2 * count + 1}}, {"NS.objects", Array{UID{index + 1}}}});
  }
  objects.push_back(classRecord("NSArray"));
  return objects;
}

// A node (object 1) whose "items" is a chain of `count` arrays, each holding the next
// (`copies` times), the last holding the text "leaf".
QVRPropertyList nodeWithNestedArrays(std::size_t count, std::size_t copies) {
  // 1 node, 2 TestNode class, 3 NSArray class, 4 "leaf", 5 … arrays.
  Array objects{Dictionary{{"$class", UID{2}}, {"name", UID{4}}, {"items", UID{5}}},
                classRecord("TestNode"), classRecord("NSArray"), "leaf"};
  for (std::size_t index = 0; index < count; ++index) {
    const UID next{index + 1 < count ? 6 + index : 4};
    objects.push_back(Dictionary{{"$class", UID{3}}, {"NS.objects", Array(copies, next)}});
  }
  return archive(std::move(objects));
}

}  // namespace

// Every hostile archive answers none with its reason, and nothing crashes; the factories of the
// test classes recurse into whatever they are given.
TEST_F(QVRKeyedUnarchiverTests, HostileArchivesAreRefusedWithTheirReason) {
  const QVRPropertyList node = Dictionary{{"$class", UID{2}}, {"name", UID{3}}};
  const Array good{node, classRecord("TestNode"), "name"};
  struct Case {
    const char* name;
    QVRPropertyList archive;
    Kind kind;
  };
  const std::vector<Case> cases = {
      {"another archiver", archive(good, {{"root", UID{1}}}, "NSArchiver"), Kind::malformed},
      {"no root", archive(good, {{"other", UID{1}}}), Kind::unexpectedRoot},
      {"a root of another allowed class",
       archive({Dictionary{{"$class", UID{2}}, {"label", "p"}}, classRecord("TestPoint")}),
       Kind::unexpectedRoot},
      {"a root reference out of range", archive(good, {{"root", UID{99}}}), Kind::malformed},
      {"a record without its class", archive({Dictionary{{"name", "x"}}}), Kind::malformed},
      {"a reference to a reference", archive({UID{1}}), Kind::malformed},
      {"a foreign class", archive({Dictionary{{"$class", UID{2}}}, classRecord("NSFileWrapper")}),
       Kind::classNotAllowed},
      {"a foreign class deep inside",
       archive({Dictionary{{"$class", UID{2}}, {"name", "n"}, {"first", UID{3}}},
                classRecord("TestNode"), Dictionary{{"$class", UID{4}}}, classRecord("Evil")}),
       Kind::classNotAllowed},
      {"an object holding itself",
       archive({Dictionary{{"$class", UID{2}}, {"name", "n"}, {"children", UID{3}}},
                classRecord("TestNode"),
                Dictionary{{"$class", UID{4}}, {"NS.objects", Array{UID{1}}}},
                classRecord("NSArray")}),
       Kind::cycle},
      {"nodes nested a hundred deep", archive(nodeChain(100)), Kind::tooDeep},
      {"a hundred thousand nested arrays", nodeWithNestedArrays(100000, 1), Kind::tooDeep},
      {"arrays that share their elements", nodeWithNestedArrays(60, 2), Kind::budgetExceeded},
      {"a child that is a point",
       archive({Dictionary{{"$class", UID{2}}, {"name", "n"}, {"children", UID{3}}},
                classRecord("TestNode"),
                Dictionary{{"$class", UID{4}}, {"NS.objects", Array{UID{5}}}},
                classRecord("NSArray"), Dictionary{{"$class", UID{6}}, {"label", "p"}},
                classRecord("TestPoint")}),
       Kind::unexpectedRoot},
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    auto unarchiver = QVRKeyedUnarchiver::withPropertyList(testCase.archive, allowedClasses());
    const auto result = unarchiver.decodeRootObjectOfClass<TestNode>();
    EXPECT_FALSE(result.value);
    ASSERT_TRUE(result.error);
    EXPECT_EQ(result.error->kind(), testCase.kind) << result.error->description();
    // The same through bytes, where libplist can write them quickly enough.
    const QVRPropertyList* objects = testCase.archive.find("$objects");
    if (objects && objects->array() && objects->array()->size() < 1000) {
      const auto fromBytes = QVRKeyedUnarchiver::unarchivedObjectOfClass<TestNode>(
          bytesOf(testCase.archive), allowedClasses());
      EXPECT_FALSE(fromBytes.value);
      EXPECT_EQ(fromBytes.error, result.error);
    }
  }
  // The same structures that are fine: the table's archives fail for their one fault. Objects and
  // arrays alternate: 32 nodes make 63 nested levels, 33 are too deep.
  const auto decodes = [](const QVRPropertyList& archive) {
    return QVRKeyedUnarchiver::unarchivedObjectOfClass<TestNode>(bytesOf(archive), allowedClasses())
               .value != nullptr;
  };
  EXPECT_TRUE(decodes(archive(good)));
  EXPECT_TRUE(decodes(archive(nodeChain(32))));
  EXPECT_FALSE(decodes(archive(nodeChain(33))));
  EXPECT_TRUE(decodes(nodeWithNestedArrays(60, 1)));
  EXPECT_TRUE(decodes(nodeWithNestedArrays(5, 2)));
}

// Keys of "$top" read as a factory reads its record's keys.
TEST_F(QVRKeyedUnarchiverTests, ScalarsOfAnotherKindReadAsFalseZeroOrNone) {
  const Dictionary top{
      {"true", true},           {"seven", std::int64_t{7}}, {"half", 2.5},
      {"huge", 1e300},          {"nan", std::nan("")},      {"text", UID{1}},
      {"numberObject", UID{2}}, {"null", UID{0}},           {"data", QVRPropertyList::Data{1}},
  };
  QVRKeyedUnarchiver unarchiver(bytesOf(archive({"a text", std::int64_t{9}}, top)),
                                allowedClasses());
  ASSERT_FALSE(unarchiver.error());
  struct Case {
    const char* key;
    bool boolean;
    std::int64_t integer;
    double real;
    std::optional<std::string> text;
  };
  const std::vector<Case> cases = {
      {"half", true, 2, 2.5, std::nullopt},  {"huge", true, 0, 1e300, std::nullopt},
      {"text", false, 0, 0, "a text"},       {"numberObject", true, 9, 9, std::nullopt},
      {"absent", false, 0, 0, std::nullopt},
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.key);
    EXPECT_EQ(unarchiver.decodeBoolForKey(testCase.key), testCase.boolean);
    EXPECT_EQ(unarchiver.decodeIntegerForKey(testCase.key), testCase.integer);
    EXPECT_EQ(unarchiver.decodeDoubleForKey(testCase.key), testCase.real);
    EXPECT_EQ(unarchiver.decodeStringForKey(testCase.key), testCase.text);
    EXPECT_FALSE(unarchiver.decodeObjectOfClass<TestPoint>(testCase.key));
  }
  EXPECT_EQ(unarchiver.decodeIntegerForKey("nan"), 0);
  EXPECT_FALSE(unarchiver.error());
}

TEST_F(QVRKeyedUnarchiverTests, BrokenDictionariesAreRefused) {
  struct Case {
    const char* name;
    QVRPropertyList record;
    std::string detail;
  };
  const std::vector<Case> cases = {
      {"a key that is a number",
       Dictionary{{"$class", UID{2}}, {"NS.keys", Array{UID{3}}}, {"NS.objects", Array{UID{3}}}},
       "a dictionary key that is no text"},
      {"no keys", Dictionary{{"$class", UID{2}}, {"NS.objects", Array{}}},
       "a dictionary whose keys and objects do not match"},
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    QVRKeyedUnarchiver unarchiver(
        bytesOf(archive({testCase.record, classRecord("NSDictionary"), std::int64_t{1}, "key"},
                        {{"value", UID{1}}})),
        {});
    EXPECT_FALSE(unarchiver.valueForKey("value").decodePlainValue());
    ASSERT_TRUE(unarchiver.error());
    EXPECT_EQ(unarchiver.error()->detail(), testCase.detail);
    // After the first failure every decoding answers none.
    EXPECT_FALSE(unarchiver.valueForKey("value"));
  }
}

TEST_F(QVRKeyedUnarchiverTests, FilesAnswerNoneWhenMissingAndAnErrorWhenUnreadable) {
  const auto folder = environment().applicationSupportDirectory();
  const auto missing =
      QVRKeyedUnarchiver::unarchiveObjectWithFile<TestPoint>(folder / "missing", allowedClasses());
  EXPECT_FALSE(missing.value);
  EXPECT_FALSE(missing.error);
  const auto directory =
      QVRKeyedUnarchiver::unarchiveObjectWithFile<TestPoint>(folder, allowedClasses());
  EXPECT_EQ(directory.error->kind(), Kind::unreadable);
  const auto garbage = folder / "garbage";
  ASSERT_FALSE(
      QVRFileWriter::writeAtomically(garbage, PropertyListTesting::bytesOf("not an archive")));
  const auto malformed =
      QVRKeyedUnarchiver::unarchiveObjectWithFile<TestPoint>(garbage, allowedClasses());
  ASSERT_TRUE(malformed.error);
  EXPECT_EQ(malformed.error->kind(), Kind::malformed);
}

// A binary archive is read in place, object by object, so every offset and count a corrupted file
// holds is met while decoding: every byte of a real tape flipped three ways, and every
// truncation, decodes or fails with a reason, and never reads outside the bytes.
TEST_F(QVRKeyedUnarchiverTests, EveryCorruptionOfATapeFileDecodesOrFailsInPlace) {
  const auto file =
      QVRFileReader::contentsOfFile(std::filesystem::path(TALLIX_TEST_SOURCE_DIR) /
                                    "tape/data/nine-calculations-two-favorites.contents");
  ASSERT_TRUE(file.value);
  const Bytes& original = *file.value;
  // The number of calculations read back, or -1 when the archive was refused.
  const auto decode = [](std::span<const std::uint8_t> bytes) -> int {
    QVRKeyedUnarchiver unarchiver(bytes, QVRTallixTape::contentsClassNames());
    try {
      const auto contents =
          QVRTallixTape::decodeContents(unarchiver.valueForKey(QVRCKDocumentContentsKey));
      const auto* tape = dynamic_cast<const QVRTallixTapeContents*>(contents.get());
      if (unarchiver.error() || !tape) return -1;
      return static_cast<int>(tape->expressions().size());
    } catch (const QVRException&) {
      return -1;
    }
  };
  ASSERT_EQ(decode(original), 9);
  std::map<int, int> outcomes;
  for (std::size_t position = 0; position < original.size(); ++position) {
    ++outcomes[decode(std::span(original).first(position))];
    for (const std::uint8_t mask : {0x01, 0x10, 0xFF}) {
      Bytes corrupted = original;
      corrupted[position] ^= mask;
      ++outcomes[decode(corrupted)];
    }
  }
  // Truncations all fail; flips in texts and numbers still read.
  EXPECT_GT(outcomes[-1], static_cast<int>(original.size()));
  EXPECT_GT(outcomes[9], 0);
}
