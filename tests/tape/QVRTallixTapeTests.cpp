#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>

#include "common/QVRKeyedArchiver.h"
#include "expression/QVRTallixExpression.h"
#include "support/ArchiveTestClasses.h"
#include "support/NotificationRecorder.h"
#include "support/TallixTest.h"
#include "tape/QVRTallixTape.h"

using namespace std::chrono_literals;

namespace {

using Expression = QVRTallixTape::Expression;

// "2+3" typed key by key (the first number stays editable), "#5" the bare result that Enter
// leaves on the display; both end with Equal, as saved calculations do.
Expression calculation(std::string_view keys) {
  auto expression = std::make_shared<QVRTallixExpression>();
  if (keys.starts_with("#"))
    expression->addNumber(
        QVRTallixNumber::tallixNumberWithDoubleValue(std::stod(std::string(keys.substr(1)))));
  for (const char key : keys.starts_with("#") ? "" : keys) {
    if (key == '+') expression->addOperation(QVRTallixOperationAdd);
    if (key != '+') expression->addDigit(static_cast<std::uint64_t>(key - '0'));
  }
  expression->addOperation(QVRTallixOperationEqual);
  return expression;
}

class QVRTallixTapeTests : public TallixTest {};

}  // namespace

// One tape through a sequence of edits: what each leaves and which notifications it posts
// ("CAF": changed expressions, appended, changed favorites).
TEST_F(QVRTallixTapeTests, EditsFollowTheRulesAndAnnounceExactlyTheirChanges) {
  QVRTallixTape tape("Tallix.tape", nullptr);
  std::map<std::string, std::string> label;
  const auto named = [&](const char* name, std::string_view keys) {
    Expression expression = calculation(keys);
    label[expression->uuid()] = name;
    return expression;
  };
  const auto typed = named("typed", "5"), bare5 = named("bare5", "#5"), sum = named("sum", "2+3");
  const auto bare7 = named("bare7", "#7"), x = named("x", "1+1"), out = named("out", "9+9");
  const auto bare5b = named("bare5b", "#5"), bare9 = named("bare9", "#9"), bare9b = named("", "#9");
  // The same identities as sum and x in other objects.
  const Expression sum2 = sum->snapshot(), x2 = x->snapshot();
  auto& center = environment().notificationCenter();
  const std::string names[] = {std::string(QVRTallixTapeDidChangeExpressionsNotification),
                               std::string(QVRTallixTapeDidAppendExpressionNotification),
                               std::string(QVRTallixTapeDidChangeFavoritesNotification)};
  NotificationRecorder changes(center, names[0], &tape), appends(center, names[1], &tape),
      favorites(center, names[2], &tape);
  const auto add = [&](const Expression& e, bool taken) {
    EXPECT_EQ(tape.addExpression(e), taken);
  };
  // clang-format off
  const struct { const char* what; std::function<void()> edit; const char* list; const char* favorites;
                 const char* posted; } steps[] = {
    // The missing last entry counts as an equal result.
    {"bare on empty", [&] { add(bare5, false), add(nullptr, false); }, "", "", "000"},
    // The first change announces the favorites too, though there are none.
    {"typed number", [&] { add(typed, true); }, "typed", "", "111"},
    {"bare repeat", [&] { add(bare5, false); }, "typed", "", "000"},
    {"three components", [&] { add(sum, true); }, "typed sum", "", "110"},
    {"bare, new result", [&] { add(bare7, true); }, "typed sum bare7", "", "110"},
    {"favorites", [&] { tape.setFavorites({bare7, sum}); }, "typed sum bare7", "sum bare7", "001"},
    {"insert first", [&] { tape.insertExpression(x, 0); }, "x typed sum bare7", "sum bare7", "100"},
    {"remove equal", [&] { tape.removeExpression(sum2); }, "x typed bare7", "bare7", "101"},
    {"replace by equal", [&] { tape.replaceExpressionAtIndex(0, x2); }, "x typed bare7", "bare7",
     "000"},
    {"out of range", [&] {
       tape.removeExpressionAtIndex(3), tape.insertExpression(out, 4);
       tape.replaceExpressionAtIndex(3, out), tape.removeFavoriteAtIndex(1);
       EXPECT_FALSE(tape.expressionAtIndex(3) || tape.favoriteAtIndex(1));
     }, "x typed bare7", "bare7", "000"},
    // Identity first: of two entries with x's uuid the one that is the same object goes.
    {"append a twin", [&] { tape.insertExpression(x2, 3); }, "x typed bare7 x", "bare7", "110"},
    {"remove same", [&] { tape.removeExpression(x2); EXPECT_EQ(tape.expressionAtIndex(0), x); },
     "x typed bare7", "bare7", "100"},
    {"favorite not on the tape", [&] {
       tape.setFavorites({out});
       EXPECT_EQ(*tape.favoriteUUIDs(), std::vector{out->uuid()});
     }, "x typed bare7", "", "001"},
    {"add favorites", [&] { tape.addFavorite(bare7), tape.addFavorite(x); }, "x typed bare7",
     "x bare7", "002"},
    {"non-favorites", [&] { tape.removeAllNonFavoriteExpressions(); }, "x bare7", "x bare7", "100"},
    // A batch takes each by the rule against the last one taken, as one change.
    {"batch", [&] { EXPECT_EQ(tape.addExpressions({nullptr, bare5, bare5b, out}), 2u); },
     "x bare7 bare5 out", "x bare7", "100"},
    {"batch of one", [&] { EXPECT_EQ(tape.addExpressions({bare9, bare9b}), 1u); },
     "x bare7 bare5 out bare9", "x bare7", "110"},
    {"batch refused", [&] { EXPECT_EQ(tape.addExpressions({bare9b}), 0u); },
     "x bare7 bare5 out bare9", "x bare7", "000"},
    {"clear", [&] { tape.removeAllExpressions(); }, "", "", "101"},
  };
  // clang-format on
  const auto labels = [&](const QVRTallixTape::ExpressionList& list) {
    std::string text;
    for (const auto& expression : list)
      text += (text.empty() ? "" : " ") + label[expression->uuid()];
    return text;
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    const std::size_t before[] = {changes.count(), appends.count(), favorites.count()};
    step.edit();
    EXPECT_EQ(labels(tape.expressions()), step.list);
    EXPECT_EQ(labels(tape.favorites()), step.favorites);
    EXPECT_EQ(std::to_string(changes.count() - before[0]) +
                  std::to_string(appends.count() - before[1]) +
                  std::to_string(favorites.count() - before[2]),
              step.posted);
  }
  EXPECT_TRUE(tape.favoriteUUIDs()->empty());
}

namespace {

// An expression record whose components are no list: the expression's decoder refuses it.
struct BrokenExpression {
  static std::string_view archiveClassName() { return "QVRTallixExpression"; }
  void encodeWithCoder(QVRKeyedArchiver& coder) const { coder.encodeString("components", "1+"); }
};

// A contents file whose "contents" dictionary `build` fills.
QVRPropertyList::Data tapeFile(
    const std::function<void(QVRKeyedArchiver::DictionaryEncoder&)>& build) {
  QVRKeyedArchiver archiver;
  archiver.encodeDictionary(QVRCKDocumentContentsKey, build);
  archiver.encodeInteger(QVRCKDocumentVersionKey, 1);
  return archiver.finishedData().value.value_or(QVRPropertyList::Data{});
}

}  // namespace

// Contents files that are cut, of the wrong shape or of foreign classes leave a working tape:
// unreadable files are logged and kept aside, bad entries of a readable list skipped and logged.
TEST_F(QVRTallixTapeTests, HostileContentsFilesLeaveAWorkingTape) {
  const auto one = calculation("1+2"), two = calculation("3+4");
  using Array = QVRKeyedArchiver::ArrayEncoder;
  const auto list = [](std::function<void(Array&)> elements) {
    return [elements](auto& dictionary) { dictionary.encodeArray("expressions", elements); };
  };
  const auto valid = tapeFile([&](auto& dictionary) {
    list([&](Array& array) { array.encodeObject(*one), array.encodeObject(*two); })(dictionary);
    dictionary.encodeArray("favoriteUUIDs", [&](Array& array) {
      array.encodeInteger(7), array.encodeString(two->uuid());
    });
  });
  // clang-format off
  const struct { const char* what; QVRPropertyList::Data bytes; std::size_t expressions, favorites;
                 const char* logged; bool aside; } cases[] = {
    {"valid, a favorite no text", valid, 2, 1, "Skipped 1 unreadable entries of the tape", false},
    {"elements of other kinds", tapeFile(list([&](Array& array) {
       array.encodeObject(*one), array.encodeString("2+2"), array.encodeInteger(4);
       array.encodeObject(BrokenExpression{}), array.encodeObject(*two);
     })), 2, 0, "Skipped 3 unreadable entries of the tape", false},
    {"truncated", QVRPropertyList::Data(valid.begin(), valid.begin() + valid.size() / 2), 0, 0,
     "Decoding record for QVRCKDocument", true},
    {"expressions a text", tapeFile([](auto& d) { d.encodeString("expressions", "1+2"); }), 0, 0,
     "the tape's expressions are no list", true},
    {"element of a foreign class", tapeFile(list([](Array& array) {
       array.encodeObject(ArchiveTestClasses::TestPoint{});
     })), 0, 0, "TestPoint", true},
  };
  // clang-format on
  const auto directory = environment().documentsDirectory() / "Tallix.tape";
  for (const auto& test : cases) {
    SCOPED_TRACE(test.what);
    std::filesystem::remove_all(directory);
    std::filesystem::create_directories(directory);
    std::ofstream(directory / "contents", std::ios::binary)
        .write(reinterpret_cast<const char*>(test.bytes.data()),
               static_cast<std::streamsize>(test.bytes.size()));
    log().clear();
    {
      QVRTallixTape tape("Tallix.tape", nullptr);
      EXPECT_EQ(tape.expressionCount(), test.expressions);
      EXPECT_EQ(tape.favoriteCount(), test.favorites);
      EXPECT_EQ(log().countContaining(test.logged), 1U) << testing::PrintToString(log().lines());
      EXPECT_EQ(std::filesystem::exists(directory / "contents"), !test.aside);
      EXPECT_TRUE(tape.addExpression(calculation("9+9")));
      runLoop().advanceBy(10s);
    }
    EXPECT_EQ(QVRTallixTape("Tallix.tape", nullptr).expressionCount(), test.expressions + 1);
  }
}
