#include "tallix/tui/TuiCalculator.h"

#include <fmt/format.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "common/QVREnvironment.h"
#include "common/QVRPasteboard.h"
#include "expression/QVRTallixExpression.h"
#include "numbers/QVRTallixNumber.h"
#include "tallix/TallixText.h"
#include "tape/QVRTallixTape.h"

namespace tallix {

namespace {

std::string lowered(std::string_view word) {
  std::string text(word);
  std::ranges::transform(text, text.begin(), lowercasedASCII);
  return text;
}

// Whether some key name begins with `word` (any case); `longer`: with more after it.
bool namePrefix(std::string_view word, bool longer) {
  const std::string name = lowered(word);
  return std::ranges::any_of(TallixKeyTyper::words(), [&](const auto& entry) {
    return entry.first.starts_with(name) && (!longer || entry.first.size() > name.size());
  });
}

// Removes the last UTF-8 character of `text`.
void popCharacter(std::string& text) {
  while (!text.empty()) {
    const auto byte = static_cast<unsigned char>(text.back());
    text.pop_back();
    if ((byte & 0xC0) != 0x80) break;
  }
}

}  // namespace

TuiCalculator::TuiCalculator() : _layout(TuiLayout::forSize(0, 0)) {}

QVRTallixExpression& TuiCalculator::expression() const {
  return *QVRTallixExpression::currentExpression();
}

QVRTallixTape& TuiCalculator::tape() const {
  return QVRTallixTape::tape();
}

void TuiCalculator::resize(int width, int height) {
  _layout = TuiLayout::forSize(width, height);
  keepSelectionVisible();
  _redraw = true;
}

std::optional<std::size_t> TuiCalculator::tapeSelection() const {
  const std::size_t count = tape().expressionCount();
  if (count == 0) return std::nullopt;
  return _selectionAtEnd ? count - 1 : std::min(_selection, count - 1);
}

int TuiCalculator::pageRows() const {
  return std::max(_layout.tape.height - 1, 1);
}

void TuiCalculator::keepSelectionVisible() {
  const auto selection = tapeSelection();
  const auto rows = static_cast<std::size_t>(std::max(_layout.tape.height, 1));
  const std::size_t count = tape().expressionCount();
  if (!selection) {
    _tapeTop = 0;
    return;
  }
  if (*selection < _tapeTop) _tapeTop = *selection;
  if (*selection >= _tapeTop + rows) _tapeTop = *selection - rows + 1;
  _tapeTop = std::min(_tapeTop, count > rows ? count - rows : 0);
}

void TuiCalculator::moveSelection(long long delta) {
  const auto selection = tapeSelection();
  if (!selection) return;
  const auto count = static_cast<long long>(tape().expressionCount());
  const long long moved = std::clamp(static_cast<long long>(*selection) + delta, 0LL, count - 1);
  _selection = static_cast<std::size_t>(moved);
  _selectionAtEnd = moved == count - 1;
}

void TuiCalculator::handle(const TuiInput& input) {
  _redraw = true;
  if (input.kind == TuiInput::Kind::resize) return;
  if (input.kind != TuiInput::Kind::paste) _message.clear();
  if (const auto action = TuiKeyMap::action(_focus, input)) {
    // A key that does something of its own ends the key name being typed first; the keys that
    // edit the name work on it instead.
    if (_focus == TuiFocus::expression && *action != TuiAction::deleteBackward &&
        *action != TuiAction::escape && *action != TuiAction::showHelp) {
      resolvePending();
    }
    perform(*action);
  } else if (input.kind == TuiInput::Kind::paste) {
    if (_focus == TuiFocus::help) _focus = _focusBeforeHelp;
    QVRPasteboard& pasteboard = QVREnvironment::current().pasteboard();
    pasteboard.declareTypes({std::string(QVRPasteboardTypeString)});
    pasteboard.setString(std::string_view(input.text).substr(0, maximumPasteLength),
                         QVRPasteboardTypeString);
    _focus = TuiFocus::expression;
    resolvePending();
    paste();
  } else if (input.kind == TuiInput::Kind::character) {
    // Typing in the tape goes to the expression.
    _focus = TuiFocus::expression;
    type(input.text);
  }
  keepSelectionVisible();
}

void TuiCalculator::type(const std::string& character) {
  if (character.empty()) return;
  const char first = character.front();
  if (_pending.starts_with("{")) {
    _pending += character;
    if (character == "}") {
      resolvePending();
    } else if (_pending.size() > maximumPendingLength) {
      _message = "A title that long names no constant";
      _pending.clear();
    }
    return;
  }
  const bool continuesName =
      character.size() == 1 && (isASCIILetter(first) || (!_pending.empty() && isASCIIDigit(first) &&
                                                         namePrefix(_pending + first, false)));
  if (continuesName) {
    _pending += first;
    if (_pending.size() > maximumPendingLength) {
      _message = fmt::format("unknown key name '{}…'", _pending.substr(0, 16));
      _pending.clear();
      return;
    }
    // A complete name that no other name continues is typed at once.
    if (_pending.size() >= 2 && TallixKeyTyper::keyNamed(_pending) && !namePrefix(_pending, true)) {
      resolvePending();
    }
    return;
  }
  resolvePending();
  if (character == " ") return;
  if (character == "{") {
    _pending = character;
    return;
  }
  typeText(character);
}

void TuiCalculator::resolvePending() {
  if (_pending.empty()) return;
  const std::string word = std::move(_pending);
  _pending.clear();
  typeText(word);
}

void TuiCalculator::typeText(std::string_view text) {
  std::vector<QVRTallixKeyType> keys;
  std::vector<QVRTallixNumber> constants;
  if (const auto unknown = _typer.keyTypes(text, keys, constants)) {
    _message = TallixKeyTyper::unknownWordMessage(*unknown, text, "F1 lists them");
    return;
  }
  TallixKeyTyper::handleKeys(expression(), keys, constants);
}

void TuiCalculator::finish() {
  const std::shared_ptr<QVRTallixExpression> current = QVRTallixExpression::currentExpression();
  const QVRTallixNumber result = current->result();
  // A display that holds nothing typed finished no calculation.
  const auto& components = current->components();
  const auto* typed = current->currentEditableNumber();
  const bool blank = components.size() == 1 && typed && typed->isBlank();
  if (!blank && current->saveToTape()) _selectionAtEnd = true;
  auto next = std::make_shared<QVRTallixExpression>(result);
  next->setRadMode(current->radMode());
  QVRTallixExpression::setCurrentExpression(std::move(next));
}

void TuiCalculator::paste() {
  if (const auto number = QVRTallixNumber::tallixNumberFromPasteboard()) {
    expression().addOrReplaceWithNumber(*number);
    _message = fmt::format("Pasted {}", number->formattedString());
  } else {
    _message = "Nothing to paste: the pasteboard holds no number";
  }
}

void TuiCalculator::copy(const std::string& text) {
  QVRPasteboard& pasteboard = QVREnvironment::current().pasteboard();
  pasteboard.declareTypes({std::string(QVRPasteboardTypeString)});
  pasteboard.setString(text, QVRPasteboardTypeString);
  if (_copyHandler) _copyHandler(text);
  _message = fmt::format("Copied {}", text);
}

void TuiCalculator::perform(TuiAction action) {
  QVRTallixTape::Expression entry;
  if (_focus == TuiFocus::tape) {
    if (const auto selection = tapeSelection()) entry = tape().expressionAtIndex(*selection);
  }
  switch (action) {
    case TuiAction::finish:
      finish();
      break;
    case TuiAction::deleteBackward:
      if (_pending.empty()) {
        expression().handleKey(QVRTallixKeyTypeDelete);
      } else {
        popCharacter(_pending);
      }
      break;
    case TuiAction::escape:
      if (_pending.empty()) {
        expression().handleKey(QVRTallixKeyTypeClear);
      } else {
        _pending.clear();
      }
      break;
    case TuiAction::signChange:
      expression().handleKey(QVRTallixKeyTypeSignChange);
      break;
    case TuiAction::switchFocus:
      _focus = _focus == TuiFocus::expression ? TuiFocus::tape : TuiFocus::expression;
      break;
    case TuiAction::showHelp:
      _focusBeforeHelp = _focus;
      _focus = TuiFocus::help;
      _helpTop = 0;
      break;
    case TuiAction::closeHelp:
      _focus = _focusBeforeHelp;
      break;
    case TuiAction::quit:
      _quit = true;
      break;
    case TuiAction::copyResult: {
      const QVRTallixNumber result = entry ? entry->result() : expression().result();
      result.writeToPasteboard();
      const auto text =
          QVREnvironment::current().pasteboard().stringForType(QVRPasteboardTypeString);
      if (_copyHandler && text) _copyHandler(*text);
      _message = fmt::format("Copied {}", text.value_or(""));
      break;
    }
    case TuiAction::copyText:
      copy(expression().stringDescription());
      break;
    case TuiAction::paste:
      paste();
      break;
    case TuiAction::toggleAngleMode:
      expression().handleKey(expression().radMode() ? QVRTallixKeyTypeAngleModeRadians
                                                    : QVRTallixKeyTypeAngleModeDegrees);
      break;
    case TuiAction::redraw:
      break;
    case TuiAction::moveUp:
    case TuiAction::moveDown:
    case TuiAction::pageUp:
    case TuiAction::pageDown:
    case TuiAction::moveFirst:
    case TuiAction::moveLast: {
      const long long page = pageRows();
      const long long far = 1LL << 40;
      const long long delta = action == TuiAction::moveUp      ? -1
                              : action == TuiAction::moveDown  ? 1
                              : action == TuiAction::pageUp    ? -page
                              : action == TuiAction::pageDown  ? page
                              : action == TuiAction::moveFirst ? -far
                                                               : far;
      if (_focus == TuiFocus::help) {
        const auto lines = static_cast<long long>(TuiKeyMap::helpLines().size());
        const long long last = std::max(lines - std::max(_layout.height - 1, 1), 0LL);
        _helpTop = static_cast<std::size_t>(
            std::clamp(static_cast<long long>(_helpTop) + delta, 0LL, last));
      } else {
        moveSelection(delta);
      }
      break;
    }
    case TuiAction::takeEntry:
      if (entry) {
        expression().addOrReplaceWithNumber(entry->result());
        _focus = TuiFocus::expression;
      }
      break;
    case TuiAction::toggleFavorite:
      if (entry) {
        if (tape().expressionIsFavorite(*entry)) {
          tape().removeFavorite(entry);
        } else {
          tape().addFavorite(entry);
        }
      }
      break;
    case TuiAction::removeEntry:
      if (entry) tape().removeExpression(entry);
      break;
  }
}

}  // namespace tallix
