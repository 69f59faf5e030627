#include "support/LoopbackApache.h"

#include <arpa/inet.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

// Binds port 0 (or connects to `port`): answers the port bound, or whether the connect worked.
int loopbackSocket(int port) {
  const int socketFd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  socklen_t length = sizeof address;
  auto* generic = reinterpret_cast<sockaddr*>(&address);
  int answer = 0;
  if (port) {
    answer = ::connect(socketFd, generic, sizeof address) == 0;
  } else if (::bind(socketFd, generic, sizeof address) == 0 &&
             ::getsockname(socketFd, generic, &length) == 0) {
    answer = ntohs(address.sin_port);
  }
  ::close(socketFd);
  return answer;
}

int run(const std::string& command) {
  return std::system(command.c_str());
}

std::string textOf(const std::filesystem::path& file) {
  std::stringstream text;
  text << std::ifstream(file).rdbuf();
  return text.str();
}

}  // namespace

bool LoopbackApache::isInstalled() {
  return ::access(binary, X_OK) == 0;
}

LoopbackApache::LoopbackApache(Options options) {
  namespace fs = std::filesystem;
  std::string pattern = (fs::temp_directory_path() / "tallix-apache-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) return;
  _root = pattern;
  // Started as root, Apache serves as www-data, which must reach and write the folders.
  fs::permissions(_root, fs::perms::all & ~fs::perms::group_write & ~fs::perms::others_write);
  for (const auto* folder : {"htdocs", "htdocs/dav", "htdocs/private", "locks", "run"}) {
    fs::create_directories(_root / folder);
    fs::permissions(_root / folder, fs::perms::all);
  }
  const std::string root = _root.string(), conf = root + "/httpd.conf";
  run("htpasswd -bc '" + root + "/passwords' alice '" + password() + "' 2>/dev/null");
  std::string modules;
  for (const std::string module : {"mpm_event", "authz_core", "authz_user", "authn_core",
                                   "authn_file", "auth_basic", "allowmethods", "dav", "dav_fs"}) {
    modules += "LoadModule " + module + "_module /usr/lib/apache2/modules/mod_" + module + ".so\n";
  }
  // Another program may take the free port before Apache does: three tries.
  for (int attempt = 0; attempt < 3 && !_running; ++attempt) {
    const int port = loopbackSocket(0);
    std::ofstream(conf) << "ServerRoot " << root << "\nListen 127.0.0.1:" << port
                        << "\nServerName 127.0.0.1\nPidFile " << root << "/run/httpd.pid\n"
                        << "ErrorLog " << root << "/error.log\nDefaultRuntimeDir " << root
                        << "/run\nMutex file:" << root << "/run default\n"
                        << (::geteuid() == 0 ? "User www-data\nGroup www-data\n" : "");
    std::ofstream(conf, std::ios::app)
        << modules << "DocumentRoot " << root
        << "/htdocs\n"
        // mod_dav_fs needs its lock database even for PUT; Apache's default ETags are weak for
        // a second after each write.
        << "DavLockDB " << root << "/locks/DavLock\nFileETag Digest\n"
        << "<Directory " << root
        << "/htdocs>\n  Dav On\n  Require all granted\n"
        // A server without locks answers LOCK with 405.
        << (options.locks ? "" : "  AllowMethods GET HEAD PUT DELETE PROPFIND MKCOL OPTIONS\n")
        << "</Directory>\n<Directory " << root << "/htdocs/private>\n  AuthType Basic\n"
        << "  AuthName tallix\n  AuthUserFile " << root << "/passwords\n"
        << "  Require valid-user\n</Directory>\n";
    if (run(std::string(binary) + " -f " + conf + " -k start 2>/dev/null") != 0) continue;
    // Waiting for the server to listen: about 70 ms.
    for (int wait = 0; wait < 500 && !_running; ++wait) {
      _running = loopbackSocket(port) == 1;
      if (!_running) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    _origin = "http://127.0.0.1:" + std::to_string(port);
  }
  if (!_running) _problem = "apache2 did not start: " + textOf(_root / "error.log");
}

LoopbackApache::~LoopbackApache() {
  if (_running) {
    const auto pid = static_cast<pid_t>(std::atoi(textOf(_root / "run/httpd.pid").c_str()));
    run(std::string(binary) + " -f " + _root.string() + "/httpd.conf -k stop");
    // Waiting for the server to go, so that its files can be removed.
    for (int wait = 0; pid > 0 && wait < 500 && ::kill(pid, 0) == 0; ++wait) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  std::error_code ignored;
  if (!_root.empty()) std::filesystem::remove_all(_root, ignored);
}
