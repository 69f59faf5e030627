import Foundation
import Testing

@testable import QVRTallixModel

@Suite("Part 2.5: key types")
struct QVRTallixKeyTypeTests {
    /// Presses the keys on a new expression (degrees) and answers its stringDescription.
    func session(_ keys: [QVRTallixKeyType], radians: Bool = false) -> String {
        let expression = QVRTallixExpression()
        expression.setRadMode(radians)
        for key in keys { expression.handleKey(key) }
        return expression.stringDescription
    }

    func digits(_ text: String) -> [QVRTallixKeyType] {
        text.map { QVRTallixExpression.keyTypeFromString(String($0)) }
    }

    @Test("\"7\" gives key type 7 and pressing it types 7; \"x7\" gives 61")
    func firstCharacterOnly() {
        withTestEnvironment { _ in
            #expect(QVRTallixExpression.keyTypeFromString("7") == QVRTallixKeyType(rawValue: 7))
            #expect(session([QVRTallixExpression.keyTypeFromString("7")]) == "7 = 7")
            #expect(QVRTallixExpression.keyTypeFromString("x7") == .none)
            #expect(QVRTallixExpression.keyTypeFromString("") == .none)
            #expect(QVRTallixExpression.keyTypeFromString("71") == QVRTallixKeyType(rawValue: 7))
        }
    }

    @Test("\".\" and \",\" both give 13 in every locale; another locale's separator gives 13 too")
    func separators() {
        for locale in ["en_US", "de_DE", "fr_FR", "ar_EG"] {
            withTestEnvironment(locale: locale) { _ in
                #expect(QVRTallixExpression.keyTypeFromString(".") == .decimalSeparator)
                #expect(QVRTallixExpression.keyTypeFromString(",") == .decimalSeparator)
            }
        }
        withTestEnvironment(locale: "ar_EG") { _ in
            #expect(QVRTallixExpression.keyTypeFromString("٫") == .decimalSeparator)
            #expect(QVRTallixExpression.keyTypeFromString("٫5") == .none)
        }
        withTestEnvironment(locale: "en_US") { _ in
            #expect(QVRTallixExpression.keyTypeFromString("٫") == .none)
        }
    }

    @Test("\"E\" gives 39 while \"e\" gives 44; \"C\" and \"c\" both clear")
    func letters() {
        withTestEnvironment { _ in
            #expect(QVRTallixExpression.keyTypeFromString("E").rawValue == 39)
            #expect(QVRTallixExpression.keyTypeFromString("e").rawValue == 44)
            #expect(QVRTallixExpression.keyTypeFromString("C") == .clear)
            #expect(QVRTallixExpression.keyTypeFromString("c") == .clear)
            #expect(shown(typed("12+3C")) == "0")
            #expect(typed("12+3c").currentEditableNumber?.isBlank == true)
        }
    }

    @Test(
        "Every typed character of the table",
        arguments: [
            ("\u{7F}", 10), ("C", 11), ("c", 11), ("\n", 12), ("\r", 12), ("=", 12), ("\u{F739}", 12), (",", 13),
            (".", 13),
            ("%", 14), ("±", 15), ("(", 16), ("[", 16), (")", 17), ("]", 17), ("/", 19), ("*", 20), ("-", 21),
            ("+", 22),
            ("!", 27), ("@", 28), ("#", 29), ("^", 30), ("√", 35), ("E", 39), ("e", 44), ("a", 61), (" ", 61),
            ("×", 61),
        ] as [(String, UInt64)])
    func typedCharacters(_ text: String, _ expected: UInt64) {
        withTestEnvironment { _ in
            #expect(QVRTallixExpression.keyTypeFromString(text).rawValue == expected)
        }
    }

    @Test("operationFromKeyType: 37 gives XRTY (39) and 38 gives YRTX (20)")
    func rootKeys() {
        #expect(QVRTallixExpression.operationFromKeyType(QVRTallixKeyType(rawValue: 37)) == .xRtY)
        #expect(QVRTallixExpression.operationFromKeyType(QVRTallixKeyType(rawValue: 38)) == .yRtX)
        #expect(QVRTallixExpression.operationFromKeyType(QVRTallixKeyType(rawValue: 15)) == .negate)
        #expect(QVRTallixExpression.operationFromKeyType(QVRTallixKeyType(rawValue: 3)) == .none)
        #expect(QVRTallixExpression.operationFromKeyType(QVRTallixKeyType(rawValue: 500)) == .none)
    }

    @Test("The operation table of the keys")
    func operationTable() {
        let expected: [UInt64: UInt64] = [
            14: 0, 15: 1, 16: 2, 17: 3, 19: 4, 20: 5, 21: 6, 22: 7, 25: 9, 27: 10, 28: 11, 29: 12, 30: 13, 31: 14,
            32: 15, 33: 16, 34: 17, 35: 18, 36: 19, 37: 39, 38: 20, 39: 21, 40: 22, 41: 23, 42: 24, 43: 25, 44: 26,
            46: 27, 47: 28, 48: 29, 49: 30, 50: 31, 51: 32, 53: 33, 54: 34, 55: 35, 56: 36, 57: 37, 58: 38,
        ]
        for key in UInt64(0)...61 {
            let operation = QVRTallixExpression.operationFromKeyType(QVRTallixKeyType(rawValue: key))
            #expect(operation.rawValue == (expected[key] ?? 100_000), "key \(key)")
        }
    }

    @Test("handleKey: 15 toggles the sign of the number being typed rather than appending Negate")
    func signKey() {
        withTestEnvironment { _ in
            let expression = typed("12")
            expression.handleKey(.signChange)
            #expect(expression.components.count == 1)
            #expect(expression.currentEditableNumber?.string == "-12")
            expression.handleKey(.signChange)
            #expect(expression.currentEditableNumber?.string == "12")
        }
    }

    @Test("handleKey: 59 puts the expression into radians; the label of key 59 is the localised degrees")
    func angleKeys() {
        withTestEnvironment { _ in
            let expression = QVRTallixExpression()
            expression.handleKey(.angleModeDegrees)
            #expect(expression.radMode)
            expression.handleKey(.angleModeRadians)
            #expect(!expression.radMode)
            #expect(QVRTallixExpression.accessibilityLabelFromKeyType(.angleModeDegrees) == "degrees")
            #expect(QVRTallixExpression.accessibilityLabelFromKeyType(.angleModeRadians) == "radians")
        }
        withTestEnvironment(locale: "de_DE") { _ in
            #expect(QVRTallixExpression.accessibilityLabelFromKeyType(.angleModeDegrees) == "Grad")
        }
    }

    @Test("handleKey: 12 (equal) changes nothing; so do 18, 23, 24, 61 and values above 61")
    func inertKeys() {
        withTestEnvironment { environment in
            let expression = typed("2+3")
            let recorder = NotificationRecorder(QVRTallixExpressionDidChange, in: environment, object: expression)
            for raw in [12, 18, 23, 24, 61, 62, 1000] as [UInt64] {
                expression.handleKey(QVRTallixKeyType(rawValue: raw))
            }
            #expect(shown(expression) == "2 + 3")
            #expect(recorder.count == 0)
        }
    }

    @Test("accessibilityLabelFromKeyType: 61 is none; of 3 is 3")
    func labels() {
        withTestEnvironment { _ in
            #expect(QVRTallixExpression.accessibilityLabelFromKeyType(.none) == "none")
            #expect(QVRTallixExpression.accessibilityLabelFromKeyType(QVRTallixKeyType(rawValue: 3)) == "3")
            #expect(QVRTallixExpression.accessibilityLabelFromKeyType(.signChange) == "plus, minus")
            #expect(QVRTallixExpression.accessibilityLabelFromKeyType(.delete) == "delete")
            #expect(QVRTallixExpression.accessibilityLabelFromKeyType(.clear) == "clear")
            #expect(QVRTallixExpression.accessibilityLabelFromKeyType(.equal) == "equal")
            #expect(QVRTallixExpression.accessibilityLabelFromKeyType(.decimalSeparator) == "decimal")
            #expect(QVRTallixExpression.accessibilityLabelFromKeyType(.favorites) == "favorites")
            #expect(QVRTallixExpression.accessibilityLabelFromKeyType(.alternateFunctions) == "alternate functions")
            #expect(QVRTallixExpression.accessibilityLabelFromKeyType(.constants) == "constants")
            #expect(QVRTallixExpression.accessibilityLabelFromKeyType(.random) == "random")
            #expect(QVRTallixExpression.accessibilityLabelFromKeyType(.xthRootOfY) == "root")
            #expect(QVRTallixExpression.accessibilityLabelFromKeyType(.pi) == "Pi")
            #expect(QVRTallixExpression.accessibilityLabelFromKeyType(.eulersNumber) == "Euler’s Number")
            #expect(QVRTallixExpression.accessibilityLabelFromKeyType(.hyperbolicTangent) == "hyperbolic tangent")
        }
    }

    // MARK: - Sessions: keys in, display text out, covering every key type

    @Test("Sessions with the digit, separator, sign, delete and clear keys")
    func typingSessions() {
        withTestEnvironment { _ in
            #expect(session(digits("0123456789")) == "123,456,789 = 123,456,789")
            #expect(session(digits("3.14")) == "3.14 = 3.14")
            #expect(session(digits("12") + [.signChange] + digits("+5")) == "-12 + 5 = -7")
            #expect(session(digits("125") + [.delete] + digits("*2")) == "12 × 2 = 24")
            #expect(session(digits("9+9") + [.clear] + digits("4")) == "4 = 4")
            #expect(session(digits("2+3") + [.equal]) == "2 + 3 = 5")
            #expect(session(digits("1,5+1")) == "1.5 + 1 = 2.5")
        }
    }

    @Test("Sessions with the arithmetic, percent, parenthesis and power keys")
    func operatorSessions() {
        withTestEnvironment { _ in
            #expect(session(digits("8/2*3-1")) == "8 ÷ 2 × 3 − 1 = 11")
            #expect(session(digits("200+10%")) == "200 + 10 % = 220")
            #expect(session(digits("2*(3+4)")) == "2 × (3 + 4) = 14")
            #expect(session(digits("2*[3+4]")) == "2 × (3 + 4) = 14")
            #expect(session(digits("2^10")) == "2 xʸ 10 = 1,024")
            #expect(session(digits("3") + [.reversePower] + digits("2")) == "3 yˣ 2 = 8")
            #expect(session(digits("5!")) == "5! = 120")
            #expect(session(digits("4@")) == "4² = 16")
            #expect(session(digits("2#")) == "2³ = 8")
            #expect(session(digits("2E3")) == "2 EE 3 = 2,000")
            #expect(session(digits("16√")) == "16 √ = 4")
        }
    }

    @Test("Sessions with the function keys")
    func functionSessions() {
        withTestEnvironment { _ in
            #expect(session(digits("2.5") + [.round]) == "2.5 RND = 3")
            #expect(session(digits("3") + [.tenToThePower]) == "3 10ˣ = 1,000")
            #expect(session(digits("10") + [.twoToThePower]) == "10 2ˣ = 1,024")
            #expect(session(digits("4") + [.reciprocal]) == "4 1/x = 0.25")
            #expect(session(digits("27") + [.cubeRoot]) == "27 ³√ = 3")
            #expect(session(digits("3") + [.xthRootOfY] + digits("8")) == "3 ˣ√y 8 = 2")
            #expect(session(digits("8") + [.ythRootOfX] + digits("3")) == "8 ʸ√x 3 = 2")
            #expect(session(digits("1") + [.naturalLogarithm]) == "1 ln = 0")
            #expect(session(digits("8") + [.logarithmToABase] + digits("2")) == "8 logy 2 = 3")
            #expect(session(digits("1000") + [.logarithmBase10]) == "1,000 log₁₀ = 3")
            #expect(session(digits("8") + [.logarithmBase2]) == "8 log₂ = 3")
            #expect(session(digits("0e")) == "0 eˣ = 1")
            #expect(session(digits("90") + [.sine]) == "90 sin = 1")
            #expect(session(digits("1") + [.inverseSine]) == "1 asin = 90")
            #expect(session(digits("180") + [.cosine]) == "180 cos = -1")
            #expect(session(digits("1") + [.inverseCosine]) == "1 acos = 0")
            #expect(session(digits("45") + [.tangent]) == "45 tan = 1")
            #expect(session(digits("1") + [.inverseTangent]) == "1 atan = 45")
            #expect(session(digits("0") + [.hyperbolicSine]) == "0 sinh = 0")
            #expect(session(digits("0") + [.inverseHyperbolicSine]) == "0 asinh = 0")
            #expect(session(digits("0") + [.hyperbolicCosine]) == "0 cosh = 1")
            #expect(session(digits("1") + [.inverseHyperbolicCosine]) == "1 acosh = 0")
            #expect(session(digits("0") + [.hyperbolicTangent]) == "0 tanh = 0")
            #expect(session(digits("0") + [.inverseHyperbolicTangent]) == "0 atanh = 0")
            #expect(
                session([.angleModeDegrees] + digits("(") + [.pi] + digits("/2)") + [.sine])
                    == "(3.14159265359 ÷ 2) sin = 1")
            #expect(session([.angleModeDegrees, .angleModeRadians] + digits("90") + [.sine]) == "90 sin = 1")
        }
    }

    @Test("Sessions with the constant and random keys")
    func constantSessions() {
        withTestEnvironment { _ in
            #expect(session([.pi]) == "3.14159265359 = 3.14159265359")
            #expect(session([.eulersNumber] + digits("*2")) == "2.71828182846 × 2 = 5.43656365692")
            let expression = QVRTallixExpression()
            expression.handleKey(.random)
            let drawn = expression.result.doubleValue
            #expect(drawn >= 0 && drawn <= 1)
            #expect(expression.currentNumber.map { !$0.canEdit } == true)
        }
    }

    @Test("Without built-in constants the pi and e keys insert nothing")
    func missingConstants() {
        withTestEnvironment(configuration: [:]) { _ in
            #expect(session([.pi]) == "0 = 0")
            #expect(session([.eulersNumber]) == "0 = 0")
        }
    }
}
