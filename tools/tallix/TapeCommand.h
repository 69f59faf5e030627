#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tallix/TallixCommand.h"
#include "tape/QVRTallixTape.h"

namespace tallix {

// `tallix tape`: lists the history tape (the calculations saved by line mode and `eval --save`),
// marks and unmarks favorites, removes entries and exports the tape as CSV. Entries are named by
// their number in the full listing (1 is the oldest) or by their uuid, or a unique prefix of at
// least six characters of it. Changes are saved when the program ends (the run loop's
// termination fires the document's save).
class TapeCommand final : public TallixCommand {
 public:
  // Marks a favorite in the listing.
  static constexpr std::string_view favoriteMark = "*";
  static constexpr std::size_t minimumPrefixLength = 6;

  std::string_view name() const override { return "tape"; }
  std::string_view summary() const override {
    return "list the saved calculations, mark favorites, export: tallix tape --last 5";
  }
  // The help of the subcommand named by the first argument, else of the listing.
  std::string usage() const override;
  void configure(CLI::App& command) override;
  int run(TallixIO& io) override;

  // The expression that `reference` names on `tape`, or an error message.
  struct Lookup {
    QVRTallixTape::Expression expression;
    std::string error;
  };
  static Lookup lookup(const QVRTallixTape& tape, std::string_view reference);
  // A field of a CSV line (RFC 4180): quoted when it holds a comma, a quote or a line break,
  // quotes doubled.
  static std::string csvField(std::string_view text);

 private:
  int list(const std::vector<std::string>& options, TallixIO& io) const;
  int exportCSV(const std::vector<std::string>& options, TallixIO& io) const;

  CLI::App* _command = nullptr;
};

}  // namespace tallix
