#pragma once

#include <string>
#include <string_view>

#include "tallix/TallixCommand.h"

namespace tallix {

// `tallix sync status`: which cloud store the configuration chooses, and for each synchronised
// document in the documents folder when it last polled and uploaded and whether local changes
// wait to be uploaded. Reads the files alone: no document is opened and the store is not asked.
class SyncCommand final : public TallixCommand {
 public:
  // The documents whose directories the status looks at.
  static constexpr std::string_view documentNames[] = {"Tallix.tape", "Main.customConstants"};

  std::string_view name() const override { return "sync"; }
  std::string_view summary() const override {
    return "show the cloud store and the synchronisation of the documents";
  }
  std::string usage() const override;
  void configure(CLI::App& command) override;
  int run(TallixIO& io) override;

  // One document directory's line of the status: last poll, last upload, waiting.
  static std::string documentStatus(const std::string& directory);

 private:
  CLI::App* _command = nullptr;
};

}  // namespace tallix
