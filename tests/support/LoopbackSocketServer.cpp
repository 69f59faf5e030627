#include "support/LoopbackSocketServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

LoopbackSocketServer::LoopbackSocketServer(std::string reply, bool waitForRequest)
    : _reply(std::move(reply)), _waitsForRequest(waitForRequest) {
  _listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (_listener < 0 || bind(_listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      listen(_listener, 64) != 0 ||
      getsockname(_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    if (_listener >= 0) close(_listener);
    throw std::runtime_error("no loopback port for the test socket server");
  }
  _port = ntohs(address.sin_port);
  _thread = std::thread([this] { serve(); });
}

LoopbackSocketServer::~LoopbackSocketServer() {
  shutdown(_listener, SHUT_RDWR);  // wakes accept()
  _thread.join();
  close(_listener);
}

std::string LoopbackSocketServer::url(std::string_view path) const {
  return "http://127.0.0.1:" + std::to_string(_port) + std::string(path);
}

// Each connection: the request read up to the end of its head (or any bytes, or two seconds of
// silence), the reply sent whole, the connection closed.
void LoopbackSocketServer::serve() {
  for (int connection; (connection = accept4(_listener, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
    std::string request;
    char buffer[4096];
    pollfd descriptor{connection, POLLIN, 0};
    while (request.find("\r\n\r\n") == std::string::npos && poll(&descriptor, 1, 2000) > 0) {
      const ssize_t count = read(connection, buffer, sizeof buffer);
      if (count <= 0) break;
      request.append(buffer, static_cast<std::size_t>(count));
      if (!_waitsForRequest) break;
    }
    for (std::size_t sent = 0; sent < _reply.size();) {
      const ssize_t count =
          send(connection, _reply.data() + sent, _reply.size() - sent, MSG_NOSIGNAL);
      if (count <= 0) break;
      sent += static_cast<std::size_t>(count);
    }
    close(connection);
  }
}
