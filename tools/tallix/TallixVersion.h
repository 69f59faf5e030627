#pragma once

namespace tallix {

// The program's version text, as `tallix --version` prints it.
const char* versionString();

}  // namespace tallix
