import Foundation
import Testing

@testable import QVRTallixModel

/// The property-list reader that archives and the user's configuration file go through.
@Suite("Property-list reader")
struct QVRPropertyListReaderTests {
    /// A mutated number archive whose "$top" became a set holding a dictionary: Foundation's
    /// reader on Linux crashes the process on it while bridging the set to Swift.
    static let foundationCrasher =
        "YnBsaXN0MDDUAQIDBAUKCwxUJHRvcFgkdmVyc2lvblkkYXJjaGl2ZXJYJG9iamVjdHPBBgdUcm9vdNEICVQkcmVmEAESAAGGoF8QEFFWUktleWUZQXJjaGl2ZXKjDQ4VVSRudWxs0g8QERRWJGNsYXNzXWRlY2ltYWxOdW1iZXLREhNUJHJlZhACWi0xMjM0LjU2NzjSFhcYGVokYw9hc3NuYW1lWBRjbGFzc2VzXxAPUVZSVGFsbGl4TnVtYmVyohobXxAPUVZSVGFsbGl4TnVtYmVyWE5TT2JqZWN0CBEWHykyNTo9QkRJXGBma3KAg4iKlZqlrsDD1QAAAAAAAAEBAAAAAAAAABwAAAAAAAAAAAAAAAAAAADe"

    func binary(_ plist: Any) throws -> Data {
        try PropertyListSerialization.data(fromPropertyList: plist, format: .binary, options: 0)
    }

    /// A random property list of every kind the library writes.
    static func randomPropertyList(depth: Int, using generator: inout SeededRandomNumberGenerator) -> Any {
        let kind = Int.random(in: 0..<(depth > 3 ? 7 : 9), using: &generator)
        switch kind {
        case 0: return Bool.random(using: &generator)
        case 1: return Int.random(in: Int.min...Int.max, using: &generator) >> Int.random(in: 0...63, using: &generator)
        case 2: return Double(bitPattern: generator.next() & 0x7FEF_FFFF_FFFF_FFFF)
        case 3:
            let scalars = (0..<Int.random(in: 0...40, using: &generator)).compactMap { _ in
                Unicode.Scalar(UInt32.random(in: 0...0x1F000, using: &generator)).flatMap {
                    (0xD800...0xDFFF).contains($0.value) ? nil : $0
                }
            }
            return String(String.UnicodeScalarView(scalars))
        case 4: return "ascii \(generator.next())"
        case 5:
            return Data(
                (0..<Int.random(in: 0...40, using: &generator)).map { _ in UInt8.random(in: 0...255, using: &generator)
                })
        case 6:
            return Date(
                timeIntervalSinceReferenceDate: Double(
                    Int.random(in: -1_000_000_000...1_000_000_000, using: &generator)))
        case 7:
            return (0..<Int.random(in: 0...6, using: &generator)).map { _ in
                randomPropertyList(depth: depth + 1, using: &generator)
            }
        default:
            var dictionary: [String: Any] = [:]
            for index in 0..<Int.random(in: 0...6, using: &generator) {
                dictionary["key\(index)-\(generator.next() % 100)"] = randomPropertyList(
                    depth: depth + 1, using: &generator)
            }
            return dictionary
        }
    }

    /// Whether two property lists hold the same values (Foundation's `isEqual:` on Linux does not
    /// compare boxed Swift numbers with bridged ones).
    static func same(_ lhs: Any, _ rhs: Any) -> Bool {
        switch (lhs, rhs) {
        case let (left as Bool, right as Bool): return left == right
        case let (left as Int, right as Int): return left == right
        case let (left as Double, right as Double): return left == right
        case let (left as String, right as String): return left == right
        case let (left as Data, right as Data): return left == right
        case let (left as Date, right as Date): return left == right
        case let (left as [Any], right as [Any]):
            return left.count == right.count && zip(left, right).allSatisfy { same($0, $1) }
        case let (left as [String: Any], right as [String: Any]):
            return left.count == right.count
                && left.allSatisfy { key, value in right[key].map { same(value, $0) } ?? false }
        default:
            return false
        }
    }

    @Test("the reader gives back what Foundation wrote, for random property lists of every kind")
    func readsWhatFoundationWrites() throws {
        for seed in SeededRandomNumberGenerator.testSeeds(fixed: 0x9_1157) {
            var generator = SeededRandomNumberGenerator(seed: seed)
            var failures: [String] = []
            for _ in 0..<200 {
                let plist = ["root": Self.randomPropertyList(depth: 0, using: &generator)] as [String: Any]
                let read = try QVRPropertyListReader.propertyList(from: try binary(plist))
                if !Self.same(plist, read) { failures.append("\(plist) read as \(read)") }
            }
            #expect(failures.isEmpty, "seed \(seed): \(failures.prefix(2))")
        }
    }

    @Test("the set that crashes Foundation's reader is refused")
    func foundationCrasherIsRefused() throws {
        let data = try #require(Data(base64Encoded: Self.foundationCrasher))
        #expect(throws: QVRArchiveError.self) { try QVRPropertyListReader.propertyList(from: data) }
        #expect(throws: QVRArchiveError.self) {
            try QVRKeyedUnarchiver.unarchivedObject(ofClasses: [QVRTallixNumber.self], from: data)
        }
    }

    @Test("random changes to a rich property list are read or refused, never a crash")
    func mutatedPropertyLists() throws {
        for seed in SeededRandomNumberGenerator.testSeeds(fixed: 0x4D_07A7E) {
            var generator = SeededRandomNumberGenerator(seed: seed)
            var refused = 0
            for round in 0..<40 {
                let plist = ["root": Self.randomPropertyList(depth: 0, using: &generator), "n": round] as [String: Any]
                let original = [UInt8](try binary(plist))
                for _ in 0..<50 {
                    var bytes = original
                    for _ in 0..<Int.random(in: 1...3, using: &generator) {
                        bytes[Int.random(in: 0..<bytes.count, using: &generator)] = UInt8.random(
                            in: 0...255, using: &generator)
                    }
                    if (try? QVRPropertyListReader.propertyList(from: Data(bytes))) == nil { refused += 1 }
                }
            }
            #expect(refused > 0, "seed \(seed)")
        }
    }

    /// A binary property list made by hand from its objects' bytes (references of one byte).
    static func binaryPropertyList(objects: [[UInt8]], top: Int) -> Data {
        var bytes = Array("bplist00".utf8)
        var offsets: [Int] = []
        for object in objects {
            offsets.append(bytes.count)
            bytes += object
        }
        let tableStart = bytes.count
        for offset in offsets { bytes += [UInt8(offset >> 8 & 0xFF), UInt8(offset & 0xFF)] }
        func eight(_ value: Int) -> [UInt8] { (0..<8).reversed().map { UInt8(value >> ($0 * 8) & 0xFF) } }
        bytes += [0, 0, 0, 0, 0, 0, 2, 1] + eight(objects.count) + eight(top) + eight(tableStart)
        return Data(bytes)
    }

    @Test("shared elements are read once: lists that share everything stay cheap")
    func sharedElements() throws {
        // Object 0 is "leaf"; object k (1…60) is a list holding object k − 1 twice: 2^60 paths,
        // 61 objects; object 61 is the text "root", object 62 the top dictionary.
        var objects: [[UInt8]] = [[0x54] + Array("leaf".utf8)]
        for level in 1...60 { objects.append([0xA2, UInt8(level - 1), UInt8(level - 1)]) }
        objects.append([0x54] + Array("root".utf8))
        objects.append([0xD1, 61, 60])
        let read = try QVRPropertyListReader.propertyList(from: Self.binaryPropertyList(objects: objects, top: 62))
        #expect((read as? [String: Any])?["root"] is [Any])
        // The same list made to hold itself is a cycle.
        objects[5] = [0xA2, 4, 5]
        #expect(throws: QVRArchiveError.cycle) {
            try QVRPropertyListReader.propertyList(from: Self.binaryPropertyList(objects: objects, top: 62))
        }
    }

    @Test("sets, UIDs, null and non-text keys are refused")
    func kindsTheLibraryNeverWrites() {
        let leaf: [UInt8] = [0x54] + Array("leaf".utf8)
        let cases: [[[UInt8]]] = [
            [leaf, [0xC1, 0]],  // a set
            [leaf, [0x80, 7]],  // a UID
            [leaf, [0x00]],  // null
            [[0x10, 5], [0xD1, 0, 0]],  // a dictionary keyed by a number
            [leaf, [0xA3, 0, 0]],  // a list running past its bytes
            [leaf, [0xAF, 0x13, 0xFF, 0xFF, 0, 0]],  // a list with a huge count
            [leaf, [0xA1, 9]],  // a reference out of range
            [[0x56, 0xC3, 0xA9, 0x41, 0x41, 0x41, 0x41], [0xA1, 0]],  // ASCII text that is not ASCII
            [[0x61, 0xD8, 0x00], [0xA1, 0]],  // a lone UTF-16 surrogate
            [[0x24, 0, 0, 0, 0, 0, 0, 0, 0], [0xA1, 0]],  // a real of 16 bytes
        ]
        for objects in cases {
            #expect(throws: QVRArchiveError.self, "\(objects)") {
                try QVRPropertyListReader.propertyList(
                    from: Self.binaryPropertyList(objects: objects, top: objects.count - 1))
            }
        }
        // The same bytes with a list in place of the set read fine.
        #expect(
            (try? QVRPropertyListReader.propertyList(
                from: Self.binaryPropertyList(objects: [leaf, [0xA1, 0]], top: 1))) is [Any])
    }

    @Test("nesting deeper than any library property list is refused")
    func deepNesting() throws {
        var nested: Any = "leaf"
        for _ in 0..<(QVRBinaryPropertyListReader.maximumDepth + 5) { nested = [nested] }
        #expect(throws: QVRArchiveError.tooDeep) { try QVRPropertyListReader.propertyList(from: try binary(nested)) }
        var shallow: Any = "leaf"
        for _ in 0..<50 { shallow = [shallow] }
        #expect(try QVRPropertyListReader.propertyList(from: try binary(shallow)) is [Any])
    }

    @Test("XML property lists are read; other text is refused")
    func xmlAndOtherText() throws {
        let xml = try PropertyListSerialization.data(fromPropertyList: ["a": [1, "b"]], format: .xml, options: 0)
        #expect((try QVRPropertyListReader.propertyList(from: xml) as? [String: Any])?["a"] is [Any])
        #expect(throws: QVRArchiveError.self) { try QVRPropertyListReader.propertyList(from: Data("{a = 1;}".utf8)) }
        #expect(throws: QVRArchiveError.self) { try QVRPropertyListReader.propertyList(from: Data()) }
        #expect(throws: QVRArchiveError.self) { try QVRPropertyListReader.propertyList(from: Data("bplist00".utf8)) }
    }
}
