// The user's own constants: identity, archives, the document's list operations and their
// announcements, the merge of two devices' lists, and hostile contents files.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/QVRConfiguration.h"
#include "common/QVRKeyedArchiver.h"
#include "constants/QVRTallixConstantNumbersContents.h"
#include "constants/QVRTallixConstantNumbersDocument.h"
#include "constants/QVRTallixGlobalConstantNumber.h"
#include "expression/QVRTallixExpression.h"
#include "support/NotificationRecorder.h"
#include "support/QVRCKDocumentTesting.h"

using namespace std::chrono_literals;
using tallix::detail::QVRTallixConstantNumbersDocument;
using Custom = QVRTallixCustomConstantNumber;
using List = Custom::List;

namespace {

std::shared_ptr<Custom> custom(const char* title, std::int64_t value, const char* uuid = nullptr) {
  QVRTallixNumber number{QVRTallixDecimal(value)};
  return uuid ? std::make_shared<Custom>(title, number, uuid)
              : std::make_shared<Custom>(title, number);
}

std::string titles(const List& list) {
  std::string text;
  for (const auto& constant : list) text += constant->title() + "|";
  return text;
}

// A component as an older program wrote it: a constant's own record under "tallixNumber".
struct ComponentWithConstant {
  const QVRTallixConstantNumber& constant;
  static std::string_view archiveClassName() { return "QVRTallixComponent"; }
  void encodeWithCoder(QVRKeyedArchiver& coder) const {
    coder.encodeObject("tallixNumber", constant);
  }
};

class QVRTallixCustomConstants : public QVRCKDocumentTest {
 protected:
  QVRTallixConstantNumbersDocument& document() {
    return QVRTallixConstantNumbersDocument::constantNumbersDocument();
  }
  std::filesystem::path contentsFile() {
    return environment().documentsDirectory() / "Main.customConstants" / "contents";
  }
  static QVRPropertyList::Data contentsArchive(const std::function<void(QVRKeyedArchiver&)>& fill) {
    QVRKeyedArchiver archiver;
    fill(archiver);
    archiver.encodeInteger("version", 1);
    return archiver.finishedData().value.value_or(QVRPropertyList::Data{});
  }
};

}  // namespace

TEST_F(QVRTallixCustomConstants, IdentityIsTheIdentifierAndSurvivesArchives) {
  const auto g = custom("g", 9);
  const auto twin = custom("g", 9);
  const auto renamed = custom("h", 1, g->uuid().c_str());
  const auto pi = QVRTallixGlobalConstantNumber::constantNamed("Pi");
  EXPECT_FALSE(g->isEqual(*twin));
  EXPECT_TRUE(g->isEqual(*renamed));
  EXPECT_FALSE(g->isEqual(*pi));
  EXPECT_EQ(g->uuid().size(), 36u);
  EXPECT_EQ(renamed->description(), "h:" + g->uuid() + " 1");

  // Decoded as the base class or as itself, from the constant or from inside a component.
  const auto bytes = *QVRKeyedArchiver::archivedDataWithRootObject(*g).value;
  const auto asBase = QVRKeyedUnarchiver::unarchivedObjectOfClass<QVRTallixConstantNumber>(
      bytes, QVRCoding::classNamesOf<QVRTallixConstantNumber>());
  const auto* decoded = dynamic_cast<const Custom*>(asBase.value.get());
  ASSERT_TRUE(decoded);
  EXPECT_TRUE(decoded->isEqual(*g));
  EXPECT_EQ(decoded->description(), g->description());
  for (const QVRTallixConstantNumber* constant :
       {static_cast<const QVRTallixConstantNumber*>(g.get()),
        static_cast<const QVRTallixConstantNumber*>(pi.get())}) {
    const auto component = QVRKeyedUnarchiver::unarchivedObjectOfClass<QVRTallixComponent>(
        *QVRKeyedArchiver::archivedDataWithRootObject(ComponentWithConstant{*constant}).value,
        QVRTallixExpression::archiveClassNames());
    ASSERT_TRUE(component.value) << constant->description();
    EXPECT_EQ(component.value->tallixNumber()->decimalNumber(), constant->decimalNumber());
  }

  // Records that name no constant: no uuid, an empty one, or a title that is no UTF-8.
  const struct {
    const char* uuid;
    std::string title;
  } broken[] = {
      {nullptr, "x"}, {"", "x"}, {"U", std::string("\xff", 1)}, {"U", std::string("a\0b", 3)}};
  for (const auto& record : broken) {
    SCOPED_TRACE(record.title);
    struct Raw {
      const char* uuid;
      std::string title;
      static std::string_view archiveClassName() { return "QVRTallixCustomConstantNumber"; }
      void encodeWithCoder(QVRKeyedArchiver& coder) const {
        coder.encodeString("decimalNumber", "1");
        coder.encodeString("title", title);
        if (uuid) coder.encodeString("uuid", uuid);
      }
    };
    const auto result = QVRKeyedUnarchiver::unarchivedObjectOfClass<QVRTallixConstantNumber>(
        *QVRKeyedArchiver::archivedDataWithRootObject(Raw{record.uuid, record.title}).value,
        QVRCoding::classNamesOf<QVRTallixConstantNumber>());
    EXPECT_FALSE(result.value);
  }
}

TEST_F(QVRTallixCustomConstants, ListOperationsSaveAndAnnounceOnlyRealChanges) {
  NotificationRecorder recorder(environment().notificationCenter(),
                                std::string(QVRTallixCustomConstantsDidChangeNotification), nullptr,
                                [] { return titles(Custom::constants()); });
  const auto a = custom("a", 1);
  const auto b = custom("b", 2);
  const auto c = custom("c", 3);
  const struct {
    const char* step;
    std::function<void()> change;
    const char* titles;
    bool announced;
  } steps[] = {
      // The first change is announced even though the list stays empty.
      {"clear empty", [] { Custom::removeAllConstants(); }, "", true},
      {"clear again", [] { Custom::removeAllConstants(); }, "", false},
      {"add", [&] { Custom::addConstant(a); }, "a|", true},
      {"add none", [] { Custom::addConstant(nullptr); }, "a|", false},
      {"insert front", [&] { Custom::insertConstant(b, 0); }, "b|a|", true},
      {"insert past end", [&] { Custom::insertConstant(c, 3); }, "b|a|", false},
      {"insert at end", [&] { Custom::insertConstant(c, 2); }, "b|a|c|", true},
      {"replace by same uuid",
       [&] { Custom::replaceConstantAtIndex(0, custom("B", 9, b->uuid().c_str())); }, "b|a|c|",
       false},
      {"replace out of range", [&] { Custom::replaceConstantAtIndex(3, custom("d", 4)); }, "b|a|c|",
       false},
      {"remove by twin", [&] { Custom::removeConstant(*custom("A", 5, a->uuid().c_str())); },
       "b|c|", true},
      {"remove unknown", [&] { Custom::removeConstant(*a); }, "b|c|", false},
      {"remove at count", [] { Custom::removeConstantAtIndex(2); }, "b|c|", false},
      {"remove last", [] { Custom::removeLastConstant(); }, "b|", true},
      {"replace", [&] { Custom::replaceConstantAtIndex(0, a); }, "a|", true},
      {"remove last again", [] { Custom::removeLastConstant(); }, "", true},
      {"remove last of none", [] { Custom::removeLastConstant(); }, "", false},
  };
  std::size_t posts = 0;
  for (const auto& step : steps) {
    SCOPED_TRACE(step.step);
    log().clear();
    step.change();
    EXPECT_EQ(titles(Custom::constants()), step.titles);
    EXPECT_EQ(Custom::constantCount(), Custom::constants().size());
    posts += step.announced;
    ASSERT_EQ(recorder.count(), posts);
    EXPECT_EQ(recorder.records().back().object, &document());
    if (step.announced) {
      EXPECT_EQ(recorder.records().back().snapshot, step.titles);
    }
    // Only a change is saved (and uploaded).
    EXPECT_EQ(log().countContaining("Modified Contents"), step.announced ? 1u : 0u);
  }
  EXPECT_FALSE(Custom::constantAtIndex(0));
  // The last state reaches the disk ten seconds later and reads back.
  Custom::addConstant(c);
  runLoop().advanceBy(10s);
  QVRTallixConstantNumbersDocument reopened("Main.customConstants", nullptr);
  ASSERT_EQ(reopened.constantCount(), 1u);
  EXPECT_EQ(reopened.constantAtIndex(0)->description(), c->description());
}

TEST_F(QVRTallixCustomConstants, MergeKeepsEveryConstantOfBothSidesServerFirst) {
  const auto a = custom("a", 1), b = custom("b", 2), c = custom("c", 3), d = custom("d", 4);
  const auto contents = [](List list) -> QVRCKDocument::Contents {
    return std::make_shared<QVRTallixConstantNumbersContents>(std::move(list));
  };
  const struct {
    const char* name;
    QVRCKDocument::Contents local, server;
    const char* merged;
  } cases[] = {
      {"no local", nullptr, contents({a}), "a|"},
      {"no server", contents({b}), nullptr, "b|"},
      {"both added", contents({a, b, c}), contents({a, b, d}), "a|b|d|c|"},
      // A renamed twin on the server is the same constant: the server's copy is kept.
      {"same uuid", contents({custom("A", 1, a->uuid().c_str()), c}), contents({a}), "a|c|"},
      // A local constant before the first shared one stays before it.
      {"server removed", contents({a, b}), contents({b}), "a|b|"},
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    const auto merged =
        QVRTallixConstantNumbersDocument::mergeLocalContents(testCase.local, testCase.server);
    const auto* list = dynamic_cast<const QVRTallixConstantNumbersContents*>(merged.get());
    ASSERT_TRUE(list);
    EXPECT_EQ(titles(list->constants()), testCase.merged);
  }
  // Contents of another kind cannot be merged: the local ones stay.
  const QVRCKDocument::Contents foreign =
      std::make_shared<QVRCKTestContents>(std::vector<std::string>{"x"});
  EXPECT_EQ(QVRTallixConstantNumbersDocument::mergeLocalContents(foreign, contents({a})), foreign);
  EXPECT_EQ(log().lines().back(),
            "Couldn't merge {items = (x)} with {constants = (" + a->description() + ")}");
}

TEST_F(QVRTallixCustomConstants, HostileContentsFilesLeaveAWorkingList) {
  const auto g = custom("g", 9);
  const auto valid = contentsArchive([&](QVRKeyedArchiver& archiver) {
    QVRTallixConstantNumbersContents({g}).encodeWithCoder(archiver, "contents");
  });
  QVRPropertyList::Data truncated(valid.begin(),
                                  valid.begin() + static_cast<std::ptrdiff_t>(valid.size() / 2));
  const auto mixed = contentsArchive([&](QVRKeyedArchiver& archiver) {
    archiver.encodeDictionary("contents", [&](QVRKeyedArchiver::DictionaryEncoder& dictionary) {
      dictionary.encodeArray("constants", [&](QVRKeyedArchiver::ArrayEncoder& array) {
        array.encodeString("no constant");
        array.encodeInteger(7);
        array.encodeObject(*g);
        array.encodeArray([](auto&) {});
      });
      dictionary.encodeString("other", "dropped");
    });
  });
  const auto foreign = contentsArchive([&](QVRKeyedArchiver& archiver) {
    archiver.encodeDictionary("contents", [&](QVRKeyedArchiver::DictionaryEncoder& dictionary) {
      dictionary.encodeArray("constants", [&](QVRKeyedArchiver::ArrayEncoder& array) {
        array.encodeObject(QVRTallixExpression());
      });
    });
  });
  const auto notADictionary =
      contentsArchive([](QVRKeyedArchiver& archiver) { archiver.encodeString("contents", "x"); });
  const auto huge = contentsArchive([&](QVRKeyedArchiver& archiver) {
    List many;
    for (int index = 0; index < 3000; ++index) many.push_back(custom("c", index));
    QVRTallixConstantNumbersContents(many).encodeWithCoder(archiver, "contents");
  });
  const struct {
    const char* name;
    QVRPropertyList::Data bytes;
    std::size_t count;
    bool keptAside;
    const char* logged;
  } cases[] = {
      {"valid", valid, 1, false, nullptr},
      {"truncated", truncated, 0, true, "Decoding record for QVRCKDocument"},
      {"garbage", {'b', 'p', 'l', 'i', 's', 't', '0', '0', 1, 2}, 0, true, "Decoding record"},
      {"wrong element kinds", mixed, 1, false, "Skipped 3 unreadable custom constants of 4"},
      {"foreign class", foreign, 0, true, "Decoding record"},
      {"no dictionary", notADictionary, 0, false, nullptr},
      {"huge", huge, 3000, false, nullptr},
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    std::filesystem::remove_all(contentsFile().parent_path());
    std::filesystem::create_directories(contentsFile().parent_path());
    write(contentsFile(), testCase.bytes);
    log().clear();
    QVRTallixConstantNumbersDocument opened("Main.customConstants", nullptr);
    EXPECT_EQ(opened.constantCount(), testCase.count);
    EXPECT_EQ(std::filesystem::exists(contentsFile()), !testCase.keptAside);
    if (testCase.logged) {
      EXPECT_EQ(log().countContaining(testCase.logged), 1u);
    }
    // The list still works and saves.
    opened.addConstant(custom("new", 1));
    runLoop().advanceBy(10s);
    EXPECT_EQ(QVRTallixConstantNumbersDocument("Main.customConstants", nullptr).constantCount(),
              testCase.count + 1);
  }
}

TEST_F(QVRTallixCustomConstants, AllConstantListsHoldTheCustomOnesSortedByTitle) {
  QVRConfiguration::sharedConfiguration().replaceValues(QVRPropertyList::Dictionary{
      {"constants",
       QVRPropertyList::Array{
           QVRPropertyList::Dictionary{{"name", "Pi"}, {"value", "3.14"}, {"hidden", true}},
           QVRPropertyList::Dictionary{{"name", "E"}, {"value", "2.7"}}}}});
  Custom::addConstant(custom("Z", 1));
  Custom::addConstant(custom("a", 2));
  Custom::addConstant(custom("E", 3));
  const auto listed = [](const std::vector<std::shared_ptr<QVRTallixConstantNumber>>& list) {
    std::string text;
    for (const auto& constant : list) text += constant->description() + "|";
    return text;
  };
  const auto& e = Custom::constantAtIndex(2)->uuid();
  // Equal titles keep the built-in one first.
  EXPECT_EQ(listed(QVRTallixConstantNumber::visibleConstants()),
            "a:" + Custom::constantAtIndex(1)->uuid() + " 2|E:0 2.7|E:" + e +
                " 3|Z:" + Custom::constantAtIndex(0)->uuid() + " 1|");
  EXPECT_EQ(QVRTallixConstantNumber::constants().size(), 5u);
}
