import Foundation

#if canImport(FoundationNetworking)
    import FoundationNetworking
#endif

/// The live transport: Foundation's shared URL session. Answers of other schemes than HTTP (a
/// file, for example) count as status 200.
public struct QVRURLSessionTransport: QVRHTTPTransport {
    public init() {}

    public func fetch(_ url: URL, completion: @escaping @Sendable (Result<QVRHTTPResponse, any Error>) -> Void) {
        let task = URLSession.shared.dataTask(with: url) { data, response, error in
            if let error {
                completion(.failure(error))
                return
            }
            let statusCode = (response as? HTTPURLResponse)?.statusCode ?? 200
            completion(.success(QVRHTTPResponse(statusCode: statusCode, body: data ?? Data())))
        }
        task.resume()
    }
}
