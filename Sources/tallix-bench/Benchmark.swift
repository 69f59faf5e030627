import Foundation

/// Measures the median time of one call of a piece of work.
enum Benchmark {
    /// Runs `body` `batch` times per sample, `samples` times, after a warm-up; answers the median
    /// time of one call in seconds.
    static func medianSeconds(samples: Int = 31, batch: Int = 1000, _ body: () -> Void) -> Double {
        for _ in 0..<batch { body() }
        var times: [Double] = []
        times.reserveCapacity(samples)
        for _ in 0..<samples {
            let start = DispatchTime.now().uptimeNanoseconds
            for _ in 0..<batch { body() }
            let end = DispatchTime.now().uptimeNanoseconds
            times.append(Double(end - start) / 1e9 / Double(batch))
        }
        times.sort()
        return times[times.count / 2]
    }

    /// "name: 123.4 ns per call (target: under 1 µs)".
    static func report(_ name: String, seconds: Double, targetSeconds: Double? = nil) {
        var line = name.padding(toLength: 28, withPad: " ", startingAt: 0) + format(seconds) + " per call"
        if let targetSeconds {
            line += " (target under \(format(targetSeconds)): \(seconds < targetSeconds ? "met" : "MISSED"))"
        }
        print(line)
    }

    static func format(_ seconds: Double) -> String {
        if seconds < 1e-6 { return String(format: "%.1f ns", seconds * 1e9) }
        if seconds < 1e-3 { return String(format: "%.2f µs", seconds * 1e6) }
        return String(format: "%.2f ms", seconds * 1e3)
    }
}

/// Keeps a value alive so that the optimiser cannot drop the work that made it.
@inline(never) func blackHole<T>(_ value: T) {
    withExtendedLifetime(value) {}
}
