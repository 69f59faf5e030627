// The keys of the calculator: typed characters to keys, keys to operations and spoken labels,
// and a key press on an expression.

#include <array>
#include <optional>

#include "common/QVRBundle.h"
#include "common/QVREnvironment.h"
#include "constants/QVRTallixGlobalConstantNumber.h"
#include "expression/QVRTallixExpression.h"
#include "numbers/QVRTallixLocaleSymbols.h"

namespace {

constexpr std::string_view piName = "Pi";
constexpr std::string_view eulersNumberName = "Euler’s Number";

// The operation that each key enters, indexed by key type; none for keys without one.
constexpr std::array<QVRTallixOperation, 62> keyOperations = [] {
  std::array<QVRTallixOperation, 62> table{};
  table.fill(QVRTallixOperationNone);
  const std::pair<QVRTallixKeyType, QVRTallixOperation> pairs[] = {
      {QVRTallixKeyTypePercent, QVRTallixOperationPercent},
      {QVRTallixKeyTypeSignChange, QVRTallixOperationNegate},
      {QVRTallixKeyTypeOpenParenthesis, QVRTallixOperationOpenParenthesis},
      {QVRTallixKeyTypeCloseParenthesis, QVRTallixOperationCloseParenthesis},
      {QVRTallixKeyTypeDivide, QVRTallixOperationDivide},
      {QVRTallixKeyTypeMultiply, QVRTallixOperationMultiply},
      {QVRTallixKeyTypeSubtract, QVRTallixOperationSubtract},
      {QVRTallixKeyTypeAdd, QVRTallixOperationAdd},
      {QVRTallixKeyTypeRound, QVRTallixOperationRound},
      {QVRTallixKeyTypeFactorial, QVRTallixOperationFactorial},
      {QVRTallixKeyTypeSquare, QVRTallixOperationXPOW2},
      {QVRTallixKeyTypeCube, QVRTallixOperationXPOW3},
      {QVRTallixKeyTypePower, QVRTallixOperationXPOWY},
      {QVRTallixKeyTypeReversePower, QVRTallixOperationYPOWX},
      {QVRTallixKeyTypeTenToThePower, QVRTallixOperation10POWX},
      {QVRTallixKeyTypeTwoToThePower, QVRTallixOperation2POWX},
      {QVRTallixKeyTypeReciprocal, QVRTallixOperationInvert},
      {QVRTallixKeyTypeSquareRoot, QVRTallixOperationXRT2},
      {QVRTallixKeyTypeCubeRoot, QVRTallixOperationXRT3},
      // The two root keys enter the roots in the other order.
      {QVRTallixKeyTypeXthRootOfY, QVRTallixOperationXRTY},
      {QVRTallixKeyTypeYthRootOfX, QVRTallixOperationYRTX},
      {QVRTallixKeyTypeEngineeringExponent, QVRTallixOperationXEEY},
      {QVRTallixKeyTypeNaturalLogarithm, QVRTallixOperationLN},
      {QVRTallixKeyTypeLogarithmToABase, QVRTallixOperationXLOGY},
      {QVRTallixKeyTypeLogarithmBase10, QVRTallixOperationLOG10},
      {QVRTallixKeyTypeLogarithmBase2, QVRTallixOperationLOG2},
      {QVRTallixKeyTypeExponential, QVRTallixOperationEXP},
      {QVRTallixKeyTypeSine, QVRTallixOperationSIN},
      {QVRTallixKeyTypeInverseSine, QVRTallixOperationASIN},
      {QVRTallixKeyTypeCosine, QVRTallixOperationCOS},
      {QVRTallixKeyTypeInverseCosine, QVRTallixOperationACOS},
      {QVRTallixKeyTypeTangent, QVRTallixOperationTAN},
      {QVRTallixKeyTypeInverseTangent, QVRTallixOperationATAN},
      {QVRTallixKeyTypeHyperbolicSine, QVRTallixOperationSINH},
      {QVRTallixKeyTypeInverseHyperbolicSine, QVRTallixOperationASINH},
      {QVRTallixKeyTypeHyperbolicCosine, QVRTallixOperationCOSH},
      {QVRTallixKeyTypeInverseHyperbolicCosine, QVRTallixOperationACOSH},
      {QVRTallixKeyTypeHyperbolicTangent, QVRTallixOperationTANH},
      {QVRTallixKeyTypeInverseHyperbolicTangent, QVRTallixOperationATANH},
  };
  for (const auto& [key, operation] : pairs) table[key] = operation;
  return table;
}();

// The first UTF-16 unit of UTF-8 text; none for text that does not begin with a whole
// character. A character beyond U+FFFF begins with its high surrogate.
std::optional<char16_t> firstUTF16Unit(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const auto byte = [&](std::size_t index) { return static_cast<unsigned char>(text[index]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  char32_t codePoint = 0;
  if (lead < 0x80) return lead;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    codePoint = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    codePoint = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    codePoint = lead & 0x07;
  } else {
    return std::nullopt;
  }
  if (text.size() < length) return std::nullopt;
  for (std::size_t index = 1; index < length; ++index) {
    if ((byte(index) & 0xC0) != 0x80) return std::nullopt;
    codePoint = (codePoint << 6) | (byte(index) & 0x3F);
  }
  const bool overlong = (length == 3 && codePoint < 0x800) || (length == 4 && codePoint < 0x10000);
  if (overlong || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
    return std::nullopt;
  }
  if (codePoint > 0xFFFF) return static_cast<char16_t>(0xD800 + ((codePoint - 0x10000) >> 10));
  return static_cast<char16_t>(codePoint);
}

// The key of a typed character that has one.
std::optional<QVRTallixKeyType> keyTypeOfCharacter(char16_t character) {
  if (character >= u'0' && character <= u'9') {
    return static_cast<QVRTallixKeyType>(character - u'0');
  }
  switch (character) {
    case 0x7F:
      return QVRTallixKeyTypeDelete;
    case u'C':
    case u'c':
      return QVRTallixKeyTypeClear;
    case u'\n':
    case u'\r':
    case u'=':
    case 0xF739:  // the platform's clear-line function key (the keypad's Clear)
      return QVRTallixKeyTypeEqual;
    case u',':
    case u'.':
      return QVRTallixKeyTypeDecimalSeparator;
    case u'%':
      return QVRTallixKeyTypePercent;
    case u'±':
      return QVRTallixKeyTypeSignChange;
    case u'(':
    case u'[':
      return QVRTallixKeyTypeOpenParenthesis;
    case u')':
    case u']':
      return QVRTallixKeyTypeCloseParenthesis;
    case u'/':
      return QVRTallixKeyTypeDivide;
    case u'*':
      return QVRTallixKeyTypeMultiply;
    case u'-':
      return QVRTallixKeyTypeSubtract;
    case u'+':
      return QVRTallixKeyTypeAdd;
    case u'!':
      return QVRTallixKeyTypeFactorial;
    case u'@':
      return QVRTallixKeyTypeSquare;
    case u'#':
      return QVRTallixKeyTypeCube;
    case u'^':
      return QVRTallixKeyTypePower;
    case u'√':
      return QVRTallixKeyTypeSquareRoot;
    case u'E':
      return QVRTallixKeyTypeEngineeringExponent;
    case u'e':
      return QVRTallixKeyTypeExponential;
    default:
      return std::nullopt;
  }
}

std::string localized(std::string_view key) {
  return QVRBundle::mainBundle().localizedString(key);
}

}  // namespace

QVRTallixKeyType QVRTallixExpression::keyTypeFromString(std::string_view text) {
  if (text.empty()) return QVRTallixKeyTypeNone;
  if (const std::optional<char16_t> first = firstUTF16Unit(text)) {
    if (const auto keyType = keyTypeOfCharacter(*first)) return *keyType;
  }
  const auto symbols =
      QVRTallixLocaleSymbols::symbolsForLocale(QVREnvironment::current().localeIdentifier());
  if (symbols && text == symbols->decimalSeparator) return QVRTallixKeyTypeDecimalSeparator;
  return QVRTallixKeyTypeNone;
}

QVRTallixOperation QVRTallixExpression::operationFromKeyType(QVRTallixKeyType keyType) {
  return keyType < keyOperations.size() ? keyOperations[keyType] : QVRTallixOperationNone;
}

std::string QVRTallixExpression::accessibilityLabelFromKeyType(QVRTallixKeyType keyType) {
  switch (keyType) {
    case QVRTallixKeyTypeDelete:
      return localized("delete");
    case QVRTallixKeyTypeClear:
      return localized("clear");
    case QVRTallixKeyTypeEqual:
      return localized("equal");
    case QVRTallixKeyTypeDecimalSeparator:
      return localized("decimal");
    case QVRTallixKeyTypeFavorites:
      return localized("favorites");
    case QVRTallixKeyTypeAlternateFunctions:
      return localized("alternate functions");
    case QVRTallixKeyTypeConstants:
      return localized("constants");
    case QVRTallixKeyTypeRandom:
      return localized("random");
    case QVRTallixKeyTypeEulersNumber:
    case QVRTallixKeyTypePi: {
      const std::string_view name = keyType == QVRTallixKeyTypePi ? piName : eulersNumberName;
      const auto constant = QVRTallixGlobalConstantNumber::constantNamed(name);
      return constant ? constant->title() : std::string(name);
    }
    case QVRTallixKeyTypeAngleModeDegrees:
      return localized("degrees");
    case QVRTallixKeyTypeAngleModeRadians:
      return localized("radians");
    case QVRTallixKeyTypeNone:
      return "none";
    default:
      break;
  }
  if (keyType <= QVRTallixKeyTypeDigit9) return std::to_string(keyType);
  return QVRTallixComponent::componentWithOperation(operationFromKeyType(keyType))
      .accessibilityLabel()
      .value_or("none");
}

void QVRTallixExpression::handleKey(QVRTallixKeyType keyType) {
  switch (keyType) {
    case QVRTallixKeyTypeDelete:
      deleteDigitOrOperation();
      return;
    case QVRTallixKeyTypeClear:
      clearExpression();
      return;
    case QVRTallixKeyTypeDecimalSeparator:
      addSeparator();
      return;
    case QVRTallixKeyTypeSignChange:
      // The sign key types the sign; it enters Negate only when nothing is being typed.
      addNegation();
      return;
    case QVRTallixKeyTypeRandom:
      addNumber(QVRTallixNumber::random());
      return;
    case QVRTallixKeyTypeEulersNumber:
    case QVRTallixKeyTypePi: {
      const auto constant = QVRTallixGlobalConstantNumber::constantNamed(
          keyType == QVRTallixKeyTypePi ? piName : eulersNumberName);
      if (constant) addNumber(constant->tallixNumber());
      return;
    }
    case QVRTallixKeyTypeAngleModeDegrees:
      setRadMode(true);
      return;
    case QVRTallixKeyTypeAngleModeRadians:
      setRadMode(false);
      return;
    default:
      break;
  }
  if (keyType <= QVRTallixKeyTypeDigit9) {
    addDigit(keyType);
    return;
  }
  const QVRTallixOperation operation = operationFromKeyType(keyType);
  if (operation != QVRTallixOperationNone) addOperation(operation);
}
