#pragma once

#include <chrono>
#include <functional>

class QVRCKDocument;

namespace tallix {

// A document polls the store when it is made and uploads right after each save, but the answers
// come back on the run loop, and a command's life is shorter than the 10 seconds before a save.
// A command waits for them here, a bounded time, so that what it shows includes the other
// machines' changes and what it changed reaches the store before it ends. A slow store delays a
// command by at most `limit` each time; what is not done then is done at a later start.
class TallixDocumentWait {
 public:
  static constexpr std::chrono::seconds limit{10};

  // Runs the program's run loop while `busy` holds, for at most `limit`. Other run loops (the
  // tests' virtual time) are driven by their owner, so this returns at once there.
  static void whileBusy(const std::function<bool()>& busy);
  // Until the document's first poll has ended.
  static void untilPolled(const QVRCKDocument& document);
  // Ends the program's run loop (its timers save and upload the documents at termination) once
  // the polls of the tape and the custom constants have ended, for those the command opened (a
  // document does not upload while it polls), then waits until their uploads have ended.
  static void terminate();
};

}  // namespace tallix
