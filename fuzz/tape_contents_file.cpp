// Any bytes as the tape's "contents" file: the tape is made without crashing; bytes that are no
// readable tape are logged and kept aside, never overwritten, and the tape starts empty; whatever
// it read, with one calculation more, saves and reads back with the same identities and
// favorites.
#include <cstddef>
#include <cstdint>

#include "FuzzCloudDocument.h"
#include "expression/QVRTallixExpression.h"
#include "tape/QVRTallixTape.h"

using namespace FuzzCloudDocument;
using namespace std::chrono_literals;

namespace {

std::unique_ptr<QVRTallixTape> makeTape() {
  auto storage = QVRCKDocument::Storage::standard();
  storage.systemCalls.fsync = [](int) { return 0; };
  return std::make_unique<QVRTallixTape>("Tallix.tape", nullptr, std::move(storage));
}

std::vector<std::string> uuidsOf(const QVRTallixTape::ExpressionList& list) {
  std::vector<std::string> uuids;
  for (const auto& expression : list) uuids.push_back(expression->uuid());
  return uuids;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto directory = environment().documentsDirectory() / "Tallix.tape";
  std::filesystem::remove_all(directory);
  std::filesystem::create_directories(directory);
  log().clear();
  put(directory / "contents", data, size);
  auto tape = makeTape();
  if (log().countContaining("Decoding record for QVRCKDocument " + directory.string()) != 0) {
    require(tape->expressionCount() == 0 && !std::filesystem::exists(directory / "contents"));
    require(bytesOf(asideFile(directory, "contents")) == QVRPropertyList::Data(data, data + size));
  }
  QVRTallixExpression expression;
  expression.addDigit(1);
  expression.addOperation(QVRTallixOperationAdd);
  expression.addDigit(2);
  require(tape->addExpression(expression.snapshot()));
  const auto expressions = uuidsOf(tape->expressions());
  const auto favorites = uuidsOf(tape->favorites());
  runLoop().advanceBy(10s);
  if (log().countContaining("Saving contents to") == 0) {
    auto reread = makeTape();
    require(uuidsOf(reread->expressions()) == expressions);
    require(uuidsOf(reread->favorites()) == favorites);
  }
  return 0;
}
