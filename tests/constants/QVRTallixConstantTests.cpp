// The built-in constants: the bundled list, entries of every kind, hidden choices that survive
// a new configuration, change announcements, order by title, and archives of constants.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/QVRConfiguration.h"
#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"
#include "common/QVRMemoryLogSink.h"
#include "common/QVRUserDefaults.h"
#include "constants/QVRTallixGlobalConstantNumber.h"
#include "expression/QVRTallixExpression.h"
#include "support/NotificationRecorder.h"
#include "support/ScopedEnvironment.h"
#include "support/TallixTest.h"

namespace {

using Dictionary = QVRPropertyList::Dictionary;
using Array = QVRPropertyList::Array;

class QVRTallixConstants : public TallixTest {
 protected:
  void configure(Array entries) {
    QVRConfiguration::sharedConfiguration().replaceValues(Dictionary{{"constants", entries}});
  }
};

std::string value(const char* name) {
  const auto constant = QVRTallixGlobalConstantNumber::constantNamed(name);
  return constant ? constant->description() : "none";
}

std::vector<std::string> titles(const std::vector<std::shared_ptr<QVRTallixConstantNumber>>& list) {
  std::vector<std::string> texts;
  for (const auto& constant : list) texts.push_back(constant->title());
  return texts;
}

TEST_F(QVRTallixConstants, TheBundledListKeepsEveryDigitTheDecimalHoldsAndTitlesFromItsTable) {
  EXPECT_EQ(value("Pi"), "Pi:0 3.1415926535897932384626433832795028842");
  EXPECT_EQ(value("Euler’s Number"), "Euler’s Number:0 2.71828182845904523536028747135266249776");
  EXPECT_EQ(value("pi"), "none");
  EXPECT_EQ(value("Euler's Number"), "none");
  EXPECT_EQ(QVRTallixGlobalConstantNumber::constantNamed("Speed of Light")->title(),
            "Speed of Light in Vacuum (m/s)");
  EXPECT_EQ(QVRTallixConstantNumber::constants().size(), 26u);
  EXPECT_LT(QVRTallixConstantNumber::visibleConstants().size(), 26u);
  EXPECT_TRUE(log().lines().empty());
  ScopedEnvironment german("de_DE");
  EXPECT_EQ(QVRTallixGlobalConstantNumber::constantNamed("Euler’s Number")->title(),
            "Eulersche Zahl");
  EXPECT_EQ(value("Pi"), "Pi:0 3.1415926535897932384626433832795028842");
}

TEST_F(QVRTallixConstants, EntriesOfEveryKindAreReadOrSkippedWithALogLine) {
  configure({Dictionary{{"name", "Long"}, {"value", "3.14159265358979323846264338327950288419716"}},
             Dictionary{{"name", "Third"}, {"value", 1.0 / 3.0}},
             Dictionary{{"name", "Seven"}, {"value", 7}},
             Dictionary{{"name", "Junk"}, {"value", "2.5 and more"}},
             Dictionary{{"name", "Word"}, {"value", "abc"}},
             Dictionary{{"name", "List"}, {"value", Array{1, 2}}},
             Dictionary{{"name", "Flag"}, {"value", true}}, Dictionary{{"name", "Missing"}},
             "no dictionary"});
  EXPECT_EQ(value("Long"), "Long:0 3.1415926535897932384626433832795028842");
  EXPECT_EQ(value("Third"), "Third:0 0.3333333333333333");
  EXPECT_EQ(value("Seven"), "Seven:0 7");
  EXPECT_EQ(value("Junk"), "Junk:0 2.5");
  EXPECT_EQ(value("Word"), "Word:0 NaN");
  EXPECT_EQ(value("List"), "none");
  EXPECT_EQ(log().lines(), (std::vector<std::string>{"Unhandled value class NSArray:(1, 2)",
                                                     "Unhandled value class NSNumber:1",
                                                     "Unhandled value class (null):(null)"}));
  // The decimal separator of the text is "." in every locale.
  ScopedEnvironment german("de_DE");
  configure({Dictionary{{"name", "Pi"}, {"value", "3.14"}}});
  EXPECT_EQ(value("Pi"), "Pi:0 3.14");
}

TEST_F(QVRTallixConstants, TheUsersHiddenChoiceWinsOverTheConfiguration) {
  const Dictionary hiddenPi{{"name", "Pi"}, {"value", "3.14"}, {"hidden", true}};
  configure({hiddenPi, Dictionary{{"name", "E"}, {"value", "2.718"}}});
  const auto pi = QVRTallixGlobalConstantNumber::constantNamed("Pi");
  EXPECT_TRUE(pi->isHidden());
  EXPECT_EQ(titles(QVRTallixConstantNumber::visibleConstants()), std::vector<std::string>{"E"});
  pi->setHidden(true);
  EXPECT_FALSE(environment().userDefaults().objectForKey("global.Pi.hidden"));
  pi->setHidden(false);
  EXPECT_EQ(environment().userDefaults().objectForKey("global.Pi.hidden"), QVRPropertyList(false));
  EXPECT_EQ(QVRTallixGlobalConstantNumber::visibleConstants().size(), 2u);
  configure({hiddenPi});
  EXPECT_FALSE(QVRTallixGlobalConstantNumber::constantNamed("Pi")->isHidden());
  // The constant handed out before stays valid, but is no longer in the list.
  EXPECT_NE(QVRTallixGlobalConstantNumber::constantNamed("Pi"), pi);
  EXPECT_EQ(pi->description(), "Pi:0 3.14");
}

TEST_F(QVRTallixConstants, OnlyChangedValuesAreAnnounced) {
  configure({Dictionary{{"name", "Pi"}, {"value", "3.14"}}});
  QVRTallixGlobalConstantNumber::constants();
  NotificationRecorder recorder(environment().notificationCenter(),
                                std::string(QVRTallixGlobalConstantsDidChangeNotification));
  const struct {
    Array entries;
    std::size_t posts;
  } steps[] = {
      {{Dictionary{{"name", "Pi"}, {"value", "3.14"}, {"hidden", true}}}, 0},
      {{Dictionary{{"name", "Pi"}, {"value", 3.14}}}, 0},
      {{Dictionary{{"name", "Pi"}, {"value", "3.1416"}}}, 1},
      {{Dictionary{{"name", "Pi"}, {"value", "3.1416"}}, Dictionary{{"name", "E"}, {"value", 2}}},
       2},
      {{Dictionary{{"name", "E"}, {"value", 2}}}, 3},
      {{}, 4},
  };
  for (const auto& step : steps) {
    configure(step.entries);
    EXPECT_EQ(recorder.count(), step.posts);
  }
  EXPECT_EQ(recorder.records().front().object, nullptr);
  // Without constants the pi key types nothing.
  QVRTallixExpression expression;
  expression.handleKey(QVRTallixKeyTypePi);
  EXPECT_EQ(expression.stringDescription(), "0 = 0");
}

TEST_F(QVRTallixConstants, TitlesSortInTheUsersLocale) {
  Array entries;
  for (const char* name : {"b", "Z", "ä", "B", "a", "10", "9"}) {
    entries.push_back(Dictionary{{"name", name}, {"value", 1}});
  }
  configure(entries);
  EXPECT_EQ(titles(QVRTallixConstantNumber::constants()),
            (std::vector<std::string>{"10", "9", "a", "ä", "b", "B", "Z"}));
  ScopedEnvironment swedish("sv_SE");
  configure(entries);
  EXPECT_EQ(titles(QVRTallixConstantNumber::constants()),
            (std::vector<std::string>{"10", "9", "a", "b", "B", "Z", "ä"}));
}

TEST_F(QVRTallixConstants, ArchivesKeepTheClassTitleAndValue) {
  const auto pi = QVRTallixGlobalConstantNumber::constantNamed("Pi");
  const QVRTallixConstantNumber named(pi->copy(), "Two");
  const std::vector<std::string> classes = QVRCoding::classNamesOf<QVRTallixConstantNumber>();
  const std::vector<const QVRTallixConstantNumber*> constants = {pi.get(), &named};
  for (const QVRTallixConstantNumber* constant : constants) {
    const auto bytes = QVRKeyedArchiver::archivedDataWithRootObject(*constant).value;
    const auto decoded =
        QVRKeyedUnarchiver::unarchivedObjectOfClass<QVRTallixConstantNumber>(*bytes, classes).value;
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->archiveClassName(), constant->archiveClassName());
    EXPECT_EQ(decoded->title(), constant->title());
    EXPECT_EQ(decoded->decimalNumber(), pi->decimalNumber());
  }
}

}  // namespace
