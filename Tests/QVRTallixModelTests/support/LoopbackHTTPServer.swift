import Foundation

#if canImport(Glibc)
    import Glibc
#endif

/// A tiny HTTP server on 127.0.0.1 for tests of the live transport: it answers every GET with
/// the response scripted for its path (404 otherwise), one connection at a time, until stopped.
final class LoopbackHTTPServer: @unchecked Sendable {
    private let lock = NSLock()
    private var responses: [String: (status: Int, body: Data)] = [:]
    private let listener: Int32
    let port: UInt16

    init() throws {
        let listener = socket(AF_INET, Int32(SOCK_STREAM.rawValue), 0)
        guard listener >= 0 else { throw POSIXError(.EIO) }
        var address = sockaddr_in()
        address.sin_family = sa_family_t(AF_INET)
        address.sin_addr.s_addr = inet_addr("127.0.0.1")
        address.sin_port = 0
        let bound = withUnsafePointer(to: &address) {
            $0.withMemoryRebound(to: sockaddr.self, capacity: 1) {
                bind(listener, $0, socklen_t(MemoryLayout<sockaddr_in>.size))
            }
        }
        guard bound == 0, listen(listener, 8) == 0 else {
            close(listener)
            throw POSIXError(.EADDRINUSE)
        }
        var length = socklen_t(MemoryLayout<sockaddr_in>.size)
        _ = withUnsafeMutablePointer(to: &address) {
            $0.withMemoryRebound(to: sockaddr.self, capacity: 1) { getsockname(listener, $0, &length) }
        }
        self.listener = listener
        port = UInt16(bigEndian: address.sin_port)
        Thread.detachNewThread { [self] in serve() }
    }

    func url(_ path: String) -> URL {
        URL(string: "http://127.0.0.1:\(port)\(path)") ?? URL(fileURLWithPath: "/invalid")
    }

    func respond(to path: String, status: Int = 200, body: String) {
        lock.lock()
        responses[path] = (status, Data(body.utf8))
        lock.unlock()
    }

    func stop() {
        shutdown(listener, Int32(SHUT_RDWR))
        close(listener)
    }

    private func serve() {
        while true {
            let connection = accept(listener, nil, nil)
            guard connection >= 0 else { return }
            handle(connection)
            close(connection)
        }
    }

    private func handle(_ connection: Int32) {
        var request = Data()
        var buffer = [UInt8](repeating: 0, count: 4096)
        while request.range(of: Data("\r\n\r\n".utf8)) == nil {
            let count = read(connection, &buffer, buffer.count)
            guard count > 0 else { return }
            request.append(contentsOf: buffer[0..<count])
        }
        let line = String(decoding: request.prefix { $0 != 13 }, as: UTF8.self)
        let path = line.split(separator: " ").dropFirst().first.map(String.init) ?? "/"
        lock.lock()
        let response = responses[path] ?? (404, Data("not found".utf8))
        lock.unlock()
        var reply = Data(
            "HTTP/1.1 \(response.status) Status\r\nContent-Length: \(response.body.count)\r\nConnection: close\r\n\r\n"
                .utf8)
        reply.append(response.body)
        reply.withUnsafeBytes { bytes in
            guard let base = bytes.baseAddress else { return }
            var sent = 0
            while sent < bytes.count {
                let count = write(connection, base + sent, bytes.count - sent)
                if count <= 0 { break }
                sent += count
            }
        }
    }
}
