import Foundation

/// Writes each log line to standard error (or another file handle), prefixed with the time and
/// "Tallix".
public struct QVRStandardErrorLogSink: QVRLogSink {
    private let fileHandle: FileHandle

    /// A sink writing to `fileHandle`: standard error unless a test gives another.
    public init(fileHandle: FileHandle = .standardError) {
        self.fileHandle = fileHandle
    }

    public func write(_ record: QVRLogRecord) {
        let stamp = Date().formatted(.iso8601)
        let line = "\(stamp) Tallix: \(record.description)\n"
        fileHandle.write(Data(line.utf8))
    }
}
