// The user's own constants: archives of constants, the list operations and their
// announcements, the merge of two lists, and hostile contents files.

#include <gtest/gtest.h>

#include <string>

#include "constants/QVRTallixConstantNumbersContents.h"
#include "constants/QVRTallixConstantNumbersDocument.h"
#include "constants/QVRTallixGlobalConstantNumber.h"
#include "expression/QVRTallixExpression.h"
#include "support/NotificationRecorder.h"
#include "support/QVRCKDocumentTesting.h"

using namespace std::chrono_literals;
using tallix::detail::QVRTallixConstantNumbersDocument;
using Custom = QVRTallixCustomConstantNumber;

namespace {

std::shared_ptr<Custom> custom(const char* title, std::int64_t value, const char* uuid = nullptr) {
  QVRTallixNumber number{QVRTallixDecimal(value)};
  return uuid ? std::make_shared<Custom>(title, number, uuid)
              : std::make_shared<Custom>(title, number);
}

std::string titles(const Custom::List& list) {
  std::string text;
  for (const auto& constant : list) text += constant->title() + "|";
  return text;
}

// A record as another program may write it: `fill` writes the keys of class `name`.
struct Record {
  std::string_view name;
  std::function<void(QVRKeyedArchiver&)> fill;
  std::string_view archiveClassName() const { return name; }
  void encodeWithCoder(QVRKeyedArchiver& coder) const { fill(coder); }
};

QVRPropertyList::Data contentsFile(const std::function<void(QVRKeyedArchiver&)>& fill) {
  QVRKeyedArchiver archiver;
  fill(archiver);
  archiver.encodeInteger("version", 1);
  return archiver.finishedData().value.value_or(QVRPropertyList::Data{});
}

}  // namespace

using QVRTallixCustomConstants = QVRCKDocumentTest;

// (A custom constant's identity and its archive are the list operations' test: it replaces and
// removes by identifier, and reads the saved list back.)
TEST_F(QVRTallixCustomConstants, BuiltInConstantsAndConstantsInComponentsDecode) {
  const auto g = custom("g", 9);
  // A built-in constant comes back as one, with its title and value.
  const auto pi = QVRTallixGlobalConstantNumber::constantNamed("Pi");
  const auto piRead = QVRKeyedUnarchiver::unarchivedObjectOfClass<QVRTallixConstantNumber>(
      *QVRKeyedArchiver::archivedDataWithRootObject(*pi).value,
      QVRCoding::classNamesOf<QVRTallixConstantNumber>());
  ASSERT_TRUE(dynamic_cast<const QVRTallixGlobalConstantNumber*>(piRead.value.get()));
  EXPECT_EQ(piRead.value->title(), pi->title());
  EXPECT_EQ(piRead.value->decimalNumber(), pi->decimalNumber());

  // A constant's record inside a component reads as its value.
  const Record component{"QVRTallixComponent",
                         [&](auto& coder) { coder.encodeObject("tallixNumber", *g); }};
  const auto read = QVRKeyedUnarchiver::unarchivedObjectOfClass<QVRTallixComponent>(
      *QVRKeyedArchiver::archivedDataWithRootObject(component).value,
      QVRTallixExpression::archiveClassNames());
  ASSERT_TRUE(read.value);
  EXPECT_EQ(read.value->tallixNumber()->decimalNumber(), g->decimalNumber());
  // A record without its identifier names no custom constant.
  const Record anonymous{"QVRTallixCustomConstantNumber",
                         [](auto& coder) { coder.encodeString("decimalNumber", "1"); }};
  EXPECT_FALSE(QVRKeyedUnarchiver::unarchivedObjectOfClass<QVRTallixConstantNumber>(
                   *QVRKeyedArchiver::archivedDataWithRootObject(anonymous).value,
                   QVRCoding::classNamesOf<QVRTallixConstantNumber>())
                   .value);
}

TEST_F(QVRTallixCustomConstants, ListOperationsSaveAndAnnounceOnlyRealChanges) {
  NotificationRecorder recorder(environment().notificationCenter(),
                                std::string(QVRTallixCustomConstantsDidChangeNotification), nullptr,
                                [] { return titles(Custom::constants()); });
  const auto a = custom("a", 1), b = custom("b", 2), c = custom("c", 3);
  const struct {
    std::function<void()> change;
    const char* titles;
    bool announced;
  } steps[] = {
      // The first change is announced though the list stays empty.
      {[] { Custom::removeAllConstants(); }, "", true},
      {[&] { Custom::addConstant(a); }, "a|", true},
      {[&] { Custom::insertConstant(b, 0); }, "b|a|", true},
      {[&] { Custom::insertConstant(c, 2); }, "b|a|c|", true},
      {[&] { Custom::replaceConstantAtIndex(0, custom("B", 9, b->uuid().c_str())); }, "b|a|c|",
       false},
      {[&] { Custom::replaceConstantAtIndex(3, custom("d", 4)); }, "b|a|c|", false},
      {[&] { Custom::removeConstant(*custom("A", 5, a->uuid().c_str())); }, "b|c|", true},
      {[] { Custom::removeLastConstant(); }, "b|", true},
      {[&] { Custom::replaceConstantAtIndex(0, a); }, "a|", true},
      {[] { Custom::removeLastConstant(); }, "", true},
      {[] { Custom::removeLastConstant(); }, "", false},
  };
  std::size_t posts = 0, step = 0;
  for (const auto& each : steps) {
    SCOPED_TRACE("step " + std::to_string(step++));
    log().clear();
    each.change();
    EXPECT_EQ(titles(Custom::constants()), each.titles);
    posts += each.announced;
    ASSERT_EQ(recorder.count(), posts);
    EXPECT_EQ(recorder.records().back().object,
              &QVRTallixConstantNumbersDocument::constantNumbersDocument());
    if (each.announced) {
      EXPECT_EQ(recorder.records().back().snapshot, each.titles);
    }
    // Only a change is saved (and uploaded).
    EXPECT_EQ(log().countContaining("Modified Contents"), each.announced ? 1u : 0u);
  }
  Custom::addConstant(c);
  runLoop().advanceBy(10s);
  QVRTallixConstantNumbersDocument reopened("Main.customConstants", nullptr);
  ASSERT_EQ(reopened.constantCount(), 1u);
  EXPECT_EQ(reopened.constantAtIndex(0)->description(), c->description());
  EXPECT_FALSE(reopened.constantAtIndex(1));
}

TEST_F(QVRTallixCustomConstants, MergeKeepsEveryConstantOfBothSidesServerFirst) {
  const auto a = custom("a", 1), b = custom("b", 2), c = custom("c", 3), d = custom("d", 4);
  const auto contents = [](Custom::List list) -> QVRCKDocument::Contents {
    return std::make_shared<QVRTallixConstantNumbersContents>(std::move(list));
  };
  // clang-format off
  const struct { QVRCKDocument::Contents local, server; const char* merged; } cases[] = {
      {contents({a, b, c}), contents({a, b, d}), "a|b|d|c|"},
      // A renamed twin is the same constant: the server's copy stays.
      {contents({custom("A", 1, a->uuid().c_str()), c}), contents({a}), "a|c|"},
  };
  // clang-format on
  for (const auto& each : cases) {
    SCOPED_TRACE(each.merged);
    const auto merged =
        QVRTallixConstantNumbersDocument::mergeLocalContents(each.local, each.server);
    const auto* list = dynamic_cast<const QVRTallixConstantNumbersContents*>(merged.get());
    ASSERT_TRUE(list);
    EXPECT_EQ(titles(list->constants()), each.merged);
  }
  const QVRCKDocument::Contents foreign =
      std::make_shared<QVRCKTestContents>(std::vector<std::string>{"x"});
  EXPECT_EQ(QVRTallixConstantNumbersDocument::mergeLocalContents(foreign, contents({a})), foreign);
  EXPECT_EQ(log().lines().back(),
            "Couldn't merge {items = (x)} with {constants = (" + a->description() + ")}");
}

TEST_F(QVRTallixCustomConstants, HostileContentsFilesLeaveAWorkingList) {
  const auto g = custom("g", 9);
  const auto list = [&](std::function<void(QVRKeyedArchiver::ArrayEncoder&)> elements) {
    return contentsFile([&](QVRKeyedArchiver& archiver) {
      archiver.encodeDictionary("contents", [&](QVRKeyedArchiver::DictionaryEncoder& entries) {
        entries.encodeArray("constants", elements);
      });
    });
  };
  const auto valid = list([&](auto& array) { array.encodeObject(*g); });
  const struct {
    QVRPropertyList::Data bytes;
    std::size_t count;
    const char* logged;  // kept aside when it is the decoding failure
  } cases[] = {
      {{valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(valid.size() / 2)},
       0,
       "Decoding record for QVRCKDocument"},
      {list([&](auto& array) {
         array.encodeString("no constant");
         array.encodeInteger(7);
         array.encodeObject(*g);
         array.encodeArray([](auto&) {});
       }),
       1, "Skipped 3 unreadable custom constants of 4"},
      {list([](auto& array) { array.encodeObject(QVRTallixExpression()); }), 0,
       "Decoding record for QVRCKDocument"},
      {contentsFile([](QVRKeyedArchiver& archiver) { archiver.encodeString("contents", "x"); }), 0,
       ""},
  };
  const auto file = directory("Main.customConstants") / "contents";
  for (const auto& each : cases) {
    SCOPED_TRACE(each.logged);
    std::filesystem::remove_all(file.parent_path());
    std::filesystem::create_directories(file.parent_path());
    write(file, each.bytes);
    log().clear();
    QVRTallixConstantNumbersDocument opened("Main.customConstants", nullptr);
    EXPECT_EQ(opened.constantCount(), each.count);
    if (*each.logged) {
      EXPECT_EQ(log().countContaining(each.logged), 1u);
    }
    EXPECT_EQ(std::filesystem::exists(file), std::string_view(each.logged).find("Decoding") != 0);
    // The list still works and saves.
    opened.addConstant(custom("new", 1));
    runLoop().advanceBy(10s);
    EXPECT_EQ(QVRTallixConstantNumbersDocument("Main.customConstants", nullptr).constantCount(),
              each.count + 1);
  }
}
