import Foundation
import Testing

@testable import QVRTallixModel

@Suite("Part 5.2: unit categories and the unit catalogue")
struct QVRTallixUnitCategoryTests {
    typealias F = UnitFixtures

    /// A catalogue of three categories whose English and German title orders differ.
    static var threeCategories: [[String: Any]] {
        [
            F.category("Volume", units: [F.plainUnit("liter", title: "Litre")]),
            F.category("Area", units: [F.plainUnit("square-meter", title: "Square metre")]),
            F.temperatureCategory(),
        ]
    }

    // MARK: - Edge cases of Part 5.2

    @Test(
        "An absent category class builds a QVRTallixUnitCategory; the class QVRTallixCurrencyUnitCategory builds the currency subclass"
    )
    func categoryClasses() throws {
        let configuration: [String: Any] = [
            "categories": [
                F.category("Plain", units: [F.plainUnit("a")]),
                F.category("Money", units: [F.plainUnit("USD")], className: "QVRTallixCurrencyUnitCategory"),
                F.category("Unknown", units: [F.plainUnit("b")], className: "NoSuchClass"),
                F.category("Explicit", units: [F.plainUnit("c")], className: "QVRTallixUnitCategory"),
            ]
        ]
        try withTestEnvironment(configuration: configuration) { _ in
            let plain = try #require(QVRTallixUnitCategory.categoryNamed("Plain"))
            #expect(type(of: plain) == QVRTallixUnitCategory.self)
            let money = try #require(QVRTallixUnitCategory.categoryNamed("Money"))
            #expect(money is QVRTallixCurrencyUnitCategory)
            #expect(
                type(of: try #require(QVRTallixUnitCategory.categoryNamed("Unknown"))) == QVRTallixUnitCategory.self)
            #expect(
                type(of: try #require(QVRTallixUnitCategory.categoryNamed("Explicit"))) == QVRTallixUnitCategory.self)
        }
        // Built through the subclass, an absent or unknown class gives the subclass.
        try withTestEnvironment(configuration: configuration) { _ in
            let all = QVRTallixCurrencyUnitCategory.allCategories
            #expect(all.count == 4)
            let plain = try #require(all.first { $0.name == "Plain" })
            #expect(plain is QVRTallixCurrencyUnitCategory)
            let unknown = try #require(all.first { $0.name == "Unknown" })
            #expect(unknown is QVRTallixCurrencyUnitCategory)
            let explicit = try #require(all.first { $0.name == "Explicit" })
            #expect(type(of: explicit) == QVRTallixUnitCategory.self)
        }
    }

    @Test("Categories are listed by localised title; units inside a category by size of one unit in the base unit")
    func catalogueOrder() throws {
        let time = F.category("Time", units: [F.plainUnit("second", title: "Second")])
        let configuration: [String: Any] = ["categories": Self.threeCategories + [F.lengthCategory(), time]]
        try withTestEnvironment(locale: "en_GB", configuration: configuration) { _ in
            #expect(
                QVRTallixUnitCategory.allCategories.map(\.title) == [
                    "Area", "Temperature", "TestLength", "Time", "Volume",
                ])
            let length = try #require(QVRTallixUnitCategory.categoryNamed("TestLength"))
            #expect(length.units.map(\.name) == ["centimetre", "metre", "kilometre"])
            let temperature = try #require(QVRTallixUnitCategory.categoryNamed("Temperature"))
            // One fahrenheit is 255.93 K, one kelvin 1 K, one celsius 274.15 K.
            #expect(temperature.units.map(\.name) == ["kelvin", "fahrenheit", "celsius"])
        }
        withTestEnvironment(locale: "de_DE", configuration: configuration) { _ in
            // German titles from the bundled tables: Zeit (Time) moves to the end.
            #expect(
                QVRTallixUnitCategory.allCategories.map(\.title) == [
                    "Fläche", "Temperatur", "TestLength", "Volumen", "Zeit",
                ])
            #expect(QVRTallixUnitCategory.categoryNamed("Volume")?.units.first?.title == "Liter")
        }
        // The bundled catalogue: Length sorts its units from the nanometre to the light-year.
        try withTestEnvironment { _ in
            let length = try #require(QVRTallixUnitCategory.categoryNamed("Length"))
            #expect(length.units.first?.name == "angstrom")
            #expect(length.units.last?.name == "light-year")
            let titles = QVRTallixUnitCategory.allCategories.compactMap(\.title)
            #expect(titles == titles.sorted { $0.compare($1) == .orderedAscending })
        }
    }

    @Test(
        "With the locale en_US or en_PH and an en-US lproj present, texts come from that localisation; otherwise the normal choice applies"
    )
    func enUSLocalisation() throws {
        let configuration: [String: Any] = [
            "categories": [F.category("Length", units: [F.plainUnit("meter", title: "Metre")])]
        ]
        let expectations: [(String, String)] = [
            ("en_US", "Meter"), ("en_PH", "Meter"), ("en_GB", "Metre"), ("en_AU", "Metre"), ("en", "Metre"),
            ("de_DE", "Meter"), ("fr_FR", "Metre"),
        ]
        for (locale, title) in expectations {
            try withTestEnvironment(locale: locale, configuration: configuration) { _ in
                let length = try #require(QVRTallixUnitCategory.categoryNamed("Length"))
                #expect(length.unitNamed("meter")?.title == title, "locale \(locale)")
            }
        }
        // Litre is "Liter" in both en-US and German; the German table also says "Länge".
        withTestEnvironment(locale: "de_DE", configuration: configuration) { _ in
            #expect(QVRTallixUnitCategory.categoryNamed("Length")?.title == "Länge")
        }
        // Without an en-US lproj, en_US falls back to the normal choice (English).
        try withResources(["en": ["Metre": "Metre (en)"], "en-GB": ["Metre": "Metre (en-GB)"]]) { environment in
            environment.userLocale = Locale(identifier: "en_US")
            environment.configuration.replaceValues(configuration)
            let length = try #require(QVRTallixUnitCategory.categoryNamed("Length"))
            #expect(length.unitNamed("meter")?.title == "Metre (en)")
        }
        try withResources(["en": ["Metre": "Metre (en)"], "en-US": ["Metre": "Meter (en-US)"]]) { environment in
            environment.userLocale = Locale(identifier: "en_PH")
            environment.configuration.replaceValues(configuration)
            let length = try #require(QVRTallixUnitCategory.categoryNamed("Length"))
            #expect(length.unitNamed("meter")?.title == "Meter (en-US)")
            // A key missing from the table yields the key itself; a none key the empty string.
            #expect(length.localizedString("Yard") == "Yard")
            #expect(length.localizedString(nil) == "")
        }
    }

    @Test(
        "A category with all units hidden is hidden and absent from visibleCategories; hiding the last visible unit drops the cached list"
    )
    func hiddenCategory() throws {
        let configuration: [String: Any] = [
            "categories": [
                F.category(
                    "AllHidden", units: [F.plainUnit("x", hidden: true), F.formulaUnit("y", to: "X 2 *", hidden: true)]),
                F.lengthCategory(),
                F.temperatureCategory(),
            ]
        ]
        try withTestEnvironment(configuration: configuration) { _ in
            let allHidden = try #require(QVRTallixUnitCategory.categoryNamed("AllHidden"))
            #expect(allHidden.isHidden)
            #expect(allHidden.visibleUnits.isEmpty)
            let visible = QVRTallixUnitCategory.visibleCategories
            #expect(visible.map(\.name) == ["Temperature", "TestLength"])
            #expect(QVRTallixUnitCategory.visibleCategories.map(\.name) == ["Temperature", "TestLength"])

            let length = try #require(QVRTallixUnitCategory.categoryNamed("TestLength"))
            for unit in length.units.dropLast() { unit.setHidden(true) }
            // Still visible: the cached list is kept.
            #expect(QVRTallixUnitCatalogue.current.gVisibleCategories != nil)
            try #require(length.units.last).setHidden(true)
            #expect(length.isHidden)
            #expect(QVRTallixUnitCatalogue.current.gVisibleCategories == nil)
            #expect(QVRTallixUnitCategory.visibleCategories.map(\.name) == ["Temperature"])
            // Showing a unit again flips the category back.
            try #require(length.unitNamed("metre")).setHidden(false)
            #expect(QVRTallixUnitCategory.visibleCategories.map(\.name) == ["Temperature", "TestLength"])
        }
    }

    @Test(
        "When every category is hidden, visibleCategories answers Temperature alone with all its units visible, and stores that"
    )
    func everyCategoryHidden() throws {
        let configuration: [String: Any] = [
            "categories": [
                F.category("Aaa", units: [F.plainUnit("x", hidden: true)]),
                F.temperatureCategory(allHidden: true),
            ]
        ]
        try withTestEnvironment(configuration: configuration) { env in
            let visible = QVRTallixUnitCategory.visibleCategories
            #expect(visible.map(\.name) == ["Temperature"])
            let temperature = try #require(visible.first)
            #expect(!temperature.isHidden)
            #expect(temperature.visibleUnits.count == 3)
            for unit in temperature.units {
                #expect(unit.isHidden == false)
                #expect(env.userDefaults.object(forKey: unit.hiddenDefaultsKey) as? Bool == false)
            }
            #expect(QVRTallixUnitCategory.categoryNamed("Aaa")?.isHidden == true)
        }
        // Without a "Temperature" category, the first category of the catalogue is taken.
        withTestEnvironment(
            configuration: [
                "categories": [
                    F.category("Bbb", units: [F.plainUnit("y", hidden: true)]),
                    F.category("Aaa", units: [F.plainUnit("x", hidden: true)]),
                ]
            ]
        ) { env in
            #expect(QVRTallixUnitCategory.visibleCategories.map(\.name) == ["Aaa"])
            #expect(env.userDefaults.object(forKey: "unit.Aaa.x.hidden") as? Bool == false)
        }
        // With an empty catalogue the list is empty.
        withTestEnvironment(configuration: ["categories": [Any]()]) { _ in
            #expect(QVRTallixUnitCategory.visibleCategories.isEmpty)
            #expect(QVRTallixUnitCategory.defaultCategory == nil)
        }
    }

    @Test(
        "With DefaultCategory absent the default category is Temperature; if that is hidden, the first visible category"
    )
    func defaultCategory() throws {
        let configuration: [String: Any] = ["categories": Self.threeCategories]
        try withTestEnvironment(configuration: configuration) { env in
            #expect(env.userDefaults.object(forKey: "DefaultCategory") == nil)
            #expect(QVRTallixUnitCategory.defaultCategory?.name == "Temperature")
            // Hiding every temperature unit makes the first visible category the default (not stored).
            let temperature = try #require(QVRTallixUnitCategory.categoryNamed("Temperature"))
            for unit in temperature.units { unit.setHidden(true) }
            #expect(QVRTallixUnitCategory.defaultCategory?.name == "Area")
            #expect(env.userDefaults.object(forKey: "DefaultCategory") == nil)
        }
        withTestEnvironment(configuration: configuration) { env in
            env.userDefaults.set("Volume", forKey: "DefaultCategory")
            #expect(QVRTallixUnitCategory.defaultCategory?.name == "Volume")
        }
        withTestEnvironment(configuration: configuration) { env in
            env.userDefaults.set("NoSuchCategory", forKey: "DefaultCategory")
            #expect(QVRTallixUnitCategory.defaultCategory?.name == "Area")
        }
        // setDefaultCategory: stores the name, and nothing when it is the current one.
        try withTestEnvironment(configuration: configuration) { env in
            let volume = try #require(QVRTallixUnitCategory.categoryNamed("Volume"))
            QVRTallixUnitCategory.setDefaultCategory(volume)
            #expect(env.userDefaults.string(forKey: "DefaultCategory") == "Volume")
            #expect(QVRTallixUnitCategory.defaultCategory === volume)
            env.userDefaults.removeObject(forKey: "DefaultCategory")
            QVRTallixUnitCategory.setDefaultCategory(volume)
            #expect(env.userDefaults.object(forKey: "DefaultCategory") == nil)
        }
    }

    @Test(
        "A stored default unit name that is hidden or missing falls back to the catalogue's default, then to the first visible unit; defaultToUnit with no visible unit answers the last unit"
    )
    func defaultUnits() throws {
        let configuration: [String: Any] = ["categories": [F.lengthCategory()]]
        // The stored name wins while its unit is visible.
        try withTestEnvironment(configuration: configuration) { env in
            env.userDefaults.set("centimetre", forKey: "TestLength.DefaultFromUnit")
            env.userDefaults.set("centimetre", forKey: "TestLength.DefaultToUnit")
            let length = try #require(QVRTallixUnitCategory.categoryNamed("TestLength"))
            #expect(length.defaultFromUnit?.name == "centimetre")
            #expect(length.defaultToUnit?.name == "centimetre")
        }
        // A missing stored name falls back to the catalogue's default.
        try withTestEnvironment(configuration: configuration) { env in
            env.userDefaults.set("furlong", forKey: "TestLength.DefaultFromUnit")
            let length = try #require(QVRTallixUnitCategory.categoryNamed("TestLength"))
            #expect(length.defaultFromUnit?.name == "metre")
            #expect(length.defaultToUnit?.name == "kilometre")
        }
        // A hidden stored unit falls back to the catalogue's default; a hidden default to the first visible unit.
        try withTestEnvironment(configuration: configuration) { env in
            env.userDefaults.set("centimetre", forKey: "TestLength.DefaultToUnit")
            env.userDefaults.set(true, forKey: "unit.TestLength.centimetre.hidden")
            env.userDefaults.set(true, forKey: "unit.TestLength.kilometre.hidden")
            let length = try #require(QVRTallixUnitCategory.categoryNamed("TestLength"))
            #expect(length.defaultToUnit?.name == "metre")
            // The cache is replaced once its unit is hidden.
            try #require(length.unitNamed("metre")).setHidden(true)
            try #require(length.unitNamed("kilometre")).setHidden(false)
            #expect(length.defaultToUnit?.name == "kilometre")
        }
        // No visible unit and no usable name: defaultToUnit answers the last unit, defaultFromUnit the first.
        try withTestEnvironment(
            configuration: [
                "categories": [
                    F.category(
                        "Hidden",
                        units: [
                            F.plainUnit("one", hidden: true), F.formulaUnit("two", to: "X 2 *", hidden: true),
                            F.formulaUnit("three", to: "X 3 *", hidden: true),
                        ],
                        defaultFrom: "nothing", defaultTo: "nothing")
                ]
            ]
        ) { _ in
            let hidden = try #require(QVRTallixUnitCategory.categoryNamed("Hidden"))
            #expect(hidden.defaultToUnit?.name == "three")
            #expect(hidden.defaultFromUnit?.name == "one")
        }
        // With no visible unit, the unit found by the stored name is answered even if hidden.
        withTestEnvironment(
            configuration: [
                "categories": [
                    F.category(
                        "Hidden",
                        units: [F.plainUnit("one", hidden: true), F.formulaUnit("two", to: "X 2 *", hidden: true)])
                ]
            ]
        ) { env in
            env.userDefaults.set("two", forKey: "Hidden.DefaultFromUnit")
            #expect(QVRTallixUnitCategory.categoryNamed("Hidden")?.defaultFromUnit?.name == "two")
        }
    }

    @Test("An archive of a category holds the target unit's name under defaultToUnitName")
    func archiveHoldsDefaultToUnitName() throws {
        try withTestEnvironment { _ in
            let category = QVRTallixUnitCategory(dictionary: F.lengthCategory(), stringsDictionary: nil)
            let records = try F.archivedRecords(category, className: "QVRTallixUnitCategory")
            let record = try #require(records.first)
            #expect(record["defaultToUnitName"] as? String == "kilometre")
            #expect(record["defaultFromUnitName"] as? String == "metre")
            #expect(record["name"] as? String == "TestLength")
            #expect(record["title"] as? String == "TestLength")
            #expect(record["precision"] as? Int == 0)
            #expect(record["units"] != nil)

            let decoded = try #require(try F.roundTrip(category) as? QVRTallixUnitCategory)
            #expect(decoded.defaultToUnitName == "kilometre")
            #expect(decoded.defaultFromUnitName == "metre")
            #expect(decoded.units.map(\.name) == ["centimetre", "metre", "kilometre"])
            #expect(decoded.units.allSatisfy { $0.category === decoded })
            #expect(decoded.defaultToUnit?.name == "kilometre")
        }
    }

    // MARK: - Further behaviour

    @Test("the catalogue is built once: a later configuration change does not rebuild it")
    func catalogueBuiltOnce() throws {
        withTestEnvironment(configuration: ["categories": [F.lengthCategory()]]) { env in
            let first = QVRTallixUnitCategory.allCategories
            env.configuration.replaceValues(["categories": Self.threeCategories])
            let second = QVRTallixUnitCategory.allCategories
            #expect(first.count == 1)
            #expect(second.count == 1)
            #expect(first.first === second.first)
        }
        withTestEnvironment(configuration: [:]) { _ in
            #expect(QVRTallixUnitCategory.allCategories.isEmpty)
            #expect(QVRTallixUnitCategory.categoryNamed("Temperature") == nil)
        }
    }

    @Test("_resetVisibleUnits announces the change of visibleUnits before and after, with the category as object")
    func visibleUnitsNotifications() throws {
        try withTestEnvironment { env in
            let category = QVRTallixUnitCategory(dictionary: F.lengthCategory(), stringsDictionary: nil)
            let order = EventLog()
            let center = env.notificationCenter
            let will = center.addObserver(
                forName: QVRTallixUnitCategoryVisibleUnitsWillChangeNotification, object: category, queue: nil
            ) { _ in order.append("will") }
            let did = center.addObserver(
                forName: QVRTallixUnitCategoryVisibleUnitsDidChangeNotification, object: category, queue: nil
            ) { note in
                let count = (note.object as? QVRTallixUnitCategory)?.visibleUnits.count ?? -1
                order.append("did:\(count)")
            }
            defer {
                center.removeObserver(will)
                center.removeObserver(did)
            }
            #expect(category.visibleUnits.count == 3)
            try #require(category.unitNamed("centimetre")).setHidden(true)
            #expect(order.events == ["will", "did:2"])
        }
    }

    @Test("setDefaultFromUnit: stores the name, removes it for none, and does not check visibility")
    func setDefaultUnits() throws {
        try withTestEnvironment { env in
            let category = QVRTallixUnitCategory(
                dictionary: F.lengthCategory(hiddenKilometre: true), stringsDictionary: nil)
            let kilometre = try #require(category.unitNamed("kilometre"))
            category.setDefaultFromUnit(kilometre)
            #expect(env.userDefaults.string(forKey: "TestLength.DefaultFromUnit") == "kilometre")
            // A hidden unit set here is replaced on the next read.
            #expect(category.defaultFromUnit?.name == "metre")
            category.setDefaultToUnit(nil)
            #expect(env.userDefaults.object(forKey: "TestLength.DefaultToUnit") == nil)
            let centimetre = try #require(category.unitNamed("centimetre"))
            category.setDefaultToUnit(centimetre)
            #expect(env.userDefaults.string(forKey: "TestLength.DefaultToUnit") == "centimetre")
            #expect(category.defaultToUnit === centimetre)
        }
    }

    @Test("description, imageName, precision, unitNamed and compare:")
    func accessors() throws {
        withTestEnvironment { _ in
            let category = QVRTallixUnitCategory(
                dictionary: F.category(
                    "Small", units: [F.plainUnit("b"), F.formulaUnit("a", to: "X 2 *")], title: "Tiny", precision: 7),
                stringsDictionary: ["k": "v"])
            #expect(category.description == "Small (\n    b,\n    a from=(null) to=X 2 *\n)")
            #expect(category.imageName == "Small:Category")
            #expect(category.precision == 7)
            #expect(category.title == "Tiny")
            #expect(category.stringsDictionary?["k"] as? String == "v")
            #expect(category.unitNamed("a")?.name == "a")
            #expect(category.unitNamed(nil) == nil)
            #expect(category.unitNamed("zz") == nil)
            let other = QVRTallixUnitCategory(dictionary: F.category("Other", units: []), stringsDictionary: nil)
            #expect(other.description == "Other (\n)")
            #expect(other.isHidden)
            #expect(category.compare(other) == .orderedDescending)
            category.title = "Alpha"
            #expect(category.compare(other) == .orderedAscending)
        }
    }

    /// Events in the order they happened, from observers.
    private final class EventLog: @unchecked Sendable {
        private let lock = NSLock()
        private var recorded: [String] = []
        func append(_ event: String) {
            lock.lock()
            recorded.append(event)
            lock.unlock()
        }
        var events: [String] {
            lock.lock()
            defer { lock.unlock() }
            return recorded
        }
    }

    /// Runs `body` in a test environment whose resources hold only the given strings tables
    /// ("Length" in each localisation).
    private func withResources(
        _ tables: [String: [String: String]], _ body: (QVREnvironment) throws -> Void
    ) throws {
        let root = FileManager.default.temporaryDirectory
            .appendingPathComponent("tallix-tests", isDirectory: true)
            .appendingPathComponent(UUID().uuidString, isDirectory: true)
        let resources = root.appendingPathComponent("Resources", isDirectory: true)
        for (localization, strings) in tables {
            let folder = resources.appendingPathComponent(localization + ".lproj", isDirectory: true)
            try FileManager.default.createDirectory(at: folder, withIntermediateDirectories: true)
            let data = try PropertyListSerialization.data(fromPropertyList: strings, format: .xml, options: 0)
            try data.write(to: folder.appendingPathComponent("Length.strings"))
        }
        let suite = "tallix.tests." + UUID().uuidString
        let environment = QVREnvironment(
            userDefaults: UserDefaults(suiteName: suite),
            userDefaultsSuiteName: suite,
            locale: Locale(identifier: "en_US"),
            applicationSupportURL: root.appendingPathComponent("ApplicationSupport", isDirectory: true),
            documentsURL: root.appendingPathComponent("Documents", isDirectory: true),
            resourcesURL: resources,
            notificationCenter: NotificationCenter(),
            scheduler: QVRVirtualScheduler(),
            mainDispatcher: QVRImmediateMainDispatcher(),
            logSinks: [QVRMemoryLogSink()],
            loggingEnabled: true)
        defer { environment.tearDownTestingArtifacts() }
        try QVREnvironment.$override.withValue(environment) { try body(environment) }
    }
}
