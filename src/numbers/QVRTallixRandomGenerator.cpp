#include "numbers/QVRTallixRandomGenerator.h"

#include "common/QVREnvironment.h"

std::unique_ptr<QVRTallixRandomGenerator> QVRTallixRandomGenerator::makeSeededFromEntropy() {
  std::random_device entropy;
  const std::uint64_t seed = (std::uint64_t(entropy()) << 32) ^ entropy();
  return std::make_unique<QVRTallixRandomGenerator>(seed);
}

QVRTallixRandomGenerator& QVRTallixRandomGenerator::shared() {
  return QVREnvironment::current().sharedInstance<QVRTallixRandomGenerator>(
      [] { return makeSeededFromEntropy(); });
}
