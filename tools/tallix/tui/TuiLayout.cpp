#include "tallix/tui/TuiLayout.h"

#include <algorithm>

namespace tallix {

TuiLayout TuiLayout::forSize(int width, int height) {
  TuiLayout layout;
  layout.width = std::max(width, 0);
  layout.height = std::max(height, 0);
  layout.tooSmall = width < minimumWidth || height < minimumHeight;
  if (layout.tooSmall) return layout;
  layout.status = {height - 2, 0, width, 1};
  layout.hints = {height - 1, 0, width, 1};
  if (width >= wideWidth) {
    // The tape at the right, a separating column before it.
    layout.tapeBeside = true;
    const int tapeWidth = std::min(60, width * 2 / 5);
    const int left = width - tapeWidth - 1;
    layout.expressionTitle = {0, 0, left, 1};
    layout.expression = {2, 1, left - 2, 1};
    layout.result = {3, 1, left - 2, 1};
    layout.tapeTitle = {0, left + 1, tapeWidth, 1};
    layout.tape = {1, left + 1, tapeWidth, height - 3};
  } else {
    layout.tapeTitle = {0, 0, width, 1};
    layout.tape = {1, 0, width, height - 7};
    layout.expressionTitle = {height - 6, 0, width, 1};
    layout.expression = {height - 5, 1, width - 2, 1};
    layout.result = {height - 4, 1, width - 2, 1};
  }
  return layout;
}

}  // namespace tallix
