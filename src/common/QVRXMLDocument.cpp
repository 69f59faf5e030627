#include "common/QVRXMLDocument.h"

#include <libxml/parser.h>

#include <climits>

namespace {

constexpr int kParseOptions =
    XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOCDATA;

// A document refuses every entity declaration: nothing it could declare is needed by the
// documents read here, and nothing declared can then expand. libxml2 calls this from C; it
// cannot raise.
void refuseEntityDeclaration(void* context, const xmlChar*, int, const xmlChar*, const xmlChar*,
                             xmlChar*) noexcept {
  auto* parser = static_cast<xmlParserCtxtPtr>(context);
  parser->_private = parser;
  xmlStopParser(parser);
}

struct ParserContextDeleter {
  void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};

struct XMLCharDeleter {
  void operator()(xmlChar* text) const { xmlFree(text); }
};

}  // namespace

QVRResult<std::optional<QVRXMLDocument>> QVRXMLDocument::parse(
    std::span<const std::uint8_t> bytes) {
  const auto malformed = [](std::string reason) -> QVRResult<std::optional<QVRXMLDocument>> {
    return {std::nullopt, QVRArchiveError::malformed(std::move(reason))};
  };
  if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT_MAX)) {
    return malformed("no XML document");
  }
  std::unique_ptr<xmlParserCtxt, ParserContextDeleter> context(xmlNewParserCtxt());
  if (!context || !context->sax) return malformed("no XML parser");
  context->sax->entityDecl = refuseEntityDeclaration;
  context->_private = nullptr;
  QVRXMLDocument document(
      xmlCtxtReadMemory(context.get(), reinterpret_cast<const char*>(bytes.data()),
                        static_cast<int>(bytes.size()), nullptr, nullptr, kParseOptions));
  if (context->_private) return malformed("an XML entity declaration");
  if (!document._document || !context->wellFormed) return malformed("not well-formed XML");
  if (!document.rootElement()) return malformed("XML without an element");
  return {std::move(document), std::nullopt};
}

std::string_view QVRXMLDocument::nameOf(const xmlNode* node) {
  return node->name ? std::string_view(reinterpret_cast<const char*>(node->name)) : "";
}

std::optional<std::string> QVRXMLDocument::attribute(const xmlNode* element, const char* name) {
  std::unique_ptr<xmlChar, XMLCharDeleter> value(
      xmlGetNoNsProp(element, reinterpret_cast<const xmlChar*>(name)));
  if (!value) return std::nullopt;
  return std::string(reinterpret_cast<const char*>(value.get()));
}
