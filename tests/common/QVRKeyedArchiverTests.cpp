#include <gtest/gtest.h>
#include <plist/plist.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"
#include "common/QVRPropertyListReader.h"
#include "support/ArchiveTestClasses.h"
#include "support/PropertyListTesting.h"
#include "support/TallixTest.h"

using namespace ArchiveTestClasses;
using Bytes = std::vector<std::uint8_t>;

namespace {

class QVRKeyedArchiverTests : public TallixTest {};

Bytes archived(QVRKeyedArchiver& archiver) {
  auto data = archiver.finishedData();
  EXPECT_TRUE(data.value) << (data.error ? data.error->description() : "");
  return data.value.value_or(Bytes{});
}

Bytes archived(const auto& root) {
  auto data = QVRKeyedArchiver::archivedDataWithRootObject(root);
  EXPECT_TRUE(data.value) << (data.error ? data.error->description() : "");
  return data.value.value_or(Bytes{});
}

QVRPropertyList archivePropertyList(const Bytes& bytes) {
  auto read = QVRPropertyListReader::propertyList(bytes);
  EXPECT_TRUE(read.value);
  return read.value.value_or(QVRPropertyList());
}

// The records in "$objects" whose class is `className`.
std::size_t recordsOfClass(const QVRPropertyList& archive, std::string_view className) {
  const auto& objects = *archive.find("$objects")->array();
  return static_cast<std::size_t>(
      std::count_if(objects.begin(), objects.end(), [&](const auto& object) {
        const QVRPropertyList* classUID = object.find("$class");
        if (!classUID || !classUID->uid()) return false;
        const QVRPropertyList* name = objects[classUID->uid()->value].find("$classname");
        return name && *name == QVRPropertyList(className);
      }));
}

const QVRPropertyList& object(const QVRPropertyList& archive, const QVRPropertyList& uid) {
  return (*archive.find("$objects")->array())[uid.uid()->value];
}

TestNode sampleTree(const TestPoint& shared) {
  TestNode root{.name = "root \xF0\x9F\x8C\xB3 ünïcødé"};
  root.children.push_back(TestNode{.name = "left"});
  root.children.push_back(TestNode{.name = "right"});
  root.children.back().children.push_back(TestNode{.name = "grandchild", .first = &shared});
  root.items = {TestItem{TestPoint{1, 2.5, true, "a point"}},
                TestItem{std::int64_t{-7}},
                TestItem{0.125},
                TestItem{std::string("text \xE2\x88\x92")},
                TestItem{false},
                TestItem{TestItems{TestItem{std::int64_t{1}}, TestItem{TestItems{}}}}};
  root.first = &shared;
  root.second = &shared;
  return root;
}

void expectSameTree(const TestNode& decoded, const TestNode& original) {
  EXPECT_EQ(decoded.name, original.name);
  EXPECT_EQ(decoded.items, original.items);
  EXPECT_EQ(decoded.firstValue, original.first ? std::optional(*original.first) : std::nullopt);
  EXPECT_EQ(decoded.secondValue, original.second ? std::optional(*original.second) : std::nullopt);
  ASSERT_EQ(decoded.children.size(), original.children.size());
  for (std::size_t index = 0; index < decoded.children.size(); ++index) {
    expectSameTree(decoded.children[index], original.children[index]);
  }
}

}  // namespace

TEST_F(QVRKeyedArchiverTests, NestedObjectsArraysAndUnicodeTextRoundTrip) {
  const TestPoint shared{-3, -0.5, false, "shared \xF0\x9F\x98\x80"};
  const TestNode tree = sampleTree(shared);
  const Bytes bytes = archived(tree);
  auto decoded = QVRKeyedUnarchiver::unarchivedObjectOfClass<TestNode>(bytes, allowedClasses());
  ASSERT_TRUE(decoded.value) << decoded.error->description();
  EXPECT_FALSE(decoded.error);
  expectSameTree(*decoded.value, tree);
}

TEST_F(QVRKeyedArchiverTests, ArchivesHaveThePlatformShape) {
  const TestPoint point{42, 1.5, true, "label"};
  const QVRPropertyList archive = archivePropertyList(archived(point));
  EXPECT_EQ(*archive.find("$archiver"), QVRPropertyList("NSKeyedArchiver"));
  EXPECT_EQ(*archive.find("$version"), QVRPropertyList(std::int64_t{100000}));
  EXPECT_EQ(archive.find("$objects")->array()->front(), QVRPropertyList("$null"));
  const QVRPropertyList* root = archive.find("$top")->find("root");
  ASSERT_TRUE(root && root->uid());
  const QVRPropertyList& record = object(archive, *root);
  // Numbers and booleans in place, texts as objects of their own.
  EXPECT_EQ(*record.find("x"), QVRPropertyList(std::int64_t{42}));
  EXPECT_EQ(*record.find("visible"), QVRPropertyList(true));
  EXPECT_EQ(object(archive, *record.find("label")), QVRPropertyList("label"));
  EXPECT_EQ(object(archive, *record.find("$class")),
            QVRPropertyList(QVRPropertyList::Dictionary{
                {"$classname", "TestPoint"},
                {"$classes", QVRPropertyList::Array{"TestPoint", "NSObject"}}}));

  TestNode node{.name = "n", .items = {TestItem{std::int64_t{5}}, TestItem{std::string("n")}}};
  const QVRPropertyList nodeArchive = archivePropertyList(archived(node));
  const QVRPropertyList& nodeRecord = object(nodeArchive, *nodeArchive.find("$top")->find("root"));
  const QVRPropertyList& items = object(nodeArchive, *nodeRecord.find("items"));
  EXPECT_EQ(*object(nodeArchive, *items.find("$class")).find("$classname"),
            QVRPropertyList("NSArray"));
  // Elements of arrays are all references; equal texts are written once.
  const auto& elements = *items.find("NS.objects")->array();
  ASSERT_EQ(elements.size(), 2u);
  EXPECT_EQ(object(nodeArchive, elements[0]), QVRPropertyList(std::int64_t{5}));
  EXPECT_EQ(elements[1], *nodeRecord.find("name"));
}

TEST_F(QVRKeyedArchiverTests, AnObjectReferredToTwiceIsWrittenOnceAndDistinctEqualObjectsTwice) {
  const TestPoint shared{1, 1, true, "same"};
  const TestPoint twin = shared;
  const TestNode once{.name = "once", .first = &shared, .second = &shared};
  const TestNode twice{.name = "twice", .first = &shared, .second = &twin};
  EXPECT_EQ(recordsOfClass(archivePropertyList(archived(once)), "TestPoint"), 1u);
  EXPECT_EQ(recordsOfClass(archivePropertyList(archived(twice)), "TestPoint"), 2u);
  // Temporaries are never taken for one another, even when they reuse an address.
  QVRKeyedArchiver archiver;
  for (int index = 0; index < 3; ++index) {
    archiver.encodeObject("point" + std::to_string(index), TestPoint{index, 0, false, "t"});
  }
  EXPECT_EQ(recordsOfClass(archiver.archivedPropertyList(), "TestPoint"), 3u);
}

// Plain values go through the platform's records (NSArray, NSDictionary, scalar objects) and come
// back equal, for random values of every kind a property list holds.
TEST_F(QVRKeyedArchiverTests, PlainValuesRoundTripThroughTheirRecords) {
  const std::uint64_t seed = SeededRandom::testSeed(0xA2C417E);
  std::mt19937_64 random(seed);
  for (int round = 0; round < 500; ++round) {
    const bool xml = round % 2 == 1;
    const QVRPropertyList value = PropertyListTesting::randomPropertyList(random, {.xmlSafe = xml});
    QVRKeyedArchiver archiver;
    archiver.encodePropertyList("value", value);
    const auto bytes = archiver.finishedData(xml ? QVRPropertyListWriter::Format::xml
                                                 : QVRPropertyListWriter::Format::binary);
    ASSERT_TRUE(bytes.value) << "seed " << seed << " round " << round;
    QVRKeyedUnarchiver unarchiver(*bytes.value, {});
    const auto back = unarchiver.valueForKey("value").decodePlainValue();
    ASSERT_TRUE(back) << "seed " << seed << " round " << round;
    ASSERT_EQ(*back, value) << "seed " << seed << " round " << round;
    ASSERT_FALSE(unarchiver.error());
  }
}

// References take one, two or four bytes as the archive passes 256 and 65,536 objects: lists of
// distinct texts on both sides of each step read back the same in our reader and in libplist,
// which stands in for the platform's readers.
TEST_F(QVRKeyedArchiverTests, ListsOnBothSidesOfEachReferenceWidthReadBack) {
  std::set<int> widths;
  for (int count = 100; count < 33000; count += count < 140 ? 8 : count < 32700 ? 32560 : 40) {
    SCOPED_TRACE(count);
    QVRPropertyList::Array texts;
    for (int index = 0; index < count; ++index) texts.emplace_back("t" + std::to_string(index));
    QVRKeyedArchiver archiver;
    archiver.encodePropertyList("list", texts);
    const Bytes bytes = archived(archiver);
    widths.insert(bytes.at(bytes.size() - 25));
    QVRKeyedUnarchiver unarchiver(bytes, {});
    EXPECT_EQ(unarchiver.valueForKey("list").decodePlainValue(), QVRPropertyList(texts));
    plist_t root = nullptr;
    plist_from_bin(reinterpret_cast<const char*>(bytes.data()), std::uint32_t(bytes.size()), &root);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(plist_array_get_size(plist_dict_get_item(root, "$objects")),
              archivePropertyList(bytes).find("$objects")->array()->size());
    plist_free(root);
  }
  EXPECT_EQ(widths, (std::set<int>{1, 2, 4}));
}

// The archives that the program wrote before ("$archiver" "QVRKeyedArchiver", references as
// {"$ref": n}, texts and numbers in place) still read.
TEST_F(QVRKeyedArchiverTests, ArchivesOfTheEarlierFormatStillRead) {
  using Dictionary = QVRPropertyList::Dictionary;
  using Array = QVRPropertyList::Array;
  const auto ref = [](std::int64_t index) { return QVRPropertyList(Dictionary{{"$ref", index}}); };
  const QVRPropertyList legacy = Dictionary{
      {"$archiver", "QVRKeyedArchiver"},
      {"$version", std::int64_t{100000}},
      {"$top", Dictionary{{"root", ref(1)}}},
      {"$objects",
       Array{
           "$null",
           Dictionary{{"$class", ref(2)}, {"name", "old"}, {"items", ref(3)}, {"first", ref(5)}},
           Dictionary{{"$classname", "TestNode"}, {"$classes", Array{"TestNode", "NSObject"}}},
           Dictionary{{"$class", ref(4)}, {"NS.objects", Array{std::int64_t{7}, "seven", ref(5)}}},
           Dictionary{{"$classname", "NSArray"}, {"$classes", Array{"NSArray", "NSObject"}}},
           Dictionary{{"$class", ref(6)}, {"x", std::int64_t{3}}, {"label", "p"}},
           Dictionary{{"$classname", "TestPoint"}, {"$classes", Array{"TestPoint", "NSObject"}}}}},
  };
  const auto bytes =
      QVRPropertyListWriter::dataFromPropertyList(legacy, QVRPropertyListWriter::Format::binary);
  ASSERT_TRUE(bytes.value);
  auto decoded =
      QVRKeyedUnarchiver::unarchivedObjectOfClass<TestNode>(*bytes.value, allowedClasses());
  ASSERT_TRUE(decoded.value) << decoded.error->description();
  EXPECT_EQ(decoded.value->name, "old");
  const TestPoint point{3, 0, false, "p"};
  EXPECT_EQ(decoded.value->items, (TestItems{TestItem{std::int64_t{7}},
                                             TestItem{std::string("seven")}, TestItem{point}}));
  EXPECT_EQ(decoded.value->firstValue, point);
}

TEST_F(QVRKeyedArchiverTests, ArchivingToAFileIsAtomicAndAFailureIsLogged) {
  const TestPoint point{1, 2, true, "file"};
  const auto path = environment().applicationSupportDirectory() / "deep" / "point";
  EXPECT_TRUE(QVRKeyedArchiver::archiveRootObjectToFile(point, path));
  auto decoded = QVRKeyedUnarchiver::unarchiveObjectWithFile<TestPoint>(path, allowedClasses());
  ASSERT_TRUE(decoded.value);
  EXPECT_EQ(*decoded.value, point);

  const auto impossible = path / "under a file";
  EXPECT_FALSE(QVRKeyedArchiver::archiveRootObjectToFile(point, impossible));
  ASSERT_EQ(log().records().size(), 1u);
  EXPECT_EQ(log().records()[0].message, "Archiving to " + impossible.string());
  // A text the formats cannot carry fails the same way, before any file is touched.
  EXPECT_FALSE(QVRKeyedArchiver::archiveRootObjectToFile(
      TestPoint{0, 0, false, std::string("\0", 1)}, path));
  EXPECT_FALSE(QVRKeyedArchiver::archiveRootObjectToFile(TestPoint{0, 0, false, "\xC3("}, path));
  EXPECT_EQ(log().records().size(), 3u);
  EXPECT_EQ(*QVRKeyedUnarchiver::unarchiveObjectWithFile<TestPoint>(path, allowedClasses()).value,
            point);
}
