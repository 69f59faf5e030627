#include "support/LoopbackSocketServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <stdexcept>

namespace {

// The value of the request's Content-Length, or 0.
std::size_t contentLength(std::string head) {
  std::transform(head.begin(), head.end(), head.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const auto found = head.find("\r\ncontent-length:");
  if (found == std::string::npos) return 0;
  return std::strtoul(head.c_str() + found + 17, nullptr, 10);
}

}  // namespace

LoopbackSocketServer::LoopbackSocketServer(std::string reply, bool waitForRequest)
    : LoopbackSocketServer([reply = std::move(reply)](const std::string&) { return reply; },
                           waitForRequest) {}

LoopbackSocketServer::LoopbackSocketServer(Responder responder, bool waitForRequest)
    : _responder(std::move(responder)), _waitsForRequest(waitForRequest) {
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

std::vector<std::string> LoopbackSocketServer::requests() const {
  std::lock_guard lock(_mutex);
  return _requests;
}

void LoopbackSocketServer::serve() {
  while (true) {
    const int connection = accept4(_listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) return;
    answer(connection);
    close(connection);
  }
}

void LoopbackSocketServer::answer(int connection) {
  std::string request;
  std::size_t expected = std::string::npos;
  char buffer[4096];
  while (request.size() < expected) {
    pollfd descriptor{connection, POLLIN, 0};
    if (poll(&descriptor, 1, 2000) <= 0) break;
    const ssize_t count = read(connection, buffer, sizeof buffer);
    if (count <= 0) break;
    request.append(buffer, static_cast<std::size_t>(count));
    if (!_waitsForRequest) break;
    const auto headEnd = request.find("\r\n\r\n");
    if (expected == std::string::npos && headEnd != std::string::npos) {
      expected = headEnd + 4 + contentLength(request.substr(0, headEnd + 2));
    }
  }
  {
    std::lock_guard lock(_mutex);
    _requests.push_back(request);
  }
  const std::string reply = _responder(request);
  std::size_t sent = 0;
  while (sent < reply.size()) {
    const ssize_t count = send(connection, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
    if (count <= 0) break;
    sent += static_cast<std::size_t>(count);
  }
}
