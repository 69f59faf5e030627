#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// The calculator's operations. The values go into archives, so an operation may hold any value:
// every question about a value outside the table answers false, 0 or none.
enum QVRTallixOperation : std::uint64_t {
  QVRTallixOperationPercent = 0,
  QVRTallixOperationNegate = 1,
  QVRTallixOperationOpenParenthesis = 2,
  QVRTallixOperationCloseParenthesis = 3,
  QVRTallixOperationDivide = 4,
  QVRTallixOperationMultiply = 5,
  QVRTallixOperationSubtract = 6,
  QVRTallixOperationAdd = 7,
  QVRTallixOperationEqual = 8,
  QVRTallixOperationRound = 9,
  QVRTallixOperationFactorial = 10,
  QVRTallixOperationXPOW2 = 11,
  QVRTallixOperationXPOW3 = 12,
  QVRTallixOperationXPOWY = 13,
  QVRTallixOperationYPOWX = 14,
  QVRTallixOperation10POWX = 15,
  QVRTallixOperation2POWX = 16,
  QVRTallixOperationInvert = 17,
  QVRTallixOperationXRT2 = 18,
  QVRTallixOperationXRT3 = 19,
  QVRTallixOperationYRTX = 20,
  QVRTallixOperationXEEY = 21,
  QVRTallixOperationLN = 22,
  QVRTallixOperationXLOGY = 23,
  QVRTallixOperationLOG10 = 24,
  QVRTallixOperationLOG2 = 25,
  QVRTallixOperationEXP = 26,
  QVRTallixOperationSIN = 27,
  QVRTallixOperationASIN = 28,
  QVRTallixOperationCOS = 29,
  QVRTallixOperationACOS = 30,
  QVRTallixOperationTAN = 31,
  QVRTallixOperationATAN = 32,
  QVRTallixOperationSINH = 33,
  QVRTallixOperationASINH = 34,
  QVRTallixOperationCOSH = 35,
  QVRTallixOperationACOSH = 36,
  QVRTallixOperationTANH = 37,
  QVRTallixOperationATANH = 38,
  QVRTallixOperationXRTY = 39,
  // Carried by every number component.
  QVRTallixOperationNone = 100000,
};

// The classes into which the evaluator and the editor sort operations.
enum class QVRTallixOperationClass : std::uint8_t {
  parenthesis = 1 << 0,
  function = 1 << 1,
  exponents = 1 << 2,
  multiplyDivide = 1 << 3,
  addSubtract = 1 << 4,
  trigonometric = 1 << 5,
  // The exponents, multiply/divide and add/subtract classes together.
  doubleArgument = 1 << 6,
};

// One row of the operation table.
struct QVRTallixOperationInfo {
  // The name, "XPOW2".
  std::string_view name;
  // The text shown for the operation, "²".
  std::string_view display;
  // The English key of the spoken label in the default strings table.
  std::string_view label;
  std::uint8_t classes;
  // The precedence: add/subtract 1, multiply/divide 2, exponents 3, function 4, else 0.
  std::uint64_t order;

  constexpr bool isIn(QVRTallixOperationClass operationClass) const {
    return (classes & static_cast<std::uint8_t>(operationClass)) != 0;
  }
};

namespace tallix::detail {

constexpr std::uint8_t operator|(QVRTallixOperationClass left, QVRTallixOperationClass right) {
  return static_cast<std::uint8_t>(static_cast<std::uint8_t>(left) |
                                   static_cast<std::uint8_t>(right));
}

using Class = QVRTallixOperationClass;
constexpr std::uint8_t noClass = 0;
constexpr std::uint8_t function = static_cast<std::uint8_t>(Class::function);
constexpr std::uint8_t trigonometric = Class::function | Class::trigonometric;
constexpr std::uint8_t parenthesis = static_cast<std::uint8_t>(Class::parenthesis);
constexpr std::uint8_t exponents = Class::exponents | Class::doubleArgument;
constexpr std::uint8_t multiplyDivide = Class::multiplyDivide | Class::doubleArgument;
constexpr std::uint8_t addSubtract = Class::addSubtract | Class::doubleArgument;

constexpr std::uint64_t orderOf(std::uint8_t classes) {
  if (classes & static_cast<std::uint8_t>(Class::function)) return 4;
  if (classes & static_cast<std::uint8_t>(Class::exponents)) return 3;
  if (classes & static_cast<std::uint8_t>(Class::multiplyDivide)) return 2;
  if (classes & static_cast<std::uint8_t>(Class::addSubtract)) return 1;
  return 0;
}

constexpr QVRTallixOperationInfo row(std::string_view name, std::string_view display,
                                     std::string_view label, std::uint8_t classes) {
  return {name, display, label, classes, orderOf(classes)};
}

}  // namespace tallix::detail

// The rows of the values 0 to 39, in order.
inline constexpr std::array<QVRTallixOperationInfo, 40> QVRTallixOperationTable = [] {
  using namespace tallix::detail;
  return std::array<QVRTallixOperationInfo, 40>{
      row("Percent", "%", "percent", function),
      row("Negate", "±", "plus, minus", function),
      row("OpenParenthesis", "(", "open parenthesis", parenthesis),
      row("CloseParenthesis", ")", "close parenthesis", parenthesis),
      row("Divide", "÷", "divide", multiplyDivide),
      row("Multiply", "×", "multiply", multiplyDivide),
      row("Subtract", "−", "subtract", addSubtract),
      row("Add", "+", "add", addSubtract),
      row("Equal", "=", "equal", noClass),
      row("Round", "RND", "round", function),
      row("Factorial", "!", "factorial", function),
      row("XPOW2", "²", "square", function),
      row("XPOW3", "³", "cube", function),
      row("XPOWY", "xʸ", "power", exponents),
      row("YPOWX", "yˣ", "reverse power", exponents),
      row("10POWX", "10ˣ", "10 to the power of", function),
      row("2POWX", "2ˣ", "2 to the power of", function),
      row("Invert", "1/x", "reciprocal", function),
      row("XRT2", "√", "square root", function),
      row("XRT3", "³√", "cube root", function),
      row("YRTX", "ʸ√x", "root", exponents),
      row("XEEY", "EE", "ee engineering exponent", exponents),
      row("LN", "ln", "natural log", function),
      row("XLOGY", "logy", "logarithm", exponents),
      row("LOG10", "log₁₀", "log base 10", function),
      row("LOG2", "log₂", "log base 2", function),
      row("EXP", "eˣ", "exponential", function),
      row("SIN", "sin", "sine", trigonometric),
      row("ASIN", "asin", "inverse sine", trigonometric),
      row("COS", "cos", "cosine", trigonometric),
      row("ACOS", "acos", "inverse cosine", trigonometric),
      row("TAN", "tan", "tangent", trigonometric),
      row("ATAN", "atan", "inverse tangent", trigonometric),
      row("SINH", "sinh", "hyperbolic sine", function),
      row("ASINH", "asinh", "inverse hyperbolic sine", function),
      row("COSH", "cosh", "hyperbolic cosine", function),
      row("ACOSH", "acosh", "inverse hyperbolic cosine", function),
      row("TANH", "tanh", "hyperbolic tangent", function),
      row("ATANH", "atanh", "inverse hyperbolic tangent", function),
      row("XRTY", "ˣ√y", "root", exponents),
  };
}();

// The row of an operation; none outside 0 to 39.
constexpr const QVRTallixOperationInfo* QVRTallixOperationInfoOf(QVRTallixOperation operation) {
  return operation < QVRTallixOperationTable.size() ? &QVRTallixOperationTable[operation] : nullptr;
}

// Whether the operation belongs to the class; false outside 0 to 39.
constexpr bool QVRTallixOperationIsIn(QVRTallixOperation operation,
                                      QVRTallixOperationClass operationClass) {
  const QVRTallixOperationInfo* info = QVRTallixOperationInfoOf(operation);
  return info && info->isIn(operationClass);
}

// The precedence; 0 outside 0 to 39.
constexpr std::uint64_t QVRTallixOperationOrder(QVRTallixOperation operation) {
  const QVRTallixOperationInfo* info = QVRTallixOperationInfoOf(operation);
  return info ? info->order : 0;
}
