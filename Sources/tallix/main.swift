import Foundation
import TallixCommandLine

let status = MainActor.assumeIsolated {
    TallixCommandLine.run(Array(CommandLine.arguments.dropFirst()), io: .standard)
}
exit(status)
