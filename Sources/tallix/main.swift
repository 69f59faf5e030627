import Foundation
import TallixCommandLine

let status = MainActor.assumeIsolated { () -> Int32 in
    let arguments = Array(CommandLine.arguments.dropFirst())
    // The line-mode calculator reads its lines while the run loop runs, so that its timers fire.
    let interactive = arguments.allSatisfy { $0 == "--radians" } || arguments.first == "lines"
    return TallixCommandLine.run(arguments, io: interactive ? .interactive() : .standard)
}
exit(status)
