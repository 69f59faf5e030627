// Any bytes as the file "currentExpression" at start: the current expression is the one the file
// holds or a new one, never a crash; a file that was refused is logged and kept aside with its
// bytes, and the next save writes a file that reads back as the current expression.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "common/QVREnvironment.h"
#include "common/QVRMemoryLogSink.h"
#include "common/QVRRunLoop.h"
#include "expression/QVRTallixCurrentExpressionSlot.h"
#include "expression/QVRTallixExpression.h"

namespace {

void require(bool condition) {
  if (!condition) __builtin_trap();
}

std::string contents(const std::filesystem::path& file) {
  std::ifstream stream(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(stream), {}};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::unique_ptr<QVREnvironment> environment = QVREnvironment::makeForTesting();
  const QVREnvironment::Installation installation(*environment);
  environment->memoryLogSink()->clear();
  environment->setSharedInstance<QVRTallixCurrentExpressionSlot>(nullptr);
  const std::filesystem::path directory = environment->applicationSupportDirectory();
  std::filesystem::remove_all(directory);
  std::filesystem::create_directories(directory);
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::filesystem::path file = QVRTallixExpression::_currentExpressionPath();
  std::ofstream(file, std::ios::binary) << bytes;

  const auto current = QVRTallixExpression::currentExpression();
  const bool refused = !environment->memoryLogSink()->lines().empty();
  require(current && !current->stringDescription().empty());
  if (refused) {
    // Kept aside: the only other file in the directory holds the bytes.
    require(!std::filesystem::exists(file));
    std::size_t kept = 0;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
      require(contents(entry.path()) == bytes);
      ++kept;
    }
    require(kept == 1);
  }
  current->setDirty(true);
  environment->runLoop().terminate();
  environment->setSharedInstance<QVRTallixCurrentExpressionSlot>(nullptr);
  environment->memoryLogSink()->clear();
  const auto reread = QVRTallixExpression::currentExpression();
  require(reread->isEqual(*current) && environment->memoryLogSink()->lines().empty());
  environment->setSharedInstance<QVRTallixCurrentExpressionSlot>(nullptr);
  return 0;
}
