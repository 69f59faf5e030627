#include "cloud/QVRCKWebDAVMultistatus.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <climits>
#include <memory>

#include "cloud/QVRCKWebDAVHeaders.h"

namespace {

constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING |
                              XML_PARSE_NOCDATA | XML_PARSE_NOBLANKS;

struct ParserContextDeleter {
  void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};
struct DocumentDeleter {
  void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
};

// An entity could expand without bound: the body is refused.
void refuseEntityDeclaration(void* context, const xmlChar*, int, const xmlChar*, const xmlChar*,
                             xmlChar*) noexcept {
  auto* parser = static_cast<xmlParserCtxtPtr>(context);
  parser->_private = parser;
  xmlStopParser(parser);
}

// Whether `node` is the DAV: element `name`.
bool isDAV(const xmlNode* node, std::string_view name) {
  if (!node || node->type != XML_ELEMENT_NODE || !node->name || !node->ns || !node->ns->href) {
    return false;
  }
  return std::string_view(reinterpret_cast<const char*>(node->ns->href)) == "DAV:" &&
         std::string_view(reinterpret_cast<const char*>(node->name)) == name;
}

const xmlNode* child(const xmlNode* node, std::string_view name) {
  for (const xmlNode* each = node ? node->children : nullptr; each; each = each->next) {
    if (isDAV(each, name)) return each;
  }
  return nullptr;
}

// The text inside an element (its text and CDATA children), blanks around it removed.
std::string textOf(const xmlNode* node) {
  std::string text;
  for (const xmlNode* each = node ? node->children : nullptr; each; each = each->next) {
    if ((each->type == XML_TEXT_NODE || each->type == XML_CDATA_SECTION_NODE) && each->content) {
      text += reinterpret_cast<const char*>(each->content);
    }
  }
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// "HTTP/1.1 200 OK" has the status 200.
bool isSuccessStatus(const std::string& status) {
  const auto blank = status.find(' ');
  return blank != std::string::npos && status.compare(blank + 1, 3, "200") == 0;
}

int hexValue(char character) {
  if (character >= '0' && character <= '9') return character - '0';
  if (character >= 'a' && character <= 'f') return character - 'a' + 10;
  if (character >= 'A' && character <= 'F') return character - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::string> QVRCKWebDAVMultistatus::percentDecoded(std::string_view text) {
  std::string decoded;
  decoded.reserve(text.size());
  for (std::size_t index = 0; index < text.size(); ++index) {
    if (text[index] != '%') {
      decoded += text[index];
      continue;
    }
    if (text.size() - index < 3) return std::nullopt;
    const int high = hexValue(text[index + 1]);
    const int low = hexValue(text[index + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    const char byte = static_cast<char>(high * 16 + low);
    if (byte == '\0' || byte == '/') return std::nullopt;
    decoded += byte;
    index += 2;
  }
  return decoded;
}

std::optional<std::vector<QVRCKWebDAVMultistatus::Response>> QVRCKWebDAVMultistatus::responses(
    std::string_view body) {
  if (body.empty() || body.size() > maximumBodySize || body.size() > INT_MAX) return std::nullopt;
  std::unique_ptr<xmlParserCtxt, ParserContextDeleter> context(xmlNewParserCtxt());
  if (!context || !context->sax) return std::nullopt;
  context->sax->entityDecl = refuseEntityDeclaration;
  context->_private = nullptr;
  std::unique_ptr<xmlDoc, DocumentDeleter> document(xmlCtxtReadMemory(
      context.get(), body.data(), static_cast<int>(body.size()), nullptr, nullptr, kParseOptions));
  if (context->_private || !document || !context->wellFormed) return std::nullopt;
  const xmlNode* root = xmlDocGetRootElement(document.get());
  if (!isDAV(root, "multistatus")) return std::nullopt;

  std::vector<Response> responses;
  for (const xmlNode* node = root->children; node; node = node->next) {
    if (!isDAV(node, "response")) continue;
    std::string href = textOf(child(node, "href"));
    // A full URL: only its path counts.
    if (const auto scheme = href.find("://"); scheme != std::string::npos) {
      const auto path = href.find('/', scheme + 3);
      href = path == std::string::npos ? "/" : href.substr(path);
    }
    if (const auto query = href.find_first_of("?#"); query != std::string::npos) href.resize(query);
    auto path = percentDecoded(href);
    if (!path || path->empty()) continue;
    Response response;
    response.path = std::move(*path);
    std::string_view name = response.path;
    if (name.size() > 1 && name.back() == '/') name.remove_suffix(1);
    response.fileName = std::string(name.substr(name.rfind('/') + 1));
    for (const xmlNode* propstat = node->children; propstat; propstat = propstat->next) {
      if (!isDAV(propstat, "propstat") || !isSuccessStatus(textOf(child(propstat, "status")))) {
        continue;
      }
      const xmlNode* prop = child(propstat, "prop");
      if (const xmlNode* etag = child(prop, "getetag")) response.etag = textOf(etag);
      if (const xmlNode* modified = child(prop, "getlastmodified")) {
        response.lastModified = QVRCKWebDAVHeaders::httpDate(textOf(modified));
      }
      if (const xmlNode* type = child(prop, "resourcetype")) {
        response.isCollection = child(type, "collection") != nullptr;
      }
    }
    responses.push_back(std::move(response));
  }
  return responses;
}
