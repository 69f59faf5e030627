import Foundation
import Synchronization

/// Keeps every log line in memory, so that tests can read what was logged.
public final class QVRMemoryLogSink: QVRLogSink {
    private let storage = Mutex<[QVRLogRecord]>([])

    public init() {}

    public func write(_ record: QVRLogRecord) {
        storage.withLock { $0.append(record) }
    }

    /// The records written so far, oldest first.
    public var records: [QVRLogRecord] { storage.withLock { $0 } }

    /// The lines written so far (message and error text), oldest first.
    public var lines: [String] { records.map(\.description) }

    public func removeAll() {
        storage.withLock { $0.removeAll() }
    }
}
