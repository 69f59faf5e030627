#pragma once

#include <filesystem>
#include <optional>
#include <string>

// Apache httpd with mod_dav on 127.0.0.1 and a free port, in a folder of its own, for the WebDAV
// store's tests: "/dav/" is an open collection, "/private/" needs the user "alice" with the
// password `password()`. ETags are content digests (strong at once). Stopped and removed when
// this goes.
class LoopbackApache {
 public:
  struct Options {
    // Without it the server answers LOCK with 405, as servers without locks do.
    bool locks = true;
  };

  static constexpr const char* binary = "/usr/sbin/apache2";
  // Whether Apache is installed; tests skip without it.
  static bool isInstalled();

  explicit LoopbackApache(Options options);
  LoopbackApache() : LoopbackApache(Options{}) {}
  ~LoopbackApache();
  // Identity object: it owns a running server.
  LoopbackApache(const LoopbackApache&) = delete;
  LoopbackApache& operator=(const LoopbackApache&) = delete;

  // False when the server could not be started (`problem` says why).
  bool isRunning() const { return _running; }
  const std::string& problem() const { return _problem; }
  // "http://127.0.0.1:PORT"
  const std::string& origin() const { return _origin; }
  // The folder served at "/dav/".
  std::filesystem::path davFolder() const { return _root / "htdocs/dav"; }
  static std::string password() { return "pa55:word with blanks"; }

 private:
  std::filesystem::path _root;
  std::string _origin;
  std::string _problem;
  bool _running = false;
};
