import Foundation
import Testing

@testable import QVRTallixModel

/// Part 8.1: the logger, its flag and its sinks.
@Suite("Logger (Part 8.1)")
struct QVRLoggerTests {
    struct Failure: Error, CustomStringConvertible {
        var description: String { "the disk is full" }
    }

    @Test("logFormat: writes the filled-in message to the environment's sinks")
    func logFormat() {
        withTestEnvironment { env in
            QVRLogger.logFormat("Couldn't handle function \(7) \("[1, 2]")")
            #expect(env.loggedLines == ["Couldn't handle function 7 [1, 2]"])
            #expect(env.memoryLogSink?.records.first?.kind == .format)
        }
    }

    @Test("logException:descriptionFormat: and logError:descriptionFormat: write the message and the failure")
    func logExceptionAndError() {
        withTestEnvironment { env in
            QVRLogger.logException(
                QVRException.invalidArgument("bad text"), descriptionFormat: "Creating number from pasteboard")
            QVRLogger.logError(Failure(), descriptionFormat: "Reading file for \("Tallix.tape")")
            #expect(
                env.loggedLines == [
                    "Creating number from pasteboard: NSInvalidArgumentException: bad text",
                    "Reading file for Tallix.tape: the disk is full",
                ])
            #expect(env.memoryLogSink?.records.map(\.kind) == [.exception, .error])
            #expect(env.memoryLogSink?.records.last?.message == "Reading file for Tallix.tape")
            #expect(env.memoryLogSink?.records.last?.errorText == "the disk is full")
        }
    }

    @Test("logRequest:responseValue:error: writes the request, its value and its error")
    func logRequest() {
        withTestEnvironment { env in
            let request = QVRURLRequest()
            request.setUrl(URL(string: "http://example.invalid/tallix2/conversion_rates.txt"))
            QVRLogger.logRequest(request, responseValue: "EUR 1.0", error: nil)
            QVRLogger.logRequest(request, responseValue: nil, error: QVRURLRequestError.httpStatus(404))
            QVRLogger.logRequest(request, responseValue: String(repeating: "x", count: 10_000), error: nil)
            let lines = env.loggedLines
            #expect(lines.count == 3)
            #expect(lines[0].contains("conversion_rates.txt") && lines[0].contains("EUR 1.0"))
            #expect(lines[1].hasSuffix(": HTTP status 404"))
            #expect(lines[2].count < 400)
            #expect(env.memoryLogSink?.records.allSatisfy { $0.kind == .request } == true)
        }
    }

    @Test("the standard-error sink writes each line with the time and Tallix")
    func standardErrorSink() throws {
        let pipe = Pipe()
        let sink = QVRStandardErrorLogSink(fileHandle: pipe.fileHandleForWriting)
        sink.write(QVRLogRecord(kind: .error, message: "Reading file", errorText: "no such file"))
        try pipe.fileHandleForWriting.close()
        let text = String(decoding: pipe.fileHandleForReading.readDataToEndOfFile(), as: UTF8.self)
        #expect(text.hasSuffix(" Tallix: Reading file: no such file\n"))
        #expect(text.hasPrefix("20"))
    }

    @Test("the live environment logs to standard error; a test environment to memory, and to standard error on request")
    func sinksOfEnvironments() {
        let live = QVREnvironment(userDefaults: UserDefaults(suiteName: "tallix.tests.sinks"), resourcesURL: nil)
        #expect(live.logSinks.contains { $0 is QVRStandardErrorLogSink })
        #expect(live.memoryLogSink == nil)
        let echoing = QVREnvironment.makeForTesting(echoLog: true)
        defer { echoing.tearDownTestingArtifacts() }
        #expect(echoing.logSinks.contains { $0 is QVRStandardErrorLogSink })
        #expect(echoing.memoryLogSink != nil)
    }

    @Test("every sink of the environment gets every line")
    func everySink() {
        withTestEnvironment { env in
            let second = QVRMemoryLogSink()
            env.logSinks.append(second)
            QVRLogger.logFormat("Fetching currencies")
            #expect(env.loggedLines == ["Fetching currencies"])
            #expect(second.lines == ["Fetching currencies"])
            second.removeAll()
            #expect(second.lines.isEmpty)
        }
    }

    @Test("QVRLoggingEnabled is the environment's flag: on in tests, off in the live program unless TALLIX_VERBOSE")
    func loggingEnabledFlag() {
        withTestEnvironment { env in
            #expect(QVRLoggingEnabled)
            QVRLoggingEnabled = false
            #expect(!env.loggingEnabled)
            // Verbose lines are skipped by their callers while the flag is off.
            if QVRLoggingEnabled { QVRLogger.logFormat("Fetching currencies") }
            #expect(env.loggedLines.isEmpty)
            withTestEnvironment { _ in #expect(QVRLoggingEnabled) }
        }
        let live = QVREnvironment(userDefaults: UserDefaults(suiteName: "tallix.tests.flag"), resourcesURL: nil)
        #expect(live.loggingEnabled == (ProcessInfo.processInfo.environment["TALLIX_VERBOSE"] != nil))
    }

    @Test("tests running at the same time never see each other's lines")
    func isolation() async {
        await withTaskGroup(of: Bool.self) { group in
            for index in 0..<8 {
                group.addTask {
                    withTestEnvironment { env in
                        QVRLogger.logFormat("line \(index)")
                        return env.loggedLines == ["line \(index)"]
                    }
                }
            }
            for await isolated in group { #expect(isolated) }
        }
    }
}
