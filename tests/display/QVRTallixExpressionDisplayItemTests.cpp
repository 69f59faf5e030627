// Display items: building them from expressions, their equality and texts, and the layout's
// rules checked on a scripted engine (exact numbers, failures) and on the real engines (the
// engines' own measurements as the oracle).

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "display/QVRTallixExpressionDisplayItem.h"
#include "display/QVRTerminalCellLayoutEngine.h"
#include "expression/QVRTallixExpression.h"
#include "support/KeyTyping.h"
#include "support/SeededRandom.h"
#include "support/TallixTest.h"

namespace {

using Item = QVRTallixExpressionDisplayItem;
using Items = std::vector<Item>;

// An engine with fixed measures: every code point 8.5 wide at y = -0.5, images from a table.
// It can fail to make lines, add glyphs past the text, or draw two characters with one glyph.
class ScriptedEngine final : public QVRTextLayoutEngine {
 public:
  enum class Lines { normal, none, extraGlyphs, pairs };
  Lines lines = Lines::normal;
  std::map<std::string, double, std::less<>> images = {
      {"Expression_Add", 12.9}, {"Expression_SIN", 20.2}, {"Expression_TrigMode_Degree", 30}};
  int imageLookups = 0;

  std::optional<std::vector<QVRLaidOutGlyph>> layoutLine(std::string_view text, double) override {
    if (lines == Lines::none) return std::nullopt;
    std::vector<QVRLaidOutGlyph> glyphs;
    double x = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
      if (lines == Lines::pairs && glyphs.size() == 1 && glyphs.back().advance < 17) {
        glyphs.back().advance += 8.5;
      } else {
        glyphs.push_back({i, x, -0.5, 8.5});
      }
      x += 8.5;
    }
    if (lines == Lines::extraGlyphs) glyphs.push_back({text.size() + 4, 1000, 0, 8.5});
    return glyphs;
  }
  double widthOfText(std::string_view text, double) override {
    return 8.5 * static_cast<double>(std::count_if(text.begin(), text.end(), [](char c) {
             return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
           }));
  }
  std::optional<double> widthOfImage(std::string_view imageName) override {
    ++imageLookups;
    const auto found = images.find(imageName);
    return found == images.end() ? std::nullopt : std::optional<double>(found->second);
  }
};

QVRTallixComponent number(const char* text) {
  return QVRTallixComponent(
      QVRTallixAnyNumber(QVRTallixNumber(QVRTallixDecimal::fromString(text))));
}
QVRTallixComponent operation(QVRTallixOperation value) {
  return QVRTallixComponent(value);
}

std::unique_ptr<QVRTallixExpression> typed(const std::string& keys) {
  auto expression = std::make_unique<QVRTallixExpression>();
  KeyTyping::type(*expression, keys);
  return expression;
}

std::string names(const Items& items) {
  std::string text;
  for (const Item& item : items) text += (text.empty() ? "" : " ") + item.name().value_or("?");
  return text;
}

Items digits(std::initializer_list<const char*> characters) {
  Items items;
  for (const char* character : characters) items.push_back(Item::initWithDigit(character));
  return items;
}

class QVRTallixExpressionDisplayItemTest : public TallixTest {};

TEST_F(QVRTallixExpressionDisplayItemTest, BuildsItemsFromComponents) {
  QVRTallixExpression::ComponentList finished;
  finished.push_back(number("2"));
  finished.push_back(operation(QVRTallixOperationAdd));
  finished.push_back(number("1234.5"));
  finished.push_back(operation(QVRTallixOperationEqual));
  struct Case {
    std::unique_ptr<QVRTallixExpression> expression;
    const char* names;
  } cases[] = {
      {typed("12+3"), "1 2 Add 3"},
      {std::make_unique<QVRTallixExpression>(std::move(finished)), "2 Add 1,234.5"},
      {typed("(12-4)*"), "( 1 2 Subtract 4 ) Multiply"},
      {typed("30 sin sq"), "TrigMode_Degree 3 0 SIN XPOW2"},
      {typed("rad 1 atan"), "TrigMode_Radian 1 ATAN"},
      {typed("1 sinh"), "1 SINH"},
      {typed("5.±"), "- 5 ."},
      {typed("7 pi"), "3.14159265359"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expression->stringDescription());
    const Items items = Item::displayItemsWithoutLayout(*c.expression);
    EXPECT_EQ(names(items), c.names);
    for (const Item& item : items) {
      EXPECT_EQ(item.frame(), QVRRect());
      const bool image = item.type() == QVRTallixExpressionDisplayItemTypeOperation ||
                         item.type() == QVRTallixExpressionDisplayItemTypeTrignometricMode;
      EXPECT_EQ(item.imageName(),
                image ? std::optional(QVRImageName("Expression_" + *item.name())) : std::nullopt);
    }
  }
}

TEST_F(QVRTallixExpressionDisplayItemTest, EqualityIgnoresFramesAndNeedsTheSameKind) {
  Item framed = Item::initWithOperationComponent(operation(QVRTallixOperationAdd));
  framed.setFrame({10, 1, 12, 0});
  const QVRTallixNumber five(QVRTallixDecimal::fromString("5"));
  const QVRTallixNumber fiveAgain(QVRTallixDecimal::fromString("5.0"));
  struct Case {
    Item left, right;
    bool equal;
  } cases[] = {
      {Item::initWithOperationComponent(operation(QVRTallixOperationAdd)), framed, true},
      {Item::initWithOperationComponent(operation(QVRTallixOperationSubtract)), framed, false},
      {Item::initWithDigit("5"), Item::initWithCalculatedNumber(five), false},
      {Item::initWithDigit("5"), Item::initWithDigit("5"), true},
      {Item::initWithDigit("("),
       Item::initWithOperationComponent(operation(QVRTallixOperationOpenParenthesis)), false},
      {Item::initWithCalculatedNumber(five), Item::initWithCalculatedNumber(fiveAgain), true},
      {Item::initWithCalculatedNumber(five), Item::initWithCalculatedNumber(QVRTallixNumber::nan()),
       false},
      {Item::initWithTrignometricMode(true), Item::initWithTrignometricMode(true), true},
      {Item::initWithTrignometricMode(true), Item::initWithTrignometricMode(false), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.left.description() + " / " + c.right.description());
    EXPECT_EQ(c.left.isEqual(c.right), c.equal);
    EXPECT_EQ(c.right.isEqual(c.left), c.equal);
  }
}

TEST_F(QVRTallixExpressionDisplayItemTest, DescriptionsUseTheRectangleText) {
  Item digit = Item::initWithDigit("7");
  digit.setFrame({0.5, 1, 9, 0});
  Item add = Item::initWithOperationComponent(operation(QVRTallixOperationAdd));
  add.setFrame({12, 0, 11.25, 0});
  Item result =
      Item::initWithCalculatedNumber(QVRTallixNumber(QVRTallixDecimal::fromString("1234.5")));
  result.setFrame({0, 0, 1e21, 0});
  const Item unknown = Item::initWithOperationComponent(operation(QVRTallixOperation(77)));
  struct Case {
    const Item& item;
    const char* text;
  } cases[] = {
      {digit, "'7' {{0.5, 1}, {9, 0}}"},
      {add, "<Add> {{12, 0}, {11.25, 0}}"},
      {result, "(1,234.5) {{0, 0}, {1e+21, 0}}"},
      {unknown, "<(null)> {{0, 0}, {0, 0}}"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.item.description(), c.text);
  EXPECT_EQ(Item::initWithTrignometricMode(true).description(), "RAD");
  EXPECT_EQ(Item::initWithTrignometricMode(false).description(), "DEG");
  EXPECT_EQ(unknown.imageName(), std::nullopt);
}

TEST_F(QVRTallixExpressionDisplayItemTest, ScriptedEngineGivesExactFrames) {
  ScriptedEngine engine;
  const QVRTallixTextAttributes attributes(engine);
  // DEG (30 wide), "(", "1", "2" run, SIN (20), Add (12), "3" run, then an unknown image.
  Items items = {Item::initWithTrignometricMode(false),
                 Item::initWithDigit("("),
                 Item::initWithDigit("1"),
                 Item::initWithDigit("2"),
                 Item::initWithOperationComponent(operation(QVRTallixOperationSIN)),
                 Item::initWithOperationComponent(operation(QVRTallixOperationAdd)),
                 Item::initWithDigit("3"),
                 Item::initWithOperationComponent(operation(QVRTallixOperationCOS)),
                 Item::initWithOperationComponent(operation(QVRTallixOperationAdd))};
  Item::layoutDisplayItems(items, attributes);
  const std::vector<QVRRect> frames = {{0, 0, 30, 0},     {33, 1, 9, 0},  {41.5, -0.5, 9, 0},
                                       {50, -0.5, 9, 0},  {62, 0, 20, 0}, {85, 0, 12, 0},
                                       {100, -0.5, 9, 0}, {112, 0, 0, 0}, {115, 0, 12, 0}};
  for (std::size_t i = 0; i < items.size(); ++i) {
    SCOPED_TRACE(items[i].description());
    EXPECT_EQ(items[i].frame(), frames[i]);
  }
  // Add measured once, COS found missing once; the second layout measures nothing.
  EXPECT_EQ(engine.imageLookups, 4);
  Item::layoutDisplayItems(items, attributes);
  EXPECT_EQ(engine.imageLookups, 4);
}

TEST_F(QVRTallixExpressionDisplayItemTest, ScriptedEngineFailures) {
  struct Case {
    ScriptedEngine::Lines lines;
    Items run;
    std::vector<QVRRect> frames;  // of the run's items, then of the Add after it
  } cases[] = {
      // No line: empty frames, and the pen restarts from 0.
      {ScriptedEngine::Lines::none, digits({"1", "2"}), {{}, {}, {3, 0, 12, 0}}},
      // Glyphs past the text are ignored.
      {ScriptedEngine::Lines::extraGlyphs, digits({"1"}), {{0, -0.5, 9, 0}, {12, 0, 12, 0}}},
      // One glyph for two characters: they share it.
      {ScriptedEngine::Lines::pairs,
       digits({"1", "2", "3"}),
       {{0, -0.5, 9, 0}, {8.5, -0.5, 9, 0}, {17, -0.5, 9, 0}, {29, 0, 12, 0}}},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.lines));
    ScriptedEngine engine;
    engine.lines = c.lines;
    Items items = c.run;
    items.push_back(Item::initWithOperationComponent(operation(QVRTallixOperationAdd)));
    Item::layoutDisplayItems(items, QVRTallixTextAttributes(engine));
    ASSERT_EQ(items.size(), c.frames.size());
    for (std::size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i].frame(), c.frames[i]) << i;
  }
}

// The rules checked on a real engine, against the engine's own measures.
class DisplayLayoutOnEngine : public TallixTest, public ::testing::WithParamInterface<const char*> {
 protected:
  QVRTextLayoutEngine& engine() { return QVRTerminalCellLayoutEngine::sharedEngine(); }
  double glyphAdvance(std::string_view character) {
    return engine().layoutLine(character, QVRTallixExpressionDisplayFontSize)->front().advance;
  }
};

TEST_P(DisplayLayoutOnEngine, FollowsTheLayoutRules) {
  const QVRTallixTextAttributes attributes(engine());
  // 12 + 3 being typed: one run, the Add image 3 after the 2's rounded right edge, the 3 another
  // 3 after the image.
  Items items = Item::displayItemsFromExpression(*typed("12+3"), attributes);
  ASSERT_EQ(names(items), "1 2 Add 3");
  EXPECT_EQ(items[0].frame().x, 0);
  EXPECT_EQ(items[1].frame().width, std::ceil(glyphAdvance("2")));
  EXPECT_EQ(items[2].frame().x, std::ceil(items[1].frame().maxX()) + 3);
  EXPECT_EQ(items[3].frame().x, items[2].frame().maxX() + 3);
  EXPECT_GT(items[2].frame().width, 0);

  // A result alone.
  const QVRTallixNumber result(QVRTallixDecimal::fromString("-1234.5678"));
  items = Item::displayItemsFromExpression(QVRTallixExpression(result), attributes);
  ASSERT_EQ(items.size(), 1u);
  const double width = engine().widthOfText("-1,234.5678", QVRTallixExpressionDisplayFontSize);
  EXPECT_EQ(items[0].frame(), (QVRRect{0, 0, std::ceil(width) + 10, 0}));

  // Parentheses at y = 1, digits at their glyph's y; the angle badge first; images one padding
  // apart.
  items = Item::displayItemsFromExpression(*typed("(30 sin sq"), attributes);
  ASSERT_EQ(names(items), "TrigMode_Degree ( 3 0 SIN XPOW2");
  EXPECT_EQ(items[0].frame().x, 0);
  EXPECT_EQ(items[1].frame().y, 1.0);
  EXPECT_EQ(items[2].frame().y, engine().layoutLine("(30", 15)->at(1).y);
  EXPECT_EQ(items[5].frame().x, items[4].frame().maxX() + 3);
}

TEST_P(DisplayLayoutOnEngine, HostileDigitsStayInOrder) {
  // Right-to-left letters and digits, combining marks, wide characters, a lone mark, bad bytes.
  const Items runs[] = {
      digits({"א", "ב", "1", "2"}), digits({"١", "٢", "٫", "٥"}), digits({"5\u0301", "6"}),
      digits({"中", "５", "-"}),    digits({"\u0301", "7"}),      digits({"\xff", "(", "\xe2\x82"}),
  };
  for (const Items& run : runs) {
    Items items = run;
    items.push_back(Item::initWithOperationComponent(operation(QVRTallixOperationAdd)));
    Item::layoutDisplayItems(items, QVRTallixTextAttributes(engine()));
    SCOPED_TRACE(items.front().description());
    double right = 0;
    for (const Item& item : items) {
      EXPECT_GE(item.frame().x, right - 1e-9) << item.description();
      EXPECT_GE(item.frame().width, 0);
      right = item.frame().maxX();
    }
  }
}

TEST_P(DisplayLayoutOnEngine, LongRandomExpressionsKeepXIncreasing) {
  const std::uint64_t seed = SeededRandom::testSeed(20261206);
  SeededRandom random(seed);
  for (int round = 0; round < 20; ++round) {
    // Any list that decoding may give: numbers, every operation value, parentheses, Equal, then
    // a number being typed.
    QVRTallixExpression::ComponentList list;
    for (int k = 0; k < 400; ++k) {
      if (random.coin()) {
        list.push_back(number(std::to_string(random.between(-99999, 99999)).c_str()));
      } else {
        list.push_back(operation(QVRTallixOperation(random.between(0, 40))));
      }
    }
    list.emplace_back(QVRTallixAnyNumber(std::make_unique<QVRTallixEditableNumber>("-12|5")));
    const Items items = Item::displayItemsFromExpression(QVRTallixExpression(std::move(list)),
                                                         QVRTallixTextAttributes(engine()));
    ASSERT_GT(items.size(), 380u) << "seed " << seed;
    for (std::size_t i = 1; i < items.size(); ++i) {
      ASSERT_GE(items[i].frame().x, items[i - 1].frame().maxX()) << "seed " << seed << " " << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Engines, DisplayLayoutOnEngine, ::testing::Values("cells"));

class QVRTallixExpressionDisplayItemGermanTest : public TallixTest {
 protected:
  QVRTallixExpressionDisplayItemGermanTest() : TallixTest("de_DE") {}
};

TEST_F(QVRTallixExpressionDisplayItemGermanTest, NegativeTypedNumberSplitsAtTheComma) {
  QVRTallixExpression expression;
  for (const std::uint64_t digit : {1, 2}) expression.addDigit(digit);
  expression.addSeparator();
  expression.addDigit(5);
  expression.addNegation();
  const Items items = Item::displayItemsFromExpression(
      expression, QVRTallixTextAttributes(QVRTerminalCellLayoutEngine::sharedEngine()));
  EXPECT_EQ(names(items), "- 1 2 , 5");
  for (std::size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i].frame().x, double(i));
}

}  // namespace
