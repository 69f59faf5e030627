#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "numbers/QVRTallixDecimal.h"

// A unit formula in postfix notation, read once from its text so that a conversion does not read
// the text again.
//
// The text is split at every single space (two spaces make an empty token) and evaluated from
// left to right on a stack of decimals; a is taken from the top of the stack, then b below it:
//
//   "X"    push the value being converted
//   "+"    push a + b
//   "-"    push b − a
//   "*"    push b × a;               inverted: push b ÷ a, or zero when a is zero
//   "/"    push b ÷ a, or zero when a is zero;  inverted: push b × a
//   other  push the token read as a decimal with "." as the separator, or not-a-number when it
//          starts with no number (the empty token included)
//
// So "X 0.0254 *" (inch to metre) serves inverted as well, while an offset scale such as
// "X 273.15 +" needs a formula of its own for the other direction.
class QVRTallixFormula {
 public:
  explicit QVRTallixFormula(std::string_view text);

  // The top of the stack when the tokens are used up, or none when the stack is empty.
  // Raises QVRException (NSRangeException) when an operator finds fewer than two values on the
  // stack, and the decimal's exceptions on an overflow or underflow.
  std::optional<QVRTallixDecimal> evaluate(const QVRTallixDecimal& value, bool inverse) const;

 private:
  enum class Kind : std::uint8_t { value, add, subtract, multiply, divide, constant };
  struct Token {
    Kind kind;
    QVRTallixDecimal constant;
  };

  std::vector<Token> _tokens;
  // The largest number of values on the stack while the tokens run (operators never fail in
  // between: an underflow ends the evaluation).
  std::size_t _depth = 0;
};
