import Foundation
import Testing

@testable import QVRTallixModel

/// Decoding number archives from outside the process: a corrupt or hostile archive answers none
/// and never crashes the process.
@Suite("Number archives: corrupt and hostile input")
struct QVRTallixNumberArchiveTests {
    static var classes: [any QVRCoding.Type] { [QVRTallixNumber.self, QVRTallixEditableNumber.self] }

    /// The number that `data` decodes to, or none.
    func decoded(_ data: Data) -> QVRTallixNumber? {
        (try? QVRKeyedUnarchiver.unarchivedObject(ofClasses: Self.classes, from: data)) as? QVRTallixNumber
    }

    func ref(_ index: Any) -> [String: Any] { ["$ref": index] }

    func classRecord(_ name: Any) -> [String: Any] { ["$classname": name, "$classes": [name, "NSObject"]] }

    /// A hand-made archive: the objects list, the top record, in binary form. A property list
    /// that cannot be written is recorded as an issue of the test.
    func archive(
        _ objects: [Any], top: [String: Any]? = nil, archiver: Any = QVRKeyedArchiver.archiverName,
        format: PropertyListSerialization.PropertyListFormat = .binary
    ) -> Data {
        let plist: [String: Any] = [
            "$archiver": archiver, "$version": 100_000, "$top": top ?? ["root": ref(1)], "$objects": objects,
        ]
        return propertyList(plist)
    }

    func propertyList(_ plist: Any) -> Data {
        do {
            return try PropertyListSerialization.data(fromPropertyList: plist, format: .binary, options: 0)
        } catch {
            Issue.record("could not write the test's property list: \(error)")
            return Data()
        }
    }

    /// An archive of one number (class QVRTallixNumber) whose "decimalNumber" is `value`, with
    /// `extra` objects after the class record (indices 3 on).
    func numberArchive(decimalNumber value: Any, extra: [Any] = [], className: Any = "QVRTallixNumber") -> Data {
        archive(["$null", ["$class": ref(2), "decimalNumber": value], classRecord(className)] + extra)
    }

    func realArchive() -> Data {
        archived(number("-1234.5678"))
    }

    func archived(_ root: Any) -> Data {
        do {
            return try QVRKeyedArchiver.archivedData(withRootObject: root)
        } catch {
            Issue.record("could not archive \(root): \(error)")
            return Data()
        }
    }

    // MARK: - Real archives

    @Test("a hand-made archive in the writer's shape decodes, which the hostile variants below build on")
    func handMadeArchiveDecodes() throws {
        try withTestEnvironment { _ in
            #expect(decoded(numberArchive(decimalNumber: "2.5"))?.decimalNumber == decimal("2.5"))
            let editable = archive([
                "$null", ["$class": ref(2), "string": "-12|5"], classRecord("QVRTallixEditableNumber"),
            ])
            let number = try #require(decoded(editable) as? QVRTallixEditableNumber)
            #expect(number.string == "-12|5")
            #expect(decoded(realArchive())?.decimalNumber == decimal("-1234.5678"))
        }
    }

    // MARK: - Corrupt bytes

    @Test(
        "truncated archive: every prefix of a real archive answers none",
        arguments: [
            PropertyListSerialization.PropertyListFormat.binary, .xml,
        ])
    func truncatedArchive(_ format: PropertyListSerialization.PropertyListFormat) throws {
        try withTestEnvironment { _ in
            var data = realArchive()
            if format == .xml {
                let plist = try PropertyListSerialization.propertyList(from: data, options: [], format: nil)
                data = try PropertyListSerialization.data(fromPropertyList: plist, format: .xml, options: 0)
            }
            #expect(decoded(data)?.decimalNumber == decimal("-1234.5678"))
            // Every prefix that cuts the document (the XML form may end with a line feed after it).
            var complete = data.count
            if format == .xml, let end = data.range(of: Data("</plist>".utf8)) { complete = end.upperBound }
            for length in 0..<complete {
                #expect(decoded(data.prefix(length)) == nil, "prefix of \(length) bytes")
            }
        }
    }

    @Test("random bytes answer none, with and without a property-list header")
    func randomBytes() {
        withTestEnvironment { _ in
            for seed in SeededRandomNumberGenerator.testSeeds(fixed: 0xB17E5) {
                var generator = SeededRandomNumberGenerator(seed: seed)
                var accepted: [Data] = []
                for round in 0..<1500 {
                    let length = Int.random(in: 0...160, using: &generator)
                    var bytes = (0..<length).map { _ in UInt8.random(in: 0...255, using: &generator) }
                    switch round % 3 {
                    case 0: bytes = Array("bplist00".utf8) + bytes
                    case 1: bytes = Array("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>".utf8) + bytes
                    default: break
                    }
                    if decoded(Data(bytes)) != nil { accepted.append(Data(bytes)) }
                }
                #expect(accepted.isEmpty, "seed \(seed): \(accepted.prefix(2).map { $0.base64EncodedString() })")
            }
        }
    }

    @Test("a real archive with random bytes changed answers a number or none")
    func mutatedArchive() {
        withTestEnvironment { _ in
            let original = [UInt8](realArchive())
            for seed in SeededRandomNumberGenerator.testSeeds(fixed: 0x3E7A7E) {
                var generator = SeededRandomNumberGenerator(seed: seed)
                var kinds = Set<String>()
                for _ in 0..<1500 {
                    var bytes = original
                    for _ in 0..<Int.random(in: 1...4, using: &generator) {
                        let index = Int.random(in: 0..<bytes.count, using: &generator)
                        bytes[index] = UInt8.random(in: 0...255, using: &generator)
                    }
                    // Whatever the bytes, the answer is a value (or none), never a crash.
                    let result = decoded(Data(bytes))
                    kinds.insert(result.map { _ in "number" } ?? "none")
                }
                #expect(kinds.contains("none"), "seed \(seed)")
            }
        }
    }

    // MARK: - Hostile structure

    @Test("wrong types under decimalNumber answer none")
    func wrongTypesUnderDecimalNumber() {
        withTestEnvironment { _ in
            let values: [Any] = [
                true, false, Data([1, 2, 3]), Date(timeIntervalSince1970: 0), "abc", "1.2.3", "", "12abc", "--1",
                "1e999999", String(repeating: "9", count: 100_000), ref(0), ref(3), ref(4), ref(5),
            ]
            let extra: [Any] = [
                ["$class": ref(6), "NS.objects": ["1"]],
                ["$class": ref(7), "NS.keys": ["a"], "NS.objects": ["1"]],
                ["$class": ref(2), "decimalNumber": "5"],
                classRecord("NSArray"), classRecord("NSDictionary"),
            ]
            for value in values {
                #expect(decoded(numberArchive(decimalNumber: value, extra: extra)) == nil, "\(value)")
            }
        }
    }

    @Test("number values of other kinds under decimalNumber read as their value")
    func numbersUnderDecimalNumber() {
        withTestEnvironment { _ in
            #expect(decoded(numberArchive(decimalNumber: 42))?.decimalNumber == decimal("42"))
            #expect(decoded(numberArchive(decimalNumber: 0.5))?.decimalNumber == decimal("0.5"))
            #expect(decoded(numberArchive(decimalNumber: "NaN"))?.decimalNumber?.isNaN == true)
            #expect(decoded(numberArchive(decimalNumber: Double.infinity))?.decimalNumber?.isNaN == true)
        }
    }

    @Test("wrong types under string answer none")
    func wrongTypesUnderString() {
        withTestEnvironment { _ in
            let values: [Any] = [
                12, true, Data([0x31]), Date(), "12a", "1|2|3", "1234567890123456", "--1", "1-", "1.5", "٣", ref(0),
                ref(3),
            ]
            for value in values {
                let data = archive([
                    "$null", ["$class": ref(2), "string": value], classRecord("QVRTallixEditableNumber"),
                    ["$class": ref(4), "NS.objects": []], classRecord("NSArray"),
                ])
                #expect(decoded(data) == nil, "\(value)")
            }
        }
    }

    @Test("a foreign class name answers none")
    func foreignClassName() {
        withTestEnvironment { _ in
            for name: Any in ["NSFileManager", "QVRTallixExpression", "NSObject", "", 5, ["QVRTallixNumber"]] {
                #expect(decoded(numberArchive(decimalNumber: "1", className: name)) == nil, "\(name)")
            }
            // A class record without a name, and a class reference that is no reference.
            #expect(decoded(archive(["$null", ["$class": ref(2), "decimalNumber": "1"], ["$classes": []]])) == nil)
            #expect(
                decoded(archive(["$null", ["$class": 2, "decimalNumber": "1"], classRecord("QVRTallixNumber")])) == nil)
            #expect(decoded(archive(["$null", ["decimalNumber": "1"]])) == nil)
            // Allowed classes only: the editable number is refused where only plain numbers are asked for.
            let editable = archived(QVRTallixEditableNumber(string: "5"))
            #expect(throws: QVRArchiveError.classNotAllowed("QVRTallixEditableNumber")) {
                try QVRKeyedUnarchiver.unarchivedObject(ofClasses: [QVRTallixNumber.self], from: editable)
            }
        }
    }

    @Test("a reference cycle answers none")
    func referenceCycle() {
        withTestEnvironment { _ in
            // The number refers to itself.
            #expect(decoded(numberArchive(decimalNumber: ref(1))) == nil)
            // Through a list that holds itself.
            let listCycle = numberArchive(
                decimalNumber: ref(3), extra: [["$class": ref(4), "NS.objects": [ref(3)]], classRecord("NSArray")])
            #expect(decoded(listCycle) == nil)
            // Two lists that hold each other.
            let mutual = numberArchive(
                decimalNumber: ref(3),
                extra: [
                    ["$class": ref(5), "NS.objects": [ref(4)]], ["$class": ref(5), "NS.objects": [ref(3)]],
                    classRecord("NSArray"),
                ])
            #expect(decoded(mutual) == nil)
            // The class record is the object itself.
            #expect(
                decoded(
                    archive(["$null", ["$class": ref(1), "$classname": "QVRTallixNumber", "decimalNumber": ref(1)]]))
                    == nil)
        }
    }

    @Test("out-of-range references answer none")
    func outOfRangeReferences() {
        withTestEnvironment { _ in
            for index: Any in [999, -1, Int.max, Int.min, 1.5, 1e300, "1", true, 3] {
                #expect(decoded(numberArchive(decimalNumber: ref(index))) == nil, "decimalNumber → \(index)")
                let badClass = archive([
                    "$null", ["$class": ref(index), "decimalNumber": "1"], classRecord("QVRTallixNumber"),
                ])
                #expect(decoded(badClass) == nil, "class → \(index)")
                #expect(decoded(archive(["$null"], top: ["root": ref(index)])) == nil, "root → \(index)")
            }
            // A reference with more keys than "$ref".
            #expect(decoded(numberArchive(decimalNumber: ["$ref": 0, "x": 1])) == nil)
            #expect(decoded(archive([], top: ["root": ref(0)])) == nil)
        }
    }

    @Test("deep nesting answers none", arguments: [65, 5_000])
    func deepNesting(_ depth: Int) {
        withTestEnvironment { _ in
            // A chain of lists, each holding the next, under decimalNumber.
            let first = 4
            var extra: [Any] = [classRecord("NSArray")]
            for level in 0..<depth {
                extra.append(["$class": ref(3), "NS.objects": level + 1 < depth ? [ref(first + level + 1)] : ["1"]])
            }
            #expect(decoded(numberArchive(decimalNumber: ref(first), extra: extra)) == nil)
        }
    }

    @Test("a deeply nested property list answers none")
    func deepPropertyList() {
        withTestEnvironment { _ in
            let depth = 100_000
            let xml =
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\">"
                + String(repeating: "<array>", count: depth) + String(repeating: "</array>", count: depth) + "</plist>"
            #expect(decoded(Data(xml.utf8)) == nil)
        }
    }

    @Test("an archive of another shape answers none")
    func otherShapes() {
        withTestEnvironment { _ in
            #expect(decoded(numberArchive(decimalNumber: "1").prefix(0)) == nil)
            #expect(decoded(archive(["$null"], archiver: "NSKeyedArchiver")) == nil)
            #expect(decoded(archive(["$null"], archiver: 7)) == nil)
            #expect(decoded(archive(["$null"], top: [:])) == nil)
            let noObjects = propertyList(["$archiver": QVRKeyedArchiver.archiverName, "$top": ["root": ref(1)]])
            #expect(decoded(noObjects) == nil)
            let topIsList = propertyList([
                "$archiver": QVRKeyedArchiver.archiverName, "$top": [1], "$objects": ["$null"],
            ])
            #expect(decoded(topIsList) == nil)
            #expect(decoded(propertyList([1, 2])) == nil)
            // A list or dictionary record of the wrong shape.
            let badList = numberArchive(
                decimalNumber: ref(3), extra: [["$class": ref(4), "NS.objects": "x"], classRecord("NSArray")])
            #expect(decoded(badList) == nil)
            let badDictionary = numberArchive(
                decimalNumber: ref(3),
                extra: [["$class": ref(4), "NS.keys": ["a", "b"], "NS.objects": ["1"]], classRecord("NSDictionary")])
            #expect(decoded(badDictionary) == nil)
            // The root is not a number.
            #expect(decoded(archived("2.5")) == nil)
            #expect(decoded(archived([number("1")])) == nil)
        }
    }
}
