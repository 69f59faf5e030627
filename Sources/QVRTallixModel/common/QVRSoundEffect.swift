import Foundation

/// The sound service of the common services (Part 8.1). The terminal program has no sounds of
/// its own; the switch is kept in the environment, where the settings' tests read it.
public enum QVRSoundEffect {
    /// Turns the sound effects on or off.
    public static func setSoundsEnabled(_ enabled: Bool) {
        QVREnvironment.current.soundsEnabled = enabled
    }

    /// Whether sounds are on (true until told otherwise).
    public static var soundsEnabled: Bool {
        QVREnvironment.current.soundsEnabled ?? true
    }
}
