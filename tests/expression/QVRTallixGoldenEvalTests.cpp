// The recorded outputs of the reference build's `tallix eval` as an oracle for editing,
// evaluation and the text form: every case types its keys into a new expression and compares
// stringDescription with the recorded line.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/QVRUserLocale.h"
#include "expression/QVRTallixExpression.h"
#include "support/ScopedEnvironment.h"
#include "support/TallixTest.h"

namespace {

// The key names of `tallix eval` (words of two or more letters).
const std::map<std::string, QVRTallixKeyType, std::less<>> keyNames = {
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
    {"pi", QVRTallixKeyTypePi},
    {"euler", QVRTallixKeyTypeEulersNumber},
    {"neg", QVRTallixKeyTypeSignChange},
    {"del", QVRTallixKeyTypeDelete},
    {"rad", QVRTallixKeyTypeAngleModeDegrees},
    {"deg", QVRTallixKeyTypeAngleModeRadians}};

bool isLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string lowercased(std::string text) {
  for (char& c : text) c = static_cast<char>(isLetter(c) && c < 'a' ? c + 32 : c);
  return text;
}

// The keys that `text` types; none for an unknown key name.
std::optional<std::vector<QVRTallixKeyType>> keysOf(const std::string& text) {
  std::vector<QVRTallixKeyType> keys;
  for (std::size_t index = 0; index < text.size();) {
    if (isLetter(text[index])) {
      std::size_t end = index;
      while (end < text.size() && isLetter(text[end])) ++end;
      std::size_t digitsEnd = end;
      while (digitsEnd < text.size() && isDigit(text[digitsEnd])) ++digitsEnd;
      const std::string word = text.substr(index, end - index);
      if (auto found = keyNames.find(lowercased(text.substr(index, digitsEnd - index)));
          digitsEnd > end && found != keyNames.end()) {
        keys.push_back(found->second);
        index = digitsEnd;
      } else if (word.size() == 1) {
        keys.push_back(QVRTallixExpression::keyTypeFromString(word));
        index = end;
      } else if (auto named = keyNames.find(lowercased(word)); named != keyNames.end()) {
        keys.push_back(named->second);
        index = end;
      } else {
        return std::nullopt;
      }
      continue;
    }
    std::size_t length = 1;
    const auto lead = static_cast<unsigned char>(text[index]);
    if (lead >= 0xF0)
      length = 4;
    else if (lead >= 0xE0)
      length = 3;
    else if (lead >= 0xC0)
      length = 2;
    std::string character = text.substr(index, length);
    if (character == "×") character = "*";
    if (character == "÷") character = "/";
    if (character == "−") character = "-";
    keys.push_back(QVRTallixExpression::keyTypeFromString(character));
    index += length;
  }
  return keys;
}

std::string unescaped(const std::string& field) {
  std::string text;
  for (std::size_t index = 0; index < field.size(); ++index) {
    if (field[index] == '\\' && index + 1 < field.size()) {
      const char next = field[++index];
      text += next == 't' ? '\t' : next == 'n' ? '\n' : next;
    } else {
      text += field[index];
    }
  }
  return text;
}

class QVRTallixGoldenEval : public TallixTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(QVRTallixGoldenEval, TypedKeysPrintTheRecordedLine) {
  const std::filesystem::path file =
      std::filesystem::path(TALLIX_SHARED_DIR) / "golden" / (GetParam() + ".tsv");
  std::ifstream input(file);
  if (!input) GTEST_SKIP() << "no recorded outputs at " << file;
  std::string line;
  std::vector<std::string> header;
  for (int index = 0; index < 4 && std::getline(input, line); ++index) header.push_back(line);
  ASSERT_EQ(header.size(), 4u);
  const bool radians = header[1].find("--radians") != std::string::npos;
  std::string locale = "en_US";
  if (const auto position = header[2].find("LC_ALL="); position != std::string::npos) {
    const std::string value =
        header[2].substr(position + 7, header[2].find(' ', position) - position - 7);
    locale = QVRUserLocale::localeIdentifier(value).value_or("en_US");
  }
  // hi_IN was recorded grouping by threes, while the number formatting groups as the locale does
  // (12,34,567): there the lines are compared without their group separators.
  const bool withoutGrouping = locale == "hi_IN";
  ScopedEnvironment scoped(locale);
  int cases = 0;
  int failures = 0;
  while (std::getline(input, line)) {
    const auto tab = line.find('\t');
    if (tab == std::string::npos) continue;
    const std::string keysText = unescaped(line.substr(0, tab));
    std::string expected = unescaped(line.substr(tab + 1));
    const auto keys = keysOf(keysText);
    if (!keys) continue;
    ++cases;
    QVRTallixExpression expression;
    expression.setRadMode(radians);
    for (const QVRTallixKeyType key : *keys) expression.handleKey(key);
    std::string printed = expression.stringDescription();
    if (withoutGrouping) {
      std::erase(printed, ',');
      std::erase(expected, ',');
    }
    if (printed != expected && ++failures <= 20) {
      ADD_FAILURE() << "keys: " << keysText << "\nprinted:  " << printed
                    << "\nrecorded: " << expected;
    }
  }
  EXPECT_GT(cases, 90);
  EXPECT_EQ(failures, 0) << failures << " of " << cases << " cases differ";
}

INSTANTIATE_TEST_SUITE_P(RecordedOutputs, QVRTallixGoldenEval,
                         ::testing::Values("eval-en_US", "eval-nolocale", "eval-de_DE",
                                           "eval-fr_CH", "eval-ar_EG", "eval-hi_IN",
                                           "eval-radians"),
                         [](const auto& info) {
                           std::string name = info.param;
                           for (char& c : name) c = isLetter(c) || isDigit(c) ? c : '_';
                           return name;
                         });

}  // namespace
