import Foundation
import Testing

@testable import QVRTallixModel

/// Part 8.1: the configuration, its files and its change notification.
@Suite("Configuration (Part 8.1)")
struct QVRConfigurationTests {
    func write(_ plist: Any, to url: URL) throws {
        try FileManager.default.createDirectory(at: url.deletingLastPathComponent(), withIntermediateDirectories: true)
        try PropertyListSerialization.data(fromPropertyList: plist, format: .xml, options: 0).write(to: url)
    }

    /// A configuration over a bundled folder with "categories" and "constants", and a user file.
    func configuration(in env: QVREnvironment) throws -> (QVRConfiguration, userFile: URL) {
        let bundled = env.applicationSupportURL.appendingPathComponent("Bundled", isDirectory: true)
        try write([["name": "Length"]], to: bundled.appendingPathComponent("categories.plist"))
        try write([["title": "pi", "value": "3.14159"]], to: bundled.appendingPathComponent("constants.plist"))
        try Data("not a plist".utf8).write(to: bundled.appendingPathComponent("README.txt"))
        let userFile = env.applicationSupportURL.appendingPathComponent("Configuration.plist")
        let configuration = QVRConfiguration(
            bundledDirectory: bundled, userFile: userFile, notificationCenter: env.notificationCenter)
        return (configuration, userFile)
    }

    @Test("sharedConfiguration is the environment's, with keyed lookup")
    func sharedConfiguration() {
        withTestEnvironment(configuration: ["constants": ["a", "b"], "categories": [1]]) { env in
            #expect(QVRConfiguration.sharedConfiguration === env.configuration)
            #expect(QVRConfiguration.sharedConfiguration.object(forKey: "constants") as? [String] == ["a", "b"])
            #expect(QVRConfiguration.sharedConfiguration["categories"] as? [Int] == [1])
            #expect(QVRConfiguration.sharedConfiguration.object(forKey: "missing") == nil)
        }
    }

    @Test("bundled values are read one file per key")
    func bundledValues() throws {
        try withTestEnvironment { env in
            let (configuration, _) = try configuration(in: env)
            #expect((configuration.object(forKey: "categories") as? [[String: String]])?.first?["name"] == "Length")
            #expect(configuration.object(forKey: "constants") is [Any])
            #expect(configuration.object(forKey: "README") == nil)
        }
    }

    @Test("the user's Configuration.plist overrides bundled values key by key")
    func userFileOverrides() throws {
        try withTestEnvironment { env in
            let (configuration, userFile) = try configuration(in: env)
            try write(["constants": [["title": "e", "value": "2.71828"]], "extra": 7], to: userFile)
            #expect((configuration.object(forKey: "constants") as? [[String: String]])?.first?["title"] == "e")
            #expect((configuration.object(forKey: "categories") as? [[String: String]])?.first?["name"] == "Length")
            #expect(configuration.object(forKey: "extra") as? Int == 7)
        }
    }

    @Test("the shared configuration reads Configuration.plist from the application-support directory")
    func sharedConfigurationReadsUserFile() throws {
        try withTestEnvironment { env in
            try write(
                ["constants": ["from the user"]],
                to: env.applicationSupportURL.appendingPathComponent("Configuration.plist"))
            #expect(QVRConfiguration.sharedConfiguration.object(forKey: "constants") as? [String] == ["from the user"])
        }
    }

    @Test(
        "a malformed user file is logged and ignored",
        arguments: [
            Data("<?xml version=\"1.0\"?><plist><dict><key>constants</key>".utf8),
            Data("garbage".utf8),
            Data(),
            Data(base64Encoded: QVRPropertyListReaderTests.foundationCrasher) ?? Data(),
            (try? PropertyListSerialization.data(
                fromPropertyList: ["not", "a", "dictionary"], format: .binary, options: 0)) ?? Data(),
        ])
    func malformedUserFile(_ contents: Data) throws {
        try withTestEnvironment { env in
            let (configuration, userFile) = try configuration(in: env)
            try contents.write(to: userFile)
            #expect(configuration.object(forKey: "constants") is [Any])
            #expect(configuration.object(forKey: "categories") is [Any])
            #expect(env.loggedLines.contains { $0.hasPrefix("Ignoring configuration file \(userFile.path)") })
        }
    }

    @Test("a malformed bundled file is logged and its key has no value")
    func malformedBundledFile() throws {
        try withTestEnvironment { env in
            let bundled = env.applicationSupportURL.appendingPathComponent("Bundled", isDirectory: true)
            try FileManager.default.createDirectory(at: bundled, withIntermediateDirectories: true)
            try Data("bplist00 broken".utf8).write(to: bundled.appendingPathComponent("categories.plist"))
            let configuration = QVRConfiguration(
                bundledDirectory: bundled, userFile: nil, notificationCenter: env.notificationCenter)
            #expect(configuration.object(forKey: "categories") == nil)
            #expect(env.loggedLines.contains { $0.hasPrefix("Ignoring bundled configuration categories.plist") })
        }
    }

    @Test("QVRConfigurationDidChange announces new values, and only new ones")
    func didChange() throws {
        try withTestEnvironment { env in
            let (configuration, userFile) = try configuration(in: env)
            let recorder = NotificationRecorder(QVRConfigurationDidChange, in: env)
            _ = configuration.object(forKey: "constants")
            #expect(recorder.count == 0)
            configuration.reload()
            #expect(recorder.count == 0)
            try write(["constants": ["new"]], to: userFile)
            configuration.reload()
            #expect(recorder.count == 1)
            #expect(recorder.notifications.first?.object as AnyObject === configuration)
            #expect(configuration.object(forKey: "constants") as? [String] == ["new"])
            configuration.setValue(["new"], forKey: "constants")
            #expect(recorder.count == 1)
            configuration.setValue(nil, forKey: "constants")
            #expect(recorder.count == 2)
            #expect(configuration.object(forKey: "constants") == nil)
            configuration.replaceValues(["categories": []])
            #expect(recorder.count == 3)
            // Values of every kind compare by value: reading the same file again announces nothing.
            let mixed: [String: Any] = [
                "constants": [["value": 1, "ratio": 0.5, "shown": true, "title": "one"]],
                "stamp": Date(timeIntervalSince1970: 0),
                "bytes": Data([1]),
            ]
            try PropertyListSerialization.data(fromPropertyList: mixed, format: .binary, options: 0).write(to: userFile)
            configuration.reload()
            #expect(recorder.count == 4)
            configuration.reload()
            #expect(recorder.count == 4)
            try write(mixed, to: userFile)
            configuration.reload()
            #expect(recorder.count == 4)
            #expect(QVRConfigurationDidChange.rawValue == "QVRConfigurationDidChange")
        }
    }
}
