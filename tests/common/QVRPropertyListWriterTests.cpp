#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/QVRPropertyListReader.h"
#include "common/QVRPropertyListWriter.h"
#include "support/PropertyListTesting.h"

namespace {

using Format = QVRPropertyListWriter::Format;

std::optional<QVRPropertyList> roundTrip(const QVRPropertyList& value, Format format) {
  auto data = QVRPropertyListWriter::dataFromPropertyList(value, format);
  if (!data.value) return std::nullopt;
  return QVRPropertyListReader::propertyList(*data.value).value;
}

QVRPropertyList nested(int levels) {
  QVRPropertyList value = "leaf";
  for (int level = 0; level < levels; ++level) value = QVRPropertyList::Array{value};
  return value;
}

}  // namespace

TEST(QVRPropertyListWriter, ValuesTheFormatCannotCarryAreRefusedNotWrittenWrong) {
  // clang-format off
  struct Case { const char* name; QVRPropertyList value; bool binaryRefuses; bool xmlRefuses; };
  const std::vector<Case> cases = {
      {"text with a NUL", std::string("a\0b", 3), true, true},
      {"text that is not UTF-8", "\xC3\x28", true, true},
      {"a control character", "bell\x07", false, true},
      {"U+FFFE", "\xEF\xBF\xBE", false, true},
      {"a date before 1932", QVRPropertyList::Date{-2147483649.0}, true, true},
      {"a date that is not finite", QVRPropertyList::Date{HUGE_VAL}, true, true},
      {"nesting deeper than any model value",
       nested(static_cast<int>(QVRPropertyListWriter::maximumDepth) + 1), true, true},
      {"a UID beyond 32 bits", QVRPropertyList::UID{4294967296}, true, true},
      {"tabs, line feeds and an emoji", "a\tb\nc \xF0\x9F\x98\x80", false, false},
      {"the last writable second", QVRPropertyList::Date{2147483647.0}, false, false},
  };
  // clang-format on
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    for (const Format format : {Format::binary, Format::xml}) {
      const bool refuses = format == Format::binary ? testCase.binaryRefuses : testCase.xmlRefuses;
      const auto data = QVRPropertyListWriter::dataFromPropertyList(testCase.value, format);
      EXPECT_EQ(!data.value, refuses) << (format == Format::binary ? "binary" : "XML");
      if (data.value) {
        // What is written reads back the same.
        EXPECT_EQ(QVRPropertyListReader::propertyList(*data.value).value, testCase.value);
      } else {
        ASSERT_TRUE(data.error);
        EXPECT_EQ(data.error->domain(), QVRPropertyListWriter::errorDomain);
      }
    }
  }
}

TEST(QVRPropertyListWriter, EdgeValuesSurviveTheirFormat) {
  // XML readers turn a raw carriage return into a line feed; the writer keeps it.
  EXPECT_EQ(roundTrip("a\r\nb\rc", Format::xml), QVRPropertyList("a\r\nb\rc"));
  for (const Format format : {Format::binary, Format::xml}) {
    SCOPED_TRACE(format == Format::binary ? "binary" : "XML");
    // (Integers and UIDs of every size are the binary writer's random round trip.)
    for (const QVRPropertyList& value : {QVRPropertyList(-HUGE_VAL), QVRPropertyList(5e-324)}) {
      EXPECT_EQ(roundTrip(value, format), value);
    }
    // A value equals itself, not-a-number included: replacing a value by its copy is no change.
    const auto notANumber = roundTrip(std::nan(""), format);
    ASSERT_TRUE(notANumber && notANumber->real());
    EXPECT_TRUE(std::isnan(*notANumber->real()));
    EXPECT_EQ(notANumber, notANumber);
    EXPECT_NE(*notANumber, QVRPropertyList(0.0));
    EXPECT_EQ(QVRPropertyList(QVRPropertyList::Array{std::nan("")}),
              QVRPropertyList(QVRPropertyList::Array{-std::nan("")}));
  }
  // Binary dates keep microseconds, before the reference date too.
  EXPECT_EQ(roundTrip(QVRPropertyList::Date{-4.75}, Format::binary),
            QVRPropertyList(QVRPropertyList::Date{-4.75}));
}
