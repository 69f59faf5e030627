#include <string>

#include "common/QVRException.h"
#include "common/QVRXMLDocument.h"
#include "common/QVRXMLPropertyListReader.h"
#include "numbers/QVRTallixDecimal.h"
#include "units/QVRTallixConversionRates.h"
#include "units/QVRTallixDataLocale.h"

namespace {

QVRException unreadable(std::string reason) {
  return QVRException::invalidArgument("European Central Bank rates: " + std::move(reason));
}

bool isCube(const xmlNode* node) {
  return node->type == XML_ELEMENT_NODE && QVRXMLDocument::nameOf(node) == "Cube";
}

// The first <Cube> with a "time" attribute, in document order. Walks the tree without
// recursion, so that no nesting can exhaust the stack.
const xmlNode* datedCube(const xmlNode* root) {
  const xmlNode* node = root;
  while (node) {
    if (isCube(node) && QVRXMLDocument::attribute(node, "time")) return node;
    if (node->children) {
      node = node->children;
      continue;
    }
    while (node && node != root && !node->next) node = node->parent;
    if (!node || node == root) return nullptr;
    node = node->next;
  }
  return nullptr;
}

// The value of one euro in the currency as the value of one unit of the currency in euros:
// its reciprocal to the decimal's precision. None for a figure that is no positive number.
std::optional<std::string> reciprocal(const std::optional<std::string>& figure) {
  if (!figure) return std::nullopt;
  const auto value = QVRTallixDecimal::fromString(*figure, gQVRTallixDataDecimalSeparator, true);
  if (!value || value->isZero() || value->isNegative()) return std::nullopt;
  const auto quotient = QVRTallixDecimal::divide(QVRTallixDecimal::one(), *value);
  if (!quotient.ok() || quotient.value.isZero()) return std::nullopt;
  return quotient.value.description();
}

}  // namespace

QVRTallixConversionRates QVRTallixConversionRates::fromECBXML(std::string_view xml) {
  if (xml.size() > maximumSize) throw unreadable("more than a megabyte");
  const auto document = QVRXMLDocument::parse(
      std::span(reinterpret_cast<const std::uint8_t*>(xml.data()), xml.size()));
  if (!document.value) {
    throw unreadable(document.error ? document.error->description() : "no XML document");
  }
  const xmlNode* day = datedCube(document.value->rootElement());
  if (!day) throw unreadable("no <Cube time=\"…\">");
  const auto date = QVRXMLPropertyListReader::secondsSinceReferenceDate(
      QVRXMLDocument::attribute(day, "time").value_or("") + "T00:00:00Z");
  const auto publicationTime = date ? dateFromSecondsSinceReferenceDate(*date) : std::nullopt;
  if (!publicationTime) throw unreadable("a time that is no date from 1970 to 2068");

  Table rates;
  for (const xmlNode* cube = day->children; cube; cube = cube->next) {
    if (!isCube(cube)) continue;
    auto code = QVRXMLDocument::attribute(cube, "currency");
    const auto rate = reciprocal(QVRXMLDocument::attribute(cube, "rate"));
    if (!code || !isCurrencyCode(*code) || !rate) continue;
    rates.insert_or_assign(std::move(*code), *rate);
  }
  if (rates.empty()) throw unreadable("no rate");
  rates.insert_or_assign(std::string(ecbReferenceCurrency), "1");
  return QVRTallixConversionRates(*publicationTime, std::move(rates));
}
