import Foundation
import Testing

@testable import QVRTallixModel

/// Part 8.1: the additions to lists.
@Suite("Array additions (Part 8.1)")
struct ArrayQVRCommonTests {
    @Test("reversedArray gives the elements in reverse order")
    func reversedArray() {
        #expect([1, 2, 3].reversedArray() == [3, 2, 1])
        #expect([Int]().reversedArray() == [])
        #expect(["a"].reversedArray() == ["a"])
    }

    @Test("objectPassingTest: gives the first passing element or none")
    func objectPassingTest() {
        #expect([1, 4, 6, 9].objectPassingTest { $0 % 2 == 0 } == 4)
        #expect([1, 3].objectPassingTest { $0 % 2 == 0 } == nil)
        #expect([Int]().objectPassingTest { _ in true } == nil)
    }

    @Test("objectsPassingTest: gives every passing element, in order")
    func objectsPassingTest() {
        #expect([5, 4, 3, 2, 1, 0].objectsPassingTest { $0 % 2 == 0 } == [4, 2, 0])
        #expect([1, 3].objectsPassingTest { $0 % 2 == 0 } == [])
    }

    @Test("arrayByPerformingSelector: gives each element's result, in order")
    func arrayByPerformingSelector() {
        let numbers = [number("1.5"), number("-2")]
        #expect(numbers.arrayByPerformingSelector(\.description) == ["QVRTallixNumber(1.5)", "QVRTallixNumber(-2)"])
        #expect(["a", "bb"].arrayByPerformingSelector(\.count) == [1, 2])
    }

    @Test("hasPrefix: is true exactly when the receiver begins with the argument's elements, in order")
    func hasPrefix() {
        #expect([1, 2, 3].hasPrefix([1, 2]))
        #expect([1, 2, 3].hasPrefix([]))
        #expect([1, 2, 3].hasPrefix([1, 2, 3]))
        #expect(![1, 2, 3].hasPrefix([1, 2, 3, 4]))
        #expect(![1, 2, 3].hasPrefix([2]))
        #expect(![Int]().hasPrefix([1]))
        // Objects compare with isEqual:.
        #expect([number("1"), number("2")].hasPrefix([number("1.0")]))
        #expect([number("1")].hasPrefix([number("1")], by: { $0.isEqual($1) }))
    }

    // MARK: - arrayByMergingWithArray:

    @Test(
        "arrayByMergingWithArray: merges by the documented rule",
        arguments: [
            ("abcd", "abce", "abcde"),
            ("ac", "abc", "abc"),
            ("ab", nil, "ab"),
            ("ab", "", "ab"),
            ("", "ab", "ab"),
            ("", nil, ""),
            ("xa", "ya", "xya"),
            ("ab", "bxay", "abxy"),
            ("abc", "abc", "abc"),
            ("abc", "cba", "abc"),
            ("abc", "xyz", "abcxyz"),
            ("xyab", "abz", "xyabz"),
            ("aXb", "ab", "aXb"),
            ("ab", "aYb", "aYb"),
            ("aXb", "aYb", "aXYb"),
            ("aab", "bba", "ab"),
            ("a", "aa", "a"),
            ("abc", "xaybzc", "xaybzc"),
            ("cab", "xaybzc", "xcaybz"),
        ] as [(String, String?, String)])
    func mergeTable(_ server: String, _ local: String?, _ expected: String) {
        let merged = Array(server).arrayByMergingWithArray(local.map(Array.init))
        #expect(String(merged) == expected)
    }

    @Test("arrayByMergingWithArray: merges tape expressions by identity (isEqual:)")
    func mergeObjects() {
        let a = number("1"), b = number("2"), c = number("3")
        let merged = [a, b].arrayByMergingWithArray([number("1"), c])
        #expect(merged.count == 3)
        #expect(merged[0] === a && merged[1] === b && merged[2] === c)
    }

    /// Random lists of unique elements drawn from a small pool, so that server and local share
    /// some and not others, in agreeing or conflicting orders.
    @Test(
        "arrayByMergingWithArray: property: every element once, the server's order, the local order around shared anchors"
    )
    func mergeProperties() {
        for seed in SeededRandomNumberGenerator.testSeeds(fixed: 0xAE76E) {
            var generator = SeededRandomNumberGenerator(seed: seed)
            var failures: [String] = []
            for _ in 0..<2000 {
                let pool = Array(0..<Int.random(in: 1...14, using: &generator))
                let server = Array(
                    pool.shuffled(using: &generator).prefix(Int.random(in: 0...pool.count, using: &generator)))
                var local = Array(
                    pool.shuffled(using: &generator).prefix(Int.random(in: 0...pool.count, using: &generator)))
                if Bool.random(using: &generator) {
                    // Often the local list is the server's with edits: agreeing order.
                    local = server.filter { _ in Int.random(in: 0..<4, using: &generator) > 0 }
                    for extra in pool where !server.contains(extra) && Bool.random(using: &generator) {
                        local.insert(extra, at: Int.random(in: 0...local.count, using: &generator))
                    }
                }
                if let failure = Self.mergeProblem(server: server, local: local) {
                    failures.append("server \(server), local \(local): \(failure)")
                }
            }
            #expect(failures.isEmpty, "seed \(seed): \(failures.count) failures: \(failures.prefix(3))")
        }
    }

    /// What is wrong with merging `local` into `server`, or none.
    static func mergeProblem(server: [Int], local: [Int]) -> String? {
        let merged = server.arrayByMergingWithArray(local)
        let position = Dictionary(merged.enumerated().map { ($1, $0) }, uniquingKeysWith: { first, _ in first })
        // Every element of both appears exactly once.
        if merged.count != Set(merged).count { return "an element twice in \(merged)" }
        if Set(merged) != Set(server).union(local) { return "\(merged) does not hold exactly the elements of both" }
        // The server's relative order is kept.
        if merged.filter(Set(server).contains) != server { return "server order lost in \(merged)" }
        let shared = Set(server).intersection(local)
        let localOnly = local.filter { !shared.contains($0) }
        // Local-only elements keep their order.
        if merged.filter(Set(localOnly).contains) != localOnly { return "local order lost in \(merged)" }
        let serverIndex = Dictionary(server.enumerated().map { ($1, $0) }, uniquingKeysWith: { first, _ in first })
        for (index, element) in local.enumerated() where !shared.contains(element) {
            let anchorsBefore = local[..<index].filter(shared.contains)
            // After every shared anchor that precedes it locally.
            for anchor in anchorsBefore where position[anchor, default: 0] > position[element, default: 0] {
                return "\(element) placed before its anchor \(anchor) in \(merged)"
            }
            // Before every shared element that follows it locally, unless the server put one of
            // its anchors after that element.
            let latestAnchor = anchorsBefore.map { serverIndex[$0, default: 0] }.max() ?? -1
            for follower in local[(index + 1)...]
            where shared.contains(follower) && serverIndex[follower, default: 0] > latestAnchor {
                if position[follower, default: 0] < position[element, default: 0] {
                    return "\(element) placed after \(follower), which follows it locally, in \(merged)"
                }
            }
        }
        return nil
    }
}
