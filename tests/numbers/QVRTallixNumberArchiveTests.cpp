#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"
#include "numbers/QVRTallixAnyNumber.h"
#include "support/PropertyListTesting.h"
#include "support/TallixTest.h"

namespace {

class QVRTallixNumberArchive : public TallixTest {};

using UID = QVRPropertyList::UID;
using Dictionary = QVRPropertyList::Dictionary;
using Array = QVRPropertyList::Array;

const std::vector<std::string> numberClasses = QVRCoding::classNamesOf<QVRTallixAnyNumber>();

// What an archive decodes to: the number's description, or "none".
std::string decoded(QVRPropertyList archive,
                    const std::vector<std::string>& allowed = numberClasses) {
  QVRKeyedUnarchiver unarchiver = QVRKeyedUnarchiver::withPropertyList(std::move(archive), allowed);
  auto result = unarchiver.decodeRootObjectOfClass<QVRTallixAnyNumber>();
  return result.value ? result.value->description() : "none";
}

QVRPropertyList classRecord(const std::string& name) {
  return Dictionary{{"$classname", name}, {"$classes", Array{name, "NSObject"}}};
}

// A hand-made archive in the platform's shape whose root record holds `key`: `value`, of class
// `className`; `extra` objects follow the class record (from index 3).
QVRPropertyList archive(const std::string& key, QVRPropertyList value,
                        const std::string& className = "QVRTallixNumber", Array extra = {}) {
  Array objects{"$null", Dictionary{{"$class", UID{2}}, {key, std::move(value)}},
                classRecord(className)};
  for (auto& object : extra) objects.push_back(std::move(object));
  return Dictionary{{"$archiver", "NSKeyedArchiver"},
                    {"$version", std::int64_t{100000}},
                    {"$top", Dictionary{{"root", UID{1}}}},
                    {"$objects", std::move(objects)}};
}

TEST_F(QVRTallixNumberArchive, EarlierValueFormsReadAsTheirValue) {
  // clang-format off
  const struct { QVRPropertyList value; const char* expected; } rows[] = {
      {"-0.00000000000000000000000000000000000001", "QVRTallixNumber(-0.00000000000000000000000000000000000001)"},
      {std::numeric_limits<std::int64_t>::min(), "QVRTallixNumber(-9223372036854775808)"},
      {0.5, "QVRTallixNumber(0.5)"},
      {std::numeric_limits<double>::infinity(), "QVRTallixNumber(NaN)"},
  };
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.expected);
    // A text is an object of its own; numbers stand in the record.
    const bool isText = row.value.isString();
    EXPECT_EQ(decoded(archive("decimalNumber", isText ? QVRPropertyList(UID{3}) : row.value,
                              "QVRTallixNumber", isText ? Array{row.value} : Array{})),
              row.expected);
  }
}

// In place: flags, data, dates or numbers; by reference: "$null", each text of the table (from
// index 3), a list, another number, a dictionary, class records and a reference out of range.
TEST_F(QVRTallixNumberArchive, ValuesThatAreNoNumberOfTheirClassRefuseTheArchive) {
  const struct {
    const char* className;
    const char* key;
    Array texts;
    std::vector<QVRPropertyList> inPlace;
  } cases[] = {
      {"QVRTallixNumber",
       "decimalNumber",
       {"abc", "1.2.3", "", "12abc", "--1", "1e999999", std::string(100'000, '9')},
       {true, false, QVRPropertyList::Data{1, 2, 3}, QVRPropertyList::Date{0}}},
      {"QVRTallixEditableNumber",
       "string",
       {"12a", "1|2|3", "1234567890123456", "--1", "1-", "1.5", "٣", " 1", "1e5"},
       {std::int64_t{12}, true, QVRPropertyList::Data{0x31}}},
  };
  for (const auto& c : cases) {
    // After the texts: a list, a number, a dictionary and their class records.
    const std::uint64_t list = 3 + c.texts.size();
    Array extra = c.texts;
    extra.insert(
        extra.end(),
        {Dictionary{{"$class", UID{list + 3}}, {"NS.objects", Array{UID{3}}}},
         Dictionary{{"$class", UID{2}}, {"decimalNumber", UID{3}}},
         Dictionary{{"$class", UID{list + 4}}, {"NS.keys", Array{}}, {"NS.objects", Array{}}},
         classRecord("NSArray"), classRecord("NSDictionary")});
    std::vector<QVRPropertyList> values = c.inPlace;
    for (std::uint64_t index = 0; index < extra.size() + 3; ++index) {
      if (index != 1 && index != 2) values.push_back(UID{index});
    }
    values.push_back(UID{999});
    for (const QVRPropertyList& value : values) {
      SCOPED_TRACE(std::string(c.className) + " " + ::testing::PrintToString(value));
      EXPECT_EQ(decoded(archive(c.key, value, c.className, extra)), "none");
    }
  }
  // A record without its text is an empty number; the plain key is not read.
  EXPECT_EQ(decoded(archive("decimalNumber", "5", "QVRTallixEditableNumber")),
            "QVRTallixEditableNumber()");
}

}  // namespace
