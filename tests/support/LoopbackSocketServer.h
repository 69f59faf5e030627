#pragma once

#include <string>
#include <string_view>
#include <thread>

// A raw TCP server on 127.0.0.1 that answers every connection with scripted bytes and closes
// it: for answers no HTTP server would give (a body cut short, a broken status line).
class LoopbackSocketServer {
 public:
  // With `waitForRequest` false the reply goes out as soon as any bytes arrive (for clients
  // that wait for the server first, as TLS does).
  explicit LoopbackSocketServer(std::string reply, bool waitForRequest = true);
  ~LoopbackSocketServer();
  LoopbackSocketServer(const LoopbackSocketServer&) = delete;
  LoopbackSocketServer& operator=(const LoopbackSocketServer&) = delete;

  std::string url(std::string_view path) const;

 private:
  void serve();

  std::string _reply;
  bool _waitsForRequest = true;
  int _listener = -1;
  int _port = 0;
  std::thread _thread;
};
