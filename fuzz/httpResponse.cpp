// Header lines and bodies as a server sends them: the header collector and the request's
// reading of the body must give an answer for any bytes, and the UTF-8 check must agree with
// ICU's reading.
#include <unicode/utf8.h>

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <variant>

#include "common/QVRHTTPResponse.h"
#include "common/QVRString.h"
#include "common/QVRURLRequest.h"

namespace {

bool icuAcceptsUTF8(std::string_view bytes) {
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const auto length = static_cast<std::int32_t>(bytes.size());
  std::int32_t index = 0;
  while (index < length) {
    UChar32 c;
    U8_NEXT(data, index, length, c);
    if (c < 0) return false;
  }
  return true;
}

}  // namespace

// Input: one byte of response type, then header lines separated by "\n", then "\n\n" and the
// body.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const int responseType = data[0] % 3;
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const auto split = rest.find("\n\n");
  std::string_view head = rest.substr(0, split);
  const std::string_view body =
      split == std::string_view::npos ? std::string_view{} : rest.substr(split + 2);
  QVRHTTPResponse response;
  while (!head.empty()) {
    const auto end = head.find('\n');
    response.addHeaderLine(head.substr(0, end));
    head = end == std::string_view::npos ? std::string_view{} : head.substr(end + 1);
  }
  for (const auto& [name, value] : response.headers.fields()) {
    if (!QVRHTTPHeaders::isValidName(name) || !response.headers.value(name)) __builtin_trap();
  }
  if (response.statusCode < 0 || response.statusCode > 999) __builtin_trap();
  response.body = std::string(body);

  if (QVRString::isValidUTF8(body) != icuAcceptsUTF8(body)) __builtin_trap();
  const auto value = QVRURLRequest::responseValue(response, responseType);
  if (const auto* read = std::get_if<QVRURLRequest::Value>(&value)) {
    if (!response.isSuccess()) __builtin_trap();
    if (const auto* text = std::get_if<std::string>(read); text && *text != body) __builtin_trap();
  }
  return 0;
}
