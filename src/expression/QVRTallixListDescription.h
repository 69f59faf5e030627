#pragma once

#include <cstddef>
#include <string>

// The longest list that a log line spells out; longer ones (only hostile archives make them)
// end in "…" so that a log line stays a line.
inline constexpr std::size_t QVRTallixListDescriptionMaximumElements = 256;

// A list as the log prints it, each element by `describe`: "(2, +, 3)".
template <class Range, class Describe>
std::string QVRTallixListDescription(const Range& list, Describe describe) {
  std::string text = "(";
  std::size_t count = 0;
  for (const auto& element : list) {
    if (count > 0) text += ", ";
    if (count == QVRTallixListDescriptionMaximumElements) {
      text += "…";
      break;
    }
    text += describe(element);
    ++count;
  }
  return text + ")";
}
