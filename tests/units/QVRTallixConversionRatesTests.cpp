#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/QVRBundle.h"
#include "common/QVRException.h"
#include "common/QVRFileWriter.h"
#include "units/QVRTallixConversionRates.h"
#include "units/QVRTallixConversionRatesCache.h"
#include "units/QVRTallixCurrencyUnit.h"
#include "units/QVRTallixCurrencyUnitCategory.h"
#include "units/UnitFixtures.h"

namespace {

using namespace UnitFixtures;
using Table = QVRTallixConversionRates::Table;
using Clock = QVRTallixConversionRates::Clock;

Clock::time_point secondsSince1970(std::int64_t seconds) {
  return Clock::time_point(std::chrono::seconds(seconds));
}
constexpr std::int64_t k30October2026 = 1793318400;

class QVRTallixConversionRatesTests : public TallixTest {
 protected:
  QVRTallixUnitCategory& currencies() { return *QVRTallixUnitCategory::categoryNamed("Currency"); }
  const QVRTallixUnit& currency(const std::string& code) {
    std::string name = code;
    for (char& character : name) character = static_cast<char>(std::tolower(character));
    return *currencies().unitNamed(name);
  }
};

TEST_F(QVRTallixConversionRatesTests, RatesTextKeepsExactlyTheTwoPartLines) {
  struct Case {
    const char* text;
    std::int64_t publication;
    Table rates;  // empty: refused
  } cases[] = {
      {"1793318400\nUSD 0.895\nJPY 0.00569\n",
       k30October2026,
       {{"JPY", "0.00569"}, {"USD", "0.895"}}},
      // Two spaces, a third part, an empty line and a lone word are skipped; the last line of a
      // code wins; "\r\n" line ends are taken.
      {"1793318400\r\nUSD  0.9\nGBP 1.1 x\n\nCHF\nUSD 0.8\r\nUSD 0.895\n",
       k30October2026,
       {{"USD", "0.895"}}},
      // A first line that is no number reads as 0; what follows a number is ignored.
      {"soon\nUSD 1.5", 0, {{"USD", "1.5"}}},
      {"  1793318400.75 UTC\nUSD 1.5", k30October2026, {{"USD", "1.5"}}},
      // Rates that are no decimal text and codes that could not key the cache are skipped.
      {"1\nUSD 1,5\nEUR 1e999\nGBP abc\nCHF 0.9\n\x01X 2\n JPY\nNOK \v1.5\nSEK\xEF\xBF\xBF 1\n",
       1,
       {{"CHF", "0.9"}}},
      // Refused: no rate line, a time outside what the cache can hold, not UTF-8, nothing.
      {"1793318400\nUSD\nEUR 1 2\n", 0, {}},
      {"-1\nUSD 1", 0, {}},
      {"1\nUSD \xff", 0, {}},
      {"", 0, {}},
  };
  for (const Case& item : cases) {
    SCOPED_TRACE(item.text);
    if (item.rates.empty()) {
      EXPECT_THROW(QVRTallixConversionRates::fromDownload(item.text), QVRException);
      continue;
    }
    const auto rates = QVRTallixConversionRates::fromDownload(item.text);
    EXPECT_EQ(rates.rates(), item.rates);
    EXPECT_EQ(std::chrono::floor<std::chrono::seconds>(rates.publicationTime()),
              secondsSince1970(item.publication));
  }
}

TEST_F(QVRTallixConversionRatesTests, ECBDocumentsGiveReciprocalsAndRefuseWhatTheyCannotUse) {
  const std::string head =
      "<?xml version='1.0'?><gesmes:Envelope xmlns:gesmes='http://www.gesmes.org/xml/2002-08-01' "
      "xmlns='http://www.ecb.int/vocabulary/2002-08-01/eurofxref'><Cube>";
  const std::string tail = "</Cube></gesmes:Envelope>";
  const auto rates = QVRTallixConversionRates::fromDownload(
      "\xEF\xBB\xBF" + head +
      "<Cube time='2026-10-30'><Cube currency='USD' rate='1.25'/><Cube currency='XXX' rate='0'/>"
      "<Cube currency='YYY' rate='-2'/><Cube currency='ZZZ' rate='abc'/><Cube rate='2'/>"
      "<Cube currency='JPY' rate='3'/></Cube>" +
      tail);
  EXPECT_EQ(
      rates.rates(),
      (Table{{"EUR", "1"}, {"JPY", "0.333333333333333333333333333333333333333"}, {"USD", "0.8"}}));
  EXPECT_EQ(rates.publicationTime(), secondsSince1970(k30October2026));

  const std::string refused[] = {
      head + "<Cube><Cube currency='USD' rate='1.1'/></Cube>" + tail,                  // no date
      head + "<Cube time='2026-02-30'><Cube currency='USD' rate='1'/></Cube>" + tail,  // bad date
      head + "<Cube time='2026-10-30'><Cube currency='USD' rate='0'/></Cube>" + tail,  // no rate
      head + "<Cube time='2026-10-30'><Cube currency='USD' rate='1'/></Cube>",         // truncated
      "<?xml version='1.0'?><!DOCTYPE r [<!ENTITY a 'aaaaaaaaaa'><!ENTITY b '&a;&a;&a;&a;'>]>"
      "<Cube time='2026-10-30'><Cube currency='USD' rate='&b;'/></Cube>",
      "<?xml version='1.0'?><!DOCTYPE r SYSTEM 'file:///etc/passwd'><Cube time='2026-10-30'>"
      "<Cube currency='USD' rate='1'/></Cube>x",
      std::string(100000, '<'),
  };
  for (const std::string& text : refused) {
    SCOPED_TRACE(text.substr(0, 120));
    EXPECT_THROW(QVRTallixConversionRates::fromDownload(text), QVRException);
  }
  // Deep nesting is no danger: the date is searched without recursion.
  std::string deep;
  for (int depth = 0; depth < 200; ++depth) deep += "<a>";
  deep += "<Cube time='2026-10-30'><Cube currency='USD' rate='2'/></Cube>";
  for (int depth = 0; depth < 200; ++depth) deep += "</a>";
  EXPECT_EQ(QVRTallixConversionRates::fromDownload(deep).rates().at("USD"), "0.5");
}

// The bundled snapshot against the bank's CSV file of the same day, with long double as the
// oracle: 100 units to euros and back, and the cross rate of every pair through the euro.
TEST_F(QVRTallixConversionRatesTests, SnapshotConversionsAgreeWithTheECBFile) {
  EXPECT_EQ(QVRTallixCurrencyUnitCategory::currencyUpdateDate(), secondsSince1970(k30October2026));
  EXPECT_FALSE(QVRTallixCurrencyUnitCategory::lastFetchDate());
  std::ifstream csv(std::string(TALLIX_TEST_SOURCE_DIR) + "/../../shared/data/ecb/eurofxref.csv");
  ASSERT_TRUE(csv) << "../shared/data/ecb/eurofxref.csv";
  std::string header, values;
  std::getline(csv, header);
  std::getline(csv, values);
  std::vector<std::pair<std::string, long double>> figures;
  std::istringstream codes(header), numbers(values);
  std::string code, figure;
  std::getline(codes, code, ',');
  std::getline(numbers, figure, ',');
  while (std::getline(codes, code, ',') && std::getline(numbers, figure, ',')) {
    code.erase(0, code.find_first_not_of(' '));
    if (code.empty()) continue;
    figures.emplace_back(code, std::stold(figure));
  }
  ASSERT_EQ(figures.size(), 29u);
  EXPECT_EQ(QVRTallixCurrencyUnitCategory::conversionRates().size(), 30u);
  const QVRTallixUnit& euro = currency("EUR");
  const QVRTallixNumber hundred = number("100");
  for (const auto& [from, fromFigure] : figures) {
    SCOPED_TRACE(from);
    const QVRTallixUnit& unit = currency(from);
    const auto inEuros = QVRTallixUnit::convertNumber(&hundred, &unit, &euro);
    EXPECT_NEAR(static_cast<long double>(inEuros->doubleValue()), 100 / fromFigure,
                1e-12L * (100 / fromFigure));
    const auto back = QVRTallixUnit::convertNumber(&*inEuros, &euro, &unit);
    EXPECT_NEAR(back->doubleValue(), 100, 1e-25);
    for (const auto& [to, toFigure] : figures) {
      const auto cross = QVRTallixUnit::convertNumber(&hundred, &unit, &currency(to));
      const long double expected = 100 * toFigure / fromFigure;
      EXPECT_NEAR(static_cast<long double>(cross->doubleValue()), expected, 1e-12L * expected)
          << " to " << to;
    }
  }
  // USD → JPY to the digits the rates allow: 100 × 175.68 / 1.1172 = 15725.0268528...
  const auto yen = QVRTallixUnit::convertNumber(&hundred, &currency("USD"), &currency("JPY"));
  EXPECT_EQ(yen->decimalNumber()->description().substr(0, 16), "15725.0268528464");
  EXPECT_TRUE(log().lines().empty());
}

TEST_F(QVRTallixConversionRatesTests, CurrencyUnitsConvertByTheirRateInEveryLocale) {
  QVRTallixCurrencyUnitCategory::initialize();
  QVRTallixCurrencyRates::current().conversionRates =
      Table{{"USD", "1.5"}, {"EUR", "1"}, {"GBP", "0"}, {"CHF", "12abc"}};
  for (const char* locale : {"en_US", "de_DE", "fr_CH"}) {
    SCOPED_TRACE(locale);
    environment().setLocaleIdentifier(locale);
    const QVRTallixUnit& dollar = currency("USD");
    EXPECT_EQ(dollar.convertToBaseUnit(number("2")).decimalNumber(), decimal("3"));
    EXPECT_EQ(dollar.convertFromBaseUnit(number("3")).decimalNumber(), decimal("2"));
  }
  // A rate whose text starts with a number uses that number.
  EXPECT_EQ(currency("CHF").convertToBaseUnit(number("2")).decimalNumber(), decimal("24"));
  // Without a rate: zero to the reference, not-a-number from it (the rates command's test has
  // its refusal, and the currency sign of converted amounts).
  const QVRTallixUnit& yen = currency("JPY");
  EXPECT_EQ(yen.convertToBaseUnit(number("2")).decimalNumber(), QVRTallixDecimal::zero());
  EXPECT_TRUE(yen.convertFromBaseUnit(number("2")).decimalNumber()->isNaN());
  // A rate of zero: zero converts to zero; anything else raises, which the conversion turns into
  // zero with a log line.
  const QVRTallixUnit& pound = currency("GBP");
  EXPECT_EQ(pound.convertFromBaseUnit(number("0")).decimalNumber(), QVRTallixDecimal::zero());
  const QVRTallixNumber two = number("2");
  EXPECT_EQ(QVRTallixUnit::convertNumber(&two, &currency("EUR"), &pound)->decimalNumber(),
            QVRTallixDecimal::zero());
  EXPECT_EQ(log().countContaining("converting"), 1u);
}

TEST_F(QVRTallixConversionRatesTests, CacheFilesRoundTripAndHostileOnesAreRefused) {
  using Cache = QVRTallixConversionRatesCache;
  const std::filesystem::path path = QVRTallixCurrencyUnitCategory::conversionRatesPath();
  EXPECT_EQ(path.filename(), "conversionRates.plist");
  const Cache::Contents written{secondsSince1970(1793400000), secondsSince1970(k30October2026),
                                Table{{"USD", "0.895"}, {"Ünï €", "1"}}};
  ASSERT_FALSE(Cache::writeContents(path, written));
  // The keys of the earlier program, typo included (the round trip through a start-up is in the
  // rates command's test).
  std::ifstream file(path);
  const std::string text((std::istreambuf_iterator<char>(file)), {});
  EXPECT_NE(text.find("<key>lastFecthDate</key>"), std::string::npos);
  EXPECT_NE(text.find("<key>lastUpdateDate</key>"), std::string::npos);
  EXPECT_EQ(QVRTallixCurrencyUnitCategory::conversionRates(), written.conversionRates);
  EXPECT_FALSE(currency("JPY").isValid());

  const auto bytes = [](std::string_view body) {
    return std::vector<std::uint8_t>(body.begin(), body.end());
  };
  // Entries of the wrong kind count as missing.
  const auto odd = Cache::contentsOfData(
      bytes("<plist><dict><key>lastFecthDate</key><string>x</string><key>lastUpdateDate</key>"
            "<date>1900-01-01T00:00:00Z</date><key>conversionRates</key><dict><key>USD</key>"
            "<integer>1</integer><key>EUR</key><string>1</string></dict></dict></plist>"));
  EXPECT_FALSE(odd.lastFetchDate || odd.lastUpdateDate);
  EXPECT_EQ(odd.conversionRates, (Table{{"EUR", "1"}}));
  for (const char* hostile : {"", "<plist><array/></plist>", "bplist00\xff\xff", "<plist><dict>"}) {
    EXPECT_THROW(Cache::contentsOfData(bytes(hostile)), QVRException) << hostile;
  }
}

}  // namespace
