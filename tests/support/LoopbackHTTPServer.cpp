#include "support/LoopbackHTTPServer.h"

#include <chrono>
#include <stdexcept>

LoopbackHTTPServer::LoopbackHTTPServer(const std::function<void(httplib::Server&)>& routes) {
  routes(_server);
  // One request per connection: a kept-alive connection would hold one of the server's few
  // threads for seconds after the client has gone.
  _server.set_keep_alive_max_count(1);
  // The socket listens once bound: connections made before the thread accepts them wait.
  _port = _server.bind_to_any_port("127.0.0.1");
  if (_port <= 0) throw std::runtime_error("no loopback port for the test server");
  _thread = std::thread([this] { _server.listen_after_bind(); });
  // stop() does nothing before the server runs, and its thread would then accept forever.
  const auto started = std::chrono::steady_clock::now();
  while (!_server.is_running() &&
         std::chrono::steady_clock::now() - started < std::chrono::seconds(5)) {
    std::this_thread::yield();
  }
}

LoopbackHTTPServer::~LoopbackHTTPServer() {
  _server.stop();
  _thread.join();
}

std::string LoopbackHTTPServer::url(std::string_view path) const {
  return "http://127.0.0.1:" + std::to_string(_port) + std::string(path);
}
