#include "tallix/RenderCommand.h"

#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <utility>
#include <vector>

#include "tallix/TallixKeyTyper.h"

namespace tallix {

std::string RenderCommand::usage() const {
  return fmt::format(R"USAGE(usage: tallix render [--radians] [--scale N] --png FILE [--] EXPR…
       tallix render [--radians] --svg FILE [--] EXPR…

Types EXPR key by key into a new expression, as 'tallix eval' does (several words are
joined by blanks), and draws the calculator's row of it: typed digits as text, operations
and the angle mode as badges, results and constants in rounded boxes, on white:

    $ tallix render '(1.5+2)*3' --png sum.png --scale 2

{}
Options:
  --png FILE  write a PNG picture (both --png and --svg may be given)
  --svg FILE  write an SVG picture
  --scale N   pixels per point of the PNG, above 0 and at most 16 (default 1)
  --radians   angles in radians (default: degrees)
  --help      this text

Exit status: 0 when the pictures were written, 1 when a file could not be written or no
font was found, 2 for a bad option, a missing EXPR or file, or an unknown key name.
)USAGE",
                     TallixKeyTyper::keysHelp());
}

void RenderCommand::configure(CLI::App& command) {
  command.allow_extras();
  _command = &command;
}

RenderCommand::RenderCommand(Drawing drawing) : _drawing(std::move(drawing)) {}

int RenderCommand::run(TallixIO& io) {
  return _drawing(_command ? _command->remaining() : std::vector<std::string>(), io);
}

}  // namespace tallix
