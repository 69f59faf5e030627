#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "tallix/TallixCommand.h"

namespace tallix {

// `tallix render [--radians] [--scale N] --png FILE | --svg FILE [--] EXPR…`: types the
// expression as `tallix eval` does, lays its display items out with the glyph engine and draws
// them into a PNG or SVG file (or both).
//
// The drawing needs cairo, HarfBuzz and FreeType, which cost every start of tallix time and
// memory; so tallix hands the arguments to the separate program tallix-render
// (TallixSiblingProgram), which draws with TallixRenderDrawing. The command itself parses nothing
// but --help: the drawing is given the arguments as they are.
class RenderCommand final : public TallixCommand {
 public:
  using Drawing = std::function<int(const std::vector<std::string>& arguments, TallixIO& io)>;

  explicit RenderCommand(Drawing drawing);

  std::string_view name() const override { return "render"; }
  std::string_view summary() const override {
    return "draw an expression as a picture: tallix render '2+3' --png sum.png";
  }
  std::string usage() const override;
  // Takes every argument as it is: expressions such as "-5" are no options.
  void configure(CLI::App& command) override;
  int run(TallixIO& io) override;

 private:
  Drawing _drawing;
  CLI::App* _command = nullptr;
};

}  // namespace tallix
