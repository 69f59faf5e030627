#include "tallix/tui/TuiRenderer.h"

#include <fmt/format.h>

#include <algorithm>
#include <string>

#include "expression/QVRTallixExpression.h"
#include "tallix/tui/TuiCalculator.h"
#include "tallix/tui/TuiCellText.h"
#include "tallix/tui/TuiExpressionRow.h"
#include "tallix/tui/TuiKeyMap.h"
#include "tape/QVRTallixTape.h"

namespace tallix {

namespace {

constexpr const char* rule = "─";
constexpr const char* ellipsis = "…";

int width(std::string_view text) {
  return static_cast<int>(TuiCellText::width(text));
}

// A title on a rule across the rectangle's row: "─ Title ──────".
void drawTitle(TuiFrame& frame, const TuiRect& rect, std::string_view title, bool focused) {
  const int end = rect.column + rect.width;
  for (int column = rect.column; column < end; ++column) {
    frame.put(rect.row, column, rule, TuiStyle::dim, end);
  }
  frame.put(rect.row, rect.column + 1, fmt::format(" {} ", title),
            focused ? TuiStyle::selected : TuiStyle::title, end);
}

// Text clipped to `limit` columns, ending in an ellipsis when it does not fit.
void putClipped(TuiFrame& frame, int row, int column, std::string_view text, TuiStyle style,
                int limit) {
  if (column + width(text) <= limit) {
    frame.put(row, column, text, style, limit);
    return;
  }
  frame.put(row, column, text, style, limit - 1);
  frame.put(row, limit - 1, ellipsis, style, limit);
}

void drawExpression(TuiFrame& frame, const TuiCalculator& calculator, const TuiLayout& layout) {
  const QVRTallixExpression& expression = calculator.expression();
  const bool focused = calculator.focus() == TuiFocus::expression;
  drawTitle(frame, layout.expressionTitle, "Expression", focused);
  const std::string badge = expression.radMode() ? " RAD " : " DEG ";
  const TuiRect& title = layout.expressionTitle;
  frame.put(title.row, title.column + title.width - width(badge) - 1, badge, TuiStyle::badge,
            title.column + title.width);

  const TuiExpressionRow row(expression);
  const TuiRect& line = layout.expression;
  const std::string& pending = calculator.pendingWord();
  const int pendingColumn = row.end() + (row.end() > 0 && !pending.empty() ? 1 : 0);
  const int end = pendingColumn + width(pending);
  // The end of the expression stays in view; what scrolls off at the left is marked.
  const int shift = std::max(end + 1 - line.width, 0);
  const int limit = line.column + line.width;
  for (const TuiExpressionRow::Piece& piece : row.pieces()) {
    frame.put(line.row, line.column + piece.column - shift, piece.text, piece.style, limit);
  }
  frame.put(line.row, line.column + pendingColumn - shift, pending, TuiStyle::pending, limit);
  if (shift > 0) frame.put(line.row, line.column, ellipsis, TuiStyle::dim, limit);
  if (focused) frame.setCursor(std::make_pair(line.row, line.column + end - shift));

  const TuiRect& result = layout.result;
  const std::string text = "= " + expression.result().formattedString();
  const int textWidth = std::min(width(text), result.width);
  putClipped(frame, result.row, result.column + result.width - textWidth, text, TuiStyle::title,
             result.column + result.width);
}

void drawTape(TuiFrame& frame, const TuiCalculator& calculator, const TuiLayout& layout) {
  const QVRTallixTape& tape = calculator.tape();
  const auto& expressions = tape.expressions();
  const bool focused = calculator.focus() == TuiFocus::tape;
  drawTitle(frame, layout.tapeTitle, fmt::format("Tape ({})", expressions.size()), focused);
  const TuiRect& area = layout.tape;
  const int limit = area.column + area.width;
  if (expressions.empty()) {
    frame.put(area.row, area.column + 2, "(empty: Enter saves a calculation here)", TuiStyle::dim,
              limit);
    return;
  }
  const auto selection = calculator.tapeSelection();
  const std::size_t numberWidth = fmt::formatted_size("{}", expressions.size());
  for (int index = 0; index < area.height; ++index) {
    const std::size_t entry = calculator.tapeTop() + static_cast<std::size_t>(index);
    if (entry >= expressions.size()) break;
    const bool chosen = selection == entry;
    const TuiStyle style = chosen && focused ? TuiStyle::selected : TuiStyle::normal;
    const int row = area.row + index;
    if (chosen && focused) frame.fill(row, area.column, area.width, style);
    const std::string text =
        fmt::format("{}{:>{}} {} {}", chosen ? "›" : " ", entry + 1, numberWidth,
                    tape.expressionIsFavorite(*expressions[entry]) ? "*" : " ",
                    expressions[entry]->stringDescription());
    putClipped(frame, row, area.column, text, style, limit);
  }
}

void drawHelp(TuiFrame& frame, const TuiCalculator& calculator) {
  const std::vector<std::string> lines = TuiKeyMap::helpLines();
  frame.fill(0, 0, frame.width(), TuiStyle::selected);
  frame.put(0, 1, "Help: Up and Down scroll, any other key closes", TuiStyle::selected);
  for (int row = 1; row < frame.height(); ++row) {
    const std::size_t line = calculator.helpTop() + static_cast<std::size_t>(row - 1);
    if (line >= lines.size()) break;
    putClipped(frame, row, 0, lines[line], TuiStyle::normal, frame.width());
  }
}

}  // namespace

TuiFrame TuiRenderer::render(const TuiCalculator& calculator) {
  const TuiLayout& layout = calculator.layout();
  TuiFrame frame(layout.width, layout.height);
  if (layout.tooSmall) {
    putClipped(frame, 0, 0, tooSmallText, TuiStyle::message, layout.width);
    return frame;
  }
  if (calculator.focus() == TuiFocus::help) {
    drawHelp(frame, calculator);
    return frame;
  }
  if (layout.tapeBeside) {
    for (int row = 0; row < layout.height - 2; ++row) {
      frame.put(row, layout.tapeTitle.column - 1, "│", TuiStyle::dim);
    }
  }
  drawTape(frame, calculator, layout);
  drawExpression(frame, calculator, layout);

  const TuiRect& status = layout.status;
  if (!calculator.message().empty()) {
    putClipped(frame, status.row, 1, calculator.message(), TuiStyle::message, status.width);
  } else if (!calculator.pendingWord().empty()) {
    putClipped(frame, status.row, 1,
               fmt::format("key name '{}': Space types it, Esc drops it", calculator.pendingWord()),
               TuiStyle::dim, status.width);
  }
  const char* hints = calculator.focus() == TuiFocus::tape
                          ? "Enter take result  f favorite  d remove  Tab expression  ^C quit"
                          : "Enter =  Tab tape  F1 help  ^Y copy  ^V paste  ^C quit";
  putClipped(frame, layout.hints.row, 1, hints, TuiStyle::dim, layout.hints.width);
  return frame;
}

}  // namespace tallix
