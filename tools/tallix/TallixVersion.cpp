#include "tallix/TallixVersion.h"

namespace tallix {

const char* versionString() { return "tallix 1.0"; }

}  // namespace tallix
