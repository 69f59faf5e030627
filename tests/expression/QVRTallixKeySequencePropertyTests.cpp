// 100,000 seeded random key sequences over every key type (and some beyond), with pastes of the
// shown result: after each sequence the cached result is a fresh evaluation's, an archive
// round trip gives the same expression, and the shown result pastes back as its value.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"
#include "common/QVRPasteboard.h"
#include "expression/QVRTallixExpression.h"
#include "support/NotificationRecorder.h"
#include "support/SeededRandom.h"
#include "support/TallixTest.h"

namespace {

class QVRTallixKeySequenceProperty : public TallixTest {};

constexpr std::uint64_t pasteKey = 1000;

// Keys weighted towards digits and operators, so that sequences make real calculations; one in
// ten is a paste, one in ten a key beyond the table.
std::uint64_t randomKey(SeededRandom& random) {
  const std::int64_t kind = random.between(0, 9);
  if (kind < 3) return static_cast<std::uint64_t>(random.between(0, 9));
  if (kind == 3) return static_cast<std::uint64_t>(random.between(13, 22));
  if (kind == 4) return pasteKey;
  if (kind == 5) return static_cast<std::uint64_t>(random.between(62, 70));
  return static_cast<std::uint64_t>(random.between(0, 61));
}

// What the display shows pastes back as the value it shows; a value that the display shows with
// every digit pastes back exactly.
void checkPaste(QVRTallixExpression& expression, QVRPasteboard& pasteboard) {
  const QVRTallixNumber shown = expression.result();
  const std::string text = shown.formattedString();
  pasteboard.declareTypes({std::string(QVRPasteboardTypeString)});
  pasteboard.setString(text, QVRPasteboardTypeString);
  const std::optional<QVRTallixNumber> pasted = QVRTallixNumber::tallixNumberFromPasteboard();
  const double magnitude = std::abs(shown.doubleValue());
  if (text.find('e') != std::string::npos || text.find("10^") != std::string::npos ||
      text == "Error")
    return;
  ASSERT_TRUE(pasted) << text;
  EXPECT_EQ(pasted->formattedString(), text);
  // Twelve digits at most are shown below 10^12.
  if (magnitude < 1e12 && shown.decimalNumber()->mantissa() < QVRUInt128(1'000'000'000'000)) {
    EXPECT_EQ(pasted->decimalNumber(), shown.decimalNumber()) << text;
  }
  expression.addOrReplaceWithNumber(*pasted);
}

TEST_F(QVRTallixKeySequenceProperty, RandomSequencesKeepTheirInvariants) {
  const std::uint64_t seed = SeededRandom::testSeed(20260105);
  SeededRandom random(seed);
  const std::vector<std::string> classes = QVRTallixExpression::archiveClassNames();
  for (int sequence = 0; sequence < 100000; ++sequence) {
    QVRTallixExpression expression;
    std::string keys;
    const auto length = random.between(1, 30);
    for (std::int64_t index = 0; index < length; ++index) {
      const std::uint64_t key = randomKey(random);
      keys += std::to_string(key) + " ";
      if (key == pasteKey) {
        checkPaste(expression, environment().pasteboard());
      } else {
        expression.handleKey(static_cast<QVRTallixKeyType>(key));
      }
      ASSERT_FALSE(expression.components().empty()) << "seed " << seed << ", keys " << keys;
    }
    SCOPED_TRACE("seed " + std::to_string(seed) + ", sequence " + std::to_string(sequence) +
                 ", keys " + keys);
    const QVRTallixNumber fresh = expression.resultForExpression(expression.components());
    ASSERT_TRUE(expression.result().decimalNumber().has_value());
    ASSERT_EQ(expression.result().decimalNumber(), fresh.decimalNumber());
    const std::string line = expression.stringDescription();

    // Through the archive's property list: the bytes of both formats have their own tests.
    QVRKeyedArchiver archiver;
    NotificationRecorder recorder(environment().notificationCenter(),
                                  std::string(QVRTallixExpressionDidChange));
    archiver.encodeObject(QVRKeyedArchiver::rootKey, expression);
    // Archiving counts as saving: the flag is cleared without an announcement.
    ASSERT_TRUE(!expression.isDirty() && recorder.count() == 0);
    QVRKeyedUnarchiver unarchiver =
        QVRKeyedUnarchiver::withPropertyList(archiver.archivedPropertyList(), classes);
    const auto decoded = unarchiver.decodeRootObjectOfClass<QVRTallixExpression>().value;
    ASSERT_TRUE(decoded);
    ASSERT_TRUE(decoded->isEqual(expression));
    ASSERT_EQ(decoded->components().size(), expression.components().size());
    for (std::size_t index = 0; index < decoded->components().size(); ++index) {
      ASSERT_TRUE(decoded->components()[index].isEqual(expression.components()[index]));
    }
    ASSERT_EQ(decoded->radMode(), expression.radMode());
    ASSERT_EQ(decoded->stringDescription(), line);
    if (::testing::Test::HasFailure()) return;
  }
}

}  // namespace
