// The glyph engine (marks, fonts, images) and the SVG width reader behind its images.

#include <gtest/gtest.h>

#include <string>

#include "display/QVRGlyphLayoutEngine.h"
#include "display/QVRSVGImageSize.h"
#include "display/QVRTallixExpressionDisplayItem.h"
#include "support/TallixTest.h"

namespace {

class QVRGlyphLayoutEngineTest : public TallixTest {
 protected:
  QVRGlyphLayoutEngine& engine() { return *QVRGlyphLayoutEngine::sharedEngine(); }
};

// Scripts, right-to-left text and broken bytes in digits are the display items' property test.
TEST_F(QVRGlyphLayoutEngineTest, ScriptsAreFoundAndNoSizeGivesNoLine) {
  EXPECT_EQ(QVRGlyphLayoutEngine::scriptOfText("π١٢"), HB_SCRIPT_ARABIC);
  EXPECT_EQ(QVRGlyphLayoutEngine::scriptOfText("\xff\xfe"), HB_SCRIPT_LATIN);
  EXPECT_EQ(engine().layoutLine("1", 0), std::nullopt);
}

TEST_F(QVRGlyphLayoutEngineTest, EveryShownOperationHasItsImage) {
  for (const QVRTallixOperationInfo& info : QVRTallixOperationTable) {
    if (info.name == "OpenParenthesis" || info.name == "CloseParenthesis" || info.name == "Equal") {
      continue;
    }
    SCOPED_TRACE(info.name);
    EXPECT_GT(engine().widthOfImage("Expression_" + std::string(info.name)).value_or(0), 10);
  }
  EXPECT_GT(engine().widthOfImage("Expression_TrigMode_Degree").value_or(0), 10);
  EXPECT_GT(engine().widthOfImage("Expression_TrigMode_Radian").value_or(0), 10);
  for (const char* name : {"Expression_none", "../images/Expression_Add", ".hidden", ""}) {
    EXPECT_EQ(engine().widthOfImage(name), std::nullopt) << name;
  }
  const auto missing = QVRGlyphLayoutEngine::engineWithFontFile("/nonexistent/font.ttf", "");
  EXPECT_EQ(missing.value, nullptr);
  EXPECT_EQ(missing.error, "cannot open the font /nonexistent/font.ttf");
}

TEST(QVRSVGImageSize, ReadsTheRootWidth) {
  struct Case {
    const char* document;
    std::optional<double> width;
  } cases[] = {
      {R"(<svg xmlns="http://www.w3.org/2000/svg" width="28" height="17"/>)", 28},
      {R"(<s:svg xmlns:s="http://www.w3.org/2000/svg" width=" 12.5px "/>)", 12.5},
      {R"(<svg width="18pt"/>)", 24},
      {R"(<svg viewBox="0,0 31.5 17"/>)", 31.5},
      {R"(<svg width="50%" viewBox="0 0 31 17"/>)", std::nullopt},
      {R"(<svg width="1e300"/>)", std::nullopt},
      {R"(<html width="20"/>)", std::nullopt},
      {R"(<svg width="20">)", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.document);
    const std::string_view text = c.document;
    EXPECT_EQ(QVRSVGImageSize::widthFromData(
                  {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}),
              c.width);
  }
}

}  // namespace
