#include "tape/QVRTallixTape.h"

#include <algorithm>
#include <filesystem>
#include <unordered_set>

#include <fmt/format.h>

#include "cloud/QVRCKMergeContents.h"
#include "cloud/QVRTallixCommon.h"
#include "common/QVRArray.h"
#include "common/QVREnvironment.h"
#include "common/QVRException.h"
#include "common/QVRLogger.h"
#include "expression/QVRTallixExpression.h"

namespace {

using Expression = QVRTallixTape::Expression;
using ExpressionList = QVRTallixTape::ExpressionList;

bool sameExpression(const Expression& a, const Expression& b) {
  return a == b || (a && b && a->isEqual(*b));
}

bool sameList(const ExpressionList& a, const ExpressionList& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), sameExpression);
}

// Hash and equality by uuid, for merging lists of expressions.
struct UUIDHash {
  std::size_t operator()(const Expression& expression) const { return expression->hash(); }
};
struct UUIDEqual {
  bool operator()(const Expression& a, const Expression& b) const { return a->isEqual(*b); }
};

// The edits shared by the expressions and the favorites; each answers false when it changes
// nothing.
bool insertAt(ExpressionList& list, Expression expression, std::uint64_t index) {
  if (!expression || index > list.size()) return false;
  list.insert(list.begin() + static_cast<std::ptrdiff_t>(index), std::move(expression));
  return true;
}
bool removeAt(ExpressionList& list, std::uint64_t index) {
  if (index >= list.size()) return false;
  list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
  return true;
}
bool replaceAt(ExpressionList& list, std::uint64_t index, Expression expression) {
  if (!expression || index >= list.size()) return false;
  list[index] = std::move(expression);
  return true;
}
// The index of the same object, else of the first equal one.
std::optional<std::uint64_t> indexOf(const ExpressionList& list, const Expression& expression) {
  if (!expression) return std::nullopt;
  auto found = std::find(list.begin(), list.end(), expression);
  if (found == list.end()) {
    found = std::find_if(list.begin(), list.end(),
                         [&](const Expression& element) { return element->isEqual(*expression); });
  }
  if (found == list.end()) return std::nullopt;
  return static_cast<std::uint64_t>(found - list.begin());
}

Expression elementAt(const ExpressionList& list, std::uint64_t index) {
  return index < list.size() ? list[index] : nullptr;
}

}  // namespace

QVRTallixTape& QVRTallixTape::tape() {
  QVREnvironment& environment = QVREnvironment::current();
  return environment.sharedInstance<QVRTallixTape>([&environment] {
    const std::filesystem::path path = environment.documentsDirectory() / documentName;
    std::error_code error;
    const auto status = std::filesystem::symlink_status(path, error);
    if (std::filesystem::exists(status) && !std::filesystem::is_directory(status)) {
      if (!std::filesystem::remove(path, error) || error) {
        QVRLogger::logFormat("Failed to remove file where CloudKit document should reside (" +
                             path.string() + ")");
      }
    }
    return std::make_unique<QVRTallixTape>(std::string(documentName), QVRTallixCommon::container());
  });
}

QVRTallixTape::QVRTallixTape(std::string name, std::shared_ptr<QVRCKContainer> container,
                             Storage storage)
    : QVRCKDocument(std::move(name), std::move(container),
                    QVRCKContentsClassOf<QVRTallixTape>::instance(), std::move(storage)),
      _announcedContents(contents()) {}

std::vector<std::string> QVRTallixTape::contentsClassNames() {
  return QVRTallixExpression::archiveClassNames();
}

QVRCKDocument::Contents QVRTallixTape::decodeContents(const QVRKeyedUnarchiver::Value& value) {
  using Kind = QVRKeyedUnarchiver::Value::Kind;
  if (!value) return nullptr;
  if (value.kind() != Kind::dictionary) {
    throw QVRException::invalidArgument("the tape's contents are no dictionary");
  }
  ExpressionList expressions;
  std::optional<std::vector<std::string>> favoriteUUIDs;
  std::size_t skipped = 0;
  value.decodeDictionary([&](std::string_view key, const QVRKeyedUnarchiver::Value& list) {
    if (key == QVRTallixTapeContents::expressionsKey) {
      if (list.kind() != Kind::array) {
        throw QVRException::invalidArgument("the tape's expressions are no list");
      }
      expressions.clear();
      list.decodeArray([&](const QVRKeyedUnarchiver::Value& element) {
        std::shared_ptr<const QVRTallixExpression> expression =
            element.decodeObjectOfClass<QVRTallixExpression>();
        if (expression) {
          expressions.push_back(std::move(expression));
        } else {
          ++skipped;
        }
      });
    } else if (key == QVRTallixTapeContents::favoriteUUIDsKey) {
      if (list.kind() != Kind::array) {
        throw QVRException::invalidArgument("the tape's favorite identifiers are no list");
      }
      favoriteUUIDs.emplace();
      list.decodeArray([&](const QVRKeyedUnarchiver::Value& element) {
        if (auto uuid = element.string()) {
          favoriteUUIDs->push_back(std::move(*uuid));
        } else {
          ++skipped;
        }
      });
    }
  });
  if (skipped != 0) {
    QVRLogger::logFormat(fmt::format("Skipped {} unreadable entries of the tape", skipped));
  }
  return std::make_shared<QVRTallixTapeContents>(std::move(expressions), std::move(favoriteUUIDs));
}

QVRCKDocument::Contents QVRTallixTape::mergeLocalContents(const Contents& local,
                                                          const Contents& server) {
  return QVRCKMergeContents<QVRTallixTapeContents>(
      local, server,
      [](const QVRTallixTapeContents& localTape, const QVRTallixTapeContents& serverTape) {
        auto expressions = QVRArray::arrayByMergingWithArray(
            serverTape.expressions(), &localTape.expressions(), UUIDHash{}, UUIDEqual{});
        const std::vector<std::string> noIdentifiers;
        const auto& localFavorites = localTape.favoriteUUIDs();
        auto favoriteUUIDs =
            QVRArray::arrayByMergingWithArray(serverTape.favoriteUUIDs().value_or(noIdentifiers),
                                              localFavorites ? &*localFavorites : nullptr);
        return std::make_shared<QVRTallixTapeContents>(std::move(expressions),
                                                       std::move(favoriteUUIDs));
      });
}

const QVRTallixTapeContents* QVRTallixTape::tapeContents() const {
  return dynamic_cast<const QVRTallixTapeContents*>(contents().get());
}

// Expressions.

const QVRTallixTape::ExpressionList& QVRTallixTape::expressionsOf(const Contents& contents) {
  static const ExpressionList none;
  const auto* tape = dynamic_cast<const QVRTallixTapeContents*>(contents.get());
  return tape ? tape->expressions() : none;
}

const QVRTallixTape::ExpressionList& QVRTallixTape::expressions() const {
  return expressionsOf(contents());
}

void QVRTallixTape::setExpressions(ExpressionList expressions) {
  const QVRTallixTapeContents* tape = tapeContents();
  std::optional<std::vector<std::string>> favoriteUUIDs;
  if (tape) favoriteUUIDs = tape->favoriteUUIDs();
  if (favoriteUUIDs && !favoriteUUIDs->empty()) {
    std::unordered_set<std::string> present;
    for (const Expression& expression : expressions) {
      if (expression) present.insert(expression->uuid());
    }
    std::erase_if(*favoriteUUIDs, [&](const std::string& uuid) { return !present.contains(uuid); });
  }
  setContents(
      std::make_shared<QVRTallixTapeContents>(std::move(expressions), std::move(favoriteUUIDs)));
}

QVRTallixTape::Expression QVRTallixTape::expressionAtIndex(std::uint64_t index) const {
  return elementAt(expressions(), index);
}

QVRTallixTape::Expression QVRTallixTape::expressionWithUUID(std::string_view uuid) const {
  const Expression* found = QVRArray::objectPassingTest(
      expressions(), [&](const Expression& expression) { return expression->uuid() == uuid; });
  return found ? *found : nullptr;
}

bool QVRTallixTape::acceptsAfter(const Expression& last, const QVRTallixExpression& expression) {
  const bool sameResult =
      !last || expression.result().compare(last->result()) == QVRComparisonResult::orderedSame;
  const auto& components = expression.components();
  if (!sameResult || components.size() != 2) return true;
  const QVRTallixAnyNumber* first = components.front().tallixNumber();
  return first && first->canEdit();
}

bool QVRTallixTape::addExpression(Expression expression) {
  return addExpressions({std::move(expression)}) == 1;
}

std::uint64_t QVRTallixTape::addExpressions(const ExpressionList& additions) {
  const ExpressionList& tape = expressions();
  Expression last = tape.empty() ? nullptr : tape.back();
  ExpressionList edited;
  std::uint64_t added = 0;
  for (const Expression& expression : additions) {
    if (!expression || !acceptsAfter(last, *expression)) continue;
    if (added++ == 0) {
      edited.reserve(tape.size() + additions.size());
      edited.assign(tape.begin(), tape.end());
    }
    edited.push_back(expression);
    last = expression;
  }
  if (added != 0) setExpressions(std::move(edited));
  return added;
}

void QVRTallixTape::insertExpression(Expression expression, std::uint64_t atIndex) {
  ExpressionList edited = expressions();
  if (insertAt(edited, std::move(expression), atIndex)) setExpressions(std::move(edited));
}

void QVRTallixTape::removeLastExpression() {
  if (expressionCount() != 0) removeExpressionAtIndex(expressionCount() - 1);
}

void QVRTallixTape::removeExpressionAtIndex(std::uint64_t index) {
  ExpressionList edited = expressions();
  if (removeAt(edited, index)) setExpressions(std::move(edited));
}

void QVRTallixTape::replaceExpressionAtIndex(std::uint64_t index, Expression withExpression) {
  ExpressionList edited = expressions();
  if (replaceAt(edited, index, std::move(withExpression))) setExpressions(std::move(edited));
}

void QVRTallixTape::removeExpression(const Expression& expression) {
  if (const auto index = indexOf(expressions(), expression)) removeExpressionAtIndex(*index);
}

void QVRTallixTape::removeAllExpressions() {
  setExpressions({});
}

void QVRTallixTape::removeAllNonFavoriteExpressions() {
  setExpressions(favorites());
}

// Favorites.

const std::vector<std::string>* QVRTallixTape::favoriteUUIDs() const {
  const QVRTallixTapeContents* tape = tapeContents();
  return tape && tape->favoriteUUIDs() ? &*tape->favoriteUUIDs() : nullptr;
}

QVRTallixTape::ExpressionList QVRTallixTape::favorites() const {
  const std::vector<std::string>* uuids = favoriteUUIDs();
  if (!uuids || uuids->empty()) return {};
  const std::unordered_set<std::string> favorite(uuids->begin(), uuids->end());
  return QVRArray::objectsPassingTest(expressions(), [&](const Expression& expression) {
    return favorite.contains(expression->uuid());
  });
}

void QVRTallixTape::setFavorites(const ExpressionList& favorites) {
  const QVRTallixTapeContents* tape = tapeContents();
  std::vector<std::string> uuids;
  uuids.reserve(favorites.size());
  for (const Expression& favorite : favorites) {
    if (favorite) uuids.push_back(favorite->uuid());
  }
  setContents(std::make_shared<QVRTallixTapeContents>(tape ? tape->expressions() : ExpressionList{},
                                                      std::move(uuids)));
  favoritesDidChange();
}

QVRTallixTape::Expression QVRTallixTape::favoriteAtIndex(std::uint64_t index) const {
  return elementAt(favorites(), index);
}

void QVRTallixTape::addFavorite(Expression favorite) {
  ExpressionList edited = favorites();
  if (insertAt(edited, std::move(favorite), edited.size())) setFavorites(edited);
}

void QVRTallixTape::insertFavorite(Expression favorite, std::uint64_t atIndex) {
  ExpressionList edited = favorites();
  if (insertAt(edited, std::move(favorite), atIndex)) setFavorites(edited);
}

void QVRTallixTape::removeLastFavorite() {
  ExpressionList edited = favorites();
  if (!edited.empty() && removeAt(edited, edited.size() - 1)) setFavorites(edited);
}

void QVRTallixTape::removeFavoriteAtIndex(std::uint64_t index) {
  ExpressionList edited = favorites();
  if (removeAt(edited, index)) setFavorites(edited);
}

void QVRTallixTape::replaceFavoriteAtIndex(std::uint64_t index, Expression withFavorite) {
  ExpressionList edited = favorites();
  if (replaceAt(edited, index, std::move(withFavorite))) setFavorites(edited);
}

void QVRTallixTape::removeFavorite(const Expression& favorite) {
  ExpressionList edited = favorites();
  if (const auto index = indexOf(edited, favorite)) {
    removeAt(edited, *index);
    setFavorites(edited);
  }
}

void QVRTallixTape::removeAllFavorites() {
  setFavorites({});
}

bool QVRTallixTape::expressionIsFavorite(const QVRTallixExpression& expression) const {
  const std::vector<std::string>* uuids = favoriteUUIDs();
  return uuids && std::find(uuids->begin(), uuids->end(), expression.uuid()) != uuids->end();
}

// Announcements.

void QVRTallixTape::contentsDidChange() {
  expressionsDidChange();
  favoritesDidChange();
}

void QVRTallixTape::expressionsDidChange() {
  const ExpressionList& last = expressionsOf(_announcedContents);
  const ExpressionList& current = expressions();
  if (sameList(current, last)) return;
  const bool appended =
      current.size() == last.size() + 1 && QVRArray::hasPrefix(current, last, sameExpression);
  // Recorded before posting: an observer may change the tape, which announces on its own.
  _announcedContents = contents();
  auto& center = QVREnvironment::current().notificationCenter();
  center.post(QVRTallixTapeDidChangeExpressionsNotification, this);
  if (appended) center.post(QVRTallixTapeDidAppendExpressionNotification, this);
}

void QVRTallixTape::favoritesDidChange() {
  ExpressionList current = favorites();
  if (!_lastFavorites || !sameList(current, *_lastFavorites)) {
    QVREnvironment::current().notificationCenter().post(QVRTallixTapeDidChangeFavoritesNotification,
                                                        this);
  }
  _lastFavorites = std::move(current);
}
