import Foundation
import Testing

@testable import QVRTallixModel

/// Part 8.1: CRC-32, identifiers, the application-support directory and the sound switch.
@Suite("Common additions (Part 8.1)")
struct QVRCommonAdditionsTests {
    @Test(
        "crc32 is the standard CRC-32 of known vectors",
        arguments: [
            ("123456789", 0xCBF4_3926),
            ("", 0),
            ("a", 0xE8B7_BE43),
            ("abc", 0x3524_41C2),
            ("The quick brown fox jumps over the lazy dog", 0x414F_A339),
            ("message digest", 0x2015_9D7F),
        ] as [(String, UInt32)])
    func knownVectors(_ text: String, _ expected: UInt32) {
        #expect(Data(text.utf8).crc32() == expected)
    }

    @Test("crc32 of binary vectors: 32 zero bytes and 32 0xFF bytes")
    func binaryVectors() {
        #expect(Data(repeating: 0, count: 32).crc32() == 0x190A_55AD)
        #expect(Data(repeating: 0xFF, count: 32).crc32() == 0xFF6C_AB0B)
        #expect(Data((0..<32).map(UInt8.init)).crc32() == 0x91267E8A)
    }

    @Test("crc32 of a slice is the CRC of its bytes")
    func sliceOfData() {
        let data = Data("xx123456789yy".utf8)
        #expect(data[2..<11].crc32() == 0xCBF4_3926)
    }

    @Test("uuid gives a fresh unique identifier text in the standard form")
    func uuid() {
        var seen = Set<String>()
        for _ in 0..<1000 {
            let identifier = String.uuid()
            #expect(UUID(uuidString: identifier) != nil)
            #expect(identifier.count == 36)
            seen.insert(identifier)
        }
        #expect(seen.count == 1000)
    }

    @Test("applicationSupportDirectory exists, is writable and belongs to the application")
    func applicationSupportDirectory() throws {
        try withTestEnvironment { env in
            let path = Bundle.main.applicationSupportDirectory
            #expect(path == env.applicationSupportURL.path)
            var isDirectory: ObjCBool = false
            #expect(FileManager.default.fileExists(atPath: path, isDirectory: &isDirectory) && isDirectory.boolValue)
            let file = URL(fileURLWithPath: path).appendingPathComponent("currentExpression")
            try Data("x".utf8).write(to: file)
            #expect(FileManager.default.isWritableFile(atPath: file.path))
            // Asking again keeps what is there.
            #expect(Bundle.main.applicationSupportDirectory == path)
            #expect(FileManager.default.fileExists(atPath: file.path))
        }
        // Each test has its own; the program's own is named after the application.
        let first = withTestEnvironment { _ in Bundle.main.applicationSupportDirectory }
        let second = withTestEnvironment { _ in Bundle.main.applicationSupportDirectory }
        #expect(first != second)
        if ProcessInfo.processInfo.environment["TALLIX_APPLICATION_SUPPORT"] == nil {
            #expect(QVREnvironment.defaultApplicationSupportURL().lastPathComponent == "Tallix")
        }
    }

    @Test("an application-support directory that cannot be made is logged, not fatal")
    func applicationSupportDirectoryFailure() throws {
        try withTestEnvironment { env in
            let blocker = env.documentsURL.deletingLastPathComponent().appendingPathComponent("blocker")
            try FileManager.default.createDirectory(
                at: blocker.deletingLastPathComponent(), withIntermediateDirectories: true)
            try Data().write(to: blocker)
            let blocked = QVREnvironment(
                userDefaults: env.userDefaults, applicationSupportURL: blocker.appendingPathComponent("Tallix"),
                resourcesURL: nil, logSinks: [QVRMemoryLogSink()])
            let path = QVREnvironment.$override.withValue(blocked) { Bundle.main.applicationSupportDirectory }
            #expect(path.hasSuffix("blocker/Tallix"))
            #expect(blocked.memoryLogSink?.lines.first?.hasPrefix("creating the application-support directory") == true)
        }
    }

    @Test("QVRSoundEffect setSoundsEnabled: switches the sounds of the environment")
    func soundEffect() {
        withTestEnvironment { env in
            #expect(QVRSoundEffect.soundsEnabled)
            QVRSoundEffect.setSoundsEnabled(false)
            #expect(!QVRSoundEffect.soundsEnabled)
            #expect(env.soundsEnabled == false)
            withTestEnvironment { _ in #expect(QVRSoundEffect.soundsEnabled) }
            QVRSoundEffect.setSoundsEnabled(true)
            #expect(env.soundsEnabled == true)
        }
    }

    @Test("the user's locale comes from LC_ALL, LC_NUMERIC or LANG, in that order")
    func userLocaleFromProcessEnvironment() {
        #expect(QVRUserLocale.localeFromProcessEnvironment(["LANG": "de_DE.UTF-8"]).identifier == "de_DE")
        #expect(
            QVRUserLocale.localeFromProcessEnvironment(["LANG": "de_DE.UTF-8", "LC_ALL": "fr_FR@euro"]).identifier
                == "fr_FR")
        #expect(
            QVRUserLocale.localeFromProcessEnvironment(["LANG": "en_GB", "LC_NUMERIC": "sv_SE.UTF-8"]).identifier
                == "sv_SE")
        #expect(QVRUserLocale.localeFromProcessEnvironment(["LANG": "C.UTF-8"]).identifier == "en_US")
        #expect(QVRUserLocale.localeFromProcessEnvironment(["LANG": "POSIX", "LC_ALL": ""]).identifier == "en_US")
        #expect(QVRUserLocale.localeFromProcessEnvironment([:]).identifier == "en_US")
        #expect(QVRUserLocale.localeIdentifier(fromPOSIXName: "../../etc") == nil)
        withTestEnvironment(locale: "de_DE") { _ in #expect(QVRUserLocale.current.identifier == "de_DE") }
    }
}
