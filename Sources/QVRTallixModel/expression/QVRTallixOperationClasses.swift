/// The classes into which the evaluator and the editor sort operations (Part 2.1).
public struct QVRTallixOperationClasses: OptionSet, Sendable {
    public let rawValue: UInt8

    public init(rawValue: UInt8) {
        self.rawValue = rawValue
    }

    public static let parenthesis = QVRTallixOperationClasses(rawValue: 1 << 0)
    public static let function = QVRTallixOperationClasses(rawValue: 1 << 1)
    public static let exponents = QVRTallixOperationClasses(rawValue: 1 << 2)
    public static let multiplyDivide = QVRTallixOperationClasses(rawValue: 1 << 3)
    public static let addSubtract = QVRTallixOperationClasses(rawValue: 1 << 4)
    public static let trigonometric = QVRTallixOperationClasses(rawValue: 1 << 5)
    /// The exponents, multiply/divide and add/subtract classes together.
    public static let doubleArgument = QVRTallixOperationClasses(rawValue: 1 << 6)
}
