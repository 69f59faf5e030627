import Foundation

/// A small, fast, seedable generator (SplitMix64) for property tests: a failing case is replayed
/// by running the test again with `TALLIX_TEST_SEED` set to the seed that its failure message prints.
struct SeededRandomNumberGenerator: RandomNumberGenerator {
    private(set) var state: UInt64

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

    /// The seeds of a property test: `TALLIX_TEST_SEED` alone when set (to replay a failure);
    /// otherwise the fixed seed, which every run checks, and one fresh seed, so that runs also
    /// explore new cases.
    static func testSeeds(fixed seed: UInt64) -> [UInt64] {
        if let text = ProcessInfo.processInfo.environment["TALLIX_TEST_SEED"], let value = UInt64(text) {
            return [value]
        }
        return [seed, UInt64.random(in: 0...UInt64.max)]
    }
}
