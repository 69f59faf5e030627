// Laying out display items on one line.
//
// Runs of digit items are laid out as one line of text by the engine, and each item takes the
// place of its glyph. The engine reports glyphs with the byte offset of the text they show (their
// cluster), so glyphs are matched to items by offset rather than by counting: an item whose
// character needs several glyphs (a digit with a combining mark) takes them all, as one frame
// from the leftmost glyph to the rightmost right edge; and several items shown by one glyph (a
// ligature; a mark typed as an item of its own after its base) share the glyph's width in equal
// parts, in order. With one glyph per character, which is what typed numbers give, this is the
// same as placing the k-th item with the k-th glyph. Engines lay lines out left to right in the
// text's order, so a right-to-left character still sits after the one typed before it.

#include <algorithm>
#include <cmath>
#include <limits>

#include "display/QVRTallixExpressionDisplayItem.h"

namespace {

using Item = QVRTallixExpressionDisplayItem;

// Where the glyphs of one item lie on the run's line.
struct GlyphSpan {
  bool placed = false;
  double left = 0;
  double right = 0;
  double y = 0;
};

bool isParenthesis(const Item& item) {
  return item.digit() == "(" || item.digit() == ")";
}

// Gives the frames of the items [first, first + count) from one line of their joined texts, and
// moves the pen past the run.
void flushRun(std::vector<Item>& items, std::size_t first, std::size_t count,
              const QVRTallixTextAttributes& attributes, double& x) {
  if (count == 0) return;
  std::string text;
  std::vector<std::size_t> starts;
  starts.reserve(count);
  for (std::size_t i = first; i < first + count; ++i) {
    starts.push_back(text.size());
    text += items[i].digit();
  }

  if (const auto glyphs = attributes.engine().layoutLine(text, attributes.fontSize())) {
    std::vector<GlyphSpan> spans(count);
    for (const QVRLaidOutGlyph& glyph : *glyphs) {
      if (glyph.cluster >= text.size() || !std::isfinite(glyph.x) || !std::isfinite(glyph.y) ||
          !std::isfinite(glyph.advance)) {
        continue;
      }
      // The last item starting at or before the cluster (starts[0] is 0, so there is one).
      const auto index = static_cast<std::size_t>(
          std::upper_bound(starts.begin(), starts.end(), glyph.cluster) - starts.begin() - 1);
      GlyphSpan& span = spans[index];
      const double right = glyph.x + std::max(glyph.advance, 0.0);
      if (!span.placed) {
        span = {true, glyph.x, right, glyph.y};
      } else {
        span.left = std::min(span.left, glyph.x);
        span.right = std::max(span.right, right);
      }
    }
    // Items without a glyph of their own share the glyph of the item before them.
    for (std::size_t j = 0; j < count;) {
      std::size_t shared = 1;
      while (j + shared < count && !spans[j + shared].placed) ++shared;
      if (spans[j].placed && shared > 1) {
        const double part = (spans[j].right - spans[j].left) / static_cast<double>(shared);
        const double left = spans[j].left;
        for (std::size_t k = 0; k < shared; ++k) {
          spans[j + k] = {true, left + part * static_cast<double>(k),
                          left + part * static_cast<double>(k + 1), spans[j].y};
        }
      }
      j += shared;
    }
    for (std::size_t j = 0; j < count; ++j) {
      if (!spans[j].placed) continue;
      Item& item = items[first + j];
      const double y = isParenthesis(item) ? attributes.metrics().parenthesisY : spans[j].y;
      item.setFrame({x + spans[j].left, y, std::ceil(spans[j].right - spans[j].left), 0});
    }
  }
  // From the last item's right edge, 0 when it got no frame.
  x = std::ceil(items[first + count - 1].frame().maxX()) + attributes.metrics().itemPadding;
}

// The width of an item that is not typed text.
double widthOf(const Item& item, const QVRTallixTextAttributes& attributes) {
  if (item.type() == QVRTallixExpressionDisplayItemTypeCalculatedNumber) {
    const double textWidth = attributes.engine().widthOfText(
        item.calculatedNumber()->formattedString(), attributes.fontSize());
    return (std::isfinite(textWidth) ? std::ceil(textWidth) : 0) +
           2 * attributes.metrics().borderRadius + attributes.metrics().borderPadding;
  }
  const std::optional<std::string> name = item.name();
  const std::optional<QVRImageName> imageName = item.imageName();
  if (!name || !imageName) return 0;
  return static_cast<double>(attributes.engine().cachedImageWidth(*name, imageName->name()));
}

}  // namespace

void QVRTallixExpressionDisplayItem::layoutDisplayItems(
    std::vector<QVRTallixExpressionDisplayItem>& items,
    const QVRTallixTextAttributes& textAttributes) {
  double x = 0;
  std::size_t runFirst = 0;
  std::size_t runCount = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    Item& item = items[i];
    if (item.type() == QVRTallixExpressionDisplayItemTypeDigit) {
      if (runCount == 0) runFirst = i;
      ++runCount;
      continue;
    }
    flushRun(items, runFirst, runCount, textAttributes, x);
    runCount = 0;
    const double width = widthOf(item, textAttributes);
    item.setFrame({x, 0, width, 0});
    x = item.frame().maxX() + textAttributes.metrics().itemPadding;
  }
  flushRun(items, runFirst, runCount, textAttributes, x);
}
