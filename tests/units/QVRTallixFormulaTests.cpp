#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "common/QVRException.h"
#include "numbers/QVRTallixDecimalError.h"
#include "support/RandomDecimals.h"
#include "support/SeededRandom.h"
#include "units/QVRTallixFormula.h"
#include "units/UnitFixtures.h"

using UnitFixtures::decimal;

namespace {

// What a formula gives, as text: the value ("NaN" included), "none", or "raises NAME".
std::string outcomeOf(const QVRTallixFormula& formula, const QVRTallixDecimal& x, bool inverse) {
  try {
    const auto result = formula.evaluate(x, inverse);
    return result ? result->description() : "none";
  } catch (const QVRException& exception) {
    return "raises " + exception.name();
  }
}

// The random formulas below cover the operators, stack depth, too few values and the decimal's
// failures; these are the tokens they never write.
TEST(QVRTallixFormula, TokensOutsideTheDecimalsRangeOrSyntaxEnterAsNotANumber) {
  // clang-format off
  const struct { const char* formula; const char* expected; } cases[] = {
      {"X abc /", "NaN"},
      {"1e200", "NaN"},
  };
  // clang-format on
  for (const auto& item : cases) {
    SCOPED_TRACE(item.formula);
    EXPECT_EQ(outcomeOf(QVRTallixFormula(item.formula), decimal("32"), false), item.expected);
  }
}

// An independent model of the evaluation: tokens kept as a list of (kind, value), a plain vector
// as the stack.
struct ModelToken {
  char kind;  // 'X', '+', '-', '*', '/', or 'c' for a constant
  QVRTallixDecimal constant;
};

std::string model(const std::vector<ModelToken>& tokens, const QVRTallixDecimal& x, bool inverse) {
  std::vector<QVRTallixDecimal> stack;
  for (const ModelToken& token : tokens) {
    if (token.kind == 'X' || token.kind == 'c') {
      stack.push_back(token.kind == 'X' ? x : token.constant);
      continue;
    }
    if (stack.size() < 2) return "raises NSRangeException";
    const QVRTallixDecimal a = stack.back();
    stack.pop_back();
    const QVRTallixDecimal b = stack.back();
    stack.pop_back();
    QVRTallixDecimal::Result result;
    const bool divides = (token.kind == '/' && !inverse) || (token.kind == '*' && inverse);
    if (token.kind == '+') {
      result = QVRTallixDecimal::add(b, a);
    } else if (token.kind == '-') {
      result = QVRTallixDecimal::subtract(b, a);
    } else if (divides) {
      result = a.isZero() ? QVRTallixDecimal::Result{QVRTallixDecimal::zero()}
                          : QVRTallixDecimal::divide(b, a);
    } else {
      result = QVRTallixDecimal::multiply(b, a);
    }
    if (!result.ok()) return "raises " + QVRTallixDecimalErrorException(result.error).name();
    stack.push_back(result.value);
  }
  return stack.empty() ? "none" : stack.back().description();
}

TEST(QVRTallixFormula, RandomFormulasAgreeWithAPlainStackModel) {
  const std::uint64_t seed = SeededRandom::testSeed(0x5eed'f0'4a);
  SeededRandom random(seed);
  for (int round = 0; round < 100'000; ++round) {
    std::vector<ModelToken> tokens;
    std::string text;
    const int length = static_cast<int>(random.between(1, 14));
    for (int index = 0; index < length; ++index) {
      if (index > 0) text += ' ';
      const std::int64_t pick = random.between(0, 11);
      static constexpr char kOperators[] = {'+', '-', '*', '/'};
      if (pick < 3) {
        tokens.push_back({'X', {}});
        text += 'X';
      } else if (pick < 7) {
        tokens.push_back({kOperators[pick - 3], {}});
        text += kOperators[pick - 3];
      } else if (pick < 11) {
        // Constants written as the decimal prints them; some zero, some tiny or huge.
        const QVRTallixDecimal constant =
            pick == 7 ? QVRTallixDecimal::zero() : RandomDecimals::any(random);
        tokens.push_back({'c', constant});
        text += constant.description();
      } else {
        tokens.push_back({'c', QVRTallixDecimal::nan()});
        text += random.coin() ? "?" : "";
      }
    }
    const QVRTallixDecimal x = random.coin() ? RandomDecimals::any(random) : decimal("0");
    const bool inverse = random.coin();
    const std::string expected = model(tokens, x, inverse);
    const std::string found = outcomeOf(QVRTallixFormula(text), x, inverse);
    if (found != expected) {
      ADD_FAILURE() << "seed " << seed << ", round " << round << ": \"" << text
                    << "\" with X = " << x.description() << (inverse ? " inverted" : "") << " gave "
                    << found << ", expected " << expected;
      return;
    }
  }
}

}  // namespace
