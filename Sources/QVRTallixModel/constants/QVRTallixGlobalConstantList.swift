import Foundation

/// The process-wide list of built-in constants (Part 4.1), one per environment: built from the
/// configuration's "constants" on first use, rebuilt on `QVRConfigurationDidChange`, announcing
/// `QVRTallixGlobalConstantsDidChangeNotification` when the values changed.
final class QVRTallixGlobalConstantList: @unchecked Sendable {
    private let lock = NSLock()
    private var list: [QVRTallixConstantNumber] = []
    private let environment: QVREnvironment
    private var observer: NSObjectProtocol?

    static var shared: QVRTallixGlobalConstantList {
        QVREnvironment.current.sharedInstance("QVRTallixGlobalConstantNumber.constants") {
            QVRTallixGlobalConstantList(environment: QVREnvironment.current)
        }
    }

    private init(environment: QVREnvironment) {
        self.environment = environment
        list = Self.build()
        observer = environment.notificationCenter.addObserver(
            forName: QVRConfigurationDidChange, object: nil, queue: nil
        ) { [weak self] _ in
            guard let self else { return }
            QVREnvironment.$override.withValue(self.environment) { self.rebuild() }
        }
    }

    deinit {
        if let observer { environment.notificationCenter.removeObserver(observer) }
    }

    var constants: [QVRTallixConstantNumber] {
        lock.lock()
        defer { lock.unlock() }
        return list
    }

    private func rebuild() {
        let rebuilt = Self.build()
        lock.lock()
        let old = list
        list = rebuilt
        lock.unlock()
        let same = old.count == rebuilt.count && zip(old, rebuilt).allSatisfy { $0.isEqual($1) }
        if !same {
            environment.notificationCenter.post(name: QVRTallixGlobalConstantsDidChangeNotification, object: nil)
        }
    }

    /// One constant per usable configuration entry, sorted by title.
    private static func build() -> [QVRTallixConstantNumber] {
        let entries = QVRConfiguration.sharedConfiguration.object(forKey: "constants") as? [Any] ?? []
        var made: [QVRTallixConstantNumber] = []
        for entry in entries {
            guard let dictionary = entry as? [String: Any] else {
                QVRLogger.logFormat("Unhandled constant entry \(entry)")
                continue
            }
            if let constant = QVRTallixGlobalConstantNumber(dictionary: dictionary) {
                made.append(constant)
            }
        }
        return QVRTallixConstantNumber.sortedByTitle(made)
    }
}
