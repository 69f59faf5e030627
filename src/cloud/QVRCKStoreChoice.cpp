#include "cloud/QVRCKStoreChoice.h"

#include <fmt/format.h>

#include <cstdlib>
#include "cloud/QVRCKCloudService.h"
#include "cloud/QVRCKDirectoryDatabase.h"
#include "cloud/QVRCKDocument.h"
#include "cloud/QVRCKWebDAVDatabase.h"

#include "common/QVRConfiguration.h"
#include "common/QVREnvironment.h"
#include "common/QVRLogger.h"

namespace {

bool isWebURL(std::string_view text) {
  return text.starts_with("http://") || text.starts_with("https://");
}

const std::string* stringAt(const QVRPropertyList::Dictionary& dictionary, std::string_view key) {
  const auto found = dictionary.find(key);
  return found == dictionary.end() ? nullptr : found->second.string();
}

// The URL's host, for ~/.netrc ("https://host:8443/dav/" has the host "host").
std::string hostOf(std::string_view url) {
  url.remove_prefix(url.find("://") + 3);
  url = url.substr(0, url.find('/'));
  if (url.starts_with('[')) return std::string(url.substr(0, url.find(']') + 1));
  return std::string(url.substr(0, url.find(':')));
}

}  // namespace

QVRCKStoreChoice QVRCKStoreChoice::fromConfiguration(
    const QVRPropertyList* value, const std::filesystem::path& applicationSupport,
    const std::filesystem::path& home) {
  QVRCKStoreChoice choice;
  const auto refuse = [&](std::string reason) {
    choice = QVRCKStoreChoice();
    choice._problem = std::move(reason);
    return choice;
  };
  const auto directory = [&](const std::string& path) {
    if (path.starts_with("~/")) {
      choice._folder = home / path.substr(2);
    } else if (path.starts_with('/')) {
      choice._folder = std::filesystem::path(path).lexically_normal();
    } else {
      return false;
    }
    choice._kind = Kind::directory;
    return true;
  };
  const auto webDAV = [&](std::string url, const std::string* user, const std::string* password) {
    if (!isWebURL(url)) return false;
    const auto start = url.find("://") + 3;
    const auto authorityEnd = std::min(url.find('/', start), url.size());
    const auto at = url.rfind('@', authorityEnd);
    if (at != std::string::npos && at >= start) {
      // Kept out of the URL, which goes into log lines.
      const std::string userInfo = url.substr(start, at - start);
      const auto colon = userInfo.find(':');
      if (!user)
        choice._credentials = QVRCKCredentials(
            userInfo.substr(0, colon),
            colon == std::string::npos ? std::string() : userInfo.substr(colon + 1));
      url.erase(start, at + 1 - start);
    }
    if (url.find_first_of(" \t\r\n\"<>\\") != std::string::npos || hostOf(url).empty()) {
      return false;
    }
    if (!url.ends_with('/')) url += '/';
    if (user) choice._credentials = QVRCKCredentials(*user, password ? *password : "");
    if (!choice._credentials) {
      choice._credentials = QVRCKCredentials::fromNetrcFile(home / ".netrc", hostOf(url));
    }
    choice._kind = Kind::webDAV;
    choice._url = std::move(url);
    return true;
  };

  if (!value) {
    choice._kind = Kind::directory;
    choice._folder = applicationSupport / defaultFolderName;
    return choice;
  }
  if (const std::string* text = value->string()) {
    if (*text == "off") return choice;
    if (*text == "directory") {
      choice._kind = Kind::directory;
      choice._folder = applicationSupport / defaultFolderName;
      return choice;
    }
    if (directory(*text) || webDAV(*text, nullptr, nullptr)) return choice;
    return refuse("\"" + std::string(configurationKey) +
                  "\" is none of \"directory\", \"off\", a folder's path or a WebDAV URL");
  }
  if (const auto* dictionary = value->dictionary()) {
    if (const std::string* folder = stringAt(*dictionary, "folder")) {
      if (directory(*folder)) return choice;
      return refuse("the folder of \"" + std::string(configurationKey) +
                    "\" must be a path starting with / or ~/");
    }
    if (const std::string* url = stringAt(*dictionary, "url")) {
      if (webDAV(*url, stringAt(*dictionary, "user"), stringAt(*dictionary, "password"))) {
        return choice;
      }
      return refuse(
          fmt::format("the url of \"{}\" must be an http or https URL", configurationKey));
    }
  }
  return refuse(fmt::format("\"{}\" must be a text or a dictionary with \"folder\" or \"url\"",
                            configurationKey));
}

QVRCKStoreChoice QVRCKStoreChoice::current() {
  QVREnvironment& environment = QVREnvironment::current();
  const char* home = std::getenv("HOME");
  return fromConfiguration(
      QVRConfiguration::sharedConfiguration().objectForKey(configurationKey),
      environment.applicationSupportDirectory(),
      home && *home ? std::filesystem::path(home) : environment.applicationSupportDirectory());
}

std::string QVRCKStoreChoice::description() const {
  std::string text;
  switch (_kind) {
    case Kind::directory:
      text = "directory store in " + _folder.string();
      break;
    case Kind::webDAV:
      text = "WebDAV store at " + _url;
      if (_credentials) text += " as " + _credentials->user();
      break;
    case Kind::off:
      text = "off";
      break;
  }
  if (_problem) text += " (" + *_problem + ")";
  return text;
}

void QVRCKStoreChoice::install(QVRPollRunLoop* pushLoop) const {
  QVREnvironment& environment = QVREnvironment::current();
  if (_problem) QVRLogger::logFormat("Cloud store off: " + *_problem);
  if (_kind == Kind::off) {
    auto service = std::make_unique<QVRCKCloudService>();
    service->disableiCloud();
    environment.setSharedInstance<QVRCKCloudService>(std::move(service));
    return;
  }
  // Made when a document first asks for it, so that commands without documents touch nothing;
  // every container shares it.
  auto made = std::make_shared<std::shared_ptr<QVRCKDatabase>>();
  environment.setSharedInstance<QVRCKCloudService>(
      std::make_unique<QVRCKCloudService>([choice = *this, pushLoop, made](const std::string&) {
        if (*made) return *made;
        const auto answers = QVREnvironment::current().temporaryDirectory();
        if (choice._kind == Kind::webDAV) {
          *made = std::make_shared<QVRCKWebDAVDatabase>(
              QVRCKWebDAVDatabase::Options{choice._url, choice._credentials, answers});
        } else {
          *made = std::make_shared<QVRCKDirectoryDatabase>(
              choice._folder,
              QVRCKDirectoryDatabase::Options{answers, pushLoop, [](const std::string& name) {
                                                QVRCKDocument::postRemoteNotification(name);
                                              }});
        }
        return *made;
      }));
}
