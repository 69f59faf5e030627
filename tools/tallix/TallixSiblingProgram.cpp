#include "tallix/TallixSiblingProgram.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "tallix/TallixCommand.h"

namespace tallix {

std::string TallixSiblingProgram::pathOf(std::string_view program) {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error || self.empty()) return {};
  return (self.parent_path() / program).string();
}

int TallixSiblingProgram::replaceProcess(std::string_view program,
                                         const std::vector<std::string>& arguments,
                                         std::string_view prefix, TallixIO& io) {
  const std::string path = pathOf(program);
  if (path.empty()) {
    io.writeError(std::string(prefix) + "cannot find the directory of this program to start " +
                  std::string(program) + "\n");
    return TallixExitCode::failure;
  }
  std::vector<std::string> words{std::string(program)};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  argv.reserve(words.size() + 1);
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  // What was written so far must not be lost with this process's buffers.
  std::fflush(nullptr);
  ::execv(path.c_str(), argv.data());
  const int reason = errno;
  io.writeError(std::string(prefix) + "cannot start " + path + ": " + std::strerror(reason) + "\n");
  return TallixExitCode::failure;
}

}  // namespace tallix
