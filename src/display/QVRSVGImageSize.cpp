#include "display/QVRSVGImageSize.h"

#include <charconv>
#include <cmath>
#include <string>

#include "common/QVRFileReader.h"
#include "common/QVRXMLDocument.h"

namespace {

constexpr std::size_t fileSizeLimit = std::size_t{1} << 20;

std::string_view trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<double> checked(double width) {
  if (!std::isfinite(width) || width < 0 || width > QVRSVGImageSize::maximumWidth) {
    return std::nullopt;
  }
  return width;
}

// The third of the four numbers of a viewBox ("0 0 24 17"; commas may separate them too).
std::optional<double> viewBoxWidth(std::string_view text) {
  double numbers[4];
  for (double& number : numbers) {
    while (!text.empty() && (text.front() == ' ' || text.front() == ',' || text.front() == '\t' ||
                             text.front() == '\n' || text.front() == '\r')) {
      text.remove_prefix(1);
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc()) return std::nullopt;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  }
  if (!trimmed(text).empty()) return std::nullopt;
  return checked(numbers[2]);
}

}  // namespace

std::optional<double> QVRSVGImageSize::lengthFromText(std::string_view text) {
  text = trimmed(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc()) return std::nullopt;
  const std::string_view unit = text.substr(static_cast<std::size_t>(end - text.data()));
  struct Unit {
    std::string_view name;
    double userUnits;
  };
  constexpr Unit units[] = {{"", 1},    {"px", 1},         {"pt", 96.0 / 72}, {"pc", 96.0 / 6},
                            {"in", 96}, {"cm", 96 / 2.54}, {"mm", 96 / 25.4}};
  for (const Unit& candidate : units) {
    if (candidate.name == unit) return checked(value * candidate.userUnits);
  }
  return std::nullopt;
}

std::optional<double> QVRSVGImageSize::widthFromData(std::span<const std::uint8_t> bytes) {
  if (bytes.size() > fileSizeLimit) return std::nullopt;
  const auto document = QVRXMLDocument::parse(bytes);
  if (!document.value) return std::nullopt;
  const xmlNode* root = document.value->rootElement();
  if (!root || QVRXMLDocument::nameOf(root) != "svg") return std::nullopt;
  if (const auto width = QVRXMLDocument::attribute(root, "width")) return lengthFromText(*width);
  if (const auto viewBox = QVRXMLDocument::attribute(root, "viewBox")) {
    return viewBoxWidth(*viewBox);
  }
  return std::nullopt;
}

std::optional<double> QVRSVGImageSize::widthFromFile(const std::filesystem::path& path) {
  const auto contents = QVRFileReader::contentsOfFile(path, fileSizeLimit);
  if (!contents.value) return std::nullopt;
  return widthFromData(*contents.value);
}
