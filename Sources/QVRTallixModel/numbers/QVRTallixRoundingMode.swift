/// How the decimal arithmetic and the formatter drop digits.
public enum QVRTallixRoundingMode: Sendable {
    /// Halves away from zero (Foundation's plain rounding; the formatter's half-up).
    case plain
    /// Halves to the even neighbour (banker's rounding; the formatter's default).
    case bankers
    /// Towards zero (truncation).
    case down
    /// Away from zero.
    case up

    /// Whether the kept digits go up by one unit, given the first dropped digit, whether any
    /// later dropped digit is non-zero, and whether the kept last digit is odd.
    func roundsUp(firstDroppedDigit digit: Int, restIsNonZero: Bool, keptIsOdd: Bool) -> Bool {
        switch self {
        case .plain: digit >= 5
        case .bankers: digit > 5 || (digit == 5 && (restIsNonZero || keptIsOdd))
        case .down: false
        case .up: digit > 0 || restIsNonZero
        }
    }
}
