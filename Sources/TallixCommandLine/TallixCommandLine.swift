import Foundation
import QVRTallixModel

/// The terminal calculator `tallix`: chooses the subcommand and runs it.
public enum TallixCommandLine {
    /// The subcommands, in the order `--help` lists them.
    static var commands: [any TallixCommand.Type] {
        [EvalCommand.self, LineModeCommand.self, ConvertCommand.self, UnitsCommand.self]
    }

    /// Runs `tallix` with `arguments` (without the program name); answers the exit code.
    @MainActor public static func run(_ arguments: [String], io: TallixIO) -> Int32 {
        // "--radians" may also stand before the command: it is passed on to the command.
        let leading = arguments.prefix { $0 == "--radians" }
        if !leading.isEmpty, arguments.count > leading.count,
            let command = commands.first(where: { $0.name == arguments[leading.count] })
        {
            return command.run(Array(leading) + arguments.dropFirst(leading.count + 1), io: io)
        }
        guard let first = arguments.first, first.hasPrefix("--") == false || first == "--help" else {
            // No command: the line-mode calculator, with the options given.
            return LineModeCommand.run(arguments, io: io)
        }
        if first == LineModeCommand.name {
            return LineModeCommand.run(Array(arguments.dropFirst()), io: io)
        }
        if first == "--help" || first == "-h" || first == "help" {
            io.write(overview())
            return TallixExitCode.success
        }
        if let command = commands.first(where: { $0.name == first }) {
            return command.run(Array(arguments.dropFirst()), io: io)
        }
        io.writeError("tallix: unknown command or option '\(first)'\nRun 'tallix --help' for the commands.\n")
        return TallixExitCode.usage
    }

    /// The text of `tallix --help`.
    static func overview() -> String {
        var text = "usage: tallix COMMAND [ARGUMENTS…]\n\nCommands:\n"
        for command in commands {
            text += "  " + command.name.padding(toLength: 10, withPad: " ", startingAt: 0) + command.summary + "\n"
        }
        text += "\nRun 'tallix COMMAND --help' for a command's own options.\n"
        return text
    }
}
