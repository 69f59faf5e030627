import Foundation

/// A destination of log lines (Part 8.1: the log destination is the implementer's choice).
public protocol QVRLogSink: Sendable {
    func write(_ record: QVRLogRecord)
}
