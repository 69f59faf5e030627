#pragma once

#include <optional>
#include <string>

#include "common/QVRPropertyList.h"

// Writes binary property lists ("bplist00") in time proportional to their size: one object per
// value, texts (also dictionary keys) written once and referred to from every place they occur.
// libplist's writer looks its objects up in a hash table of a fixed number of buckets, which
// makes the archives of long lists (a tape of 100,000 calculations) cost quadratic time.
//
// Integers take the fewest bytes that hold them (negative ones eight, as signed), reals and dates
// eight, texts are ASCII or UTF-16 big-endian. The caller has checked the values (text in UTF-8
// without NUL, UIDs of 32 bits, the nesting depth).
class QVRBinaryPropertyListWriter {
 public:
  QVRBinaryPropertyListWriter() = delete;

  static QVRPropertyList::Data dataFromPropertyList(const QVRPropertyList& propertyList);
};
