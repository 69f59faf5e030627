// The binary property-list reader on any bytes: it answers a value or a reason and never
// crashes; a value it reads and the writer can write reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzPropertyLists.h"
#include "common/QVRBinaryPropertyListReader.h"
#include "common/QVRPropertyListWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto read = QVRBinaryPropertyListReader::propertyList({data, size});
  FuzzPropertyLists::checkOutcome(read);
  if (!read.value) return 0;
  const auto written = QVRPropertyListWriter::dataFromPropertyList(
      *read.value, QVRPropertyListWriter::Format::binary);
  if (!written.value) return 0;  // text with NUL, dates beyond 2069, …: refused, not written
  const auto again = QVRBinaryPropertyListReader::propertyList(*written.value);
  if (!again.value || !FuzzPropertyLists::same(*read.value, *again.value, 1e-6)) std::abort();
  return 0;
}
