#include "tallix/TallixKeyTyper.h"

#include <fmt/format.h>

#include <algorithm>
#include <functional>

#include "expression/QVRTallixExpression.h"
#include "tallix/TallixConstantLookup.h"
#include "tallix/TallixText.h"

namespace tallix {

namespace {

// The length in bytes of the UTF-8 character that starts with `lead`; a stray continuation or
// invalid byte counts as one character of its own.
std::size_t characterLength(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
  if (lead >= 0xC2) return 2;
  return 1;
}

// The texts that show operations with more than ASCII ("xʸ", "10ˣ", "log₁₀", "³√"), longest
// first, each with the key that types its operation: a calculation as tallix prints it types back
// as the same calculation, where "10ˣ" would otherwise be the digits 1 and 0.
const std::vector<std::pair<std::string_view, QVRTallixKeyType>>& shownOperations() {
  static const auto table = [] {
    std::vector<std::pair<std::string_view, QVRTallixKeyType>> shown;
    for (std::uint64_t key = 0; key < 64; ++key) {
      const auto keyType = static_cast<QVRTallixKeyType>(key);
      const QVRTallixOperationInfo* info =
          QVRTallixOperationInfoOf(QVRTallixExpression::operationFromKeyType(keyType));
      if (!info ||
          std::ranges::all_of(info->display,
                              [](char c) { return static_cast<unsigned char>(c) < 0x80; }) ||
          std::ranges::any_of(shown,
                              [&](const auto& entry) { return entry.first == info->display; })) {
        continue;
      }
      shown.emplace_back(info->display, keyType);
    }
    std::ranges::stable_sort(shown, std::ranges::greater(),
                             [](const auto& entry) { return entry.first.size(); });
    return shown;
  }();
  return table;
}

// A title in braces without the blanks around it.
std::string_view trimmedTitle(std::string_view title) {
  const auto first = title.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return title.substr(first, title.find_last_not_of(' ') - first + 1);
}

}  // namespace

const std::vector<std::pair<std::string_view, QVRTallixKeyType>>& TallixKeyTyper::words() {
  static const auto table = [] {
    std::vector<std::pair<std::string_view, QVRTallixKeyType>> words{
        {"sin", QVRTallixKeyTypeSine},
        {"cos", QVRTallixKeyTypeCosine},
        {"tan", QVRTallixKeyTypeTangent},
        {"asin", QVRTallixKeyTypeInverseSine},
        {"acos", QVRTallixKeyTypeInverseCosine},
        {"atan", QVRTallixKeyTypeInverseTangent},
        {"sinh", QVRTallixKeyTypeHyperbolicSine},
        {"cosh", QVRTallixKeyTypeHyperbolicCosine},
        {"tanh", QVRTallixKeyTypeHyperbolicTangent},
        {"asinh", QVRTallixKeyTypeInverseHyperbolicSine},
        {"acosh", QVRTallixKeyTypeInverseHyperbolicCosine},
        {"atanh", QVRTallixKeyTypeInverseHyperbolicTangent},
        {"ln", QVRTallixKeyTypeNaturalLogarithm},
        {"log", QVRTallixKeyTypeLogarithmBase10},
        {"log10", QVRTallixKeyTypeLogarithmBase10},
        {"log2", QVRTallixKeyTypeLogarithmBase2},
        {"logy", QVRTallixKeyTypeLogarithmToABase},
        {"exp", QVRTallixKeyTypeExponential},
        {"sqrt", QVRTallixKeyTypeSquareRoot},
        {"cbrt", QVRTallixKeyTypeCubeRoot},
        {"root", QVRTallixKeyTypeXthRootOfY},
        {"yroot", QVRTallixKeyTypeYthRootOfX},
        {"pow", QVRTallixKeyTypePower},
        {"ypow", QVRTallixKeyTypeReversePower},
        {"sq", QVRTallixKeyTypeSquare},
        {"cube", QVRTallixKeyTypeCube},
        {"inv", QVRTallixKeyTypeReciprocal},
        {"fact", QVRTallixKeyTypeFactorial},
        {"ee", QVRTallixKeyTypeEngineeringExponent},
        {"tenpow", QVRTallixKeyTypeTenToThePower},
        {"twopow", QVRTallixKeyTypeTwoToThePower},
        {"rnd", QVRTallixKeyTypeRound},
        {"round", QVRTallixKeyTypeRound},
        {"rand", QVRTallixKeyTypeRandom},
        {"pi", QVRTallixKeyTypePi},
        {"euler", QVRTallixKeyTypeEulersNumber},
        {"neg", QVRTallixKeyTypeSignChange},
        {"del", QVRTallixKeyTypeDelete},
        // The angle-mode key is named after what it switches to.
        {"rad", QVRTallixKeyTypeAngleModeDegrees},
        {"deg", QVRTallixKeyTypeAngleModeRadians},
    };
    std::sort(words.begin(), words.end());
    return words;
  }();
  return table;
}

std::optional<QVRTallixKeyType> TallixKeyTyper::keyNamed(std::string_view word) {
  // The longest name has six letters.
  char buffer[8];
  if (word.size() >= sizeof buffer) return std::nullopt;
  std::transform(word.begin(), word.end(), buffer, lowercasedASCII);
  const std::string_view name(buffer, word.size());
  const auto& table = words();
  const auto found =
      std::lower_bound(table.begin(), table.end(), name,
                       [](const auto& entry, std::string_view key) { return entry.first < key; });
  if (found == table.end() || found->first != name) return std::nullopt;
  return found->second;
}

TallixKeyTyper::TallixKeyTyper() {
  for (std::size_t byte = 0; byte < _asciiKeys.size(); ++byte) {
    const char character = static_cast<char>(byte);
    _asciiKeys[byte] = QVRTallixExpression::keyTypeFromString(std::string_view(&character, 1));
  }
}

std::optional<std::string> TallixKeyTyper::keyTypes(std::string_view text,
                                                    std::vector<QVRTallixKeyType>& keys) const {
  return keyTypes(text, keys, nullptr);
}

std::optional<std::string> TallixKeyTyper::keyTypes(std::string_view text,
                                                    std::vector<QVRTallixKeyType>& keys,
                                                    std::vector<QVRTallixNumber>& constants) const {
  return keyTypes(text, keys, &constants);
}

void TallixKeyTyper::handleKeys(QVRTallixExpression& expression,
                                const std::vector<QVRTallixKeyType>& keys,
                                const std::vector<QVRTallixNumber>& constants) {
  std::size_t next = 0;
  for (const QVRTallixKeyType key : keys) {
    if (key == QVRTallixKeyTypeConstants && next < constants.size()) {
      expression.addNumber(constants[next++]);
    } else {
      expression.handleKey(key);
    }
  }
}

std::optional<std::string> TallixKeyTyper::keyTypes(std::string_view text,
                                                    std::vector<QVRTallixKeyType>& keys,
                                                    std::vector<QVRTallixNumber>* constants) const {
  const std::size_t keysBefore = keys.size();
  const std::size_t constantsBefore = constants ? constants->size() : 0;
  const auto failed = [&](std::string_view word) {
    keys.resize(keysBefore);
    if (constants) constants->resize(constantsBefore, QVRTallixNumber());
    return std::optional<std::string>(word);
  };
  std::size_t index = 0;
  while (index < text.size()) {
    const char character = text[index];
    if (character == '{' && constants) {
      const std::size_t close = text.find('}', index + 1);
      if (close == std::string_view::npos) return failed(text.substr(index));
      const std::string_view title = trimmedTitle(text.substr(index + 1, close - index - 1));
      const auto found = TallixConstantLookup::titled(title);
      const auto* constant = std::get_if<TallixConstantLookup::Constant>(&found);
      if (!constant) return failed(text.substr(index, close + 1 - index));
      keys.push_back(QVRTallixKeyTypeConstants);
      constants->push_back((*constant)->tallixNumber());
      index = close + 1;
      continue;
    }
    const auto shown = std::ranges::find_if(shownOperations(), [&](const auto& entry) {
      return text.substr(index).starts_with(entry.first);
    });
    if (shown != shownOperations().end()) {
      keys.push_back(shown->second);
      index += shown->first.size();
      continue;
    }
    if (isASCIILetter(character)) {
      std::size_t end = index;
      while (end < text.size() && isASCIILetter(text[end])) ++end;
      std::size_t digitsEnd = end;
      while (digitsEnd < text.size() && isASCIIDigit(text[digitsEnd])) ++digitsEnd;
      if (digitsEnd > end) {
        if (const auto key = keyNamed(text.substr(index, digitsEnd - index))) {
          keys.push_back(*key);
          index = digitsEnd;
          continue;
        }
      }
      if (end - index == 1) {
        keys.push_back(_asciiKeys[static_cast<unsigned char>(character)]);
      } else if (const auto key = keyNamed(text.substr(index, end - index))) {
        keys.push_back(*key);
      } else {
        return failed(text.substr(index, end - index));
      }
      index = end;
      continue;
    }
    const auto lead = static_cast<unsigned char>(character);
    if (lead < 0x80) {
      keys.push_back(_asciiKeys[lead]);
      ++index;
      continue;
    }
    const std::size_t length = std::min(characterLength(lead), text.size() - index);
    const std::string_view typed = text.substr(index, length);
    // ×, ÷ and − are operations' own texts, typed above.
    keys.push_back(QVRTallixExpression::keyTypeFromString(typed));
    index += length;
  }
  return std::nullopt;
}

std::string TallixKeyTyper::keysHelp() {
  // The names wrapped at 92 columns, the first line after "Key names: ".
  std::string names;
  std::size_t column = 11;
  for (const auto& [word, key] : words()) {
    if (!names.empty()) {
      const bool wraps = column + 1 + word.size() > 92;
      names += wraps ? '\n' : ' ';
      column = wraps ? 0 : column + 1;
    }
    names += word;
    column += word.size();
  }
  return fmt::format(
      R"KEYS(Keys: digits, "." or "," (decimal separator), + - * / (also × − ÷), ^ (power), ( ) or [ ],
% (percent), ! (factorial), @ (square), # (cube), √ (square root), ± (sign), E (times ten
to the power), e (e to the power), C or c (clear); blanks are ignored. {{TITLE}} types the
constant of that title ('{{g}} * 2', '{{Speed of Light}}'; see 'tallix constants').
Key names: {}.
Functions are postfix, as on the calculator: '30 sin' is the sine of 30, '2 sqrt' the
square root of 2; 'rad' and 'deg' switch the angle unit.
)KEYS",
      names);
}

std::string TallixKeyTyper::unknownWordMessage(std::string_view word, std::string_view text,
                                               std::string_view help) {
  if (word.starts_with("{")) {
    if (!word.ends_with("}") || word.size() < 2) {
      return fmt::format("missing '}}' after '{}' in '{}'", word, text);
    }
    const auto found = TallixConstantLookup::titled(trimmedTitle(word.substr(1, word.size() - 2)));
    if (const auto* message = std::get_if<std::string>(&found)) {
      return fmt::format("{} in '{}'", *message, text);
    }
  }
  return fmt::format("unknown key name '{}' in '{}' ({} for the key names)", word, text, help);
}

}  // namespace tallix
