#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "expression/QVRTallixKeyType.h"
#include "numbers/QVRTallixNumber.h"

class QVRTallixExpression;

namespace tallix {

// Turns typed text into key presses for the terminal.
//
// Every character goes through the expression's keyTypeFromString, so the calculator's own
// keyboard works as it is ("7", "+", "*", "/", "^", "(", "!", "%", "E", "e", "C", …). Two
// additions make the terminal usable on its own:
// - the display's signs "×", "÷" and "−" type the multiply, divide and subtract keys, so that an
//   output line can be typed back in;
// - words of two or more ASCII letters (any case) name the keys that have no character of their
//   own ("sin", "sqrt", "pi", "rad", …, see words()); a word may end in digits when the whole
//   names a key ("log10", "log2"). A word that names no key is an error; single letters are
//   typed as they are;
// - a title in braces ("{g}", "{Speed of Light}") types a constant: the title of a built-in or
//   custom constant, or a built-in one's configuration name (see TallixConstantLookup). It
//   comes out as the constants key, QVRTallixKeyTypeConstants, with the constant's value in a
//   list beside the keys; handleKeys types both into an expression. Only a text with braces
//   looks the constants up, so typing without braces never opens the custom constants.
//
// The typer looks the ASCII characters up once, in the locale of the environment that is
// installed when it is made: make one per run, not one per line.
class TallixKeyTyper {
 public:
  TallixKeyTyper();

  // The key names with their keys, sorted by name.
  static const std::vector<std::pair<std::string_view, QVRTallixKeyType>>& words();
  // The key named by `word` (any case); none for a word that names no key.
  static std::optional<QVRTallixKeyType> keyNamed(std::string_view word);

  // Appends the keys that `text` types to `keys`. Answers the first word that names no key
  // (and then appends nothing), or none when every word was known.
  std::optional<std::string> keyTypes(std::string_view text,
                                      std::vector<QVRTallixKeyType>& keys) const;
  // The same with constants in braces, whose values go to `constants`, one per constants key.
  // A title that finds no single constant is answered with its braces ("{g}"; "{g" when the
  // brace is not closed).
  std::optional<std::string> keyTypes(std::string_view text, std::vector<QVRTallixKeyType>& keys,
                                      std::vector<QVRTallixNumber>& constants) const;
  // Types `keys` into `expression`, each constants key as the next of `constants`.
  static void handleKeys(QVRTallixExpression& expression, const std::vector<QVRTallixKeyType>& keys,
                         const std::vector<QVRTallixNumber>& constants);

  // The paragraph of the help texts that lists the keys and their names.
  static std::string keysHelp();

  // The message for an unknown word in a text, without the program's prefix; `help` says where
  // the key names are listed. For a constant in braces it says what was wrong with its title.
  static std::string unknownWordMessage(std::string_view word, std::string_view text,
                                        std::string_view help = "see 'tallix eval --help'");

 private:
  std::optional<std::string> keyTypes(std::string_view text, std::vector<QVRTallixKeyType>& keys,
                                      std::vector<QVRTallixNumber>* constants) const;

  std::array<QVRTallixKeyType, 128> _asciiKeys;
};

}  // namespace tallix
