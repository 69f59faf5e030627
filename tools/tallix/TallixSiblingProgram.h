#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tallix/TallixIO.h"

namespace tallix {

// Runs another program of tallix's own, installed beside the running one (tallix-render beside
// tallix), in place of this process.
class TallixSiblingProgram {
 public:
  // The path of `program` in the directory of the running executable; empty when that
  // directory cannot be found.
  static std::string pathOf(std::string_view program);
  // Replaces this process by `program` with `arguments`: returns only when that failed, after
  // writing why to `io`'s error stream prefixed with `prefix`, with the failure exit status.
  static int replaceProcess(std::string_view program, const std::vector<std::string>& arguments,
                            std::string_view prefix, TallixIO& io);
};

}  // namespace tallix
