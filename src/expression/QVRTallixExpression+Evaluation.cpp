// Evaluation: one pass per precedence level (groups, functions, exponents, multiply/divide,
// add/subtract), each reading a list and building a new one. The passes work on light elements
// that point at the evaluated list's own components, so no component is copied and the input
// stays as it was; values made on the way are kept in the elements themselves.

#include <span>
#include <utility>

#include "common/QVRException.h"
#include "common/QVRLogger.h"
#include "expression/QVRTallixExpression.h"
#include "expression/QVRTallixListDescription.h"

namespace {

// One element of a list between passes: a component of the evaluated list, or an element made
// by a pass (a number, absent when its arithmetic had no left operand, or Equal).
class Element {
 public:
  static Element of(const QVRTallixComponent& component) { return Element(&component); }
  static Element number(std::optional<QVRTallixNumber> number) {
    Element element(nullptr);
    element._madeNumber = std::move(number);
    return element;
  }
  static Element equal() {
    Element element(nullptr);
    element._madeOperation = QVRTallixOperationEqual;
    return element;
  }

  // Whether it holds no number (an element made from an absent number counts as an operation).
  bool isOperation() const { return _component ? _component->isOperation() : !_madeNumber; }
  bool holdsNumber() const { return !isOperation(); }
  QVRTallixOperation operation() const {
    return _component ? _component->operation() : _madeOperation;
  }
  bool isOperation(QVRTallixOperation operation) const {
    return isOperation() && this->operation() == operation;
  }
  bool isIn(QVRTallixOperationClass operationClass) const {
    return isOperation() && QVRTallixOperationIsIn(operation(), operationClass);
  }
  std::uint64_t order() const { return isOperation() ? QVRTallixOperationOrder(operation()) : 0; }
  // The value as a plain number; none for an operation.
  std::optional<QVRTallixNumber> number() const {
    if (!_component) return _madeNumber;
    const QVRTallixAnyNumber* held = _component->tallixNumber();
    if (!held) return std::nullopt;
    return held->number();
  }
  bool isBlankTypedNumber() const {
    const QVRTallixEditableNumber* editable = _component ? _component->editableNumber() : nullptr;
    return editable && editable->isBlank();
  }
  // The component's description; a made number shows as a plain number does.
  std::string description() const {
    if (_component) return _component->description();
    if (_madeNumber) return _madeNumber->editString();
    return _madeOperation == QVRTallixOperationEqual ? "=" : "";
  }
  // A component standing for this element: a copy of the evaluated list's component, or a new
  // one of the made value.
  QVRTallixComponent component() const {
    if (_component) return _component->copy();
    if (_madeNumber) return QVRTallixComponent(QVRTallixAnyNumber(*_madeNumber));
    return QVRTallixComponent(_madeOperation);
  }

 private:
  explicit Element(const QVRTallixComponent* component) : _component(component) {}

  const QVRTallixComponent* _component;
  QVRTallixOperation _madeOperation = QVRTallixOperationNone;
  std::optional<QVRTallixNumber> _madeNumber;
};

using List = std::vector<Element>;
using Span = std::span<const Element>;

std::string describe(Span list) {
  return QVRTallixListDescription(list,
                                  [](const Element& element) { return element.description(); });
}

List elementsOf(const QVRTallixExpression::ComponentList& components) {
  List list;
  list.reserve(components.size());
  for (const QVRTallixComponent& component : components) list.push_back(Element::of(component));
  return list;
}

QVRTallixExpression::ComponentList componentsOf(const List& list) {
  QVRTallixExpression::ComponentList components;
  components.reserve(list.size());
  for (const Element& element : list) components.push_back(element.component());
  return components;
}

// The postfix function of an operation; none for an operation without one.
std::optional<QVRTallixNumber> applyFunction(QVRTallixOperation operation, const QVRTallixNumber& x,
                                             bool radians) {
  switch (operation) {
    case QVRTallixOperationPercent:
      return x.percent();
    case QVRTallixOperationNegate:
      return x.negate();
    case QVRTallixOperationRound:
      return x.round();
    case QVRTallixOperationFactorial:
      return x.factorial();
    case QVRTallixOperationXPOW2:
      return x.powTwo();
    case QVRTallixOperationXPOW3:
      return x.powThree();
    case QVRTallixOperation10POWX:
      return x.tenPow();
    case QVRTallixOperation2POWX:
      return x.twoPow();
    case QVRTallixOperationInvert:
      return x.invert();
    case QVRTallixOperationXRT2:
      return x.rtTwo();
    case QVRTallixOperationXRT3:
      return x.rtThree();
    case QVRTallixOperationLN:
      return x.ln();
    case QVRTallixOperationLOG10:
      return x.logTen();
    case QVRTallixOperationLOG2:
      return x.logTwo();
    case QVRTallixOperationEXP:
      return x.exp();
    case QVRTallixOperationSIN:
      return x.sin(radians);
    case QVRTallixOperationASIN:
      return x.asin(radians);
    case QVRTallixOperationCOS:
      return x.cos(radians);
    case QVRTallixOperationACOS:
      return x.acos(radians);
    case QVRTallixOperationTAN:
      return x.tan(radians);
    case QVRTallixOperationATAN:
      return x.atan(radians);
    case QVRTallixOperationSINH:
      return x.sinh();
    case QVRTallixOperationASINH:
      return x.asinh();
    case QVRTallixOperationCOSH:
      return x.cosh();
    case QVRTallixOperationACOSH:
      return x.acosh();
    case QVRTallixOperationTANH:
      return x.tanh();
    case QVRTallixOperationATANH:
      return x.atanh();
    default:
      return std::nullopt;
  }
}

// The value of a double-argument operator of the exponents and multiply/divide passes; none
// for an operation without one.
std::optional<QVRTallixNumber> applyBinary(QVRTallixOperation operation, const QVRTallixNumber& x,
                                           const QVRTallixNumber& y) {
  switch (operation) {
    case QVRTallixOperationXPOWY:
      return x.pow(y);
    case QVRTallixOperationYPOWX:
      return y.pow(x);
    case QVRTallixOperationYRTX:
      return x.rt(y);
    case QVRTallixOperationXEEY:
      return x.ee(y);
    case QVRTallixOperationXLOGY:
      return x.log(y);
    case QVRTallixOperationXRTY:
      return y.rt(x);
    case QVRTallixOperationDivide:
      return x.divide(y);
    case QVRTallixOperationMultiply:
      return x.multiply(y);
    default:
      return std::nullopt;
  }
}

// The right operand of the operator at `index`: the next element's number, or the left operand
// again when the next element is Equal (which is then used up). The outer none stops the pass
// (no next element, or one of another kind); the inner none is an absent operand.
std::optional<std::optional<QVRTallixNumber>> rightOperand(
    Span list, std::size_t index, const std::optional<QVRTallixNumber>& left) {
  if (index + 1 >= list.size()) return std::nullopt;
  const Element& next = list[index + 1];
  if (next.holdsNumber()) return next.number();
  if (next.isOperation(QVRTallixOperationEqual)) return left;
  return std::nullopt;
}

// The passes for one expression's angle mode, with the depth of the groups being evaluated.
class Evaluator {
 public:
  explicit Evaluator(bool radians) : _radians(radians) {}

  // The whole evaluation: a failing step ends it with a log line and not-a-number.
  QVRTallixNumber result(Span list) {
    const DepthScope scope(_depth);
    // The lists live outside the try block: the log names the one the failing step received.
    List grouped, functioned, powered, multiplied;
    Span stepInput = list;
    try {
      if (_depth > QVRTallixExpression::maximumNestingDepth) {
        throw QVRException::range("groups nested deeper than " +
                                  std::to_string(QVRTallixExpression::maximumNestingDepth));
      }
      grouped = parentheses(stepInput);
      stepInput = grouped;
      functioned = functions(stepInput);
      stepInput = functioned;
      powered = binaryPass(stepInput, QVRTallixOperationClass::exponents);
      stepInput = powered;
      multiplied = binaryPass(stepInput, QVRTallixOperationClass::multiplyDivide);
      stepInput = multiplied;
      const std::optional<QVRTallixNumber> sum = addSubtract(stepInput);
      return QVRTallixNumber(sum ? sum->decimalNumber() : std::nullopt);
    } catch (const QVRException& exception) {
      QVRLogger::logException(exception, "while evaulating " + describe(stepInput));
      return QVRTallixNumber::nan();
    }
  }

  List parentheses(Span list) {
    List output;
    output.reserve(list.size());
    std::optional<List> group;
    long level = 0;
    bool sawEqual = false;
    for (const Element& element : list) {
      if (element.isOperation(QVRTallixOperationOpenParenthesis)) {
        if (level == 0) {
          group.emplace();
        } else if (group) {
          group->push_back(element);
        }
        ++level;
      } else if (element.isOperation(QVRTallixOperationCloseParenthesis)) {
        --level;
        if (level == 0 && group) {
          group->push_back(Element::equal());
          output.push_back(Element::number(result(*group)));
          group.reset();
        } else if (group) {
          group->push_back(element);
        }
      } else if (element.isOperation(QVRTallixOperationEqual)) {
        sawEqual = true;
      } else if (group) {
        group->push_back(element);
      } else {
        output.push_back(element);
      }
    }
    if (group) {
      if (sawEqual) {
        group->push_back(Element::equal());
        output.push_back(Element::number(result(*group)));
      } else if (output.empty() || countsAsUnclosedGroup(*group)) {
        output.push_back(Element::number(result(*group)));
      }
      // Otherwise the group holds only open parentheses and blank typed numbers: it goes.
    }
    if (sawEqual) output.push_back(Element::equal());
    return output;
  }

  List functions(Span list) {
    List output;
    output.reserve(list.size());
    for (const Element& element : list) {
      if (!element.isIn(QVRTallixOperationClass::function)) {
        output.push_back(element);
        continue;
      }
      QVRTallixNumber argument;
      if (!output.empty() && output.back().holdsNumber()) {
        argument = *output.back().number();
        output.pop_back();
      } else {
        // After an operator (or at the start) the function applies to the display tail.
        argument = result(displayTail(output));
      }
      const QVRTallixOperation operation = element.operation();
      std::optional<QVRTallixNumber> value = applyFunction(operation, argument, _radians);
      if (!value) {
        QVRLogger::logFormat("Couldn't handle function " + std::to_string(operation) + " " +
                             describe(list));
        value = QVRTallixNumber::nan();
      }
      // 200 + 10 % is 200 + 20: a percent after + or − is a share of everything before it.
      if (operation == QVRTallixOperationPercent && !output.empty() &&
          output.back().isIn(QVRTallixOperationClass::addSubtract)) {
        value = result(output).multiply(*value);
      }
      output.push_back(Element::number(std::move(value)));
    }
    return output;
  }

  // The left-to-right procedure of the exponents and the multiply/divide passes.
  List binaryPass(Span list, QVRTallixOperationClass operationClass) {
    List output;
    output.reserve(list.size());
    std::size_t index = 0;
    while (index < list.size()) {
      const Element& element = list[index];
      if (!element.isIn(operationClass)) {
        output.push_back(element);
        ++index;
        continue;
      }
      const std::optional<QVRTallixNumber> left =
          output.empty() ? std::nullopt : output.back().number();
      const auto right = rightOperand(list, index, left);
      // A trailing operator, or one followed by something else than a number or Equal, ends
      // the pass with everything after it.
      if (!right) break;
      std::optional<QVRTallixNumber> value;
      if (left) {
        const QVRTallixOperation operation = element.operation();
        value = applyBinary(operation, *left, right->value_or(QVRTallixNumber()));
        if (!value) {
          logUnhandled(operationClass, operation, list);
          value = QVRTallixNumber::nan();
        }
      }
      if (output.empty()) {
        throw QVRException::range("*** -[__NSArrayM removeLastObject]: empty array");
      }
      output.back() = Element::number(std::move(value));
      index += 2;
    }
    return output;
  }

  std::optional<QVRTallixNumber> addSubtract(Span list) {
    if (list.empty()) return QVRTallixNumber();
    std::optional<QVRTallixNumber> accumulator = list.front().number();
    for (std::size_t index = 1; index < list.size(); index += 2) {
      const auto right = rightOperand(list, index, accumulator);
      if (!right) break;
      const QVRTallixNumber operand = right->value_or(QVRTallixNumber());
      const Element& element = list[index];
      if (element.isOperation(QVRTallixOperationSubtract)) {
        if (accumulator) accumulator = accumulator->subtract(operand);
      } else if (element.isOperation(QVRTallixOperationAdd)) {
        if (accumulator) accumulator = accumulator->add(operand);
      } else {
        accumulator = QVRTallixNumber::nan();
        QVRLogger::logFormat("Couldn't handle add/subtract " + std::to_string(element.operation()) +
                             " " + describe(list));
      }
    }
    return accumulator;
  }

  // The trailing run of elements that binds at least as tightly as the last one.
  static Span displayTail(Span list) {
    const std::uint64_t order = list.empty() ? 0 : list.back().order();
    std::size_t start = list.size();
    while (start > 0) {
      const Element& element = list[start - 1];
      if (element.isOperation() && element.order() < order) break;
      --start;
    }
    return list.subspan(start);
  }

 private:
  class DepthScope {
   public:
    explicit DepthScope(std::size_t& depth) : _depth(depth) { ++_depth; }
    ~DepthScope() { --_depth; }
    DepthScope(const DepthScope&) = delete;
    DepthScope& operator=(const DepthScope&) = delete;

   private:
    std::size_t& _depth;
  };

  // Whether an unclosed group at the end is evaluated although the output before it is not
  // empty: it holds an operation other than an open parenthesis, or a number that is not a
  // blank typed number.
  static bool countsAsUnclosedGroup(const List& group) {
    for (const Element& element : group) {
      if (element.isOperation() ? !element.isOperation(QVRTallixOperationOpenParenthesis)
                                : !element.isBlankTypedNumber()) {
        return true;
      }
    }
    return false;
  }

  static void logUnhandled(QVRTallixOperationClass operationClass, QVRTallixOperation operation,
                           Span list) {
    const std::string arguments = std::to_string(operation) + " " + describe(list);
    if (operationClass == QVRTallixOperationClass::exponents) {
      QVRLogger::logFormat("Couldn't handle exponents " + arguments);
    } else {
      QVRLogger::logFormat("Couldn't handle multiply/divide " + arguments);
    }
  }

  bool _radians;
  std::size_t _depth = 0;
};

}  // namespace

const QVRTallixNumber& QVRTallixExpression::result() const {
  if (!_result) _result = resultForExpression(_components);
  return *_result;
}

QVRTallixNumber QVRTallixExpression::resultForExpression(const ComponentList& list) const {
  return Evaluator(_radMode).result(elementsOf(list));
}

QVRTallixExpression::ComponentList QVRTallixExpression::evaluateParenthesis(
    const ComponentList& list) const {
  return componentsOf(Evaluator(_radMode).parentheses(elementsOf(list)));
}

QVRTallixExpression::ComponentList QVRTallixExpression::evaluateFunctions(
    const ComponentList& list) const {
  return componentsOf(Evaluator(_radMode).functions(elementsOf(list)));
}

QVRTallixExpression::ComponentList QVRTallixExpression::evaluateExponents(
    const ComponentList& list) const {
  return componentsOf(
      Evaluator(_radMode).binaryPass(elementsOf(list), QVRTallixOperationClass::exponents));
}

QVRTallixExpression::ComponentList QVRTallixExpression::evaluateMultiplyDivide(
    const ComponentList& list) const {
  return componentsOf(
      Evaluator(_radMode).binaryPass(elementsOf(list), QVRTallixOperationClass::multiplyDivide));
}

std::optional<QVRTallixNumber> QVRTallixExpression::evaluateAddSubtract(
    const ComponentList& list) const {
  return Evaluator(_radMode).addSubtract(elementsOf(list));
}

QVRTallixExpression::ComponentList QVRTallixExpression::evaluateForDisplay(
    const ComponentList& list) const {
  const List elements = elementsOf(list);
  const Span tail = Evaluator::displayTail(elements);
  return componentsOf(List(tail.begin(), tail.end()));
}

std::string QVRTallixExpression::listDescription(const ComponentList& components) {
  return QVRTallixListDescription(
      components, [](const QVRTallixComponent& component) { return component.description(); });
}
