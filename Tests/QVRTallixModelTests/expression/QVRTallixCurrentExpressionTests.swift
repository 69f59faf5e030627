import Foundation
import Testing

@testable import QVRTallixModel

@Suite("Part 2.6: current expression")
@MainActor
struct QVRTallixCurrentExpressionTests {
    let slotKey = "QVRTallixExpression.currentExpression"

    /// Forgets the slot, as a restart of the program does (the file stays).
    func restart(_ environment: QVREnvironment) {
        environment.setSharedInstance(nil, forKey: slotKey)
    }

    var path: String { QVRTallixExpression._currentExpressionPath() }

    @Test(
        "On a first start without the file, a new expression with one plain zero; dirty, so the first save writes the file"
    )
    func firstStart() throws {
        try withTestEnvironment { environment in
            #expect(!FileManager.default.fileExists(atPath: path))
            let current = QVRTallixExpression.currentExpression
            #expect(current.components.count == 1)
            #expect(value(current.result) == "0")
            #expect(current.isDirty)
            #expect(environment.loggedLines.isEmpty)
            let scheduler = try #require(environment.virtualScheduler)
            scheduler.advance(by: 10.5)
            #expect(FileManager.default.fileExists(atPath: path))
            #expect(!current.isDirty)
            #expect(path.hasSuffix("/currentExpression"))
            #expect(path.hasPrefix(environment.applicationSupportURL.path))
        }
    }

    @Test("An expression read back from the file equals the one saved and is not dirty until changed")
    func readBack() throws {
        try withTestEnvironment { environment in
            let current = typed("2+3*4", into: QVRTallixExpression.currentExpression)
            current.setRadMode(true)
            try #require(environment.virtualScheduler).advance(by: 11)
            restart(environment)
            let reread = QVRTallixExpression.currentExpression
            #expect(reread !== current)
            #expect(reread.isEqual(current))
            #expect(!reread.isDirty)
            #expect(reread.radMode)
            #expect(reread.stringDescription == "2 + 3 × 4 = 14")
            reread.addDigit(1)
            #expect(reread.isDirty)
        }
    }

    @Test("setCurrentExpression: with the expression already in the slot posts nothing")
    func settingTheSameExpression() {
        withTestEnvironment { environment in
            let current = QVRTallixExpression.currentExpression
            current.setDirty(false)
            let recorder = NotificationRecorder(QVRTallixExpressionDidChange, in: environment)
            QVRTallixExpression.setCurrentExpression(current)
            #expect(recorder.count == 0)
            #expect(!current.isDirty)
            let other = QVRTallixExpression()
            other.setDirty(false)
            QVRTallixExpression.setCurrentExpression(other)
            #expect(recorder.count == 1)
            #expect(other.isDirty)
            #expect(QVRTallixExpression.currentExpression === other)
        }
    }

    @Test(
        "An edit followed by a wait of more than 10 seconds leaves the file holding it; a second wait without edits writes nothing"
    )
    func periodicSave() throws {
        try withTestEnvironment { environment in
            let scheduler = try #require(environment.virtualScheduler)
            let current = QVRTallixExpression.currentExpression
            scheduler.advance(by: 10.1)
            typed("7*6", into: current)
            scheduler.advance(by: 5)
            restart(environment)
            #expect(QVRTallixExpression.currentExpression.stringDescription == "0 = 0")
            QVRTallixExpression.setCurrentExpression(current)
            scheduler.advance(by: 10)
            let saved = try Data(contentsOf: URL(fileURLWithPath: path))
            let decoded =
                try QVRKeyedUnarchiver.unarchivedObject(
                    ofClasses: QVRTallixExpression.archiveClasses, from: saved) as? QVRTallixExpression
            #expect(decoded?.stringDescription == "7 × 6 = 42")
            try FileManager.default.removeItem(atPath: path)
            scheduler.advance(by: 25)
            #expect(!FileManager.default.fileExists(atPath: path))
        }
    }

    @Test("The pending change is written when the program terminates")
    func savedAtTermination() {
        withTestEnvironment { environment in
            typed("9", into: QVRTallixExpression.currentExpression)
            environment.scheduler.terminate()
            restart(environment)
            #expect(QVRTallixExpression.currentExpression.stringDescription == "9 = 9")
        }
    }

    @Test(
        "A corrupt, truncated or hostile file gives a new expression and one log line",
        arguments: [
            "garbage", "truncated", "empty", "wrongRoot", "foreignClass", "cycle", "plainText",
        ])
    func badFiles(_ kind: String) throws {
        try withTestEnvironment { environment in
            let good = try QVRKeyedArchiver.archivedData(withRootObject: typed("1+2"))
            let bytes: Data
            switch kind {
            case "garbage": bytes = Data((0..<512).map { UInt8(truncatingIfNeeded: $0 &* 73 &+ 11) })
            case "truncated": bytes = good.prefix(good.count / 2)
            case "empty": bytes = Data()
            case "wrongRoot": bytes = try QVRKeyedArchiver.archivedData(withRootObject: testNumber("5"))
            case "foreignClass": bytes = try Self.renamingClass(in: good, from: "QVRTallixComponent", to: "NSTask")
            case "cycle": bytes = try Self.cyclicArchive()
            default: bytes = Data("2 + 3".utf8)
            }
            try FileManager.default.createDirectory(
                at: environment.applicationSupportURL, withIntermediateDirectories: true)
            try bytes.write(to: URL(fileURLWithPath: path))
            let current = QVRTallixExpression.currentExpression
            #expect(current.components.count == 1)
            #expect(value(current.result) == "0")
            #expect(environment.loggedLines.count == 1)
            #expect(environment.loggedLines.first?.hasPrefix("decoding current expression") == true)
        }
    }

    /// The archive with one class name replaced in its property list.
    static func renamingClass(in data: Data, from: String, to: String) throws -> Data {
        var plist = try PropertyListSerialization.propertyList(from: data, options: [], format: nil) as? [String: Any]
        if var objects = plist?["$objects"] as? [Any] {
            for (index, object) in objects.enumerated() {
                if var record = object as? [String: Any], record["$classname"] as? String == from {
                    record["$classname"] = to
                    objects[index] = record
                }
            }
            plist?["$objects"] = objects
        }
        return try PropertyListSerialization.data(fromPropertyList: plist ?? [:], format: .binary, options: 0)
    }

    /// An archive whose expression lists itself as its own component.
    static func cyclicArchive() throws -> Data {
        let plist: [String: Any] = [
            "$archiver": "QVRKeyedArchiver", "$version": 100_000, "$top": ["root": ["$ref": 1]],
            "$objects": [
                "$null",
                ["$class": ["$ref": 2], "components": ["$ref": 3]],
                ["$classname": "QVRTallixExpression", "$classes": ["QVRTallixExpression"]],
                ["$class": ["$ref": 4], "NS.objects": [["$ref": 1]]],
                ["$classname": "NSArray", "$classes": ["NSArray"]],
            ],
        ]
        return try PropertyListSerialization.data(fromPropertyList: plist, format: .binary, options: 0)
    }
}
