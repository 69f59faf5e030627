#include "tallix/tui/TuiKeyMap.h"

#include <fmt/format.h>

#include <algorithm>

#include "expression/QVRTallixExpression.h"
#include "tallix/TallixKeyTyper.h"

namespace tallix {

namespace {

using Kind = TuiInput::Kind;
using Key = TuiSpecialKey;

constexpr TuiFocus expression = TuiFocus::expression;
constexpr TuiFocus tape = TuiFocus::tape;
constexpr TuiFocus help = TuiFocus::help;

bool matches(const TuiKeyMap::Binding& binding, TuiFocus focus, const TuiInput& input) {
  if (binding.focus != focus || binding.kind != input.kind) return false;
  if (input.kind == Kind::special) return binding.key == input.key;
  return binding.text == input.text;
}

// What types each key on the calculator's own keyboard: its characters and its names.
std::vector<std::string> typedByKey() {
  std::vector<std::string> ways(QVRTallixKeyTypeNone + 1);
  const auto add = [&](QVRTallixKeyType key, std::string_view way) {
    if (key >= ways.size()) return;
    if (!ways[key].empty()) ways[key] += ' ';
    ways[key] += way;
  };
  const TallixKeyTyper typer;
  for (char character = '!'; character <= '~'; ++character) {
    const std::string text(1, character);
    add(QVRTallixExpression::keyTypeFromString(text), text);
  }
  for (const std::string_view sign : {"×", "÷", "−", "√", "±"}) {
    std::vector<QVRTallixKeyType> keys;
    typer.keyTypes(sign, keys);
    if (keys.size() == 1) add(keys.front(), sign);
  }
  for (const auto& [word, key] : TallixKeyTyper::words()) add(key, word);
  return ways;
}

}  // namespace

const std::vector<TuiKeyMap::Binding>& TuiKeyMap::bindings() {
  static const std::vector<Binding> table{
      // Everywhere but the help panel.
      {expression, Kind::control, Key::none, "c", TuiAction::quit, "^C ^D",
       "leave (the expression stays)"},
      {expression, Kind::control, Key::none, "d", TuiAction::quit, "", ""},
      {tape, Kind::control, Key::none, "c", TuiAction::quit, "", ""},
      {tape, Kind::control, Key::none, "d", TuiAction::quit, "", ""},
      {expression, Kind::special, Key::f1, "", TuiAction::showHelp, "F1 ?", "this help"},
      {expression, Kind::character, Key::none, "?", TuiAction::showHelp, "", ""},
      {tape, Kind::special, Key::f1, "", TuiAction::showHelp, "", ""},
      {tape, Kind::character, Key::none, "?", TuiAction::showHelp, "", ""},
      {expression, Kind::special, Key::tab, "", TuiAction::switchFocus, "Tab",
       "between expression and tape"},
      {expression, Kind::special, Key::backTab, "", TuiAction::switchFocus, "", ""},
      {expression, Kind::special, Key::up, "", TuiAction::switchFocus, "", ""},
      {tape, Kind::special, Key::tab, "", TuiAction::switchFocus, "", ""},
      {tape, Kind::special, Key::backTab, "", TuiAction::switchFocus, "", ""},
      {tape, Kind::special, Key::escape, "", TuiAction::switchFocus, "", ""},
      {expression, Kind::control, Key::none, "y", TuiAction::copyResult, "^Y", "copy the result"},
      {tape, Kind::control, Key::none, "y", TuiAction::copyResult, "", ""},
      {expression, Kind::control, Key::none, "t", TuiAction::copyText, "^T",
       "copy the calculation as text"},
      {expression, Kind::control, Key::none, "v", TuiAction::paste, "^V", "paste a number"},
      {expression, Kind::control, Key::none, "r", TuiAction::toggleAngleMode, "^R",
       "degrees / radians"},
      {expression, Kind::control, Key::none, "l", TuiAction::redraw, "^L", "redraw the screen"},
      {tape, Kind::control, Key::none, "l", TuiAction::redraw, "", ""},
      // The expression.
      {expression, Kind::special, Key::enter, "", TuiAction::finish,
       "Enter =", "equal: result, saved to the tape"},
      {expression, Kind::character, Key::none, "=", TuiAction::finish, "", ""},
      {expression, Kind::special, Key::backspace, "", TuiAction::deleteBackward, "Backspace Del",
       "delete"},
      {expression, Kind::special, Key::deleteForward, "", TuiAction::deleteBackward, "", ""},
      {expression, Kind::special, Key::escape, "", TuiAction::escape, "Esc",
       "drop the key name, else clear"},
      {expression, Kind::character, Key::none, "~", TuiAction::signChange, "~", "sign change"},
      // The tape.
      {tape, Kind::special, Key::up, "", TuiAction::moveUp, "Up Down",
       "choose an entry (also k j)"},
      {tape, Kind::character, Key::none, "k", TuiAction::moveUp, "", ""},
      {tape, Kind::special, Key::down, "", TuiAction::moveDown, "", ""},
      {tape, Kind::character, Key::none, "j", TuiAction::moveDown, "", ""},
      {tape, Kind::special, Key::pageUp, "", TuiAction::pageUp, "PgUp PgDn", "a page up or down"},
      {tape, Kind::special, Key::pageDown, "", TuiAction::pageDown, "", ""},
      {tape, Kind::special, Key::home, "", TuiAction::moveFirst, "Home End", "first or last entry"},
      {tape, Kind::special, Key::end, "", TuiAction::moveLast, "", ""},
      {tape, Kind::special, Key::enter, "", TuiAction::takeEntry, "Enter",
       "the entry's result into the expression"},
      {tape, Kind::character, Key::none, "f", TuiAction::toggleFavorite, "f *",
       "mark or unmark a favorite"},
      {tape, Kind::character, Key::none, "*", TuiAction::toggleFavorite, "", ""},
      {tape, Kind::special, Key::deleteForward, "", TuiAction::removeEntry, "Del d",
       "remove the entry"},
      {tape, Kind::character, Key::none, "d", TuiAction::removeEntry, "", ""},
      // The help panel.
      {help, Kind::special, Key::up, "", TuiAction::moveUp, "", ""},
      {help, Kind::special, Key::down, "", TuiAction::moveDown, "", ""},
      {help, Kind::special, Key::pageUp, "", TuiAction::pageUp, "", ""},
      {help, Kind::special, Key::pageDown, "", TuiAction::pageDown, "", ""},
      {help, Kind::special, Key::home, "", TuiAction::moveFirst, "", ""},
      {help, Kind::special, Key::end, "", TuiAction::moveLast, "", ""},
      {help, Kind::control, Key::none, "c", TuiAction::quit, "", ""},
      {help, Kind::control, Key::none, "d", TuiAction::quit, "", ""},
      {help, Kind::control, Key::none, "l", TuiAction::redraw, "", ""},
  };
  return table;
}

std::optional<TuiAction> TuiKeyMap::action(TuiFocus focus, const TuiInput& input) {
  const auto& table = bindings();
  const auto found = std::find_if(table.begin(), table.end(), [&](const Binding& binding) {
    return matches(binding, focus, input);
  });
  if (found != table.end()) return found->action;
  // Any other key closes the help panel.
  if (focus == help && input.kind != Kind::resize && input.kind != Kind::paste) {
    return TuiAction::closeHelp;
  }
  return std::nullopt;
}

std::vector<std::string> TuiKeyMap::helpLines() {
  std::vector<std::string> lines{"Keys of the full-screen calculator", ""};
  for (const Binding& binding : bindings()) {
    if (binding.keyName.empty()) continue;
    lines.push_back(fmt::format("  {:<14} {}", binding.keyName, binding.meaning));
  }
  lines.insert(lines.end(),
               {"", "Calculator keys: typed as shown, or a key name in letters (Space types a name",
                "that another name continues: 'sin' for sinh); {TITLE} types a constant.",
                "Functions are postfix: '30 sin' is the sine of 30.", ""});
  const std::vector<std::string> typed = typedByKey();
  for (std::uint64_t value = 0; value < QVRTallixKeyTypeNone; ++value) {
    const auto key = static_cast<QVRTallixKeyType>(value);
    std::string ways = typed[value];
    if (key == QVRTallixKeyTypeEqual) ways = "Enter =";
    if (key == QVRTallixKeyTypeDelete) ways = "Backspace Del";
    if (key == QVRTallixKeyTypeClear) ways += " Esc";
    if (key == QVRTallixKeyTypeSignChange) ways += " ~";
    if (key == QVRTallixKeyTypeAngleModeDegrees || key == QVRTallixKeyTypeAngleModeRadians) {
      ways += " ^R";
    }
    if (ways.empty()) continue;
    lines.push_back(
        fmt::format("  {:<14} {}", ways, QVRTallixExpression::accessibilityLabelFromKeyType(key)));
  }
  return lines;
}

}  // namespace tallix
