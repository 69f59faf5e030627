import Foundation

/// Posted with no object when the currency mode changes (Part 6.2).
public let QVRTallixSettingsCurrencyModeChangedNotification = Notification.Name(
    "QVRTallixSettingsCurrencyModeChangedNotification")

/// The user's four preferences (Part 6.2), read from the user defaults once when made and
/// written back at each change.
public final class QVRTallixSettings: @unchecked Sendable {
    private struct Values {
        var soundsEnabled: Bool
        var currencyMode: Bool
        var roundedButtons: Bool
        var copyHistoryTapeResultsToClipboard: Bool
    }

    private let values: QVRLockedValue<Values>
    private let environment: QVREnvironment

    /// The shared settings, made on first call.
    public static var sharedSettings: QVRTallixSettings {
        QVREnvironment.current.sharedInstance("QVRTallixSettings") { QVRTallixSettings() }
    }

    /// Reads the four values; tells the sound service whether sounds are on. Nothing is written.
    public init() {
        environment = QVREnvironment.current
        let defaults = environment.userDefaults
        let sounds = defaults.object(forKey: "soundsEnabled") != nil ? defaults.bool(forKey: "soundsEnabled") : true
        values = QVRLockedValue(
            Values(
                soundsEnabled: sounds,
                currencyMode: defaults.bool(forKey: "currencyMode"),
                roundedButtons: defaults.bool(forKey: "roundedButtons"),
                copyHistoryTapeResultsToClipboard: defaults.bool(forKey: "copyTapeResultsToClipboard")))
        QVRSoundEffect.setSoundsEnabled(sounds)
    }

    public var soundsEnabled: Bool { values.withLock { $0.soundsEnabled } }
    public var currencyMode: Bool { values.withLock { $0.currencyMode } }
    public var hasRoundedButtons: Bool { values.withLock { $0.roundedButtons } }
    public var copyHistoryTapeResultsToClipboard: Bool { values.withLock { $0.copyHistoryTapeResultsToClipboard } }

    public func setSoundsEnabled(_ enabled: Bool) {
        guard change(\.soundsEnabled, to: enabled) else { return }
        QVREnvironment.$override.withValue(environment) { QVRSoundEffect.setSoundsEnabled(enabled) }
        environment.userDefaults.set(enabled, forKey: "soundsEnabled")
    }

    public func setCurrencyMode(_ currencyMode: Bool) {
        guard change(\.currencyMode, to: currencyMode) else { return }
        environment.userDefaults.set(currencyMode, forKey: "currencyMode")
        environment.notificationCenter.post(name: QVRTallixSettingsCurrencyModeChangedNotification, object: nil)
    }

    public func setRoundedButtons(_ roundedButtons: Bool) {
        guard change(\.roundedButtons, to: roundedButtons) else { return }
        environment.userDefaults.set(roundedButtons, forKey: "roundedButtons")
    }

    public func setCopyHistoryTapeResultsToClipboard(_ copy: Bool) {
        guard change(\.copyHistoryTapeResultsToClipboard, to: copy) else { return }
        environment.userDefaults.set(copy, forKey: "copyTapeResultsToClipboard")
    }

    /// Stores `value` in the field; false when it was already the field's value.
    private func change(_ field: WritableKeyPath<Values, Bool>, to value: Bool) -> Bool {
        values.withLock { values in
            guard values[keyPath: field] != value else { return false }
            values[keyPath: field] = value
            return true
        }
    }
}
