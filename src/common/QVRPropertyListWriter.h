#pragma once

#include <optional>
#include <string_view>

#include "common/QVRError.h"
#include "common/QVRPropertyList.h"
#include "common/QVRResult.h"

// Writes property lists: XML with libplist (which is never given outside bytes to read), binary
// with QVRBinaryPropertyListWriter, whose time grows with the size alone. Values that the formats
// cannot carry are refused rather than written wrong: text that is not UTF-8 or holds a NUL, in XML
// text with control characters that XML forbids, dates beyond late 1932 to early 2069 (libplist 2.2
// keeps whole seconds in 32 bits), UIDs beyond 32 bits, and nesting deeper than any model value.
class QVRPropertyListWriter {
 public:
  QVRPropertyListWriter() = delete;

  enum class Format { binary, xml };

  static constexpr std::string_view errorDomain = "QVRPropertyListWriterErrorDomain";
  static constexpr std::size_t maximumDepth = 256;

  static QVRResult<std::optional<QVRPropertyList::Data>, QVRError> dataFromPropertyList(
      const QVRPropertyList& propertyList, Format format);
};
