import Foundation
import QVRTallixModel

/// `tallix [--radians]`: the line-mode calculator on the current expression (Part 2.6).
///
/// Each line is typed as keys into the current expression; the line's end is the Equal key, so
/// the expression with its result is printed and the result stays as the start of the next line:
/// a line that begins with an operator goes on from it ("*2"), one that begins with a digit
/// starts afresh. "C" clears. The current expression is written to its file every 10 seconds
/// and when the program ends, so it survives a restart. "quit", "exit" or the end of input ends.
public enum LineModeCommand: TallixCommand {
    public static let name = "lines"
    public static let summary = "the line-mode calculator (also: tallix with no command)"
    public static var usage: String {
        """
        usage: tallix [--radians]
               tallix lines [--radians]

        A calculator on the terminal: type keys (as for 'tallix eval') and press Enter to see the
        expression and its result. The result stays: '*2' goes on from it, a digit starts a new
        calculation, 'C' clears. 'help' shows this text, 'quit' (or the end of input) ends.
        The expression on the display is kept in the application-support directory and comes
        back at the next start.

        Options:
          --radians   angles in radians (default: degrees)
          --help      this text
        """
    }

    @MainActor public static func run(_ arguments: [String], io: TallixIO) -> Int32 {
        var radians = false
        for argument in arguments {
            switch argument {
            case "--radians": radians = true
            case "--help", "-h":
                io.write(usage + "\n")
                return TallixExitCode.success
            default:
                io.writeError("tallix: unknown option '\(argument)'\nRun 'tallix --help' for usage.\n")
                return TallixExitCode.usage
            }
        }
        let expression = QVRTallixExpression.currentExpression
        if radians { expression.setRadMode(true) }
        while let line = io.readLine() {
            let trimmed = line.trimmingCharacters(in: .whitespaces)
            if ["quit", "exit", "q"].contains(trimmed) { break }
            if trimmed == "help" || trimmed == "?" {
                io.write(usage + "\n")
                continue
            }
            switch TallixKeyTyper.keyTypes(for: line) {
            case .failure(let error):
                io.writeError("tallix: \(error)\n")
            case .success(let keys):
                let current = QVRTallixExpression.currentExpression
                for key in keys { current.handleKey(key) }
                io.write(current.stringDescription + "\n")
                let next = QVRTallixExpression(tallixNumber: current.result)
                next.setRadMode(current.radMode)
                QVRTallixExpression.setCurrentExpression(next)
            }
        }
        QVREnvironment.current.scheduler.terminate()
        return TallixExitCode.success
    }
}
