import Foundation

/// Finds the library's bundled resources (strings tables and configuration) without ever
/// failing hard: the resources may be missing from an installed copy of the program, and then
/// texts fall back to their keys and the configuration to its empty values.
public enum QVRResourceBundle {
    /// The name of the resource bundle that the package manager builds beside the products.
    static let bundleName = "Tallix_QVRTallixModel.resources"

    /// The folder that holds `en.lproj`, `Configuration`, …: `$TALLIX_RESOURCES` when set, else
    /// the resource bundle beside the executable or the main bundle, else the source tree.
    public static func locateResources() -> URL? {
        let fileManager = FileManager.default
        var candidates: [URL] = []
        if let explicit = ProcessInfo.processInfo.environment["TALLIX_RESOURCES"], !explicit.isEmpty {
            candidates.append(URL(fileURLWithPath: explicit, isDirectory: true))
        }
        var bases: [URL] = [Bundle.main.bundleURL]
        if let executable = Bundle.main.executableURL {
            bases.append(executable.resolvingSymlinksInPath().deletingLastPathComponent())
        }
        if let resources = Bundle.main.resourceURL { bases.append(resources) }
        for base in bases {
            candidates.append(base.appendingPathComponent(bundleName).appendingPathComponent("Resources"))
        }
        let sourceTree = URL(fileURLWithPath: #filePath)
            .deletingLastPathComponent()
            .deletingLastPathComponent()
            .appendingPathComponent("Resources")
        candidates.append(sourceTree)
        return candidates.first { candidate in
            var isDirectory: ObjCBool = false
            return fileManager.fileExists(
                atPath: candidate.appendingPathComponent("en.lproj").path, isDirectory: &isDirectory)
                && isDirectory.boolValue
        }
    }
}
