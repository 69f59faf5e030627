#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/QVREnvironment.h"
#include "common/QVRMemoryLogSink.h"
#include "common/QVRVirtualRunLoop.h"

// The fixture of every test that touches the model: a fresh test environment (memory defaults,
// virtual run loop, memory log, private temporary directories, en_US), installed for the test.
class TallixTest : public ::testing::Test {
 protected:
  explicit TallixTest(std::string localeIdentifier = "en_US")
      : _environment(QVREnvironment::makeForTesting(std::move(localeIdentifier))),
        _installation(*_environment) {}

  QVREnvironment& environment() { return *_environment; }
  QVRVirtualRunLoop& runLoop() { return static_cast<QVRVirtualRunLoop&>(_environment->runLoop()); }
  QVRMemoryLogSink& log() { return *_environment->memoryLogSink(); }

 private:
  std::unique_ptr<QVREnvironment> _environment;
  QVREnvironment::Installation _installation;
};
