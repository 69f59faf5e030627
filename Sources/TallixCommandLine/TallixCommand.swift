import Foundation

/// One subcommand of `tallix` (`tallix NAME ARGUMENTS…`).
public protocol TallixCommand {
    /// The word that selects the command.
    static var name: String { get }
    /// One line for the overview of `tallix --help`.
    static var summary: String { get }
    /// The command's own help text.
    static var usage: String { get }
    /// Runs the command; answers the exit code (0 done, 1 failed, 2 bad usage).
    @MainActor static func run(_ arguments: [String], io: TallixIO) -> Int32
}

/// The exit codes of `tallix`.
public enum TallixExitCode {
    public static let success: Int32 = 0
    public static let failure: Int32 = 1
    public static let usage: Int32 = 2
}
