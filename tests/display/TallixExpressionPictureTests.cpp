// tallix render: pictures compared by pixels with the committed golden images, and its errors.
// TALLIX_UPDATE_GOLDEN=1 writes the golden images anew (look at them before committing).

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "display/QVRSVGImageSize.h"
#include "support/TallixCommandRun.h"
#include "support/TallixTest.h"
#include "tallix/RenderCommand.h"
#include "tallix/TallixRenderDrawing.h"

namespace {

// tallix render as the tallix-render program runs it, in this process.
TallixOutcome renderRun(const std::vector<std::string>& arguments) {
  std::vector<std::unique_ptr<tallix::TallixCommand>> commands;
  commands.push_back(std::make_unique<tallix::RenderCommand>(&tallix::TallixRenderDrawing::run));
  tallix::TallixCommandLine commandLine(std::move(commands));
  tallix::TallixBufferIO io;
  const int status = commandLine.run(arguments, io);
  return {status, io.output(), io.error()};
}

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

Surface readPNG(const std::filesystem::path& file) {
  return Surface(cairo_image_surface_create_from_png(file.c_str()), &cairo_surface_destroy);
}

// The share of pixels whose channels differ by more than a little (anti-aliasing may change
// between cairo and FreeType versions); 1 for pictures of other sizes.
double differingShare(cairo_surface_t* left, cairo_surface_t* right) {
  const int width = cairo_image_surface_get_width(left),
            height = cairo_image_surface_get_height(left);
  if (width != cairo_image_surface_get_width(right) ||
      height != cairo_image_surface_get_height(right) || width * height == 0) {
    return 1;
  }
  // Both ARGB32 of one width: rows of 4 × width bytes, no padding.
  const unsigned char *a = cairo_image_surface_get_data(left),
                      *b = cairo_image_surface_get_data(right);
  int differing = 0;
  for (int i = 0; i < 4 * width * height; i += 4) {
    differing += std::max({std::abs(a[i] - b[i]), std::abs(a[i + 1] - b[i + 1]),
                           std::abs(a[i + 2] - b[i + 2]), std::abs(a[i + 3] - b[i + 3])}) > 24;
  }
  return static_cast<double>(differing) / (width * height);
}

class TallixExpressionPictureTest : public TallixTest {};

TEST_F(TallixExpressionPictureTest, PicturesMatchTheGoldenImages) {
  struct Case {
    const char* expression;
    const char* name;
  } cases[] = {
      {"30 sin + pi", "degrees_and_constant"},
      {"rad (1+2) sqrt / 7.25 + 1 cos", "radians_and_functions"},
      {"5! - 12.5 neg", "negative_typed_number"},
  };
  const std::filesystem::path golden =
      std::filesystem::path(TALLIX_TEST_SOURCE_DIR) / "display/golden";
  const bool update = std::getenv("TALLIX_UPDATE_GOLDEN") != nullptr;
  using copyOptions = std::filesystem::copy_options;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expression);
    const auto drawn = environment().temporaryDirectory() / "drawn.png";
    const auto svg = environment().temporaryDirectory() / "drawn.svg";
    const TallixOutcome outcome = renderRun(
        {"render", c.expression, "--png", drawn.string(), "--svg", svg.string(), "--scale", "2"});
    ASSERT_EQ(outcome.status, 0) << outcome.error;
    const auto expected = golden / (std::string(c.name) + ".png");
    if (update) std::filesystem::copy_file(drawn, expected, copyOptions::overwrite_existing);
    const Surface picture = readPNG(drawn), reference = readPNG(expected);
    ASSERT_EQ(cairo_surface_status(reference.get()), CAIRO_STATUS_SUCCESS) << expected;
    EXPECT_LT(differingShare(picture.get(), reference.get()), 0.01);
    // The SVG is as wide as the PNG at scale 1; cairo gives its width in points.
    EXPECT_NEAR(QVRSVGImageSize::widthFromFile(svg).value_or(0) * 72 / 96,
                cairo_image_surface_get_width(picture.get()) / 2.0, 1e-9);
  }
}

TEST_F(TallixExpressionPictureTest, AnUnwritableFileFails) {
  const TallixOutcome outcome = renderRun({"render", "1", "--png", "/nonexistent-directory/a.png"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.error,
            "tallix render: cannot write /nonexistent-directory/a.png: error while writing to "
            "output stream\n");
}

// tallix hands render to the tallix-render program beside it, with the arguments as given.
TEST_F(TallixExpressionPictureTest, TallixStartsTheDrawingProgram) {
  const auto drawn = environment().temporaryDirectory() / "sum.png";
  const std::string command = "'" + std::string(TALLIX_BINARY) + "' --radians render 2+3 --png '" +
                              drawn.string() + "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const Surface picture = readPNG(drawn);
  EXPECT_EQ(cairo_surface_status(picture.get()), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(tallixRun({"render", "--help"}).output.rfind("usage: tallix render", 0), 0u);
}

}  // namespace
