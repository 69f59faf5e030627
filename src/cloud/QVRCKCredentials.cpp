#include "cloud/QVRCKCredentials.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "common/QVRFileReader.h"

namespace {

std::string base64(std::string_view bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t index = 0; index < bytes.size(); index += 3) {
    std::uint32_t group = static_cast<std::uint8_t>(bytes[index]) << 16;
    const std::size_t count = std::min<std::size_t>(3, bytes.size() - index);
    if (count > 1)
      group |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[index + 1])) << 8;
    if (count > 2) group |= static_cast<std::uint8_t>(bytes[index + 2]);
    text += kDigits[(group >> 18) & 63];
    text += kDigits[(group >> 12) & 63];
    text += count > 1 ? kDigits[(group >> 6) & 63] : '=';
    text += count > 2 ? kDigits[group & 63] : '=';
  }
  return text;
}

bool isBlank(char character) {
  return character == ' ' || character == '\t' || character == '\n' || character == '\r';
}

// The netrc's tokens; a "macdef" body (up to an empty line) is left out.
std::vector<std::string> tokens(std::string_view text) {
  std::vector<std::string> result;
  std::size_t position = 0;
  while (position < text.size()) {
    if (isBlank(text[position])) {
      ++position;
      continue;
    }
    std::string token;
    if (text[position] == '"') {
      for (++position; position < text.size() && text[position] != '"'; ++position) {
        if (text[position] == '\\' && position + 1 < text.size()) ++position;
        token += text[position];
      }
      ++position;
    } else {
      while (position < text.size() && !isBlank(text[position])) token += text[position++];
    }
    if (token == "macdef") {
      const auto end = text.find("\n\n", position);
      position = end == std::string_view::npos ? text.size() : end + 2;
      continue;
    }
    result.push_back(std::move(token));
  }
  return result;
}

}  // namespace

std::string QVRCKCredentials::authorizationHeader() const {
  return "Basic " + base64(_user + ":" + _password);
}

std::optional<QVRCKCredentials> QVRCKCredentials::fromNetrc(std::string_view text,
                                                            std::string_view host) {
  struct Entry {
    std::optional<std::string> login;
    std::string password;
  };
  std::optional<Entry> machine, fallback;
  Entry* current = nullptr;
  const auto list = tokens(text);
  for (std::size_t index = 0; index < list.size(); ++index) {
    const std::string& token = list[index];
    const bool hasValue = index + 1 < list.size();
    if (token == "machine" && hasValue) {
      const std::string& name = list[++index];
      current = !machine && name == host ? &machine.emplace() : nullptr;
    } else if (token == "default") {
      current = fallback ? nullptr : &fallback.emplace();
    } else if ((token == "login" || token == "password" || token == "account") && hasValue) {
      const std::string& value = list[++index];
      if (!current) continue;
      if (token == "login") current->login = value;
      if (token == "password") current->password = value;
    }
  }
  for (const auto* entry : {&machine, &fallback}) {
    if (*entry && (*entry)->login) return QVRCKCredentials(*(*entry)->login, (*entry)->password);
  }
  return std::nullopt;
}

std::optional<QVRCKCredentials> QVRCKCredentials::fromNetrcFile(const std::filesystem::path& path,
                                                                std::string_view host) {
  auto bytes = QVRFileReader::contentsOfFile(path, 1 << 20);
  if (!bytes.value) return std::nullopt;
  return fromNetrc(
      std::string_view(reinterpret_cast<const char*>(bytes.value->data()), bytes.value->size()),
      host);
}
