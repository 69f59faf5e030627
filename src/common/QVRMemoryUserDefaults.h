#pragma once

#include "common/QVRUserDefaults.h"

// User defaults in memory: a fresh, empty store for each test.
class QVRMemoryUserDefaults final : public QVRUserDefaults {
 public:
  std::optional<QVRPropertyList> objectForKey(std::string_view key) const override;
  void setObject(std::string_view key, QVRPropertyList value) override;
  void removeObjectForKey(std::string_view key) override;

  const QVRPropertyList::Dictionary& values() const { return _values; }

 private:
  QVRPropertyList::Dictionary _values;
};
