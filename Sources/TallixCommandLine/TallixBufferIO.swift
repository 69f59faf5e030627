import Foundation

/// Output and error buffers and a list of input lines, for tests and embedding programs.
public final class TallixBufferIO {
    public private(set) var output = ""
    public private(set) var error = ""
    private var input: [String]

    public init(input: [String] = []) {
        self.input = input
    }

    public var io: TallixIO {
        TallixIO(
            write: { [unowned self] in self.output += $0 },
            writeError: { [unowned self] in self.error += $0 },
            readLine: { [unowned self] in self.input.isEmpty ? nil : self.input.removeFirst() })
    }
}
