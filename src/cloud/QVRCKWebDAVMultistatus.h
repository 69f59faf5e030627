#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The answer to a PROPFIND (a DAV: multistatus body), read from any server's bytes with
// libxml2 without network access, entity declarations or more nesting than libxml2's limit.
// Only the properties that the WebDAV store uses are kept.
class QVRCKWebDAVMultistatus {
 public:
  struct Response {
    // The href's path, percent-decoded ("/dav/Tallix/Tallix.tape.record"); a full URL's scheme
    // and host are dropped.
    std::string path;
    // The last segment of the path (a collection's trailing slash ignored).
    std::string fileName;
    std::optional<std::string> etag;
    std::optional<std::chrono::system_clock::time_point> lastModified;
    bool isCollection = false;
  };

  // Larger bodies are refused.
  static constexpr std::size_t maximumBodySize = std::size_t{8} << 20;

  // The responses in document order; none when the body is no multistatus. Properties of a
  // propstat whose status is not 200 are left out.
  static std::optional<std::vector<Response>> responses(std::string_view body);
  // A percent-encoded path decoded; none for a bad escape or an encoded NUL or slash.
  static std::optional<std::string> percentDecoded(std::string_view text);
};
