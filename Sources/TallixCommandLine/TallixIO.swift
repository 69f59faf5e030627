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

    /// Standard output, standard error and standard input.
    public static var standard: TallixIO {
        TallixIO(
            write: { FileHandle.standardOutput.write(Data($0.utf8)) },
            writeError: { FileHandle.standardError.write(Data($0.utf8)) },
            readLine: { Swift.readLine(strippingNewline: true) })
    }
}
