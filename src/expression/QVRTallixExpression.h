#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "expression/QVRTallixComponent.h"
#include "expression/QVRTallixKeyType.h"
#include "expression/QVRTallixOperation.h"
#include "numbers/QVRTallixNumber.h"

class QVRKeyedArchiver;
class QVRKeyedUnarchiver;

// Posted with the expression as object whenever the expression is marked dirty.
inline constexpr std::string_view QVRTallixExpressionDidChange = "QVRTallixExpressionDidChange";
// The pasteboard type under which the user interface places an archived expression.
inline constexpr std::string_view QVRTallixExpressionPasteboardType =
    "org.tallix.tallix.expression";
// The attribute with which the user interface marks the characters of one component in
// attributed text.
inline constexpr std::string_view QVRTallixExpressionStringComponentAttribute =
    "QVRTallixExpressionStringComponentAttribute";

// A range that callers store on an expression and read back.
struct QVRTallixRange {
  std::uint64_t location = 0;
  std::uint64_t length = 0;
  friend bool operator==(const QVRTallixRange&, const QVRTallixRange&) = default;
};

// The calculation that the user builds key by key: a list of components with an angle mode, a
// cached result, a change flag and an identity (its uuid).
//
// Editing (QVRTallixExpression+Editing.cpp) keeps the list in the shapes that typing makes;
// evaluation (+Evaluation.cpp) is lenient and never fails towards the caller; the text forms,
// the key types and the process-wide current expression have their own files. Every change marks
// the expression dirty, which empties the result cache and posts QVRTallixExpressionDidChange.
//
// Identity object: its address is the object of its notifications, and equality is by uuid, so
// it is neither copied nor moved; copy() makes a new expression with a new identity.
class QVRTallixExpression {
 public:
  using ComponentList = std::vector<QVRTallixComponent>;

  // The class's coding version.
  static constexpr std::int64_t version = 2;
  // Groups nested deeper than this evaluate to not-a-number (the recursion would exhaust the
  // stack long before any display could show them).
  static constexpr std::size_t maximumNestingDepth = 256;

  // One plain zero component, degrees, dirty (without a notification); the uuid is drawn when
  // first read.
  QVRTallixExpression();
  // As above, then the list holds one component of (a copy of) the number.
  explicit QVRTallixExpression(const QVRTallixNumber& number);
  // As above, then the list holds the given components themselves.
  explicit QVRTallixExpression(ComponentList components);
  QVRTallixExpression(const QVRTallixExpression&) = delete;
  QVRTallixExpression& operator=(const QVRTallixExpression&) = delete;

  // A new expression with copies of the components and the same angle mode, but a new
  // identity; it is dirty.
  std::unique_ptr<QVRTallixExpression> copy() const;
  // A new expression with copies of the components, the same angle mode and the same identity
  // (uuid), clean: what lists that keep a calculation as it was (the tape) hold, so that later
  // edits of this expression never reach them.
  std::shared_ptr<const QVRTallixExpression> snapshot() const;
  // Appends Equal, then hands a snapshot to the shared tape (QVRTallixTape::addExpression) and
  // answers whether the tape took it; the Equal stays either way.
  bool saveToTape();
  // What saveToTape hands to the tape: appends Equal and answers the snapshot, for callers that
  // save many calculations at once (QVRTallixTape::addExpressions).
  std::shared_ptr<const QVRTallixExpression> tapeEntry();

  // The component list, read-only; valid until the expression changes.
  const ComponentList& components() const { return _components; }
  bool radMode() const { return _radMode; }
  // Stores the angle mode and marks the expression dirty, only when it changes.
  void setRadMode(bool radMode);
  bool isDirty() const { return _dirty; }
  // Stores the flag; true also empties the result cache and posts QVRTallixExpressionDidChange.
  void setDirty(bool dirty);
  // The identifier, drawn on first read when the expression was not decoded with one.
  const std::string& uuid() const;
  QVRTallixRange selectedRange() const { return _selectedRange; }
  void setSelectedRange(QVRTallixRange range) { _selectedRange = range; }

  // Equal exactly when the identifiers are equal; the components play no part.
  bool isEqual(const QVRTallixExpression& other) const { return uuid() == other.uuid(); }
  std::size_t hash() const;

  // The end of the list.

  // The number of the last component when it holds one.
  const QVRTallixAnyNumber* currentNumber() const;
  // The number being typed: the current number when it is editable.
  const QVRTallixEditableNumber* currentEditableNumber() const;
  // The last component's operation (none for a number or an empty list).
  QVRTallixOperation currentOperation() const;
  // Whether any component is a circular function or its inverse.
  bool hasTrignometricFunctions() const;

  // Editing (QVRTallixExpression+Editing.cpp).

  // Removes the operand that ends the list: a number with its postfix functions, a group with
  // its postfix functions, a trailing Equal with the operand before it.
  void removeLastNonDoubleArgumentNonParenthesisOperation();
  // The number (a copy) replaces the operand at the end of the list.
  void addNumber(const QVRTallixNumber& number);
  void addNumber(const QVRTallixAnyNumber& number);
  // The number (a copy) replaces a blank typed number, follows an operator or an open
  // parenthesis, and otherwise starts the expression afresh.
  void addOrReplaceWithNumber(const QVRTallixNumber& number);
  void addOrReplaceWithNumber(const QVRTallixAnyNumber& number);
  // Adds an operation under the editing rules: operators replace a trailing operator, an open
  // parenthesis replaces the operand at the end, a close parenthesis needs an open one, Negate
  // and 1/x cancel their twins.
  void addOperation(QVRTallixOperation operation);
  // Typing: a digit (0 to 9), the separator and the sign go to the number being typed, which is
  // made when there is none.
  void addDigit(std::uint64_t digit);
  void addSeparator();
  void addNegation();
  // Deletes a typed digit, or the last component (an emptied list holds a plain zero).
  void deleteDigitOrOperation();
  bool deleteWillClear() const;
  bool canDelete() const;
  // Leaves exactly one blank typed number (the first component's number, cleared, when it is
  // being typed).
  void clearExpression();
  // Copies the other expression's components without its Equal signs; angle mode, identity and
  // selection stay.
  void setExpression(const QVRTallixExpression& other);

  // Evaluation (QVRTallixExpression+Evaluation.cpp). The passes never change their input, and
  // failures become not-a-number and a log line.

  // The value of the expression's own list, from the cache when it is filled.
  const QVRTallixNumber& result() const;
  // The whole evaluation of a list; never fails.
  QVRTallixNumber resultForExpression(const ComponentList& list) const;
  // The passes one by one: groups, functions, exponents, multiply/divide, add/subtract. The
  // first four raise QVRException where a step cannot go on (an operator with nothing before
  // it); the last answers none when its left operand is absent.
  ComponentList evaluateParenthesis(const ComponentList& list) const;
  ComponentList evaluateFunctions(const ComponentList& list) const;
  ComponentList evaluateExponents(const ComponentList& list) const;
  ComponentList evaluateMultiplyDivide(const ComponentList& list) const;
  std::optional<QVRTallixNumber> evaluateAddSubtract(const ComponentList& list) const;
  // The trailing operand with the operators that bind at least as tightly as the last
  // component: what a function after an operator applies to.
  ComponentList evaluateForDisplay(const ComponentList& list) const;

  // Text (QVRTallixExpression+Text.cpp).

  // The expression and its result on one line: "2 + 3 × 4 = 14".
  std::string stringDescription() const;
  std::string mailDescription() const { return stringDescription(); }
  // "uuid: stringDescription".
  std::string description() const;
  // Each component's editString followed by one blank: "1 + 2 ".
  static std::string stringFromExpression(const ComponentList& components);
  // A list as the log prints it: "(2, +, 3)".
  static std::string listDescription(const ComponentList& components);

  // Key types (QVRTallixExpression+KeyTypes.cpp).

  // The key of a typed text: its first UTF-16 unit decides; a text equal to the user's decimal
  // separator types the separator; anything else, and the empty text, is no key.
  static QVRTallixKeyType keyTypeFromString(std::string_view text);
  // The operation that the key enters; none for keys without one (and above 61).
  static QVRTallixOperation operationFromKeyType(QVRTallixKeyType keyType);
  // The spoken label of a key.
  static std::string accessibilityLabelFromKeyType(QVRTallixKeyType keyType);
  // A key press on this expression; keys without an action (and above 61) do nothing.
  void handleKey(QVRTallixKeyType keyType);

  // Keyed archives: "components", "radMode", "uuid".
  static std::string_view archiveClassName() { return "QVRTallixExpression"; }
  // The classes an archive of an expression may name.
  static std::vector<std::string> archiveClassNames();
  // Writes the record; archiving counts as saving, so the change flag is cleared (without a
  // notification).
  void encodeWithCoder(QVRKeyedArchiver& coder) const;
  // A missing "components" entry gives one blank typed number, a missing "uuid" a new identifier,
  // a missing "radMode" degrees; a list of plain elements (numbers and operation values) becomes
  // components. None when the record holds something else than a list of those, or an
  // identifier that is no text without NUL (it could not be archived again).
  static std::unique_ptr<QVRTallixExpression> initWithCoder(QVRKeyedUnarchiver& coder);

  // The current expression (QVRTallixExpression+Current.cpp): one per environment, read from
  // the file "currentExpression" in the application-support directory on first use, written
  // back every 10 seconds while it is dirty and when the program terminates.
  static std::shared_ptr<QVRTallixExpression> currentExpression();
  // Puts another expression into the slot and marks it dirty; nothing when it is already there
  // (or none).
  static void setCurrentExpression(std::shared_ptr<QVRTallixExpression> expression);
  static std::filesystem::path _currentExpressionPath();

 private:
  struct BareTag {};
  // No component, no identifier, clean, degrees: what decoding starts from.
  explicit QVRTallixExpression(BareTag) : _dirty(false) {}

  static QVRTallixComponent plainZeroComponent();
  void appendNumber(QVRTallixAnyNumber number);
  void appendOperation(QVRTallixOperation operation);
  void addOperationAfterOperand(QVRTallixOperation operation);
  void removeLastReplacingEmptyWithZero();
  QVRTallixEditableNumber* currentEditableNumberForEditing();

  ComponentList _components;
  bool _radMode = false;
  mutable std::optional<QVRTallixNumber> _result;
  // Archiving (a const operation for the archiver) clears it.
  mutable bool _dirty = true;
  // Drawn on first read unless decoded.
  mutable std::optional<std::string> _uuid;
  QVRTallixRange _selectedRange;
};

// For readable test failures: the description.
void PrintTo(const QVRTallixExpression& expression, std::ostream* stream);
