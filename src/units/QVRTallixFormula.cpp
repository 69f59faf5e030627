#include "units/QVRTallixFormula.h"

#include <algorithm>
#include <array>

#include "common/QVRException.h"
#include "numbers/QVRTallixDecimalError.h"
#include "units/QVRTallixDataLocale.h"

namespace {

// The evaluation stack: a few values in place, more on the heap (only hostile formulas nest
// deeper than the everyday ones, which need two or three places).
class Stack {
 public:
  explicit Stack(std::size_t depth) {
    if (depth > _inPlace.size()) _spilled.resize(depth);
  }
  std::size_t size() const { return _size; }
  void push(const QVRTallixDecimal& value) { values()[_size++] = value; }
  QVRTallixDecimal pop() { return values()[--_size]; }
  const QVRTallixDecimal& top() const { return values()[_size - 1]; }

 private:
  QVRTallixDecimal* values() { return _spilled.empty() ? _inPlace.data() : _spilled.data(); }
  const QVRTallixDecimal* values() const {
    return _spilled.empty() ? _inPlace.data() : _spilled.data();
  }

  std::array<QVRTallixDecimal, 8> _inPlace;
  std::vector<QVRTallixDecimal> _spilled;
  std::size_t _size = 0;
};

QVRTallixDecimal checked(QVRTallixDecimal::Result result) {
  if (!result.ok()) throw QVRTallixDecimalErrorException(result.error);
  return result.value;
}

}  // namespace

QVRTallixFormula::QVRTallixFormula(std::string_view text) {
  std::size_t depth = 0;
  while (true) {
    const std::size_t space = text.find(' ');
    const std::string_view token = text.substr(0, space);
    Token parsed{Kind::constant, QVRTallixDecimal::zero()};
    if (token == "X") {
      parsed.kind = Kind::value;
    } else if (token == "+") {
      parsed.kind = Kind::add;
    } else if (token == "-") {
      parsed.kind = Kind::subtract;
    } else if (token == "*") {
      parsed.kind = Kind::multiply;
    } else if (token == "/") {
      parsed.kind = Kind::divide;
    } else {
      parsed.constant = QVRTallixDecimal::fromString(token, gQVRTallixDataDecimalSeparator)
                            .value_or(QVRTallixDecimal::nan());
    }
    if (parsed.kind == Kind::value || parsed.kind == Kind::constant) {
      _depth = std::max(_depth, ++depth);
    } else if (depth >= 2) {
      --depth;
    }
    _tokens.push_back(parsed);
    if (space == std::string_view::npos) break;
    text.remove_prefix(space + 1);
  }
}

std::optional<QVRTallixDecimal> QVRTallixFormula::evaluate(const QVRTallixDecimal& value,
                                                           bool inverse) const {
  Stack stack(_depth);
  for (const Token& token : _tokens) {
    switch (token.kind) {
      case Kind::value:
        stack.push(value);
        continue;
      case Kind::constant:
        stack.push(token.constant);
        continue;
      default:
        break;
    }
    if (stack.size() < 2) {
      throw QVRException::range("an operator of a unit formula needs two values on the stack");
    }
    const QVRTallixDecimal a = stack.pop();
    const QVRTallixDecimal b = stack.pop();
    if (token.kind == Kind::add) {
      stack.push(checked(QVRTallixDecimal::add(a, b)));
    } else if (token.kind == Kind::subtract) {
      stack.push(checked(QVRTallixDecimal::subtract(b, a)));
    } else if ((token.kind == Kind::multiply) != inverse) {
      stack.push(checked(QVRTallixDecimal::multiply(b, a)));
    } else {
      // Inverted, "*" divides: the guard against a zero divisor goes with the division.
      stack.push(a.isZero() ? QVRTallixDecimal::zero() : checked(QVRTallixDecimal::divide(b, a)));
    }
  }
  if (stack.size() == 0) return std::nullopt;
  return stack.top();
}
