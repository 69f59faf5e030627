import Foundation

/// The pasteboard type under which the user interface places an archived expression (Part 2.4):
/// the application's reverse-domain prefix followed by ".tallix.expression".
public let QVRTallixExpressionPasteboardType = "com.ternwick" + ".tallix.expression"

/// The attribute with which the user interface marks, in attributed text, the characters of one
/// component (Part 2.4).
public let QVRTallixExpressionStringComponentAttribute = NSAttributedString.Key(
    "QVRTallixExpressionStringComponentAttribute")
