// The XML property-list reader on any bytes: it answers a value or a reason and never crashes;
// what it reads, written back by the writer (binary and XML) and read again, is the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzPropertyLists.h"
#include "common/QVRPropertyListReader.h"
#include "common/QVRPropertyListWriter.h"
#include "common/QVRXMLPropertyListReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto read = QVRXMLPropertyListReader::propertyList({data, size});
  FuzzPropertyLists::checkOutcome(read);
  if (!read.value) return 0;
  struct Trip {
    QVRPropertyListWriter::Format format;
    double dateTolerance;
  };
  for (const Trip trip : {Trip{QVRPropertyListWriter::Format::binary, 1e-6},
                          Trip{QVRPropertyListWriter::Format::xml, 1.0}}) {
    const auto written = QVRPropertyListWriter::dataFromPropertyList(*read.value, trip.format);
    if (!written.value) continue;  // dates beyond 2069, UIDs beyond 32 bits: refused
    const auto again = QVRPropertyListReader::propertyList(*written.value);
    if (!again.value || !FuzzPropertyLists::same(*read.value, *again.value, trip.dateTolerance)) {
      std::abort();
    }
  }
  return 0;
}
