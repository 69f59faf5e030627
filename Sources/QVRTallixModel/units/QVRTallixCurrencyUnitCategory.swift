import Foundation

/// The category of the currencies (Part 5.4), named in the catalogue by "class"
/// "QVRTallixCurrencyUnitCategory". It adds no fields to ``QVRTallixUnitCategory``.
///
/// Only the class itself exists so far, so that the catalogue builds it (Part 5.2); the rates,
/// their download and their cache come with Part 5.4.
open class QVRTallixCurrencyUnitCategory: QVRTallixUnitCategory {
    open override class var archiveClassName: String { "QVRTallixCurrencyUnitCategory" }
}
