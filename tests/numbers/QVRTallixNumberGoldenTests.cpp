#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/QVRUserLocale.h"
#include "numbers/QVRTallixEditableNumber.h"
#include "numbers/QVRTallixNumber.h"
#include "support/ScopedEnvironment.h"
#include "support/TallixTest.h"

// The recorded outputs of the first implementation's `tallix eval` as an oracle for the display
// texts: every recorded case that types one number, one of the four operations and another
// number must show both typed numbers and the result as recorded, in the file's locale.

namespace {

class QVRTallixNumberGolden : public TallixTest {};

struct Operation {
  std::string_view key;
  std::string_view display;
  QVRTallixNumber (QVRTallixNumber::*apply)(const QVRTallixNumber&) const;
};

const Operation operations[] = {
    {"+", "+", &QVRTallixNumber::add},
    {"-", "\u2212", &QVRTallixNumber::subtract},
    {"\u2212", "\u2212", &QVRTallixNumber::subtract},
    {"*", "×", &QVRTallixNumber::multiply},
    {"×", "×", &QVRTallixNumber::multiply},
    {"/", "÷", &QVRTallixNumber::divide},
    {"÷", "÷", &QVRTallixNumber::divide},
};

// One recorded case "a op b": the keys of both numbers and the operation.
struct BinaryCase {
  std::string left;
  const Operation* operation = nullptr;
  std::string right;
};

bool isNumberKey(std::string_view keys, std::size_t index, std::size_t& length) {
  for (std::string_view key :
       {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", ".", ",", "\u066B"}) {
    if (keys.substr(index).starts_with(key)) {
      length = key.size();
      return true;
    }
  }
  return false;
}

// The case when `keys` type a number, an operation and a number (blanks anywhere), else none.
std::optional<BinaryCase> binaryCase(std::string_view keys) {
  BinaryCase result;
  std::string* operand = &result.left;
  for (std::size_t index = 0; index < keys.size();) {
    std::size_t length = 0;
    if (keys[index] == ' ') {
      ++index;
    } else if (isNumberKey(keys, index, length)) {
      operand->append(keys.substr(index, length));
      index += length;
    } else {
      const auto operation = std::find_if(std::begin(operations), std::end(operations),
                                          [&](const Operation& candidate) {
                                            return keys.substr(index).starts_with(candidate.key);
                                          });
      if (operation == std::end(operations) || result.operation || result.left.empty()) {
        return std::nullopt;
      }
      result.operation = &*operation;
      operand = &result.right;
      index += operation->key.size();
    }
  }
  const auto hasDigit = [](const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if (!result.operation || !hasDigit(result.left) || !hasDigit(result.right)) return std::nullopt;
  return result;
}

// The number that typing `keys` gives: digits, and any separator key for the separator.
QVRTallixNumber typed(std::string_view keys) {
  QVRTallixEditableNumber editable;
  for (char key : keys) {
    if (key >= '0' && key <= '9') {
      editable.addDigit(static_cast<std::uint64_t>(key - '0'));
    } else if (key == '.' || key == ',' || key == '\xD9') {
      editable.addSeparator();  // "\u066B" is two bytes; its first one stands for it
    }
  }
  return editable.number();
}

std::string withoutCommas(std::string text) {
  std::erase(text, ',');
  return text;
}

struct GoldenFile {
  const char* name;
  // hi_IN was recorded grouping by threes; this formatter groups as the locale does (12,34,567),
  // so there only the digits, separators and signs are compared.
  bool compareWithoutGrouping;
};

TEST_F(QVRTallixNumberGolden, RecordedOperationsShowTheirNumbersAsRecordedInEachLocale) {
  const GoldenFile files[] = {{"eval-en_US.tsv", false}, {"eval-de_DE.tsv", false},
                              {"eval-fr_CH.tsv", false}, {"eval-ar_EG.tsv", false},
                              {"eval-hi_IN.tsv", true},  {"eval-nolocale.tsv", false}};
  for (const GoldenFile& file : files) {
    SCOPED_TRACE(file.name);
    std::ifstream stream(std::string(TALLIX_SHARED_DIR) + "/golden/" + file.name);
    ASSERT_TRUE(stream) << "the golden file is missing";
    std::map<std::string, std::string> variables;
    std::optional<ScopedEnvironment> scoped;
    int checked = 0;
    for (std::string line; std::getline(stream, line);) {
      if (line.starts_with("# env:")) {
        std::string_view assignments = std::string_view(line).substr(6);
        while (!assignments.empty()) {
          const std::size_t blank = assignments.find(' ');
          const std::string_view assignment = assignments.substr(0, blank);
          if (const std::size_t equals = assignment.find('='); equals != std::string_view::npos) {
            variables[std::string(assignment.substr(0, equals))] = assignment.substr(equals + 1);
          }
          assignments = blank == std::string_view::npos ? "" : assignments.substr(blank + 1);
        }
        continue;
      }
      if (line.starts_with("# columns:")) {
        scoped.emplace(QVRUserLocale::localeIdentifierFromEnvironment([&](const char* name) {
          const auto found = variables.find(name);
          return found == variables.end() ? nullptr : found->second.c_str();
        }));
        continue;
      }
      const std::size_t tab = line.find('\t');
      if (!scoped || line.starts_with("# ") || tab == std::string::npos) continue;
      const std::optional<BinaryCase> binary = binaryCase(std::string_view(line).substr(0, tab));
      if (!binary) continue;
      const QVRTallixNumber left = typed(binary->left);
      const QVRTallixNumber right = typed(binary->right);
      const QVRTallixNumber result = (left.*(binary->operation->apply))(right);
      std::string shown = left.formattedString() + " " + std::string(binary->operation->display) +
                          " " + right.formattedString() + " = " + result.formattedString();
      std::string recorded = line.substr(tab + 1);
      if (file.compareWithoutGrouping) {
        shown = withoutCommas(shown);
        recorded = withoutCommas(recorded);
      }
      EXPECT_EQ(shown, recorded) << "keys: " << line.substr(0, tab);
      ++checked;
    }
    // The filter must keep finding cases: each file holds more than ten.
    EXPECT_GE(checked, 10);
    RecordProperty(file.name, checked);
  }
}

TEST_F(QVRTallixNumberGolden, IndianGroupingIsTheLocalesNotTheRecordedThrees) {
  ScopedEnvironment indian("hi_IN");
  // Recorded as "604,855.37" and "27,732,128,574.1".
  EXPECT_EQ(QVRTallixNumber(QVRTallixDecimal::fromString("604855.37")).formattedString(),
            "6,04,855.37");
  EXPECT_EQ(QVRTallixNumber(QVRTallixDecimal::fromString("27732128574.1")).formattedString(),
            "27,73,21,28,574.1");
}

}  // namespace
