#include "support/LoopbackApache.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

constexpr const char* kModules = "/usr/lib/apache2/modules";

// A port that nothing listens on now (the kernel's choice for port 0).
int freePort() {
  const int socketFd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (socketFd < 0) return 0;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (::bind(socketFd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(socketFd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  ::close(socketFd);
  return port;
}

bool accepts(int port) {
  const int socketFd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (socketFd < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  const bool connected =
      ::connect(socketFd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(socketFd);
  return connected;
}

int run(const std::string& command) {
  return std::system(command.c_str());
}

std::string quoted(const std::filesystem::path& path) {
  return "'" + path.string() + "'";
}

std::string textOf(const std::filesystem::path& file) {
  std::ifstream stream(file);
  std::stringstream text;
  text << stream.rdbuf();
  return text.str();
}

}  // namespace

bool LoopbackApache::isInstalled() {
  return ::access(binary, X_OK) == 0;
}

LoopbackApache::LoopbackApache(Options options) {
  std::string pattern = (std::filesystem::temp_directory_path() / "tallix-apache-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) {
    _problem = "no temporary folder";
    return;
  }
  _root = pattern;
  // Three tries: another program may take the free port before Apache does.
  for (int attempt = 0; attempt < 3 && !_running; ++attempt) _running = start(options.locks);
}

bool LoopbackApache::start(bool locks) {
  namespace fs = std::filesystem;
  // Started as root, Apache serves as www-data, which must reach and write the folders.
  for (const auto* folder : {"htdocs/dav", "htdocs/private", "locks", "run"}) {
    fs::create_directories(_root / folder);
  }
  fs::permissions(_root, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                             fs::perms::others_read | fs::perms::others_exec);
  for (const auto* folder : {"htdocs", "htdocs/dav", "htdocs/private", "locks", "run"}) {
    fs::permissions(_root / folder, fs::perms::all);
  }
  if (run("htpasswd -bc " + quoted(_root / "passwords") + " alice '" + password() +
          "' >/dev/null 2>&1") != 0) {
    _problem = "htpasswd failed";
    return false;
  }
  const int port = freePort();
  std::ofstream conf(_root / "httpd.conf", std::ios::trunc);
  const std::string root = _root.string();
  conf << "ServerRoot \"" << root << "\"\n"
       << "Listen 127.0.0.1:" << port << "\n"
       << "ServerName 127.0.0.1\n"
       << "PidFile " << root << "/run/httpd.pid\n"
       << "ErrorLog " << root << "/error.log\n"
       << "DefaultRuntimeDir " << root << "/run\n"
       << "Mutex file:" << root << "/run default\n"
       << "LogLevel warn\n";
  for (const auto* module : {"mpm_event", "authz_core", "authz_user", "authn_core", "authn_file",
                             "auth_basic", "allowmethods", "dav", "dav_fs"}) {
    conf << "LoadModule " << module << "_module " << kModules << "/mod_" << module << ".so\n";
  }
  if (::geteuid() == 0) conf << "User www-data\nGroup www-data\n";
  conf << "DocumentRoot \"" << root
       << "/htdocs\"\n"
       // mod_dav_fs needs its lock database even for PUT.
       << "DavLockDB " << root
       << "/locks/DavLock\n"
       // Apache's default ETags are weak for a second after each write.
       << "FileETag Digest\n"
       << "<Directory \"" << root
       << "/htdocs\">\n  Dav On\n  Require all granted\n"
       // A server without locks answers LOCK with 405.
       << (locks ? "" : "  AllowMethods GET HEAD PUT DELETE PROPFIND MKCOL MOVE COPY OPTIONS\n")
       << "</Directory>\n"
       << "<Directory \"" << root << "/htdocs/private\">\n  AuthType Basic\n  AuthName tallix\n"
       << "  AuthUserFile " << root << "/passwords\n  Require valid-user\n</Directory>\n";
  conf.close();
  if (run(std::string(binary) + " -f " + quoted(_root / "httpd.conf") + " -k start 2>>" +
          quoted(_root / "error.log")) != 0) {
    _problem = "apache2 did not start: " + textOf(_root / "error.log");
    return false;
  }
  // Waiting for the server to listen: about 70 ms.
  for (int wait = 0; wait < 500; ++wait) {
    if (accepts(port)) {
      _origin = "http://127.0.0.1:" + std::to_string(port);
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  _problem = "apache2 does not listen: " + textOf(_root / "error.log");
  run(std::string(binary) + " -f " + quoted(_root / "httpd.conf") + " -k stop >/dev/null 2>&1");
  return false;
}

LoopbackApache::~LoopbackApache() {
  if (_running) {
    const std::string pidText = textOf(_root / "run/httpd.pid");
    run(std::string(binary) + " -f " + quoted(_root / "httpd.conf") + " -k stop >/dev/null 2>&1");
    // Waiting for the server to go, so that its files can be removed.
    const pid_t pid = static_cast<pid_t>(std::atoi(pidText.c_str()));
    for (int wait = 0; pid > 0 && wait < 500 && ::kill(pid, 0) == 0; ++wait) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  std::error_code ignored;
  if (!_root.empty()) std::filesystem::remove_all(_root, ignored);
}
