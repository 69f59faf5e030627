import Foundation

/// The ordering answered by the `compare:` operations (Foundation's `ComparisonResult`).
public typealias QVRComparisonResult = ComparisonResult
