import Foundation

extension Bundle {
    /// The path of the application's own support directory, created when missing (Part 8.1).
    /// It is the environment's: `$XDG_DATA_HOME/Tallix` for the program, a temporary folder in tests.
    public var applicationSupportDirectory: String {
        let url = QVREnvironment.current.applicationSupportURL
        do {
            try FileManager.default.createDirectory(at: url, withIntermediateDirectories: true)
        } catch {
            QVRLogger.logError(error, descriptionFormat: "creating the application-support directory")
        }
        return url.path
    }
}
