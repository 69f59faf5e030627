// tallix render: pictures compared by pixels with the committed golden images, and its errors.
// TALLIX_UPDATE_GOLDEN=1 writes the golden images anew (look at them before committing).

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "display/QVRSVGImageSize.h"
#include "support/TallixCommandRun.h"
#include "support/TallixTest.h"

namespace {

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

Surface readPNG(const std::filesystem::path& file) {
  return Surface(cairo_image_surface_create_from_png(file.c_str()), &cairo_surface_destroy);
}

// The share of pixels whose channels differ by more than a little (anti-aliasing may change
// between cairo and FreeType versions); 1 for pictures of other sizes.
double differingShare(cairo_surface_t* left, cairo_surface_t* right) {
  const int width = cairo_image_surface_get_width(left);
  const int height = cairo_image_surface_get_height(left);
  if (width != cairo_image_surface_get_width(right) ||
      height != cairo_image_surface_get_height(right) || width * height == 0) {
    return 1;
  }
  int differing = 0;
  for (int y = 0; y < height; ++y) {
    const unsigned char* a = cairo_image_surface_get_data(left) +
                             static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(left);
    const unsigned char* b = cairo_image_surface_get_data(right) +
                             static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(right);
    for (int x = 0; x < width * 4; x += 4) {
      for (int channel = 0; channel < 4; ++channel) {
        if (std::abs(a[x + channel] - b[x + channel]) > 24) {
          ++differing;
          break;
        }
      }
    }
  }
  return static_cast<double>(differing) / (width * height);
}

class TallixExpressionPictureTest : public TallixTest {};

TEST_F(TallixExpressionPictureTest, PicturesMatchTheGoldenImages) {
  struct Case {
    const char* expression;
    const char* name;
  } cases[] = {
      {"12+3", "typed_sum"},
      {"(1.5+2)*3", "parentheses"},
      {"30 sin + pi", "degrees_and_constant"},
      {"rad (1+2) sqrt / 7.25 + 1 cos", "radians_and_functions"},
      {"5! - 12.5 neg", "negative_typed_number"},
  };
  const std::filesystem::path golden =
      std::filesystem::path(TALLIX_TEST_SOURCE_DIR) / "display/golden";
  const bool update = std::getenv("TALLIX_UPDATE_GOLDEN") != nullptr;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expression);
    const auto drawn = environment().temporaryDirectory() / (std::string(c.name) + ".png");
    const auto svg = environment().temporaryDirectory() / (std::string(c.name) + ".svg");
    const TallixOutcome outcome = tallixRun(
        {"render", c.expression, "--png", drawn.string(), "--svg", svg.string(), "--scale", "2"});
    ASSERT_EQ(outcome.status, 0) << outcome.error;
    const auto expected = golden / (std::string(c.name) + ".png");
    if (update)
      std::filesystem::copy_file(drawn, expected,
                                 std::filesystem::copy_options::overwrite_existing);
    const Surface picture = readPNG(drawn), reference = readPNG(expected);
    ASSERT_EQ(cairo_surface_status(reference.get()), CAIRO_STATUS_SUCCESS) << expected;
    EXPECT_LT(differingShare(picture.get(), reference.get()), 0.01);
    // The SVG is as wide as the PNG at scale 1; cairo gives its width in points.
    EXPECT_NEAR(QVRSVGImageSize::widthFromFile(svg).value_or(0) * 72 / 96,
                cairo_image_surface_get_width(picture.get()) / 2.0, 1e-9);
  }
}

TEST_F(TallixExpressionPictureTest, ErrorsHaveTheirExitStatus) {
  const std::string unwritable = "/nonexistent-directory/picture";
  const std::string good = (environment().temporaryDirectory() / "good.png").string();
  struct Case {
    std::vector<std::string> arguments;
    int status;
    const char* error;
  } cases[] = {
      {{"render", "1", "--png", unwritable + ".png"},
       1,
       "tallix render: cannot write /nonexistent-directory/picture.png: error while writing to "
       "output stream\n"},
      {{"render", "--svg", unwritable + ".svg", "1"},
       1,
       "tallix render: cannot write /nonexistent-directory/picture.svg: error while writing to "
       "output stream\n"},
      {{"render", "1", "--png", good, "--scale", "17"},
       2,
       "tallix render: --scale needs a number above 0 and at most 16, not '17' (see 'tallix "
       "render --help')\n"},
      {{"render", "1", "--png"},
       2,
       "tallix render: --png needs a value (see 'tallix render --help')\n"},
      {{"render", "1"},
       2,
       "tallix render: no picture file: give --png FILE or --svg FILE (see 'tallix render "
       "--help')\n"},
      {{"render", "--png", good, "--"},
       2,
       "tallix render: no expression to draw (see 'tallix render --help')\n"},
      {{"render", "--png", good, "--", "--5"}, 0, ""},
      {{"render", "2", "--png", good, "--scale", "16", "--radians"}, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.back());
    const TallixOutcome outcome = tallixRun(c.arguments);
    EXPECT_EQ(outcome.status, c.status);
    EXPECT_EQ(outcome.error, c.error);
  }
}

}  // namespace
