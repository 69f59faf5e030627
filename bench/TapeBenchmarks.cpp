#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "cloud/QVRCKAsset.h"
#include "cloud/QVRCKDocument.h"
#include "common/QVREnvironment.h"
#include "common/QVRFileReader.h"
#include "common/QVRFileWriter.h"
#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"
#include "expression/QVRTallixExpression.h"
#include "tape/QVRTallixTape.h"

namespace {

// A tape of n calculations such as "1234 + 56 × 7 =", every tenth a favorite, as the document
// keeps them.
std::shared_ptr<const QVRTallixTapeContents> tapeOf(std::int64_t n) {
  QVRTallixTape::ExpressionList expressions;
  std::vector<std::string> favorites;
  for (std::int64_t i = 0; i < n; ++i) {
    QVRTallixExpression expression;
    for (const char digit : std::to_string(1000 + i)) {
      expression.addDigit(static_cast<std::uint64_t>(digit - '0'));
    }
    expression.addOperation(QVRTallixOperationAdd);
    expression.addDigit(static_cast<std::uint64_t>(i % 10));
    expression.addOperation(QVRTallixOperationMultiply);
    expression.addDigit(7);
    expression.addOperation(QVRTallixOperationEqual);
    expressions.push_back(expression.snapshot());
    // Entries of a tape have their identifiers from the time they were saved.
    const std::string& uuid = expressions.back()->uuid();
    if (i % 10 == 0) favorites.push_back(uuid);
  }
  return std::make_shared<QVRTallixTapeContents>(std::move(expressions), std::move(favorites));
}

QVRPropertyList::Data archiveOf(const QVRTallixTapeContents& contents) {
  QVRKeyedArchiver archiver;
  contents.encodeWithCoder(archiver, QVRCKDocumentContentsKey);
  archiver.encodeInteger(QVRCKDocumentVersionKey, QVRCKDocument::documentVersion);
  return std::move(archiver).finishedData().value.value_or(QVRPropertyList::Data{});
}

// Saving: the archive of the contents and its atomic write (with fsync), as the document saves.
void tapeSave(benchmark::State& state) {
  const auto environment = QVREnvironment::makeForTesting("en_US");
  const QVREnvironment::Installation installation(*environment);
  const auto contents = tapeOf(state.range(0));
  const auto file = environment->temporaryDirectory() / "contents";
  std::size_t bytes = 0;
  for (auto _ : state) {
    const auto data = archiveOf(*contents);
    bytes = data.size();
    if (QVRFileWriter::writeAtomically(file, data)) state.SkipWithError("write failed");
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}

// Loading: the file read and the contents decoded, as the document reads them when made.
void tapeLoad(benchmark::State& state) {
  const auto environment = QVREnvironment::makeForTesting("en_US");
  const QVREnvironment::Installation installation(*environment);
  const auto file = environment->temporaryDirectory() / "contents";
  if (QVRFileWriter::writeAtomically(file, archiveOf(*tapeOf(state.range(0))))) {
    state.SkipWithError("write failed");
  }
  for (auto _ : state) {
    const auto bytes = QVRFileReader::contentsOfFile(file, QVRCKAsset::maximumFileSize);
    if (!bytes.value) {
      state.SkipWithError("reading failed");
      break;
    }
    QVRKeyedUnarchiver unarchiver(*bytes.value, QVRTallixTape::contentsClassNames());
    const auto contents =
        QVRTallixTape::decodeContents(unarchiver.valueForKey(QVRCKDocumentContentsKey));
    const auto* tape = dynamic_cast<const QVRTallixTapeContents*>(contents.get());
    if (!tape || tape->expressions().size() != static_cast<std::size_t>(state.range(0))) {
      state.SkipWithError("decoding failed");
    }
  }
}

BENCHMARK(tapeSave)
    ->Name("tape/save (archive + atomic write), expressions:")
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);
BENCHMARK(tapeLoad)
    ->Name("tape/load (read + decode), expressions:")
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);
// A million calculations take a minute or so with their making: a group of their own
// ("tallix-bench tape1m").
BENCHMARK(tapeSave)
    ->Name("tape1m/save (archive + atomic write), expressions:")
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);
BENCHMARK(tapeLoad)
    ->Name("tape1m/load (read + decode), expressions:")
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);

}  // namespace
