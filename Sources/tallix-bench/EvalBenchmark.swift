import Foundation
import QVRTallixModel
import TallixCommandLine

/// `tallix-bench eval`: the time per expression of `tallix eval` over 10,000 generated
/// expressions, in this process and as a separate `tallix eval < FILE` process, measured side by
/// side with `qalc -t -f FILE` (Debian's package qalc) when it is installed. The target is at
/// least ten times faster than qalc.
enum EvalBenchmark {
    static let count = 10_000

    @MainActor static func run() {
        let expressions = generate(count: count, seed: 20_261_205)
        let file = FileManager.default.temporaryDirectory.appendingPathComponent("tallix-bench-eval-\(getpid()).txt")
        defer { try? FileManager.default.removeItem(at: file) }
        do {
            try (expressions.joined(separator: "\n") + "\n").write(to: file, atomically: true, encoding: .utf8)
        } catch {
            print("eval: cannot write \(file.path): \(error)")
            return
        }
        print("eval (\(count) generated expressions, file \(file.lastPathComponent)):")
        let buffer = TallixBufferIO(input: expressions)
        let start = DispatchTime.now().uptimeNanoseconds
        _ = EvalCommand.run([], io: buffer.io)
        let inProcess = Double(DispatchTime.now().uptimeNanoseconds - start) / 1e9
        Benchmark.report("in process", seconds: inProcess / Double(count))

        let tallixPath = URL(fileURLWithPath: CommandLine.arguments[0]).resolvingSymlinksInPath()
            .deletingLastPathComponent().appendingPathComponent("tallix").path
        let tallix = timeProcess(tallixPath, ["eval"], input: file)
        if let tallix {
            Benchmark.report("tallix eval < FILE (wall)", seconds: tallix.wall / Double(count))
            Benchmark.report("tallix eval < FILE (CPU)", seconds: tallix.cpu / Double(count))
        } else {
            print("  tallix executable not found beside tallix-bench (\(tallixPath))")
        }
        guard let qalcPath = findExecutable("qalc") else {
            print("  qalc not installed (apt-get install qalc): no side-by-side figure")
            return
        }
        guard let qalc = timeProcess(qalcPath, ["-t", "-f", file.path], input: nil) else { return }
        Benchmark.report("qalc -t -f FILE (wall)", seconds: qalc.wall / Double(count))
        Benchmark.report("qalc -t -f FILE (CPU)", seconds: qalc.cpu / Double(count))
        if let tallix {
            let wallRatio = qalc.wall / tallix.wall
            let cpuRatio = qalc.cpu / max(tallix.cpu, 1e-9)
            print(
                String(
                    format: "  tallix is %.1f× faster than qalc in wall time, %.1f× in CPU time (target ≥ 10×)",
                    wallRatio, cpuRatio))
        }
    }

    /// Expressions of numbers, + - * / ^ and parentheses that both calculators read alike.
    static func generate(count: Int, seed: UInt64) -> [String] {
        var generator = SeededGenerator(seed: seed)
        func number() -> String {
            Int.random(in: 0..<10, using: &generator) < 7
                ? String(Int.random(in: 0...999, using: &generator))
                : "\(Int.random(in: 0...99, using: &generator)).\(Int.random(in: 1...99, using: &generator))"
        }
        func expression(_ depth: Int) -> String {
            if depth > 2 || Int.random(in: 0..<10, using: &generator) < 3 { return number() }
            let operators = ["+", "-", "*", "/", "^"]
            let operation = operators[Int.random(in: 0..<operators.count, using: &generator)]
            if operation == "^" {
                return "(" + expression(depth + 1) + ")^" + String(Int.random(in: 0...3, using: &generator))
            }
            let text = expression(depth + 1) + operation + expression(depth + 1)
            return Int.random(in: 0..<10, using: &generator) < 3 ? "(" + text + ")" : text
        }
        return (0..<count).map { _ in expression(0) }
    }

    /// Runs a program with the file as standard input; answers its wall and CPU seconds.
    static func timeProcess(_ path: String, _ arguments: [String], input: URL?) -> (wall: Double, cpu: Double)? {
        guard FileManager.default.isExecutableFile(atPath: path) else { return nil }
        let process = Process()
        process.executableURL = URL(fileURLWithPath: path)
        process.arguments = arguments
        process.standardOutput = FileHandle.nullDevice
        process.standardError = FileHandle.nullDevice
        if let input, let handle = try? FileHandle(forReadingFrom: input) { process.standardInput = handle }
        var before = rusage()
        getrusage(Int32(RUSAGE_CHILDREN.rawValue), &before)
        let start = DispatchTime.now().uptimeNanoseconds
        do {
            try process.run()
        } catch {
            print("  cannot run \(path): \(error)")
            return nil
        }
        process.waitUntilExit()
        let wall = Double(DispatchTime.now().uptimeNanoseconds - start) / 1e9
        var after = rusage()
        getrusage(Int32(RUSAGE_CHILDREN.rawValue), &after)
        func seconds(_ time: timeval) -> Double { Double(time.tv_sec) + Double(time.tv_usec) / 1e6 }
        let cpu =
            seconds(after.ru_utime) - seconds(before.ru_utime) + seconds(after.ru_stime) - seconds(before.ru_stime)
        return (wall, cpu)
    }

    static func findExecutable(_ name: String) -> String? {
        let paths = (ProcessInfo.processInfo.environment["PATH"] ?? "/usr/bin:/bin").split(separator: ":")
        return paths.map { "\($0)/\(name)" }.first { FileManager.default.isExecutableFile(atPath: $0) }
    }
}

/// SplitMix64, so that the generated file is the same on every run.
struct SeededGenerator: RandomNumberGenerator {
    private var state: UInt64

    init(seed: UInt64) {
        state = seed
    }

    mutating func next() -> UInt64 {
        state &+= 0x9E37_79B9_7F4A_7C15
        var z = state
        z = (z ^ (z >> 30)) &* 0xBF58_476D_1CE4_E5B9
        z = (z ^ (z >> 27)) &* 0x94D0_49BB_1331_11EB
        return z ^ (z >> 31)
    }
}
