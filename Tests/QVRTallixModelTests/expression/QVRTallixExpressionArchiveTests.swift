import Foundation
import Testing

@testable import QVRTallixModel

@Suite("Part 2.4: expression text, archiving and pasteboard")
struct QVRTallixExpressionArchiveTests {
    func roundTrip(_ expression: QVRTallixExpression) throws -> QVRTallixExpression? {
        let data = try QVRKeyedArchiver.archivedData(withRootObject: expression)
        return try QVRKeyedUnarchiver.unarchivedObject(ofClasses: QVRTallixExpression.archiveClasses, from: data)
            as? QVRTallixExpression
    }

    /// An archive whose root is an expression record with the given "components" list (or none).
    func archive(components list: [Any]?, uuid: String? = "FIXED-UUID", radMode: Bool? = nil) throws -> Data {
        final class Record: NSObject, QVRCoding {
            let list: [Any]?
            let uuid: String?
            let radMode: Bool?
            init(_ list: [Any]?, _ uuid: String?, _ radMode: Bool?) {
                self.list = list
                self.uuid = uuid
                self.radMode = radMode
            }
            static var archiveClassName: String { "QVRTallixExpression" }
            func encode(with coder: QVRKeyedArchiver) {
                coder.encode(list, forKey: "components")
                coder.encode(uuid, forKey: "uuid")
                if let radMode { coder.encode(radMode, forKey: "radMode") }
            }
            init?(coder: QVRKeyedUnarchiver) { nil }
        }
        return try QVRKeyedArchiver.archivedData(withRootObject: Record(list, uuid, radMode))
    }

    func decode(_ data: Data) throws -> QVRTallixExpression? {
        try QVRKeyedUnarchiver.unarchivedObject(ofClasses: QVRTallixExpression.archiveClasses, from: data)
            as? QVRTallixExpression
    }

    @Test("Archiving and decoding restores components, angle mode and identifier; the copy is equal and not dirty")
    func roundTripRestores() throws {
        try withTestEnvironment { _ in
            let expression = typed("12.5+(3*4")
            expression.handleKey(.sine)
            expression.setRadMode(true)
            let decoded = try #require(try roundTrip(expression))
            #expect(decoded.isEqual(expression))
            #expect(decoded.uuid == expression.uuid)
            #expect(decoded.radMode)
            #expect(!decoded.isDirty)
            #expect(decoded.components.count == expression.components.count)
            #expect(zip(decoded.components, expression.components).allSatisfy { $0.isEqual($1) })
            #expect(decoded.currentEditableNumber == nil)
            #expect((decoded.components.first?.tallixNumber as? QVRTallixEditableNumber)?.string == "12|5")
            #expect(decoded.stringDescription == expression.stringDescription)
        }
    }

    @Test("Archiving clears the dirty flag without posting a notification")
    func archivingClearsDirty() throws {
        try withTestEnvironment { environment in
            let expression = typed("7")
            #expect(expression.isDirty)
            let recorder = NotificationRecorder(QVRTallixExpressionDidChange, in: environment, object: expression)
            _ = try QVRKeyedArchiver.archivedData(withRootObject: expression)
            #expect(!expression.isDirty)
            #expect(recorder.count == 0)
        }
    }

    @Test("A components list of plain elements (a number, 7 for Add, a number) decodes into number, Add, number")
    func plainElements() throws {
        try withTestEnvironment { _ in
            let data = try archive(components: [QVRTallixNumber(number: QVRTallixDecimal(2)), 7, testNumber("3")])
            let decoded = try #require(try decode(data))
            #expect(decoded.components.count == 3)
            #expect(decoded.components[0].isTallixNumber && decoded.components[2].isTallixNumber)
            #expect(decoded.components[1].operation == .add)
            #expect(value(decoded.result) == "5")
            #expect(decoded.uuid == "FIXED-UUID")
        }
    }

    @Test("An empty components list decodes into no components; a missing one into one blank typed number")
    func emptyAndMissingComponents() throws {
        try withTestEnvironment { _ in
            let empty = try #require(try decode(try archive(components: [])))
            #expect(empty.components.isEmpty)
            #expect(!empty.isDirty)
            let missing = try #require(try decode(try archive(components: nil)))
            #expect(missing.components.count == 1)
            #expect(missing.currentEditableNumber?.isBlank == true)
            #expect(missing.isDirty)
        }
    }

    @Test("A missing uuid gives a new identifier; a missing radMode gives degrees")
    func missingKeys() throws {
        try withTestEnvironment { _ in
            let decoded = try #require(try decode(try archive(components: [testNumber("1")], uuid: nil)))
            #expect(!decoded.uuid.isEmpty && decoded.uuid != "FIXED-UUID")
            #expect(!decoded.radMode)
        }
    }

    @Test("stringDescription of 5 ! + 2 = gives 5! + 2 = 122; of ( 1 + 2 ) × 3 gives (1 + 2) × 3 = 9")
    func stringDescriptions() {
        withTestEnvironment { _ in
            let factorial = QVRTallixExpression(
                components: components(
                    5, QVRTallixOperation.factorial, QVRTallixOperation.add, 2, QVRTallixOperation.equal))
            #expect(factorial.stringDescription == "5! + 2 = 122")
            #expect(factorial.mailDescription == "5! + 2 = 122")
            let group = QVRTallixExpression(
                components: components(
                    QVRTallixOperation.openParenthesis, 1, QVRTallixOperation.add, 2,
                    QVRTallixOperation.closeParenthesis,
                    QVRTallixOperation.multiply, 3))
            #expect(group.stringDescription == "(1 + 2) × 3 = 9")
            #expect(typed("2+3*4").stringDescription == "2 + 3 × 4 = 14")
            let squares = QVRTallixExpression(
                components: components(2, QVRTallixOperation.xPow2, QVRTallixOperation.xPow3))
            #expect(squares.stringDescription == "2²³ = 64")
        }
    }

    @Test("stringFromExpression: of 1, +, 2 gives 1 + 2 followed by a blank; an empty list gives the empty text")
    func stringFromExpression() {
        withTestEnvironment { _ in
            #expect(QVRTallixExpression.stringFromExpression(components(1, QVRTallixOperation.add, 2)) == "1 + 2 ")
            #expect(QVRTallixExpression.stringFromExpression([]) == "")
        }
    }

    @Test("description is the identifier, a colon, a blank and stringDescription")
    func descriptionText() {
        withTestEnvironment { _ in
            let expression = typed("1+1")
            #expect(expression.description == "\(expression.uuid): 1 + 1 = 2")
        }
    }

    @Test("A copy is not equal to the expression it was made from and has a new identifier")
    func copying() throws {
        try withTestEnvironment { _ in
            let expression = typed("2*3")
            expression.setRadMode(true)
            let copy = try #require(expression.copy() as? QVRTallixExpression)
            #expect(!copy.isEqual(expression))
            #expect(copy.uuid != expression.uuid)
            #expect(copy.radMode)
            #expect(copy.isDirty)
            #expect(shown(copy) == shown(expression))
            #expect(zip(copy.components, expression.components).allSatisfy { $0 !== $1 })
        }
    }

    @Test("The exported pasteboard type and component attribute names")
    func exportedNames() {
        #expect(QVRTallixExpressionPasteboardType.hasSuffix(".tallix.expression"))
        #expect(QVRTallixExpressionStringComponentAttribute.rawValue == "QVRTallixExpressionStringComponentAttribute")
        #expect(QVRTallixModelVersionString == "@(#)PROGRAM:QVRTallixModel  PROJECT:Model-1\n")
        #expect(QVRTallixModelVersionNumber == 1.0)
    }

    @Test("An archive naming a class outside the allowed list is refused")
    func foreignClassRefused() throws {
        final class Intruder: NSObject, QVRCoding {
            static var archiveClassName: String { "NSTask" }
            func encode(with coder: QVRKeyedArchiver) {}
            init?(coder: QVRKeyedUnarchiver) { nil }
            override init() {}
        }
        try withTestEnvironment { _ in
            let data = try archive(components: [Intruder()])
            #expect(throws: QVRArchiveError.classNotAllowed("NSTask")) { try decode(data) }
        }
    }
}
