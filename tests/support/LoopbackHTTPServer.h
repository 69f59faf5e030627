#pragma once

#include <httplib.h>

#include <functional>
#include <string>
#include <string_view>
#include <thread>

// An HTTP server on 127.0.0.1 and a free port for the live transport's tests, with the routes
// that the test sets up; it stops with the object.
class LoopbackHTTPServer {
 public:
  explicit LoopbackHTTPServer(const std::function<void(httplib::Server&)>& routes);
  ~LoopbackHTTPServer();
  LoopbackHTTPServer(const LoopbackHTTPServer&) = delete;
  LoopbackHTTPServer& operator=(const LoopbackHTTPServer&) = delete;

  std::string url(std::string_view path) const;

 private:
  httplib::Server _server;
  int _port = -1;
  std::thread _thread;
};
