/// A key of the calculator, on screen or typed (Part 2.5): values 0 to 61.
public struct QVRTallixKeyType: RawRepresentable, Hashable, Sendable, CustomStringConvertible {
    public let rawValue: UInt64

    public init(rawValue: UInt64) {
        self.rawValue = rawValue
    }

    /// The key of digit `value` (0 to 9).
    public static func digit(_ value: UInt64) -> QVRTallixKeyType { QVRTallixKeyType(rawValue: min(value, 9)) }

    public static let delete = QVRTallixKeyType(rawValue: 10)
    public static let clear = QVRTallixKeyType(rawValue: 11)
    public static let equal = QVRTallixKeyType(rawValue: 12)
    public static let decimalSeparator = QVRTallixKeyType(rawValue: 13)
    public static let percent = QVRTallixKeyType(rawValue: 14)
    public static let signChange = QVRTallixKeyType(rawValue: 15)
    public static let openParenthesis = QVRTallixKeyType(rawValue: 16)
    public static let closeParenthesis = QVRTallixKeyType(rawValue: 17)
    public static let favorites = QVRTallixKeyType(rawValue: 18)
    public static let divide = QVRTallixKeyType(rawValue: 19)
    public static let multiply = QVRTallixKeyType(rawValue: 20)
    public static let subtract = QVRTallixKeyType(rawValue: 21)
    public static let add = QVRTallixKeyType(rawValue: 22)
    public static let alternateFunctions = QVRTallixKeyType(rawValue: 23)
    public static let constants = QVRTallixKeyType(rawValue: 24)
    public static let round = QVRTallixKeyType(rawValue: 25)
    public static let random = QVRTallixKeyType(rawValue: 26)
    public static let factorial = QVRTallixKeyType(rawValue: 27)
    public static let square = QVRTallixKeyType(rawValue: 28)
    public static let cube = QVRTallixKeyType(rawValue: 29)
    public static let power = QVRTallixKeyType(rawValue: 30)
    public static let reversePower = QVRTallixKeyType(rawValue: 31)
    public static let tenToThePower = QVRTallixKeyType(rawValue: 32)
    public static let twoToThePower = QVRTallixKeyType(rawValue: 33)
    public static let reciprocal = QVRTallixKeyType(rawValue: 34)
    public static let squareRoot = QVRTallixKeyType(rawValue: 35)
    public static let cubeRoot = QVRTallixKeyType(rawValue: 36)
    public static let xthRootOfY = QVRTallixKeyType(rawValue: 37)
    public static let ythRootOfX = QVRTallixKeyType(rawValue: 38)
    public static let engineeringExponent = QVRTallixKeyType(rawValue: 39)
    public static let naturalLogarithm = QVRTallixKeyType(rawValue: 40)
    public static let logarithmToABase = QVRTallixKeyType(rawValue: 41)
    public static let logarithmBase10 = QVRTallixKeyType(rawValue: 42)
    public static let logarithmBase2 = QVRTallixKeyType(rawValue: 43)
    public static let exponential = QVRTallixKeyType(rawValue: 44)
    public static let eulersNumber = QVRTallixKeyType(rawValue: 45)
    public static let sine = QVRTallixKeyType(rawValue: 46)
    public static let inverseSine = QVRTallixKeyType(rawValue: 47)
    public static let cosine = QVRTallixKeyType(rawValue: 48)
    public static let inverseCosine = QVRTallixKeyType(rawValue: 49)
    public static let tangent = QVRTallixKeyType(rawValue: 50)
    public static let inverseTangent = QVRTallixKeyType(rawValue: 51)
    public static let pi = QVRTallixKeyType(rawValue: 52)
    public static let hyperbolicSine = QVRTallixKeyType(rawValue: 53)
    public static let inverseHyperbolicSine = QVRTallixKeyType(rawValue: 54)
    public static let hyperbolicCosine = QVRTallixKeyType(rawValue: 55)
    public static let inverseHyperbolicCosine = QVRTallixKeyType(rawValue: 56)
    public static let hyperbolicTangent = QVRTallixKeyType(rawValue: 57)
    public static let inverseHyperbolicTangent = QVRTallixKeyType(rawValue: 58)
    /// The angle-mode key labelled degrees: pressing it switches to radians.
    public static let angleModeDegrees = QVRTallixKeyType(rawValue: 59)
    /// The angle-mode key labelled radians: pressing it switches to degrees.
    public static let angleModeRadians = QVRTallixKeyType(rawValue: 60)
    public static let none = QVRTallixKeyType(rawValue: 61)

    public var description: String { String(rawValue) }
}
