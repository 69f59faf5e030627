#pragma once

#include <cstdint>
#include <memory>
#include <random>

// The generator behind QVRTallixNumber::random: integers from 0 to 2147483647, both included.
// One generator is shared per environment, seeded once from the system's entropy when first
// used; a test installs a seeded one to repeat a sequence.
class QVRTallixRandomGenerator {
 public:
  static constexpr std::int32_t maximum = 2147483647;

  explicit QVRTallixRandomGenerator(std::uint64_t seed) : _engine(seed) {}
  // Identity object: a copy would repeat the shared sequence.
  QVRTallixRandomGenerator(const QVRTallixRandomGenerator&) = delete;
  QVRTallixRandomGenerator& operator=(const QVRTallixRandomGenerator&) = delete;

  // A generator seeded from the system's entropy.
  static std::unique_ptr<QVRTallixRandomGenerator> makeSeededFromEntropy();
  // The current environment's generator, made on first use.
  static QVRTallixRandomGenerator& shared();

  // The next integer from 0 to maximum.
  std::int32_t random() { return static_cast<std::int32_t>(_engine() >> 33); }

 private:
  std::mt19937_64 _engine;
};
