import Foundation

/// Writes each log line to standard error, prefixed with the time and "Tallix".
public struct QVRStandardErrorLogSink: QVRLogSink {
    public init() {}

    public func write(_ record: QVRLogRecord) {
        let stamp = Date().formatted(.iso8601)
        let line = "\(stamp) Tallix: \(record.description)\n"
        FileHandle.standardError.write(Data(line.utf8))
    }
}
