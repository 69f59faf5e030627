import Foundation
import Testing

@testable import QVRTallixModel

/// Part 8.1: the download request of the common services (used by Part 5.4).
@Suite("URL request (Part 8.1)")
struct QVRURLRequestTests {
    static let ratesURL =
        URL(string: "http://rates.invalid/tallix2/conversion_rates.txt") ?? URL(fileURLWithPath: "/invalid")

    struct Offline: Error, Equatable {}

    /// Outcomes of a request's completion, with whether each ran on the main queue.
    final class Outcomes: @unchecked Sendable {
        private let lock = NSLock()
        private var entries: [(value: Any?, error: (any Error)?, onMain: Bool)] = []

        func record(_ value: Any?, _ error: (any Error)?) {
            lock.lock()
            entries.append((value, error, QVRMainQueue.isCurrent))
            lock.unlock()
        }

        var all: [(value: Any?, error: (any Error)?, onMain: Bool)] {
            lock.lock()
            defer { lock.unlock() }
            return entries
        }
    }

    func request(_ url: URL? = ratesURL, type: Int = QVRURLRequest.responseTypeText) -> QVRURLRequest {
        let request = QVRURLRequest()
        request.setUrl(url)
        request.setResponseType(type)
        return request
    }

    @Test("response type 0 gives the body as text, once, on the main thread")
    @MainActor
    func textResponse() throws {
        try withTestEnvironment { env in
            let transport = try #require(env.stubHTTPTransport)
            transport.setAnswer(.success(QVRHTTPResponse(text: "EUR 1.0\nUSD 1.1")), for: Self.ratesURL)
            let outcomes = Outcomes()
            request().start { value, error in outcomes.record(value, error) }
            #expect(outcomes.all.count == 1)
            #expect(outcomes.all.first?.value as? String == "EUR 1.0\nUSD 1.1")
            #expect(outcomes.all.first?.error == nil)
            #expect(outcomes.all.first?.onMain == true)
            #expect(transport.requestedURLs == [Self.ratesURL])
        }
    }

    @Test("response type 1 gives the bytes")
    @MainActor
    func dataResponse() throws {
        try withTestEnvironment { env in
            try #require(env.stubHTTPTransport).setAnswer(
                .success(QVRHTTPResponse(body: Data([0, 255]))), for: Self.ratesURL)
            let outcomes = Outcomes()
            request(type: QVRURLRequest.responseTypeData).start { value, error in outcomes.record(value, error) }
            #expect(outcomes.all.first?.value as? Data == Data([0, 255]))
        }
    }

    @Test("failures end with none and the error: status, transport error, text, type, missing URL", arguments: 0..<5)
    @MainActor
    func failures(_ index: Int) throws {
        try withTestEnvironment { env in
            let transport = try #require(env.stubHTTPTransport)
            let cases: [(Result<QVRHTTPResponse, any Error>, Int, URL?, String)] = [
                (.success(QVRHTTPResponse(statusCode: 404, text: "missing")), 0, Self.ratesURL, "HTTP status 404"),
                (.failure(Offline()), 0, Self.ratesURL, "Offline()"),
                (
                    .success(QVRHTTPResponse(body: Data([0xFF, 0xFE, 0x41]))), 0, Self.ratesURL,
                    "response is not UTF-8 text"
                ),
                (.success(QVRHTTPResponse(text: "x")), 2, Self.ratesURL, "unsupported response type 2"),
                (.success(QVRHTTPResponse(text: "x")), 0, nil, "request without a URL"),
            ]
            let (answer, type, url, expected) = cases[index]
            transport.setAnswer(answer, for: Self.ratesURL)
            let outcomes = Outcomes()
            request(url, type: type).start { value, error in outcomes.record(value, error) }
            #expect(outcomes.all.count == 1)
            #expect(outcomes.all.first?.value == nil)
            #expect(outcomes.all.first?.error.map { String(describing: $0) } == expected)
            #expect(outcomes.all.first?.onMain == true)
        }
    }

    @Test("the completion waits for the download's end and runs exactly once")
    @MainActor
    func completesOnce() throws {
        try withTestEnvironment { env in
            let transport = try #require(env.stubHTTPTransport)
            let outcomes = Outcomes()
            request().start { value, error in outcomes.record(value, error) }
            #expect(outcomes.all.isEmpty)
            #expect(transport.pendingURLs == [Self.ratesURL])
            #expect(transport.complete(Self.ratesURL, with: .success(QVRHTTPResponse(text: "1"))))
            #expect(!transport.complete(Self.ratesURL, with: .success(QVRHTTPResponse(text: "2"))))
            #expect(outcomes.all.count == 1)
            // A transport that answers twice still completes the request once.
            env.httpTransport = AnswersTwice()
            request().start { value, error in outcomes.record(value, error) }
            #expect(outcomes.all.count == 2)
            #expect(outcomes.all.last?.value as? String == "first")
        }
    }

    @Test("a download that ends on another thread completes on the main thread, in the caller's environment")
    func completesOnMainFromBackground() async throws {
        let environment = QVREnvironment.makeForTesting()
        defer { environment.tearDownTestingArtifacts() }
        let transport = try #require(environment.httpTransport as? QVRStubHTTPTransport)
        let outcome = await withCheckedContinuation {
            (continuation: CheckedContinuation<(String?, Bool, Bool), Never>) in
            QVREnvironment.$override.withValue(environment) {
                request().start { value, _ in
                    continuation.resume(
                        returning: (value as? String, QVRMainQueue.isCurrent, QVREnvironment.current === environment))
                }
            }
            Thread.detachNewThread {
                transport.complete(Self.ratesURL, with: .success(QVRHTTPResponse(text: "late")))
            }
        }
        #expect(outcome.0 == "late")
        #expect(outcome.1)
        #expect(outcome.2)
    }

    @Test("the live transport downloads over HTTP from a loopback server, with the status")
    func liveTransport() async throws {
        let server = try LoopbackHTTPServer()
        defer { server.stop() }
        server.respond(to: "/tallix2/conversion_rates.txt", body: "EUR 1.0")
        let transport = QVRURLSessionTransport()
        let answer = await withCheckedContinuation {
            (continuation: CheckedContinuation<Result<QVRHTTPResponse, any Error>, Never>) in
            transport.fetch(server.url("/tallix2/conversion_rates.txt")) { continuation.resume(returning: $0) }
        }
        #expect((try? answer.get()) == QVRHTTPResponse(text: "EUR 1.0"))
        let missing = await withCheckedContinuation {
            (continuation: CheckedContinuation<Result<QVRHTTPResponse, any Error>, Never>) in
            transport.fetch(server.url("/missing")) { continuation.resume(returning: $0) }
        }
        #expect((try? missing.get())?.statusCode == 404)
    }

    @Test("a request over the live transport ends on the main thread with the text")
    func liveRequest() async throws {
        let server = try LoopbackHTTPServer()
        defer { server.stop() }
        server.respond(to: "/rates", body: "USD 1.1")
        let environment = QVREnvironment.makeForTesting()
        defer { environment.tearDownTestingArtifacts() }
        environment.httpTransport = QVRURLSessionTransport()
        let outcome = await withCheckedContinuation { (continuation: CheckedContinuation<(String?, Bool), Never>) in
            QVREnvironment.$override.withValue(environment) {
                request(server.url("/rates")).start { value, _ in
                    continuation.resume(returning: (value as? String, QVRMainQueue.isCurrent))
                }
            }
        }
        #expect(outcome.0 == "USD 1.1")
        #expect(outcome.1)
    }

    @Test("the request describes itself with its URL, for the log")
    func description() {
        #expect(request().description == "QVRURLRequest(GET http://rates.invalid/tallix2/conversion_rates.txt)")
        #expect(QVRURLRequest().description == "QVRURLRequest(GET (no URL))")
        #expect(QVRURLRequest().responseType == 0)
    }
}

/// A transport that calls its completion twice.
struct AnswersTwice: QVRHTTPTransport {
    func fetch(_ url: URL, completion: @escaping @Sendable (Result<QVRHTTPResponse, any Error>) -> Void) {
        completion(.success(QVRHTTPResponse(text: "first")))
        completion(.success(QVRHTTPResponse(text: "second")))
    }
}
