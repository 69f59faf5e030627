#include "tallix/TallixIO.h"

#include <cstdio>
#include <iostream>

namespace tallix {

std::optional<std::string> TallixStandardIO::readLine() {
  std::string line;
  if (!std::getline(std::cin, line)) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

void TallixStandardIO::write(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  if (!text.empty() && text.back() == '\n') std::fflush(stdout);
}

void TallixStandardIO::writeError(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
}

std::optional<std::string> TallixBufferIO::readLine() {
  if (_next >= _input.size()) return std::nullopt;
  return _input[_next++];
}

}  // namespace tallix
