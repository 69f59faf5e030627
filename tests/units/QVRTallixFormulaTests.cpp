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

struct FormulaCase {
  const char* formula;
  const char* x;
  bool inverse;
  // A decimal, "NaN", "none", or "raises NAME".
  const char* expected;
};

const FormulaCase kFormulaCases[] = {
    // A pure factor serves both ways: to the base as written, from it inverted.
    {"X 1000 *", "2", false, "2000"},
    // "+" and "-" are not inverted; "-" takes the lower value minus the top one.
    {"X 32 -", "50", false, "18"},
    {"10 X -", "3", false, "7"},
    // Division by zero yields zero, whichever operator divides.
    // The zero guard looks at the divisor only: not-a-number divided by zero is zero.
    {"X abc /", "5", false, "NaN"},
    // Temperatures with their offsets.
    {"X 459.67 + 5 * 9 /", "32", false, "273.15"},
    // Tokens that are no number enter as not-a-number; reading stops where the number does.
    {"X  2 *", "1", false, "NaN"},
    {"1e200", "2", false, "NaN"},
    // The top of the stack is the answer; values below it are left.
    // Deeper than the stack's places in line: ten values, then nine additions.
    {"X X X X X X X X X X + + + + + + + + +", "1.5", false, "15"},
    {"1 2 3 4 5 6 7 8 9 10 11 12 * * * * * * * * * * *", "0", false, "479001600"},
    // Too few values for an operator.
    {"+", "5", false, "raises NSRangeException"},
    {"X /", "5", true, "raises NSRangeException"},
    // Overflow and underflow of the decimal raise.
    {"X 1e127 * 1e127 *", "5", false, "raises NSDecimalNumberOverflowException"},
    {"X 1e-127 * 1e-127 *", "5", false, "raises NSDecimalNumberUnderflowException"},
};

std::string expectedText(const char* expected) {
  if (std::string_view(expected) == "NaN" || std::string_view(expected).starts_with("raises") ||
      std::string_view(expected) == "none") {
    return expected;
  }
  return decimal(expected).description();
}

TEST(QVRTallixFormula, TokensApplyAsWrittenAndInverted) {
  for (const FormulaCase& item : kFormulaCases) {
    SCOPED_TRACE(std::string("\"") + item.formula + "\" with X = " + item.x +
                 (item.inverse ? " inverted" : ""));
    const QVRTallixFormula formula(item.formula);
    EXPECT_EQ(outcomeOf(formula, decimal(item.x), item.inverse), expectedText(item.expected));
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
