#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <typeindex>
#include <utility>
#include <vector>

#include "common/QVRNotificationCenter.h"

class QVRLogSink;
class QVRMemoryLogSink;
class QVRPasteboard;
class QVRRunLoop;
class QVRUserDefaults;

// The one seam through which the model touches the outside world, and the owner of every shared
// instance ("made on first use, lives for the process" means: lives as long as the environment).
// The program makes one live environment in main(); each test makes a fresh one, so tests stay
// independent. The installed environment is what model code reaches through current().
class QVREnvironment {
 public:
  struct Parts {
    std::unique_ptr<QVRUserDefaults> userDefaults;
    std::unique_ptr<QVRRunLoop> runLoop;
    std::unique_ptr<QVRPasteboard> pasteboard;
    std::vector<std::unique_ptr<QVRLogSink>> logSinks;
    bool loggingEnabled = false;
    // An ICU locale identifier ("de_DE"), or "en_US_POSIX" for the C and POSIX locales.
    std::string localeIdentifier = "en_US";
    std::filesystem::path applicationSupportDirectory;
    std::filesystem::path documentsDirectory;
    // Where short-lived files go (uploads being sent); the system's in the live program.
    std::filesystem::path temporaryDirectory;
    // The bundled resources (strings tables, configuration); none when they were not found.
    std::optional<std::filesystem::path> resourcesDirectory;
    // Directories removed with the environment (a test's temporary folder).
    std::vector<std::filesystem::path> ownedDirectories;
  };

  explicit QVREnvironment(Parts parts);
  ~QVREnvironment();
  // Identity object: everything in the process refers to it.
  QVREnvironment(const QVREnvironment&) = delete;
  QVREnvironment& operator=(const QVREnvironment&) = delete;

  // The installed environment. Without one, a live environment is made on first use and kept.
  static QVREnvironment& current();
  static bool hasCurrent();

  // Installs an environment for its lifetime and puts back the previous one afterwards.
  class Installation {
   public:
    explicit Installation(QVREnvironment& environment);
    ~Installation();
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;

   private:
    QVREnvironment* _previous;
  };

  // The environment of the running program: the user's locale from LC_ALL, LC_NUMERIC and LANG,
  // the data directories of the XDG base directories (or TALLIX_APPLICATION_SUPPORT), defaults in
  // a file, the poll run loop, standard error for the log.
  static std::unique_ptr<QVREnvironment> makeLive();
  // An environment for one test: memory defaults and pasteboard, a virtual run loop, a memory
  // log sink (echoed to standard error when `echoLog`), private temporary directories that go
  // with it, the source tree's resources, logging enabled.
  static std::unique_ptr<QVREnvironment> makeForTesting(std::string localeIdentifier = "en_US",
                                                        bool echoLog = false);

  QVRUserDefaults& userDefaults() { return *_parts.userDefaults; }
  QVRRunLoop& runLoop() { return *_parts.runLoop; }
  QVRPasteboard& pasteboard() { return *_parts.pasteboard; }
  QVRNotificationCenter& notificationCenter() { return _notificationCenter; }

  std::vector<QVRLogSink*> logSinks() const;
  void addLogSink(std::unique_ptr<QVRLogSink> sink);
  // The first memory sink, in a test environment.
  QVRMemoryLogSink* memoryLogSink() const;

  bool loggingEnabled() const { return _parts.loggingEnabled; }
  void setLoggingEnabled(bool enabled) { _parts.loggingEnabled = enabled; }

  // What the sound service was last told; none before.
  std::optional<bool> soundsEnabled() const { return _soundsEnabled; }
  void setSoundsEnabled(bool enabled) { _soundsEnabled = enabled; }

  const std::string& localeIdentifier() const { return _parts.localeIdentifier; }
  // Changing the locale forgets the shared instances that depend on it is the caller's business:
  // tests set the locale before they touch numbers.
  void setLocaleIdentifier(std::string identifier) {
    _parts.localeIdentifier = std::move(identifier);
  }

  // Created (with its parents) on first call.
  const std::filesystem::path& applicationSupportDirectory();
  const std::filesystem::path& documentsDirectory() const { return _parts.documentsDirectory; }
  // Created (with its parents) on first call.
  const std::filesystem::path& temporaryDirectory();
  const std::optional<std::filesystem::path>& resourcesDirectory() const {
    return _parts.resourcesDirectory;
  }

  // The shared instance of type T, made by `make` on first use. Shared instances are destroyed
  // in the reverse order of their making, before the rest of the environment.
  template <class T, class Make>
  T& sharedInstance(Make&& make) {
    if (T* existing = existingSharedInstance<T>()) return *existing;
    std::unique_ptr<T> made = std::forward<Make>(make)();
    T& result = *made;
    setSharedInstance<T>(std::move(made));
    return result;
  }
  template <class T>
  T& sharedInstance() {
    return sharedInstance<T>([] { return std::make_unique<T>(); });
  }
  template <class T>
  T* existingSharedInstance() const {
    for (const auto& [type, holder] : _shared) {
      if (type == std::type_index(typeid(T))) return static_cast<T*>(holder.get());
    }
    return nullptr;
  }
  // Replaces (or, with none, removes) the shared instance of type T: a test's fake service.
  template <class T>
  void setSharedInstance(std::unique_ptr<T> instance) {
    removeShared(std::type_index(typeid(T)));
    if (instance) {
      _shared.emplace_back(std::type_index(typeid(T)),
                           Holder(instance.release(), [](void* p) { delete static_cast<T*>(p); }));
    }
  }

 private:
  using Holder = std::unique_ptr<void, void (*)(void*)>;
  void removeShared(std::type_index type);

  Parts _parts;
  QVRNotificationCenter _notificationCenter;
  std::optional<bool> _soundsEnabled;
  bool _applicationSupportMade = false;
  bool _temporaryDirectoryMade = false;
  std::vector<std::pair<std::type_index, Holder>> _shared;
};
