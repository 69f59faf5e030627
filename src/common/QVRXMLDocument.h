#pragma once

#include <libxml/tree.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/QVRResult.h"

// An XML document read with libxml2 from bytes that come from outside the process (property
// lists, downloaded exchange rates): no network, no external DTD, no entity declarations (a
// document that declares one is refused, so nothing can expand), libxml2's own limits on depth
// and size, and no messages on standard error. Never raises.
class QVRXMLDocument {
 public:
  // The document, or why there is none.
  static QVRResult<std::optional<QVRXMLDocument>> parse(std::span<const std::uint8_t> bytes);

  // The root element; never none for a parsed document.
  const xmlNode* rootElement() const { return xmlDocGetRootElement(_document.get()); }

  // The element's name without its namespace prefix ("Cube" for <e:Cube>).
  static std::string_view nameOf(const xmlNode* node);
  // The value of the attribute `name` (in no namespace), or none.
  static std::optional<std::string> attribute(const xmlNode* element, const char* name);

 private:
  struct DocumentDeleter {
    void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
  };
  explicit QVRXMLDocument(xmlDoc* document) : _document(document) {}

  std::unique_ptr<xmlDoc, DocumentDeleter> _document;
};
