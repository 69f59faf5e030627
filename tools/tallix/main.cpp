#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
    std::puts("tallix 1.0");
    return 0;
  }
  std::puts("usage: tallix [--version]");
  return 0;
}
