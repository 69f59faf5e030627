// Any bytes as a document's "contents" file: the document is made without crashing; bytes that
// are no readable archive are logged and kept aside under another name, never overwritten, and
// the document starts empty; whatever it read saves and reads back the same.
#include <cstddef>
#include <cstdint>

#include "FuzzCloudDocument.h"

using namespace FuzzCloudDocument;
using namespace std::chrono_literals;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto directory = freshDirectory();
  put(directory / "contents", data, size);
  auto document = makeDocument();
  if (log().countContaining("Decoding record for QVRCKDocument " + directory.string()) != 0) {
    const auto aside = asideFile(directory, "contents");
    require(!document->contents() && !std::filesystem::exists(directory / "contents"));
    require(bytesOf(aside) == QVRPropertyList::Data(data, data + size));
  }
  auto items = document->items();
  items.emplace_back("fuzz");
  document->setItems(items);
  runLoop().advanceBy(10s);
  // Texts that are no UTF-8 cannot be written; that failure is logged and the file left alone.
  if (log().countContaining("Saving contents to") == 0) {
    require(makeDocument()->items() == items);
  }
  return 0;
}
