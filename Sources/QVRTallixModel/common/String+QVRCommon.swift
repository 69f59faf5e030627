import Foundation

extension String {
    /// A fresh unique identifier text (Part 8.1), in the standard UUID form.
    public static func uuid() -> String {
        UUID().uuidString
    }
}
