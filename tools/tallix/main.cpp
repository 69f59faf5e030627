#include <string>
#include <vector>

#include "cloud/QVRCKStoreChoice.h"
#include "common/QVREnvironment.h"
#include "common/QVRPollRunLoop.h"
#include "common/QVRRunLoop.h"
#include "tallix/TallixCommandLine.h"
#include "tallix/TallixDocumentWait.h"
#include "tallix/TallixIO.h"

int main(int argc, char** argv) {
  auto environment = QVREnvironment::makeLive();
  QVREnvironment::Installation installation(*environment);
  // The cloud store of the user's configuration stands behind the documents.
  QVRCKStoreChoice::current().install(dynamic_cast<QVRPollRunLoop*>(&environment->runLoop()));
  tallix::TallixStandardIO io;
  tallix::TallixCommandLine commandLine(tallix::TallixCommandLine::defaultCommands());
  const int status = commandLine.run(std::vector<std::string>(argv + 1, argv + argc), io);
  // Leaving runs the timers that save at termination (the current expression, documents), and
  // what changed is uploaded before the program ends.
  tallix::TallixDocumentWait::terminate();
  return status;
}
