import Foundation
import Synchronization

/// The one seam through which the model touches the outside world.
///
/// Everything that differs between the running application and a test lives here: the user
/// defaults, the user's locale, the directories, the configuration, the logger's sinks, the
/// scheduler of timers, the pasteboard, the notification centre, the sound switch, the HTTP
/// transport of ``QVRURLRequest``, and the
/// process-wide shared instances of the model (current expression, settings, catalogue, …).
///
/// The live environment is ``live``. A test runs its body inside
/// `QVREnvironment.$override.withValue(QVREnvironment.makeForTesting()) { … }`, so that every
/// shared instance it touches is fresh and private to it, even while other tests run in parallel.
public final class QVREnvironment: @unchecked Sendable {
    /// The environment that replaces ``live`` for the current task and its child tasks.
    @TaskLocal public static var override: QVREnvironment?

    /// The environment of the running process, made from the process's own surroundings.
    public static let live = QVREnvironment()

    /// The environment in force: the task's override, else ``live``.
    public static var current: QVREnvironment { override ?? live }

    public let userDefaults: UserDefaults
    /// The suite name of ``userDefaults`` when it is a private suite (tests), else none.
    public let userDefaultsSuiteName: String?
    public let notificationCenter: NotificationCenter
    public let scheduler: any QVRScheduler
    public let pasteboard: any QVRPasteboard
    public let mainDispatcher: any QVRMainDispatcher
    /// The application-support directory of the application (created on first use).
    public let applicationSupportURL: URL
    /// The user's documents directory (cloud documents live here).
    public let documentsURL: URL
    /// The folder of bundled resources (`en.lproj`, `Configuration`, …), when it was found.
    public let resourcesURL: URL?

    private let state: QVRLockedValue<State>
    private let sharedInstances = QVRLockedValue<[String: AnyObject]>([:])

    private struct State {
        var locale: Locale
        var logSinks: [any QVRLogSink]
        var loggingEnabled: Bool
        var soundsEnabled: Bool?
        var configuration: QVRConfiguration?
        var httpTransport: any QVRHTTPTransport
    }

    /// Makes an environment.
    /// - Parameters:
    ///   - userDefaults: the defaults to use; none gives the standard user defaults.
    ///   - locale: the user's locale; none reads `LC_ALL`, `LC_NUMERIC` and `LANG`.
    ///   - applicationSupportURL: none gives `$XDG_DATA_HOME/Tallix` (or `~/.local/share/Tallix`).
    ///   - documentsURL: none gives `$TALLIX_DOCUMENTS` or `~/Documents`.
    public init(
        userDefaults: UserDefaults? = nil,
        userDefaultsSuiteName: String? = nil,
        locale: Locale? = nil,
        applicationSupportURL: URL? = nil,
        documentsURL: URL? = nil,
        resourcesURL: URL? = QVRResourceBundle.locateResources(),
        notificationCenter: NotificationCenter = .default,
        scheduler: any QVRScheduler = QVRRunLoopScheduler(),
        pasteboard: any QVRPasteboard = QVRGeneralPasteboard(),
        mainDispatcher: any QVRMainDispatcher = QVRDispatchQueueMainDispatcher(),
        logSinks: [any QVRLogSink] = [QVRStandardErrorLogSink()],
        loggingEnabled: Bool = ProcessInfo.processInfo.environment["TALLIX_VERBOSE"] != nil,
        httpTransport: any QVRHTTPTransport = QVRURLSessionTransport()
    ) {
        self.userDefaults = userDefaults ?? .standard
        self.userDefaultsSuiteName = userDefaultsSuiteName
        self.notificationCenter = notificationCenter
        self.scheduler = scheduler
        self.pasteboard = pasteboard
        self.mainDispatcher = mainDispatcher
        self.applicationSupportURL = applicationSupportURL ?? QVREnvironment.defaultApplicationSupportURL()
        self.documentsURL = documentsURL ?? QVREnvironment.defaultDocumentsURL()
        self.resourcesURL = resourcesURL
        self.state = QVRLockedValue(
            State(
                locale: locale ?? QVRUserLocale.localeFromProcessEnvironment(),
                logSinks: logSinks,
                loggingEnabled: loggingEnabled,
                soundsEnabled: nil,
                configuration: nil,
                httpTransport: httpTransport))
    }

    /// An environment for one test: a fresh user-defaults suite, private temporary directories,
    /// a virtual scheduler, a private notification centre, an in-process pasteboard, synchronous
    /// main-thread dispatch, a stub HTTP transport (``QVRStubHTTPTransport``) and a memory log
    /// sink (also written to standard error when `echo`).
    public static func makeForTesting(
        locale: Locale = Locale(identifier: "en_US"),
        configuration: [String: Any]? = nil,
        echoLog: Bool = false
    ) -> QVREnvironment {
        let suite = "tallix.tests." + UUID().uuidString
        let root = FileManager.default.temporaryDirectory
            .appendingPathComponent("tallix-tests", isDirectory: true)
            .appendingPathComponent(UUID().uuidString, isDirectory: true)
        var sinks: [any QVRLogSink] = [QVRMemoryLogSink()]
        if echoLog { sinks.append(QVRStandardErrorLogSink()) }
        let environment = QVREnvironment(
            userDefaults: UserDefaults(suiteName: suite),
            userDefaultsSuiteName: suite,
            locale: locale,
            applicationSupportURL: root.appendingPathComponent("ApplicationSupport", isDirectory: true),
            documentsURL: root.appendingPathComponent("Documents", isDirectory: true),
            notificationCenter: NotificationCenter(),
            scheduler: QVRVirtualScheduler(),
            mainDispatcher: QVRImmediateMainDispatcher(),
            logSinks: sinks,
            loggingEnabled: true,
            httpTransport: QVRStubHTTPTransport())
        if let configuration {
            environment.configuration.replaceValues(configuration)
        }
        return environment
    }

    /// Removes what a test environment left behind: its defaults suite and its directories.
    public func tearDownTestingArtifacts() {
        if let suite = userDefaultsSuiteName {
            userDefaults.removePersistentDomain(forName: suite)
        }
        let root = applicationSupportURL.deletingLastPathComponent()
        if root.path.contains("tallix-tests") {
            try? FileManager.default.removeItem(at: root)
        }
    }

    // MARK: - Mutable settings of the environment

    /// The user's locale: the one place from which the model learns it.
    public var userLocale: Locale {
        get { state.withLock { $0.locale } }
        set { state.withLock { $0.locale = newValue } }
    }

    public var logSinks: [any QVRLogSink] {
        get { state.withLock { $0.logSinks } }
        set { state.withLock { $0.logSinks = newValue } }
    }

    /// The memory sink of a test environment, when there is one.
    public var memoryLogSink: QVRMemoryLogSink? {
        logSinks.lazy.compactMap { $0 as? QVRMemoryLogSink }.first
    }

    /// The transport of ``QVRURLRequest``; a test may replace it.
    public var httpTransport: any QVRHTTPTransport {
        get { state.withLock { $0.httpTransport } }
        set { state.withLock { $0.httpTransport = newValue } }
    }

    public var loggingEnabled: Bool {
        get { state.withLock { $0.loggingEnabled } }
        set { state.withLock { $0.loggingEnabled = newValue } }
    }

    /// What the sound service was last told (`QVRSoundEffect setSoundsEnabled:`); none before.
    public var soundsEnabled: Bool? {
        get { state.withLock { $0.soundsEnabled } }
        set { state.withLock { $0.soundsEnabled = newValue } }
    }

    /// The configuration of this environment, made on first use.
    public var configuration: QVRConfiguration {
        if let existing = state.withLock({ $0.configuration }) { return existing }
        let made = QVRConfiguration(
            bundledDirectory: resourcesURL?.appendingPathComponent("Configuration", isDirectory: true),
            userFile: applicationSupportURL.appendingPathComponent("Configuration.plist"),
            notificationCenter: notificationCenter)
        return state.withLock { state in
            if let existing = state.configuration { return existing }
            state.configuration = made
            return made
        }
    }

    // MARK: - Shared instances

    /// The shared instance stored under `key`, made by `make` on first use (once per environment).
    ///
    /// `make` runs outside the lock, so it may itself ask for other shared instances; when two
    /// callers race, the first stored instance wins and is answered to both.
    public func sharedInstance<T: AnyObject>(_ key: String, make: () -> T) -> T {
        if let existing = sharedInstances.withLock({ $0[key] }) as? T { return existing }
        let made = make()
        return sharedInstances.withLock { instances in
            if let existing = instances[key] as? T { return existing }
            instances[key] = made
            return made
        }
    }

    /// The shared instance stored under `key`, if one was made.
    public func existingSharedInstance<T: AnyObject>(_ key: String, as type: T.Type) -> T? {
        sharedInstances.withLock { $0[key] } as? T
    }

    /// Replaces (or, with none, forgets) the shared instance stored under `key`.
    public func setSharedInstance(_ instance: AnyObject?, forKey key: String) {
        sharedInstances.withLock { $0[key] = instance }
    }

    // MARK: - Defaults of the live environment

    static func defaultApplicationSupportURL() -> URL {
        let environment = ProcessInfo.processInfo.environment
        if let explicit = environment["TALLIX_APPLICATION_SUPPORT"], !explicit.isEmpty {
            return URL(fileURLWithPath: explicit, isDirectory: true)
        }
        let base: URL
        if let xdg = environment["XDG_DATA_HOME"], !xdg.isEmpty {
            base = URL(fileURLWithPath: xdg, isDirectory: true)
        } else {
            base = FileManager.default.homeDirectoryForCurrentUser
                .appendingPathComponent(".local", isDirectory: true)
                .appendingPathComponent("share", isDirectory: true)
        }
        return base.appendingPathComponent("Tallix", isDirectory: true)
    }

    static func defaultDocumentsURL() -> URL {
        if let explicit = ProcessInfo.processInfo.environment["TALLIX_DOCUMENTS"], !explicit.isEmpty {
            return URL(fileURLWithPath: explicit, isDirectory: true)
        }
        return FileManager.default.homeDirectoryForCurrentUser.appendingPathComponent("Documents", isDirectory: true)
    }
}
