// tallix-render: the drawing half of `tallix render`, a program of its own so that tallix does
// not load cairo, HarfBuzz and FreeType at every start. tallix starts it as
// `tallix-render render ARGUMENTS…`.
#include <memory>
#include <string>
#include <vector>

#include "common/QVREnvironment.h"
#include "tallix/RenderCommand.h"
#include "tallix/TallixCommandLine.h"
#include "tallix/TallixIO.h"
#include "tallix/TallixRenderDrawing.h"

int main(int argc, char** argv) {
  auto environment = QVREnvironment::makeLive();
  QVREnvironment::Installation installation(*environment);
  std::vector<std::unique_ptr<tallix::TallixCommand>> commands;
  commands.push_back(std::make_unique<tallix::RenderCommand>(&tallix::TallixRenderDrawing::run));
  tallix::TallixStandardIO io;
  tallix::TallixCommandLine commandLine(std::move(commands));
  return commandLine.run(std::vector<std::string>(argv + 1, argv + argc), io);
}
