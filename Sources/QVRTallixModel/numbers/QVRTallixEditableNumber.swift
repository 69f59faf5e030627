import Foundation

/// Posted with the editable number as object whenever its text changes (Part 1.4).
public let QVRTallixEditableNumberDidChange = Notification.Name("QVRTallixEditableNumberDidChange")

/// The number being typed (Part 1.4): its value is parsed from the typed text whenever asked.
///
/// The text is kept in an internal form: an optional "-", then at most 15 digits with at most one
/// "|" standing for the decimal separator, whatever the user's locale.
open class QVRTallixEditableNumber: QVRTallixNumber, @unchecked Sendable {
    static let maximumDigits = 15

    /// What has been typed, in the internal form.
    public private(set) var string: String

    /// A stored flag that nothing sets; it always reads false (the limit is `numberOfDigits`).
    public private(set) var canAddDigit = false

    /// An empty editable number.
    public override init() {
        string = ""
        super.init()
    }

    /// An editable number holding `string`, taken as already in the internal form.
    public required init(string: String) {
        self.string = string
        super.init()
    }

    /// An editable number whose text is the number's plain text with its decimal point as "|"
    /// (the plain text always uses "." whatever the locale, so the result is in the internal form).
    public required init(number: QVRTallixDecimal?) {
        string = (number ?? .zero).description.replacingOccurrences(of: ".", with: "|")
        super.init()
    }

    /// The decimal separator of the user's current locale.
    static func _separator() -> String {
        QVRUserLocale.current.decimalSeparator ?? "."
    }

    // MARK: - State

    public var isNegative: Bool { string.utf8.first == 45 }

    public var isBlank: Bool { string == "" || string == "-" || string == "0|" || string == "-0|" }

    /// Whether the text holds the separator "|" (the internal form is ASCII: bytes are characters).
    private var hasSeparator: Bool { string.utf8.contains(124) }

    public var numberOfDigits: Int {
        string.utf8.count - (hasSeparator ? 1 : 0) - (isNegative ? 1 : 0)
    }

    public var canAddSeparator: Bool {
        !hasSeparator && numberOfDigits < Self.maximumDigits
    }

    public var canDeleteDigit: Bool {
        let length = string.utf8.count
        if length < 2 { return false }
        if !isNegative { return true }
        return length != 2
    }

    open override var canEdit: Bool { true }

    // MARK: - Editing

    public func addSeparator() {
        guard canAddSeparator else { return }
        if isBlank {
            string = isNegative ? "-0|" : "0|"
        } else {
            string += "|"
        }
        postChange()
    }

    /// Appends the digit `digit` (0 to 9; other values are ignored).
    public func addDigit(_ digit: UInt) {
        guard digit <= 9 else { return }
        var changed = false
        if string == "0" || string == "-0" {
            string.removeLast()
            changed = true
        }
        if numberOfDigits < Self.maximumDigits {
            string += String(digit)
            postChange()
        } else if changed {
            postChange()
        }
    }

    public func deleteDigit() {
        guard canDeleteDigit else { return }
        string.removeLast()
        if string == "0" {
            string = ""
        } else if string == "-0" {
            string = "-"
        }
        postChange()
    }

    public func clear() {
        string = ""
        postChange()
    }

    public func addNegation() {
        if isNegative {
            string.removeFirst()
        } else {
            string = "-" + string
        }
        postChange()
    }

    private func postChange() {
        QVREnvironment.current.notificationCenter.post(name: QVRTallixEditableNumberDidChange, object: self)
    }

    // MARK: - Value and text

    /// The text shown while typing, with the locale's decimal separator and no grouping.
    open override var editString: String {
        let separator = Self._separator()
        if isBlank {
            let zero = isNegative ? "-0" : "0"
            return hasSeparator ? zero + separator : zero
        }
        return string.replacingOccurrences(of: "|", with: separator)
    }

    /// Zero when blank, else the typed text read with "|" as the decimal separator.
    open override var decimalNumber: QVRTallixDecimal? {
        if isBlank { return .zero }
        return QVRTallixDecimal(string: string, decimalSeparator: "|") ?? .nan
    }

    // MARK: - Identity

    /// True when `object` is an editable number of the receiver's class with the same text.
    open override func isEqual(_ object: Any?) -> Bool {
        guard let other = object as? QVRTallixEditableNumber, other.isKind(of: type(of: self)) else { return false }
        return other.string == string
    }

    open override var hash: Int { string.hashValue }

    /// An editable number of the receiver's class with a copy of the text.
    open override func copy(with zone: NSZone? = nil) -> Any {
        type(of: self).init(string: string)
    }

    open override var description: String {
        "\(type(of: self))(\(string))"
    }

    // MARK: - Archiving

    open override class var archiveClassName: String { "QVRTallixEditableNumber" }

    open override func encode(with coder: QVRKeyedArchiver) {
        coder.encode(string, forKey: "string")
    }

    /// Reads "string"; a text that is not in the internal form refuses the archive.
    public required init?(coder: QVRKeyedUnarchiver) {
        let text: String
        if coder.containsValue(forKey: "string") {
            guard let decoded = coder.decodeString(forKey: "string"), Self.isInternalForm(decoded) else { return nil }
            text = decoded
        } else {
            text = ""
        }
        string = text
        super.init()
    }

    /// Whether `text` is an optional "-", then at most 15 digits with at most one "|".
    static func isInternalForm(_ text: String) -> Bool {
        var utf8 = Substring(text).utf8[...]
        if utf8.first == 45 { utf8 = utf8.dropFirst() }
        var digits = 0
        var separators = 0
        for byte in utf8 {
            if byte >= 48, byte <= 57 {
                digits += 1
            } else if byte == 124 {
                separators += 1
            } else {
                return false
            }
        }
        return digits <= maximumDigits && separators <= 1
    }
}
