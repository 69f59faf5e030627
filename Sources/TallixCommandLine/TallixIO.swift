import Foundation

/// Where a command reads its input lines and writes its output and its error messages; the
/// program uses the standard streams, tests use buffers.
public struct TallixIO {
    public var write: (String) -> Void
    public var writeError: (String) -> Void
    public var readLine: () -> String?

    public init(
        write: @escaping (String) -> Void,
        writeError: @escaping (String) -> Void,
        readLine: @escaping () -> String?
    ) {
        self.write = write
        self.writeError = writeError
        self.readLine = readLine
    }

    /// Standard output and error, and standard input read on its own thread while the main run
    /// loop runs (so that timers fire); with a prompt when standard input is a terminal.
    @MainActor public static func interactive(prompt: String = "> ") -> TallixIO {
        let reader = TallixRunLoopLineReader()
        TallixRunLoopLineReader.saveOnInterrupt()
        let showsPrompt = isatty(STDIN_FILENO) != 0
        return TallixIO(
            write: { FileHandle.standardOutput.write(Data($0.utf8)) },
            writeError: { FileHandle.standardError.write(Data($0.utf8)) },
            readLine: {
                if showsPrompt { FileHandle.standardOutput.write(Data(prompt.utf8)) }
                return MainActor.assumeIsolated { reader.readLine() }
            })
    }

    /// Standard output, standard error and standard input.
    public static var standard: TallixIO {
        TallixIO(
            write: { FileHandle.standardOutput.write(Data($0.utf8)) },
            writeError: { FileHandle.standardError.write(Data($0.utf8)) },
            readLine: { Swift.readLine(strippingNewline: true) })
    }
}
