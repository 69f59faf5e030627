#pragma once

#include <cstddef>

// Advice to the kernel about memory of ours.
class QVRMemory {
 public:
  QVRMemory() = delete;

  // Asks for large pages under a buffer of many megabytes that is about to be filled (a tape's
  // file read, an archive being written): tens of thousands of page faults become a few dozen,
  // which on a virtual machine is most of the cost of touching fresh memory. Only the whole
  // large pages inside the buffer are advised; small buffers and refusals change nothing.
  static void adviseLargePages(void* buffer, std::size_t size);
};
