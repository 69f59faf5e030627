#include "units/QVRTallixConversionRatesCache.h"

#include "common/QVRException.h"
#include "common/QVRFileReader.h"
#include "common/QVRFileWriter.h"
#include "common/QVRPropertyListReader.h"
#include "common/QVRPropertyListWriter.h"

namespace {

using Clock = QVRTallixConversionRatesCache::Clock;

QVRException unreadable(std::string reason) {
  return QVRException::invalidArgument("conversion rates cache: " + std::move(reason));
}

std::optional<Clock::time_point> dateValue(const QVRPropertyList::Dictionary& dictionary,
                                           std::string_view key) {
  const auto found = dictionary.find(key);
  if (found == dictionary.end() || !found->second.date()) return std::nullopt;
  return QVRTallixConversionRates::dateFromSecondsSinceReferenceDate(
      found->second.date()->secondsSinceReferenceDate);
}

QVRPropertyList dateProperty(Clock::time_point time) {
  return QVRPropertyList(
      QVRPropertyList::Date{QVRTallixConversionRates::secondsSinceReferenceDate(time)});
}

}  // namespace

QVRTallixConversionRatesCache::Contents QVRTallixConversionRatesCache::contentsOfFile(
    const std::filesystem::path& path) {
  const auto bytes = QVRFileReader::contentsOfFile(path, maximumSize);
  if (!bytes.value) {
    if (!bytes.error || QVRFileReader::isMissing(*bytes.error)) return {};
    throw unreadable(bytes.error->description());
  }
  return contentsOfData(*bytes.value);
}

QVRTallixConversionRatesCache::Contents QVRTallixConversionRatesCache::contentsOfData(
    std::span<const std::uint8_t> bytes) {
  const auto read = QVRPropertyListReader::propertyList(bytes);
  if (!read.value) throw unreadable(read.error ? read.error->description() : "no property list");
  const QVRPropertyList::Dictionary* dictionary = read.value->dictionary();
  if (!dictionary) throw unreadable("no dictionary");
  Contents contents;
  contents.lastFetchDate = dateValue(*dictionary, lastFetchDateKey);
  contents.lastUpdateDate = dateValue(*dictionary, lastUpdateDateKey);
  const auto rates = dictionary->find(conversionRatesKey);
  if (rates != dictionary->end() && rates->second.dictionary()) {
    Table& table = contents.conversionRates.emplace();
    for (const auto& [code, rate] : *rates->second.dictionary()) {
      if (rate.string() && QVRTallixConversionRates::isCurrencyCode(code) &&
          QVRTallixConversionRates::isCurrencyCode(*rate.string())) {
        table.emplace(code, *rate.string());
      }
    }
  }
  return contents;
}

QVRPropertyList QVRTallixConversionRatesCache::propertyList(const Contents& contents) {
  QVRPropertyList::Dictionary dictionary;
  if (contents.lastFetchDate) {
    dictionary.emplace(lastFetchDateKey, dateProperty(*contents.lastFetchDate));
  }
  if (contents.lastUpdateDate) {
    dictionary.emplace(lastUpdateDateKey, dateProperty(*contents.lastUpdateDate));
  }
  if (contents.conversionRates) {
    QVRPropertyList::Dictionary rates;
    for (const auto& [code, rate] : *contents.conversionRates) rates.emplace(code, rate);
    dictionary.emplace(conversionRatesKey, std::move(rates));
  }
  return QVRPropertyList(std::move(dictionary));
}

std::optional<QVRError> QVRTallixConversionRatesCache::writeContents(
    const std::filesystem::path& path, const Contents& contents) {
  const auto data = QVRPropertyListWriter::dataFromPropertyList(propertyList(contents),
                                                                QVRPropertyListWriter::Format::xml);
  if (!data.value)
    return data.error.value_or(QVRError(std::string(QVRPropertyListWriter::errorDomain), 0));
  return QVRFileWriter::writeAtomically(path, *data.value);
}
