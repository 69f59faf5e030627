import Foundation

/// Downloads for ``QVRURLRequest``: the environment's seam to the network (Part 8.1). The live
/// program uses ``QVRURLSessionTransport``; tests use ``QVRStubHTTPTransport``.
public protocol QVRHTTPTransport: Sendable {
    /// Downloads `url` with a GET request and calls `completion` once, on any thread, with the
    /// answer (whatever its status) or the failure that kept the answer from arriving.
    func fetch(_ url: URL, completion: @escaping @Sendable (Result<QVRHTTPResponse, any Error>) -> Void)
}
