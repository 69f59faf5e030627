import Foundation

extension Array {
    /// The elements in reverse order.
    public func reversedArray() -> [Element] {
        Array(reversed())
    }

    /// The first element that passes `test`, or none.
    public func objectPassingTest(_ test: (Element) throws -> Bool) rethrows -> Element? {
        try first(where: test)
    }

    /// All elements that pass `test`, in order.
    public func objectsPassingTest(_ test: (Element) throws -> Bool) rethrows -> [Element] {
        try filter(test)
    }

    /// Each element's result of `selector`, in order (the selector becomes a mapping).
    public func arrayByPerformingSelector<Result>(_ selector: (Element) throws -> Result) rethrows -> [Result] {
        try map(selector)
    }

    /// Whether the receiver begins with the elements of `prefix`, in order, compared by `areEqual`.
    public func hasPrefix(_ prefix: [Element], by areEqual: (Element, Element) throws -> Bool) rethrows -> Bool {
        guard prefix.count <= count else { return false }
        for (mine, theirs) in zip(self, prefix) where try !areEqual(mine, theirs) {
            return false
        }
        return true
    }
}

extension Array where Element: Equatable {
    /// Whether the receiver begins with the elements of `prefix`, in order.
    public func hasPrefix(_ prefix: [Element]) -> Bool {
        hasPrefix(prefix, by: ==)
    }
}

extension Array where Element: Hashable {
    /// The receiver (the server's list) merged with `local` (the local list); none counts as empty.
    ///
    /// The rule: every element of either list is kept exactly once, and the order of each list is
    /// respected as far as the two agree.
    /// 1. The server's elements come first in their own order (a repeated element only at its
    ///    first place).
    /// 2. The local list is walked in order with a cursor into the result. A local element that
    ///    the server's list also holds (a shared anchor) moves the cursor just past it, and past
    ///    the server-only elements that follow it, but never back: when the two lists order their
    ///    shared elements differently, the server's order wins and the local elements that follow
    ///    stay after everything placed before them.
    /// 3. A local element that the server's list lacks is inserted at the cursor, which moves past
    ///    it: so it follows every local element before it (its anchors), and what both sides
    ///    appended after a common element reads server's first, then local's. Local elements
    ///    before the first anchor go after the server-only elements that open the list.
    /// 4. Elements are the same when they are equal (`isEqual:` for objects).
    ///
    /// | server | local | result |
    /// |---|---|---|
    /// | a b c d | a b c e | a b c d e |
    /// | a c | a b c | a b c |
    /// | a b | — | a b |
    /// | x a | y a | x y a |
    /// | a b | b x a y | a b x y |
    public func arrayByMergingWithArray(_ local: [Element]?) -> [Element] {
        var result: [Element] = []
        var seen = Set<Element>()
        for element in self where seen.insert(element).inserted {
            result.append(element)
        }
        guard let local, !local.isEmpty else { return result }
        let localSet = Set(local)
        var cursor = 0
        // Skip the server-only elements that open the list: local ones without anchor follow them.
        while cursor < result.count, !localSet.contains(result[cursor]) { cursor += 1 }
        for element in local {
            if let index = result.firstIndex(of: element) {
                guard index + 1 > cursor else { continue }
                cursor = index + 1
                while cursor < result.count, !localSet.contains(result[cursor]) { cursor += 1 }
            } else {
                result.insert(element, at: cursor)
                cursor += 1
            }
        }
        return result
    }
}
