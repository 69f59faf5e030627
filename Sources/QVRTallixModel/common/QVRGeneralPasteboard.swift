import Foundation
import Synchronization

/// An in-process general pasteboard: what one part of the program copies, another pastes.
public final class QVRGeneralPasteboard: QVRPasteboard {
    private struct State {
        var declared: Set<String> = []
        var contents: [String: Data] = [:]
        var changeCount = 0
    }

    private let state = Mutex(State())

    public init() {}

    /// The general pasteboard of the current environment.
    public static var general: any QVRPasteboard { QVREnvironment.current.pasteboard }

    public func declareTypes(_ types: [String], owner: AnyObject?) -> Int {
        state.withLock { state in
            state.declared = Set(types)
            state.contents = [:]
            state.changeCount += 1
            return state.changeCount
        }
    }

    public func setString(_ string: String, forType type: String) -> Bool {
        setData(Data(string.utf8), forType: type)
    }

    public func string(forType type: String) -> String? {
        data(forType: type).map { String(decoding: $0, as: UTF8.self) }
    }

    public func setData(_ data: Data, forType type: String) -> Bool {
        state.withLock { state in
            guard state.declared.contains(type) else { return false }
            state.contents[type] = data
            return true
        }
    }

    public func data(forType type: String) -> Data? {
        state.withLock { $0.contents[type] }
    }
}
