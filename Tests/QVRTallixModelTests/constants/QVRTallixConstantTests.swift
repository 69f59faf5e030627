import Foundation
import Testing

@testable import QVRTallixModel

@Suite("Part 4.1: constant numbers and built-in constants")
struct QVRTallixConstantTests {
    func configuration(_ entries: [[String: Any]]) -> [String: Any] {
        ["constants": entries]
    }

    @Test("A Pi entry with more digits than a double holds keeps them (38 digits), read with . in every locale")
    func longValueKeepsDigits() throws {
        for locale in ["en_US", "de_DE", "fr_FR"] {
            try withTestEnvironment(
                locale: locale,
                configuration: configuration([["name": "Pi", "value": "3.14159265358979323846264338327950288419716"]])
            ) { _ in
                let pi = try #require(QVRTallixGlobalConstantNumber.constantNamed("Pi"))
                // 39 significant digits, the last one rounded (…88419|7 → …88420, kept compact).
                #expect(pi.decimalNumber?.description == "3.1415926535897932384626433832795028842")
            }
        }
    }

    @Test("A value given as a number is converted through double precision")
    func numberValueThroughDouble() throws {
        try withTestEnvironment(configuration: configuration([["name": "Third", "value": 1.0 / 3.0]])) { _ in
            let third = try #require(QVRTallixGlobalConstantNumber.constantNamed("Third"))
            #expect(third.decimalNumber == QVRTallixDecimal(double: 1.0 / 3.0))
            #expect(third.decimalNumber?.description == "0.3333333333333333")
        }
        withTestEnvironment(configuration: configuration([["name": "Seven", "value": 7]])) { _ in
            #expect(QVRTallixGlobalConstantNumber.constantNamed("Seven")?.decimalNumber?.description == "7")
        }
    }

    @Test("An entry whose value is a list is skipped with the message Unhandled value class, the class and the value")
    func listValueSkipped() {
        withTestEnvironment(
            configuration: configuration([
                ["name": "Odd", "value": [1, 2]], ["name": "Pi", "value": "3.14"], ["name": "Flag", "value": true],
                ["name": "Missing"],
            ])
        ) { environment in
            #expect(QVRTallixGlobalConstantNumber.constants().count == 1)
            #expect(QVRTallixGlobalConstantNumber.constantNamed("Odd") == nil)
            let lines = environment.loggedLines
            #expect(lines.count == 3)
            #expect(lines.first?.hasPrefix("Unhandled value class Array") == true)
            #expect(lines.first?.contains("[1, 2]") == true)
        }
    }

    @Test("A constant hidden in the configuration stays hidden until shown; then the user default wins")
    func hiddenFlag() throws {
        try withTestEnvironment(
            configuration: configuration([["name": "Pi", "value": "3.14", "hidden": true]])
        ) { environment in
            let pi = try #require(QVRTallixGlobalConstantNumber.constantNamed("Pi"))
            #expect(pi.isHidden)
            #expect(QVRTallixGlobalConstantNumber.visibleConstants().isEmpty)
            pi.setHidden(false)
            #expect(environment.userDefaults.object(forKey: "global.Pi.hidden") as? Bool == false)
            #expect(QVRTallixGlobalConstantNumber.visibleConstants().count == 1)
            environment.configuration.replaceValues(configuration([["name": "Pi", "value": "3.14", "hidden": true]]))
            #expect(QVRTallixGlobalConstantNumber.constantNamed("Pi")?.isHidden == false)
        }
    }

    @Test("setHidden: with the current value stores nothing")
    func unchangedHiddenStoresNothing() throws {
        try withTestEnvironment(configuration: configuration([["name": "Pi", "value": "3.14"]])) { environment in
            let pi = try #require(QVRTallixGlobalConstantNumber.constantNamed("Pi"))
            pi.setHidden(false)
            #expect(environment.userDefaults.object(forKey: "global.Pi.hidden") == nil)
        }
    }

    @Test("visibleConstants of the base class holds only the shown built-in ones, sorted by title in the user's locale")
    func visibleSorted() {
        withTestEnvironment { _ in
            let all = QVRTallixConstantNumber.constants()
            let visible = QVRTallixConstantNumber.visibleConstants()
            #expect(all.count == 26)
            #expect(visible.count < all.count)
            #expect(visible.allSatisfy { ($0 as? QVRTallixGlobalConstantNumber)?.isHidden == false })
            let titles = visible.map(\.title)
            let sorted = titles.sorted { $0.compare($1, locale: Locale(identifier: "en_US")) == .orderedAscending }
            #expect(titles == sorted)
        }
        withTestEnvironment(locale: "de_DE") { _ in
            let titles = QVRTallixConstantNumber.constants().map(\.title)
            #expect(titles.contains("Lichtgeschwindigkeit im Vakuum (m/s)"))
            #expect(
                titles == titles.sorted { $0.compare($1, locale: Locale(identifier: "de_DE")) == .orderedAscending })
        }
    }

    @Test(
        "A configuration change of only a title or a hidden flag posts nothing; a changed, added or removed value posts one"
    )
    func changeNotifications() {
        withTestEnvironment(configuration: configuration([["name": "Pi", "value": "3.14"]])) { environment in
            _ = QVRTallixGlobalConstantNumber.constants()
            let recorder = NotificationRecorder(QVRTallixGlobalConstantsDidChangeNotification, in: environment)
            environment.configuration.replaceValues(configuration([["name": "Pi", "value": "3.14", "hidden": true]]))
            #expect(recorder.count == 0)
            environment.configuration.replaceValues(configuration([["name": "Pi", "value": "3.1416"]]))
            #expect(recorder.count == 1)
            environment.configuration.replaceValues(
                configuration([["name": "Pi", "value": "3.1416"], ["name": "E", "value": "2.718"]]))
            #expect(recorder.count == 2)
            environment.configuration.replaceValues(configuration([["name": "E", "value": "2.718"]]))
            #expect(recorder.count == 3)
            #expect(recorder.notifications.allSatisfy { $0.object == nil })
        }
    }

    @Test("constantNamed: is exact: pi does not find Pi")
    func exactNames() {
        withTestEnvironment { _ in
            #expect(QVRTallixGlobalConstantNumber.constantNamed("Pi") != nil)
            #expect(QVRTallixGlobalConstantNumber.constantNamed("pi") == nil)
            #expect(QVRTallixGlobalConstantNumber.constantNamed("Euler’s Number") != nil)
            #expect(QVRTallixGlobalConstantNumber.constantNamed("Euler's Number") == nil)
        }
    }

    @Test("description of a shown constant named Pi is Pi:0, a blank and its value")
    func descriptionText() throws {
        try withTestEnvironment(configuration: configuration([["name": "Pi", "value": "3.14"]])) { _ in
            let pi = try #require(QVRTallixGlobalConstantNumber.constantNamed("Pi"))
            #expect(pi.description == "Pi:0 3.14")
        }
    }

    @Test("A missing constants value gives an empty list")
    func missingConfiguration() {
        withTestEnvironment(configuration: [:]) { _ in
            #expect(QVRTallixGlobalConstantNumber.constants().isEmpty)
            #expect(QVRTallixConstantNumber.visibleConstants().isEmpty)
            #expect(QVRTallixGlobalConstantNumber.constantNamed("Pi") == nil)
        }
    }

    @Test("The bundled list: Pi and Euler’s Number to 38 digits, CODATA values, titles from the Constants table")
    func bundledList() throws {
        try withTestEnvironment { _ in
            let pi = try #require(QVRTallixGlobalConstantNumber.constantNamed("Pi"))
            #expect(pi.decimalNumber?.description == "3.1415926535897932384626433832795028842")
            let e = try #require(QVRTallixGlobalConstantNumber.constantNamed("Euler’s Number"))
            #expect(e.decimalNumber?.description == "2.71828182845904523536028747135266249776")
            let c = try #require(QVRTallixGlobalConstantNumber.constantNamed("Speed of Light"))
            #expect(c.decimalNumber?.description == "299792458")
            #expect(c.title == "Speed of Light in Vacuum (m/s)")
            #expect(
                QVRTallixGlobalConstantNumber.constantNamed("Planck Constant")?.decimalNumber?.description
                    == "0.000000000000000000000000000000000662607015")
            #expect(
                QVRTallixGlobalConstantNumber.constantNamed("Electron Mass")?.decimalNumber
                    == QVRTallixDecimal(string: "9.1093837139e-31"))
        }
    }

    @Test("Constants compare by title; a copy is a plain number without title; the archive keeps the title")
    func constantNumberBasics() throws {
        try withTestEnvironment { _ in
            let pi = try #require(QVRTallixGlobalConstantNumber.constantNamed("Pi"))
            let copy = pi.copy() as? QVRTallixNumber
            #expect(copy.map { type(of: $0) == QVRTallixNumber.self } == true)
            #expect(copy?.decimalNumber == pi.decimalNumber)
            let named = QVRTallixConstantNumber(number: QVRTallixDecimal(2))
            named.setTitle("Two")
            let data = try QVRKeyedArchiver.archivedData(withRootObject: named)
            let decoded =
                try QVRKeyedUnarchiver.unarchivedObject(
                    ofClasses: [QVRTallixConstantNumber.self], from: data) as? QVRTallixConstantNumber
            #expect(decoded?.title == "Two")
            #expect(decoded?.decimalNumber?.description == "2")
            let other = QVRTallixConstantNumber(number: QVRTallixDecimal(1))
            other.setTitle("One")
            #expect(other.compare(named) == .orderedAscending)
        }
    }
}
