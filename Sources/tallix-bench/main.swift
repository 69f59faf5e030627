import Foundation

/// `tallix-bench [NAME…]`: runs the named benchmarks (all when none is named).
let benchmarks: [(name: String, run: @MainActor () -> Void)] = [
    ("numbers", NumbersBenchmark.run),
    ("keys", KeysBenchmark.run),
    ("eval", EvalBenchmark.run),
    ("units", UnitsBenchmark.run),
]

let requested = Array(CommandLine.arguments.dropFirst())
let unknown = requested.filter { name in !benchmarks.contains { $0.name == name } }
if !unknown.isEmpty {
    FileHandle.standardError.write(
        Data(
            "tallix-bench: unknown benchmark \(unknown.joined(separator: ", ")); known: \(benchmarks.map(\.name).joined(separator: ", "))\n"
                .utf8))
    exit(2)
}
MainActor.assumeIsolated {
    for benchmark in benchmarks where requested.isEmpty || requested.contains(benchmark.name) {
        benchmark.run()
    }
}
