import Foundation

/// A named image supplied with the application (what AppKit's `imageNamed:` finds on macOS).
///
/// On Linux an image is a file in the folder `Images` of the bundled resources, named like the
/// image and ending in one of ``fileExtensions``: the image "Length:Category" is the file
/// `Images/Length:Category.png`. The model only names images (unit modifiers, Part 5.1; unit
/// categories, Part 5.2); drawing them is the interface's business.
public struct QVRImage: Sendable, Hashable {
    /// The extensions tried, in this order.
    public static let fileExtensions = ["png", "pdf", "svg", "tiff"]

    /// The name under which the image was found.
    public let name: String
    /// The image's file.
    public let url: URL

    public init(name: String, url: URL) {
        self.name = name
        self.url = url
    }

    /// The image of that name, or none when the resources hold no such file.
    public static func imageNamed(_ name: String) -> QVRImage? {
        guard !name.isEmpty, !name.contains("/"),
            let resources = QVREnvironment.current.resourcesURL
        else { return nil }
        let folder = resources.appendingPathComponent("Images", isDirectory: true)
        for fileExtension in fileExtensions {
            let url = folder.appendingPathComponent(name + "." + fileExtension)
            if FileManager.default.fileExists(atPath: url.path) {
                return QVRImage(name: name, url: url)
            }
        }
        return nil
    }
}
