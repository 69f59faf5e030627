import Foundation
import Testing

@testable import QVRTallixModel

/// Part 6.2: the user's settings.
@Suite("Settings (Part 6.2)")
struct QVRTallixSettingsTests {
    // MARK: - Edge cases of Part 6.2

    @Test(
        "with empty user defaults: sounds on, currency mode off, square buttons, tape results not copied; the sound service is told sounds are on"
    )
    func emptyDefaults() {
        withTestEnvironment { env in
            #expect(env.soundsEnabled == nil)
            let settings = QVRTallixSettings.sharedSettings
            #expect(settings.soundsEnabled)
            #expect(!settings.currencyMode)
            #expect(!settings.hasRoundedButtons)
            #expect(!settings.copyHistoryTapeResultsToClipboard)
            #expect(env.soundsEnabled == true)
            #expect(QVRSoundEffect.soundsEnabled)
            // Nothing is registered or written.
            for key in ["soundsEnabled", "currencyMode", "roundedButtons", "copyTapeResultsToClipboard"] {
                #expect(env.userDefaults.object(forKey: key) == nil)
            }
        }
    }

    @Test("an absent soundsEnabled means sounds enabled; a stored false means sounds disabled")
    func storedSoundsPreference() {
        withTestEnvironment { env in
            env.userDefaults.set(false, forKey: "soundsEnabled")
            env.userDefaults.set(true, forKey: "currencyMode")
            env.userDefaults.set(true, forKey: "roundedButtons")
            env.userDefaults.set(true, forKey: "copyTapeResultsToClipboard")
            let settings = QVRTallixSettings.sharedSettings
            #expect(!settings.soundsEnabled)
            #expect(env.soundsEnabled == false)
            #expect(settings.currencyMode)
            #expect(settings.hasRoundedButtons)
            #expect(settings.copyHistoryTapeResultsToClipboard)
        }
        withTestEnvironment { env in
            env.userDefaults.set(true, forKey: "soundsEnabled")
            #expect(QVRTallixSettings.sharedSettings.soundsEnabled)
            #expect(env.soundsEnabled == true)
        }
    }

    @Test(
        "setting the currency mode to its value posts and stores nothing; a change posts one notification after storing"
    )
    func currencyModeNotification() {
        withTestEnvironment { env in
            let settings = QVRTallixSettings.sharedSettings
            let recorder = NotificationRecorder(QVRTallixSettingsCurrencyModeChangedNotification, in: env)
            nonisolated(unsafe) var storedWhenPosted: [Any?] = []
            let token = env.notificationCenter.addObserver(
                forName: QVRTallixSettingsCurrencyModeChangedNotification, object: nil, queue: nil
            ) { _ in storedWhenPosted.append(env.userDefaults.object(forKey: "currencyMode")) }
            defer { env.notificationCenter.removeObserver(token) }

            settings.setCurrencyMode(false)
            #expect(recorder.count == 0)
            #expect(env.userDefaults.object(forKey: "currencyMode") == nil)

            settings.setCurrencyMode(true)
            #expect(recorder.count == 1)
            #expect(settings.currencyMode)
            #expect(env.userDefaults.bool(forKey: "currencyMode"))
            #expect(storedWhenPosted.count == 1)
            #expect(storedWhenPosted.first.flatMap { $0 as? Bool } == true)
            let notification = recorder.notifications.first
            #expect(notification?.object == nil)
            #expect(notification?.userInfo == nil)

            settings.setCurrencyMode(true)
            #expect(recorder.count == 1)
            settings.setCurrencyMode(false)
            #expect(recorder.count == 2)
            #expect(env.userDefaults.object(forKey: "currencyMode") as? Bool == false)
            #expect(
                QVRTallixSettingsCurrencyModeChangedNotification.rawValue
                    == "QVRTallixSettingsCurrencyModeChangedNotification")
        }
    }

    @Test("setCopyHistoryTapeResultsToClipboard: true writes true under copyTapeResultsToClipboard")
    func copyTapeResultsKey() {
        withTestEnvironment { env in
            let settings = QVRTallixSettings.sharedSettings
            settings.setCopyHistoryTapeResultsToClipboard(true)
            #expect(settings.copyHistoryTapeResultsToClipboard)
            #expect(env.userDefaults.object(forKey: "copyTapeResultsToClipboard") as? Bool == true)
            #expect(env.userDefaults.object(forKey: "copyHistoryTapeResultsToClipboard") == nil)
        }
    }

    // MARK: - Setters

    @Test("setSoundsEnabled: tells the sound service, then stores; the same value does nothing")
    func soundsSetter() {
        withTestEnvironment { env in
            let settings = QVRTallixSettings.sharedSettings
            settings.setSoundsEnabled(true)
            #expect(env.userDefaults.object(forKey: "soundsEnabled") == nil)
            settings.setSoundsEnabled(false)
            #expect(!settings.soundsEnabled)
            #expect(env.soundsEnabled == false)
            #expect(env.userDefaults.object(forKey: "soundsEnabled") as? Bool == false)
            settings.setSoundsEnabled(true)
            #expect(env.soundsEnabled == true)
            #expect(env.userDefaults.object(forKey: "soundsEnabled") as? Bool == true)
        }
    }

    @Test("setRoundedButtons: stores under roundedButtons and posts nothing")
    func roundedButtonsSetter() {
        withTestEnvironment { env in
            let settings = QVRTallixSettings.sharedSettings
            let recorder = NotificationRecorder(QVRTallixSettingsCurrencyModeChangedNotification, in: env)
            settings.setRoundedButtons(false)
            #expect(env.userDefaults.object(forKey: "roundedButtons") == nil)
            settings.setRoundedButtons(true)
            #expect(settings.hasRoundedButtons)
            #expect(env.userDefaults.object(forKey: "roundedButtons") as? Bool == true)
            #expect(recorder.count == 0)
        }
    }

    @Test("the shared settings are made once and read the defaults only then")
    func sharedInstance() {
        withTestEnvironment { env in
            let settings = QVRTallixSettings.sharedSettings
            #expect(settings === QVRTallixSettings.sharedSettings)
            // A change made to the defaults by anyone else is not seen until the next process.
            env.userDefaults.set(true, forKey: "roundedButtons")
            #expect(!settings.hasRoundedButtons)
        }
    }

    @Test("settings of separate environments do not see each other")
    func separateEnvironments() {
        let first = withTestEnvironment { _ in
            QVRTallixSettings.sharedSettings.setCurrencyMode(true)
            return QVRTallixSettings.sharedSettings
        }
        withTestEnvironment { _ in
            #expect(QVRTallixSettings.sharedSettings !== first)
            #expect(!QVRTallixSettings.sharedSettings.currencyMode)
        }
    }
}
