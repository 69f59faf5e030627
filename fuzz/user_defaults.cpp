// The user defaults file reader on any bytes: a dictionary or a reason, never a crash; a
// dictionary it reads is written as the defaults file is (XML) and reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzPropertyLists.h"
#include "common/QVRFileUserDefaults.h"
#include "common/QVRPropertyListReader.h"
#include "common/QVRPropertyListWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto read = QVRFileUserDefaults::dictionaryFromData({data, size});
  FuzzPropertyLists::checkOutcome(read);
  if (!read.value) return 0;
  const QVRPropertyList values(std::move(*read.value));
  const auto written =
      QVRPropertyListWriter::dataFromPropertyList(values, QVRPropertyListWriter::Format::xml);
  if (!written.value) return 0;
  const auto again = QVRFileUserDefaults::dictionaryFromData(*written.value);
  if (!again.value || !FuzzPropertyLists::same(values, QVRPropertyList(*again.value), 1.0)) {
    std::abort();
  }
  return 0;
}
