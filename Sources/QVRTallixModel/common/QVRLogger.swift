import Foundation

/// When false, verbose lines ("Fetching currencies", request logs) are skipped by their callers.
public var QVRLoggingEnabled: Bool {
    get { QVREnvironment.current.loggingEnabled }
    set { QVREnvironment.current.loggingEnabled = newValue }
}

/// The logger of the common services (Part 8.1). Lines go to the environment's sinks: standard
/// error in the running program, and a memory sink that tests read.
public enum QVRLogger {
    /// Logs a message; the caller fills in the format's arguments.
    public static func logFormat(_ message: @autoclosure () -> String) {
        write(QVRLogRecord(kind: .format, message: message(), errorText: nil))
    }

    /// Logs a caught exception (a thrown error standing for the platform's exception class).
    public static func logException(_ exception: any Error, descriptionFormat message: @autoclosure () -> String) {
        write(QVRLogRecord(kind: .exception, message: message(), errorText: String(describing: exception)))
    }

    /// Logs an error object that a failed call returned.
    public static func logError(_ error: any Error, descriptionFormat message: @autoclosure () -> String) {
        write(QVRLogRecord(kind: .error, message: message(), errorText: String(describing: error)))
    }

    /// Logs a finished request with its response value and error.
    public static func logRequest(_ request: Any, responseValue: Any?, error: (any Error)?) {
        let value = responseValue.map { String(describing: $0) } ?? "(none)"
        let text = "Request \(request) answered \(value.prefix(200))"
        write(QVRLogRecord(kind: .request, message: text, errorText: error.map { String(describing: $0) }))
    }

    private static func write(_ record: QVRLogRecord) {
        for sink in QVREnvironment.current.logSinks {
            sink.write(record)
        }
    }
}
