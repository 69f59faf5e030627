import Foundation

/// The key types of Part 2.5 (the category `QVRTallixKeyTypeCategory`).
extension QVRTallixExpression {
    /// The operation that each key type enters (none for keys without one), indexed by key type.
    static let keyOperations: [QVRTallixOperation] = {
        var table = [QVRTallixOperation](repeating: .none, count: 62)
        let pairs: [(UInt64, QVRTallixOperation)] = [
            (14, .percent), (15, .negate), (16, .openParenthesis), (17, .closeParenthesis), (19, .divide),
            (20, .multiply), (21, .subtract), (22, .add), (25, .round), (27, .factorial), (28, .xPow2),
            (29, .xPow3), (30, .xPowY), (31, .yPowX), (32, .tenPowX), (33, .twoPowX), (34, .invert),
            (35, .xRt2), (36, .xRt3), (37, .xRtY), (38, .yRtX), (39, .xEEY), (40, .ln), (41, .xLogY),
            (42, .log10), (43, .log2), (44, .exp), (46, .sin), (47, .asin), (48, .cos), (49, .acos),
            (50, .tan), (51, .atan), (53, .sinh), (54, .asinh), (55, .cosh), (56, .acosh), (57, .tanh),
            (58, .atanh),
        ]
        for (key, operation) in pairs { table[Int(key)] = operation }
        return table
    }()

    /// The key type of the characters that type keys (first UTF-16 code unit).
    static let typedCharacters: [UInt16: QVRTallixKeyType] = {
        var table: [UInt16: QVRTallixKeyType] = [
            0x7F: .delete, 0x43: .clear, 0x63: .clear, 0x0A: .equal, 0x0D: .equal, 0x3D: .equal,
            0xF739: .equal, 0x2C: .decimalSeparator, 0x2E: .decimalSeparator, 0x25: .percent,
            0xB1: .signChange, 0x28: .openParenthesis, 0x5B: .openParenthesis, 0x29: .closeParenthesis,
            0x5D: .closeParenthesis, 0x2F: .divide, 0x2A: .multiply, 0x2D: .subtract, 0x2B: .add,
            0x21: .factorial, 0x40: .square, 0x23: .cube, 0x5E: .power, 0x221A: .squareRoot,
            0x45: .engineeringExponent, 0x65: .exponential,
        ]
        for digit in UInt16(0)...9 { table[0x30 + digit] = QVRTallixKeyType(rawValue: UInt64(digit)) }
        return table
    }()

    /// The key type of a typed text: its first character decides; a text equal to the user's
    /// decimal separator gives the separator key; anything else (and the empty text) gives none.
    public class func keyTypeFromString(_ text: String) -> QVRTallixKeyType {
        guard let first = text.utf16.first else { return .none }
        if let keyType = typedCharacters[first] { return keyType }
        if text == QVRTallixEditableNumber._separator() { return .decimalSeparator }
        return .none
    }

    /// The operation that the key enters (none for keys without one and above 61).
    public class func operationFromKeyType(_ keyType: QVRTallixKeyType) -> QVRTallixOperation {
        keyType.rawValue < UInt64(keyOperations.count) ? keyOperations[Int(keyType.rawValue)] : .none
    }

    /// The spoken label of a key.
    public class func accessibilityLabelFromKeyType(_ keyType: QVRTallixKeyType) -> String {
        switch keyType.rawValue {
        case 0...9: return String(keyType.rawValue)
        case 10: return QVRLocalization.localizedString("delete")
        case 11: return QVRLocalization.localizedString("clear")
        case 12: return QVRLocalization.localizedString("equal")
        case 13: return QVRLocalization.localizedString("decimal")
        case 18: return QVRLocalization.localizedString("favorites")
        case 23: return QVRLocalization.localizedString("alternate functions")
        case 24: return QVRLocalization.localizedString("constants")
        case 26: return QVRLocalization.localizedString("random")
        case 45: return QVRTallixGlobalConstantNumber.constantNamed("Euler’s Number")?.title ?? "Euler’s Number"
        case 52: return QVRTallixGlobalConstantNumber.constantNamed("Pi")?.title ?? "Pi"
        case 59: return QVRLocalization.localizedString("degrees")
        case 60: return QVRLocalization.localizedString("radians")
        case 61: return "none"
        default:
            let operation = operationFromKeyType(keyType)
            return QVRTallixComponent.componentWithOperation(operation).accessibilityLabel ?? "none"
        }
    }

    /// Handles a key press on the expression (the fifth column of the key table).
    public func handleKey(_ keyType: QVRTallixKeyType) {
        switch keyType.rawValue {
        case 0...9:
            addDigit(UInt(keyType.rawValue))
        case 10:
            deleteDigitOrOperation()
        case 11:
            clearExpression()
        case 13:
            addSeparator()
        case 15:
            addNegation()
        case 26:
            addNumber(QVRTallixNumber.random())
        case 45:
            if let constant = QVRTallixGlobalConstantNumber.constantNamed("Euler’s Number") { addNumber(constant) }
        case 52:
            if let constant = QVRTallixGlobalConstantNumber.constantNamed("Pi") { addNumber(constant) }
        case 59:
            setRadMode(true)
        case 60:
            setRadMode(false)
        case 12, 18, 23, 24, 61:
            break
        default:
            let operation = type(of: self).operationFromKeyType(keyType)
            if operation != .none { addOperation(operation) }
        }
    }
}
