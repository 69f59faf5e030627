#include "tallix/TallixRenderDrawing.h"

#include <fmt/format.h>

#include <charconv>
#include <optional>

#include "display/QVRGlyphLayoutEngine.h"
#include "expression/QVRTallixExpression.h"
#include "tallix/TallixCommand.h"
#include "tallix/TallixExpressionPicture.h"
#include "tallix/TallixKeyTyper.h"

namespace tallix {

namespace {

int usageError(const std::string& message, TallixIO& io) {
  io.writeError(fmt::format("tallix render: {} (see 'tallix render --help')\n", message));
  return TallixExitCode::usage;
}

std::optional<double> scaleFrom(std::string_view text) {
  double scale = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), scale);
  if (error != std::errc() || end != text.data() + text.size() || !(scale > 0) ||
      scale > TallixExpressionPicture::maximumScale) {
    return std::nullopt;
  }
  return scale;
}

}  // namespace

int TallixRenderDrawing::run(const std::vector<std::string>& arguments, TallixIO& io) {
  bool radians = false;
  double scale = 1;
  std::optional<std::string> png, svg;
  std::string text;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const bool option = !optionsEnded && argument.starts_with("--");
    if (option && argument == "--") {
      optionsEnded = true;
    } else if (option && argument == "--radians") {
      radians = true;
    } else if (option && (argument == "--png" || argument == "--svg" || argument == "--scale")) {
      if (i + 1 == arguments.size()) return usageError(argument + " needs a value", io);
      const std::string& value = arguments[++i];
      if (argument == "--png") {
        png = value;
      } else if (argument == "--svg") {
        svg = value;
      } else if (const auto parsed = scaleFrom(value)) {
        scale = *parsed;
      } else {
        return usageError("--scale needs a number above 0 and at most 16, not '" + value + "'", io);
      }
    } else if (option) {
      return usageError("unknown option '" + argument + "'", io);
    } else {
      text += (text.empty() ? "" : " ") + argument;
    }
  }
  if (text.empty()) return usageError("no expression to draw", io);
  if (!png && !svg) return usageError("no picture file: give --png FILE or --svg FILE", io);
  if ((png && png->empty()) || (svg && svg->empty())) {
    return usageError("the picture file needs a name", io);
  }

  const TallixKeyTyper typer;
  std::vector<QVRTallixKeyType> keys;
  std::vector<QVRTallixNumber> constants;
  if (const auto unknown = typer.keyTypes(text, keys, constants)) {
    io.writeError(fmt::format(
        "tallix render: {}\n",
        TallixKeyTyper::unknownWordMessage(*unknown, text, "see 'tallix render --help'")));
    return TallixExitCode::usage;
  }
  QVRTallixExpression expression;
  expression.setRadMode(radians);
  TallixKeyTyper::handleKeys(expression, keys, constants);

  std::string fontError;
  QVRGlyphLayoutEngine* engine = QVRGlyphLayoutEngine::sharedEngine(&fontError);
  if (!engine) {
    io.writeError("tallix render: " + fontError + "\n");
    return TallixExitCode::failure;
  }
  const TallixExpressionPicture picture(*engine, expression);
  for (const auto& error : {png ? picture.writePNG(*png, scale) : std::nullopt,
                            svg ? picture.writeSVG(*svg) : std::nullopt}) {
    if (error) {
      io.writeError("tallix render: " + *error + "\n");
      return TallixExitCode::failure;
    }
  }
  return TallixExitCode::success;
}

}  // namespace tallix
