#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

// A small, fast, seedable generator (SplitMix64) for property tests. A failing run prints its
// seed; TALLIX_TEST_SEED=<seed> replays it.
class SeededRandom {
 public:
  explicit SeededRandom(std::uint64_t seed) : _state(seed) {}

  // The seed of a property test: TALLIX_TEST_SEED when set, else the test's fixed seed.
  static std::uint64_t testSeed(std::uint64_t fixed) {
    if (const char* text = std::getenv("TALLIX_TEST_SEED")) return std::strtoull(text, nullptr, 0);
    return fixed;
  }

  std::uint64_t next() {
    _state += 0x9E3779B97F4A7C15u;
    std::uint64_t z = _state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
  }
  // Uniform in [low, high] (high − low below 2^63 is plenty here).
  std::int64_t between(std::int64_t low, std::int64_t high) {
    const auto span = static_cast<std::uint64_t>(high - low) + 1;
    return low + static_cast<std::int64_t>(next() % span);
  }
  bool coin() { return (next() & 1) != 0; }

 private:
  std::uint64_t _state;
};
