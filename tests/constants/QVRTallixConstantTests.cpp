// The built-in constants: the bundled list, entries of every kind, hidden choices that survive
// a new configuration, change announcements and order by title.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/QVRConfiguration.h"
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

QVRPropertyList entry(const char* name, QVRPropertyList value, bool hidden = false) {
  Dictionary dictionary{{"name", name}, {"value", std::move(value)}};
  if (hidden) dictionary.emplace("hidden", true);
  return dictionary;
}

std::string value(const char* name) {
  const auto constant = QVRTallixGlobalConstantNumber::constantNamed(name);
  return constant ? constant->description() : "none";
}

std::string titles(const std::vector<std::shared_ptr<QVRTallixConstantNumber>>& list) {
  std::string texts;
  for (const auto& constant : list) texts += constant->title() + "|";
  return texts;
}

TEST_F(QVRTallixConstants, TheBundledListKeepsEveryDigitTheDecimalHoldsAndTitlesFromItsTable) {
  EXPECT_EQ(value("Pi"), "Pi:0 3.1415926535897932384626433832795028842");
  EXPECT_EQ(value("Euler’s Number"), "Euler’s Number:0 2.71828182845904523536028747135266249776");
  EXPECT_EQ(value("pi") + value("Euler's Number"), "nonenone");
  EXPECT_EQ(QVRTallixGlobalConstantNumber::constantNamed("Speed of Light")->title(),
            "Speed of Light in Vacuum (m/s)");
  EXPECT_TRUE(log().lines().empty());
  ScopedEnvironment german("de_DE");
  EXPECT_EQ(QVRTallixGlobalConstantNumber::constantNamed("Euler’s Number")->title(),
            "Eulersche Zahl");
}

TEST_F(QVRTallixConstants, EntriesOfEveryKindAreReadOrSkippedWithALogLine) {
  ScopedEnvironment german("de_DE");
  configure({entry("Long", "3.14159265358979323846264338327950288419716"),
             entry("Third", 1.0 / 3.0), entry("Seven", 7), entry("Junk", "2.5 and more"),
             entry("Word", "abc"), entry("List", Array{1, 2}), entry("Flag", true),
             Dictionary{{"name", "Missing"}}, "no dictionary"});
  EXPECT_EQ(value("Long") + value("Third") + value("Seven") + value("Junk") + value("Word") +
                value("List"),
            "Long:0 3.1415926535897932384626433832795028842Third:0 0.3333333333333333Seven:0 "
            "7Junk:0 2.5Word:0 NaNnone");
  EXPECT_EQ(german.environment().memoryLogSink()->lines(),
            (std::vector<std::string>{"Unhandled value class NSArray:(1, 2)",
                                      "Unhandled value class NSNumber:1",
                                      "Unhandled value class (null):(null)"}));
}

TEST_F(QVRTallixConstants, TheUsersHiddenChoiceWinsOverTheConfiguration) {
  configure({entry("Pi", "3.14", true), entry("E", "2.718")});
  const auto pi = QVRTallixGlobalConstantNumber::constantNamed("Pi");
  EXPECT_TRUE(pi->isHidden());
  EXPECT_EQ(titles(QVRTallixConstantNumber::visibleConstants()), "E|");
  pi->setHidden(true);
  EXPECT_FALSE(environment().userDefaults().objectForKey("global.Pi.hidden"));
  pi->setHidden(false);
  EXPECT_EQ(environment().userDefaults().objectForKey("global.Pi.hidden"), QVRPropertyList(false));
  EXPECT_EQ(titles(QVRTallixConstantNumber::visibleConstants()), "E|Pi|");
  configure({entry("Pi", "3.14", true)});
  EXPECT_FALSE(QVRTallixGlobalConstantNumber::constantNamed("Pi")->isHidden());
  // The constant handed out before stays valid, but is no longer in the list.
  EXPECT_NE(QVRTallixGlobalConstantNumber::constantNamed("Pi"), pi);
  EXPECT_EQ(pi->description(), "Pi:0 3.14");
}

TEST_F(QVRTallixConstants, OnlyChangedValuesAreAnnounced) {
  configure({entry("Pi", "3.14")});
  QVRTallixGlobalConstantNumber::constants();
  NotificationRecorder recorder(environment().notificationCenter(),
                                std::string(QVRTallixGlobalConstantsDidChangeNotification));
  const std::pair<Array, std::size_t> steps[] = {{{entry("Pi", "3.14", true)}, 0},
                                                 {{entry("Pi", 3.14)}, 0},
                                                 {{entry("Pi", "3.1416")}, 1},
                                                 {{entry("Pi", "3.1416"), entry("E", 2)}, 2},
                                                 {{entry("E", 2)}, 3},
                                                 {{}, 4}};
  for (const auto& [entries, posts] : steps) {
    configure(entries);
    EXPECT_EQ(recorder.count(), posts);
  }
  EXPECT_EQ(recorder.records().front().object, nullptr);
  // Without constants the pi key types nothing.
  QVRTallixExpression expression;
  expression.handleKey(QVRTallixKeyTypePi);
  EXPECT_EQ(expression.stringDescription(), "0 = 0");
}

TEST_F(QVRTallixConstants, TitlesSortInTheUsersLocale) {
  Array entries;
  for (const char* name : {"b", "Z", "ä", "B", "a", "10", "9"}) entries.push_back(entry(name, 1));
  configure(entries);
  EXPECT_EQ(titles(QVRTallixConstantNumber::constants()), "10|9|a|ä|b|B|Z|");
  ScopedEnvironment swedish("sv_SE");
  configure(entries);
  EXPECT_EQ(titles(QVRTallixConstantNumber::constants()), "10|9|a|b|B|Z|ä|");
}

}  // namespace
