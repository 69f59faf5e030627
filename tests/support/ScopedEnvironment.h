#pragma once

#include <memory>
#include <string>

#include "common/QVREnvironment.h"

// A fresh test environment in a given locale, installed while this lives (inside a test whose
// fixture installed another one, which comes back afterwards): for tables that run across
// locales.
class ScopedEnvironment {
 public:
  explicit ScopedEnvironment(std::string localeIdentifier)
      : _environment(QVREnvironment::makeForTesting(std::move(localeIdentifier))),
        _installation(*_environment) {}
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  QVREnvironment& environment() { return *_environment; }

 private:
  std::unique_ptr<QVREnvironment> _environment;
  QVREnvironment::Installation _installation;
};
