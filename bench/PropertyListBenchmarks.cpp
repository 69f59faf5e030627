// Property lists and keyed archives: reading the bundled catalogue in both formats, refusing the
// shared-references bomb (libplist took seconds and gigabytes on it), and a round trip through a
// keyed archive.
#include <benchmark/benchmark.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/QVREnvironment.h"
#include "common/QVRFileReader.h"
#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"
#include "common/QVRPropertyListReader.h"
#include "common/QVRPropertyListWriter.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes catalogueXML() {
  auto environment = QVREnvironment::makeForTesting();
  const auto path = *environment->resourcesDirectory() / "Configuration" / "categories.plist";
  return QVRFileReader::contentsOfFile(path).value.value_or(Bytes{});
}

Bytes catalogueBinary() {
  const auto read = QVRPropertyListReader::propertyList(catalogueXML());
  if (!read.value) return {};
  return QVRPropertyListWriter::dataFromPropertyList(*read.value,
                                                     QVRPropertyListWriter::Format::binary)
      .value.value_or(Bytes{});
}

// Sixty lists, each holding the one before twice: 2^60 paths in a couple of hundred bytes.
Bytes sharedListsBomb() {
  Bytes bytes{'b', 'p', 'l', 'i', 's', 't', '0', '0', 0x54, 'l', 'e', 'a', 'f'};
  std::vector<std::size_t> offsets{8};
  for (int level = 1; level <= 60; ++level) {
    offsets.push_back(bytes.size());
    bytes.insert(bytes.end(), {0xA2, static_cast<std::uint8_t>(level - 1),
                               static_cast<std::uint8_t>(level - 1)});
  }
  const std::size_t table = bytes.size();
  for (const std::size_t offset : offsets) bytes.push_back(static_cast<std::uint8_t>(offset));
  bytes.insert(bytes.end(), {0, 0, 0, 0, 0, 0, 1, 1});
  for (const std::uint64_t value :
       {std::uint64_t{offsets.size()}, std::uint64_t{60}, std::uint64_t{table}}) {
    for (int shift = 56; shift >= 0; shift -= 8)
      bytes.push_back(static_cast<std::uint8_t>(value >> shift));
  }
  return bytes;
}

struct BenchmarkEntry {
  std::string name;
  std::int64_t amount = 0;
  double ratio = 0;

  static std::string_view archiveClassName() { return "BenchmarkEntry"; }
  void encodeWithCoder(QVRKeyedArchiver& coder) const {
    coder.encodeString("name", name);
    coder.encodeInteger("amount", amount);
    coder.encodeDouble("ratio", ratio);
  }
  static std::optional<BenchmarkEntry> initWithCoder(QVRKeyedUnarchiver& coder) {
    return BenchmarkEntry{coder.decodeStringForKey("name").value_or(""),
                          coder.decodeIntegerForKey("amount"), coder.decodeDoubleForKey("ratio")};
  }
};

struct BenchmarkTape {
  std::vector<BenchmarkEntry> entries;

  static std::string_view archiveClassName() { return "BenchmarkTape"; }
  void encodeWithCoder(QVRKeyedArchiver& coder) const {
    coder.encodeArrayOfObjects("entries", entries);
  }
  static std::optional<BenchmarkTape> initWithCoder(QVRKeyedUnarchiver& coder) {
    BenchmarkTape tape;
    coder.valueForKey("entries").decodeArray([&](const QVRKeyedUnarchiver::Value& element) {
      if (auto entry = element.decodeObjectOfClass<BenchmarkEntry>()) {
        tape.entries.push_back(std::move(*entry));
      }
    });
    return tape;
  }
};

void readCatalogue(benchmark::State& state, const Bytes& bytes) {
  for (auto _ : state) {
    auto read = QVRPropertyListReader::propertyList(bytes);
    benchmark::DoNotOptimize(read);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

void BM_PropertyListReadCatalogueXML(benchmark::State& state) {
  readCatalogue(state, catalogueXML());
}
BENCHMARK(BM_PropertyListReadCatalogueXML);

void BM_PropertyListReadCatalogueBinary(benchmark::State& state) {
  readCatalogue(state, catalogueBinary());
}
BENCHMARK(BM_PropertyListReadCatalogueBinary);

void BM_PropertyListRefuseSharedListsBomb(benchmark::State& state) {
  const Bytes bomb = sharedListsBomb();
  for (auto _ : state) {
    auto read = QVRPropertyListReader::propertyList(bomb);
    benchmark::DoNotOptimize(read);
  }
  state.SetLabel(std::to_string(bomb.size()) + " bytes");
}
BENCHMARK(BM_PropertyListRefuseSharedListsBomb);

void BM_KeyedArchiveRoundTripOf1000Entries(benchmark::State& state) {
  BenchmarkTape tape;
  for (int index = 0; index < 1000; ++index) {
    tape.entries.push_back({"entry " + std::to_string(index), index, index / 7.0});
  }
  const std::vector<std::string> allowed = QVRCoding::classNamesOf<BenchmarkTape, BenchmarkEntry>();
  for (auto _ : state) {
    auto bytes = QVRKeyedArchiver::archivedDataWithRootObject(tape);
    auto decoded =
        QVRKeyedUnarchiver::unarchivedObjectOfClass<BenchmarkTape>(*bytes.value, allowed);
    benchmark::DoNotOptimize(decoded);
  }
}
BENCHMARK(BM_KeyedArchiveRoundTripOf1000Entries);

}  // namespace
