#pragma once

#include <unicode/brkiter.h>

#include <cstddef>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

// Splits UTF-8 text into the characters a user sees (extended grapheme clusters, the platform's
// composed character sequences): "5" with a combining acute accent is one, "\r\n" is one, each
// ASCII digit one. Bytes that are not well-formed UTF-8 split like U+FFFD, one per bad sequence.
//
// Identity object: it holds an ICU break iterator, which is costly to make, for reuse.
class QVRComposedCharacterSequences {
 public:
  QVRComposedCharacterSequences();
  QVRComposedCharacterSequences(const QVRComposedCharacterSequences&) = delete;
  QVRComposedCharacterSequences& operator=(const QVRComposedCharacterSequences&) = delete;

  // The shared splitter of the current environment.
  static QVRComposedCharacterSequences& shared();

  // The byte ranges (start, end) of the sequences of `text`, in order, covering the text.
  std::vector<std::pair<std::size_t, std::size_t>> ranges(std::string_view text);
  // The sequences themselves, as views into `text`.
  std::vector<std::string_view> split(std::string_view text);

 private:
  std::unique_ptr<icu::BreakIterator> _characters;
};
