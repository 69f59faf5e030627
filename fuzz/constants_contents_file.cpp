// Any bytes as the custom constants' "contents" file: the document is made without crashing;
// bytes that are no readable archive are logged and kept aside, and the list starts empty;
// whatever list was read takes a new constant, saves, and reads back the same, titles and
// values included.
#include <cstddef>
#include <cstdint>

#include "FuzzCloudDocument.h"
#include "constants/QVRTallixConstantNumbersDocument.h"

using namespace FuzzCloudDocument;
using namespace std::chrono_literals;
using tallix::detail::QVRTallixConstantNumbersDocument;

namespace {

std::unique_ptr<QVRTallixConstantNumbersDocument> makeConstantsDocument() {
  auto storage = QVRCKDocument::Storage::standard();
  storage.systemCalls.fsync = [](int) { return 0; };
  return std::make_unique<QVRTallixConstantNumbersDocument>("Fuzz.doc", nullptr,
                                                            std::move(storage));
}

std::string described(const QVRTallixCustomConstantNumber::List& constants) {
  std::string text;
  for (const auto& constant : constants) text += constant->description() + "\n";
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto directory = freshDirectory();
  put(directory / "contents", data, size);
  auto document = makeConstantsDocument();
  if (log().countContaining("Decoding record for QVRCKDocument " + directory.string()) != 0) {
    require(document->constants().empty() && !std::filesystem::exists(directory / "contents"));
    require(bytesOf(asideFile(directory, "contents")) == QVRPropertyList::Data(data, data + size));
  }
  document->addConstant(std::make_shared<QVRTallixCustomConstantNumber>(
      "fuzz", QVRTallixNumber(QVRTallixDecimal(7))));
  const auto constants = document->constants();
  runLoop().advanceBy(10s);
  // Texts that are no UTF-8 cannot be written; that failure is logged and the file left alone.
  if (log().countContaining("Saving contents to") == 0) {
    require(described(makeConstantsDocument()->constants()) == described(constants));
  }
  return 0;
}
