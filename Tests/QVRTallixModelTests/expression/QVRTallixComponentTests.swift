import Foundation
import Testing

@testable import QVRTallixModel

@Suite("Part 2.1: components and operations")
struct QVRTallixComponentTests {
    @Test("A component made from a number has operation 100000, name number, order 0, and no class")
    func numberComponent() {
        withTestEnvironment { _ in
            let component = QVRTallixComponent.componentWithTallixNumber(testNumber("2.5"))
            #expect(component.operation.rawValue == 100_000)
            #expect(component.operation == QVRTallixOperationNone)
            #expect(component.name == "number")
            #expect(component.order == 0)
            #expect(component.isTallixNumber && !component.isOperation)
            #expect(
                !component.isParenthesisOperation && !component.isFunctionOperation
                    && !component.isExponentsOperation && !component.isMultiplyDivideOperation
                    && !component.isAddSubtractOperation && !component.isTrignometricOperation
                    && !component.isDoubleArgumentOperation)
            #expect(component.editString == "2.5")
            #expect(component.accessibilityLabel == "2.5")
        }
    }

    @Test("componentWithOperation: of Equal has order 0, belongs to no class, and shows =")
    func equalComponent() {
        withTestEnvironment { _ in
            let equal = QVRTallixComponent.componentWithOperation(.equal)
            #expect(equal.order == 0)
            #expect(equal.editString == "=")
            #expect(equal.name == "Equal")
            #expect(
                !equal.isParenthesisOperation && !equal.isFunctionOperation && !equal.isExponentsOperation
                    && !equal.isMultiplyDivideOperation && !equal.isAddSubtractOperation
                    && !equal.isTrignometricOperation && !equal.isDoubleArgumentOperation)
        }
    }

    @Test("XRTY is exponents and double-argument, not function; it shows ˣ√y while YRTX shows ʸ√x")
    func rootDisplays() {
        withTestEnvironment { _ in
            let xrty = QVRTallixComponent.componentWithOperation(.xRtY)
            #expect(xrty.isExponentsOperation && xrty.isDoubleArgumentOperation && !xrty.isFunctionOperation)
            #expect(xrty.editString == "ˣ√y")
            #expect(QVRTallixComponent.componentWithOperation(.yRtX).editString == "ʸ√x")
            #expect(xrty.accessibilityLabel == "root")
            #expect(QVRTallixComponent.componentWithOperation(.yRtX).accessibilityLabel == "root")
        }
    }

    @Test("The hyperbolic functions are functions but not trigonometric", arguments: 33...38)
    func hyperbolic(_ value: UInt64) {
        let component = QVRTallixComponent.componentWithOperation(QVRTallixOperation(rawValue: value))
        #expect(component.isFunctionOperation)
        #expect(!component.isTrignometricOperation)
        #expect(component.order == 4)
    }

    @Test("A component archived with a number and an operation key present decodes with operation 100000")
    func archivedNumberIgnoresOperation() throws {
        let archiver = QVRKeyedArchiver()
        let component = QVRTallixComponent.componentWithTallixNumber(testNumber("7"))
        archiver.encode(component, forKey: "root")
        // Write a second object by hand: a component record with both keys.
        final class Both: NSObject, QVRCoding {
            static var archiveClassName: String { "QVRTallixComponent" }
            func encode(with coder: QVRKeyedArchiver) {
                coder.encode(QVRTallixNumber(number: QVRTallixDecimal(7)), forKey: "tallixNumber")
                coder.encode(5, forKey: "operation")
            }
            init?(coder: QVRKeyedUnarchiver) { nil }
            override init() {}
        }
        let data = try QVRKeyedArchiver.archivedData(withRootObject: Both())
        let decoded =
            try QVRKeyedUnarchiver.unarchivedObject(
                ofClasses: QVRTallixExpression.archiveClasses, from: data) as? QVRTallixComponent
        #expect(decoded?.operation == QVRTallixOperationNone)
        #expect(value(decoded?.tallixNumber) == "7")
    }

    @Test("An operation component archived without operation key decodes as Percent (0)")
    func missingOperationIsPercent() throws {
        final class Bare: NSObject, QVRCoding {
            static var archiveClassName: String { "QVRTallixComponent" }
            func encode(with coder: QVRKeyedArchiver) {}
            init?(coder: QVRKeyedUnarchiver) { nil }
            override init() {}
        }
        let data = try QVRKeyedArchiver.archivedData(withRootObject: Bare())
        let decoded =
            try QVRKeyedUnarchiver.unarchivedObject(
                ofClasses: QVRTallixExpression.archiveClasses, from: data) as? QVRTallixComponent
        #expect(decoded?.operation == .percent)
        #expect(decoded?.isOperation == true)
    }

    @Test("Two components with equal numbers of different identity are equal; absent numbers match too")
    func equality() {
        withTestEnvironment { _ in
            let a = QVRTallixComponent.componentWithTallixNumber(testNumber("3"))
            let b = QVRTallixComponent.componentWithTallixNumber(testNumber("3"))
            #expect(a.tallixNumber !== b.tallixNumber)
            #expect(a.isEqual(b))
            let none1 = QVRTallixComponent.componentWithTallixNumber(nil)
            let none2 = QVRTallixComponent.componentWithTallixNumber(nil)
            #expect(none1.isEqual(none2))
            #expect(none1.isOperation && none1.operation == .none)
            #expect(!a.isEqual(QVRTallixComponent.componentWithOperation(.add)))
        }
    }

    @Test("Making a component from a constant number gives back a plain number of the same value")
    func constantBecomesPlain() throws {
        try withTestEnvironment { _ in
            let pi = try #require(QVRTallixGlobalConstantNumber.constantNamed("Pi"))
            let component = QVRTallixComponent.componentWithTallixNumber(pi)
            let held = try #require(component.tallixNumber)
            #expect(type(of: held) == QVRTallixNumber.self)
            #expect(held.decimalNumber == pi.decimalNumber)
        }
    }

    @Test("The operation table: names, displays, labels, classes and orders")
    func table() {
        withTestEnvironment { _ in
            let expected: [(UInt64, String, String, String, UInt)] = [
                (0, "Percent", "%", "percent", 4), (1, "Negate", "±", "plus, minus", 4),
                (2, "OpenParenthesis", "(", "open parenthesis", 0),
                (3, "CloseParenthesis", ")", "close parenthesis", 0),
                (4, "Divide", "÷", "divide", 2), (5, "Multiply", "×", "multiply", 2),
                (6, "Subtract", "−", "subtract", 1),
                (7, "Add", "+", "add", 1), (8, "Equal", "=", "equal", 0), (9, "Round", "RND", "round", 4),
                (10, "Factorial", "!", "factorial", 4), (11, "XPOW2", "²", "square", 4), (12, "XPOW3", "³", "cube", 4),
                (13, "XPOWY", "xʸ", "power", 3), (14, "YPOWX", "yˣ", "reverse power", 3),
                (15, "10POWX", "10ˣ", "10 to the power of", 4), (16, "2POWX", "2ˣ", "2 to the power of", 4),
                (17, "Invert", "1/x", "reciprocal", 4), (18, "XRT2", "√", "square root", 4),
                (19, "XRT3", "³√", "cube root", 4), (20, "YRTX", "ʸ√x", "root", 3),
                (21, "XEEY", "EE", "ee engineering exponent", 3), (22, "LN", "ln", "natural log", 4),
                (23, "XLOGY", "logy", "logarithm", 3), (24, "LOG10", "log₁₀", "log base 10", 4),
                (25, "LOG2", "log₂", "log base 2", 4), (26, "EXP", "eˣ", "exponential", 4),
                (27, "SIN", "sin", "sine", 4),
                (28, "ASIN", "asin", "inverse sine", 4), (29, "COS", "cos", "cosine", 4),
                (30, "ACOS", "acos", "inverse cosine", 4), (31, "TAN", "tan", "tangent", 4),
                (32, "ATAN", "atan", "inverse tangent", 4), (33, "SINH", "sinh", "hyperbolic sine", 4),
                (34, "ASINH", "asinh", "inverse hyperbolic sine", 4), (35, "COSH", "cosh", "hyperbolic cosine", 4),
                (36, "ACOSH", "acosh", "inverse hyperbolic cosine", 4), (37, "TANH", "tanh", "hyperbolic tangent", 4),
                (38, "ATANH", "atanh", "inverse hyperbolic tangent", 4), (39, "XRTY", "ˣ√y", "root", 3),
            ]
            for (raw, name, display, label, order) in expected {
                let component = QVRTallixComponent.componentWithOperation(QVRTallixOperation(rawValue: raw))
                #expect(component.name == name)
                #expect(component.editString == display)
                #expect(component.description == display)
                #expect(component.accessibilityLabel == label)
                #expect(component.order == order)
            }
            let functions = Set<UInt64>([0, 1, 9, 10, 11, 12, 15, 16, 17, 18, 19, 22]).union(24...38)
            let exponents: Set<UInt64> = [13, 14, 20, 21, 23, 39]
            for raw in UInt64(0)...39 {
                let component = QVRTallixComponent.componentWithOperation(QVRTallixOperation(rawValue: raw))
                #expect(component.isFunctionOperation == functions.contains(raw))
                #expect(component.isExponentsOperation == exponents.contains(raw))
                #expect(component.isParenthesisOperation == (raw == 2 || raw == 3))
                #expect(component.isMultiplyDivideOperation == (raw == 4 || raw == 5))
                #expect(component.isAddSubtractOperation == (raw == 6 || raw == 7))
                #expect(component.isTrignometricOperation == (27...32).contains(raw))
                #expect(component.isDoubleArgumentOperation == (exponents.contains(raw) || (4...7).contains(raw)))
            }
        }
    }

    @Test("Values outside the table: every predicate false, name and label absent; none has name none")
    func outsideTable() {
        withTestEnvironment { _ in
            let odd = QVRTallixComponent.componentWithOperation(QVRTallixOperation(rawValue: 40))
            #expect(odd.name == nil && odd.editString == nil && odd.accessibilityLabel == nil)
            #expect(!odd.isFunctionOperation && !odd.isDoubleArgumentOperation && odd.order == 0)
            let none = QVRTallixComponent.componentWithOperation(.none)
            #expect(none.name == "none" && none.editString == "" && none.accessibilityLabel == "none")
        }
    }

    @Test("Labels are localised through the default table")
    func germanLabels() {
        withTestEnvironment(locale: "de_DE") { _ in
            #expect(QVRTallixComponent.componentWithOperation(.add).accessibilityLabel == "plus")
            #expect(QVRTallixComponent.componentWithOperation(.sin).accessibilityLabel == "Sinus")
        }
    }

    @Test("Copying makes a new component with a new copy of the number")
    func copying() {
        withTestEnvironment { _ in
            let editable = QVRTallixEditableNumber(string: "12|5")
            let component = QVRTallixComponent.componentWithTallixNumber(editable)
            let copy = component.copy() as? QVRTallixComponent
            #expect(copy?.isEqual(component) == true)
            #expect(copy?.tallixNumber !== component.tallixNumber)
            #expect(copy?.tallixNumber is QVRTallixEditableNumber)
            let operation = QVRTallixComponent.componentWithOperation(.cos)
            #expect((operation.copy() as? QVRTallixComponent)?.operation == .cos)
        }
    }
}
