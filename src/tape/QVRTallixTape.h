#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cloud/QVRCKDocument.h"
#include "tape/QVRTallixTapeContents.h"

class QVRCKContainer;

// Posted (object: the tape) when the expressions differ from those last announced.
inline constexpr std::string_view QVRTallixTapeDidChangeExpressionsNotification =
    "QVRTallixTapeDidChangeExpressionsNotification";
// Posted after the one above when the change was exactly one expression appended at the end.
inline constexpr std::string_view QVRTallixTapeDidAppendExpressionNotification =
    "QVRTallixTapeDidAppendExpressionNotification";
// Posted (object: the tape) when the favorites differ from those last announced.
inline constexpr std::string_view QVRTallixTapeDidChangeFavoritesNotification =
    "QVRTallixTapeDidChangeFavoritesNotification";

// The history tape: the expressions the user evaluated, oldest first, and the favorites among
// them, kept as a cloud document ("Tallix.tape" in the documents directory) and merged with the
// tapes of the user's other machines.
//
// Every edit makes new contents (QVRTallixTapeContents) and applies them with setContents, which
// saves and announces: after each change, local or from the server, the expressions are
// announced, then the favorites. Favorites are the tape's expressions whose uuid is listed under
// "favoriteUUIDs", always in tape order; changing the expressions drops the identifiers that no
// longer name one of them.
//
// Operations with an index answer none or do nothing for an index out of range; so do the ones
// whose index must lie within the list (insert, replace) and those that need an element (remove
// the last), so that no input reaches past a list.
class QVRTallixTape final : public QVRCKDocument {
 public:
  using Expression = QVRTallixTapeContents::Expression;
  using ExpressionList = QVRTallixTapeContents::ExpressionList;

  static constexpr std::string_view documentName = "Tallix.tape";

  // The process-wide tape (one per environment). Before making it, removes a file (not a
  // directory) named "Tallix.tape" in the documents directory, which would stand where the
  // document's directory belongs.
  static QVRTallixTape& tape();

  QVRTallixTape(std::string name, std::shared_ptr<QVRCKContainer> container,
                Storage storage = Storage::standard());

  // The contents class.
  static std::vector<std::string> contentsClassNames();
  // None for no value. Raises QVRException for contents that are no dictionary, or whose
  // "expressions" or "favoriteUUIDs" is no list (the document then logs the failure and keeps
  // the file aside). Elements of the wrong kind inside a list (an element that is no expression,
  // an expression that cannot be decoded, an identifier that is no text) are skipped with one
  // log line, so that one bad entry does not cost the whole tape.
  static Contents decodeContents(const QVRKeyedUnarchiver::Value& value);
  // The server's lists merged with the local ones (QVRArray::arrayByMergingWithArray, the
  // server's list the receiver); other keys are dropped. Contents of another kind: logged
  // "Couldn't merge %@ with %@", the local contents kept.
  static Contents mergeLocalContents(const Contents& local, const Contents& server);

  // Expressions.
  const ExpressionList& expressions() const;
  void setExpressions(ExpressionList expressions);
  std::uint64_t expressionCount() const { return expressions().size(); }
  Expression expressionAtIndex(std::uint64_t index) const;
  Expression expressionWithUUID(std::string_view uuid) const;
  // Appends, unless there is no expression or it repeats the last result as a bare calculation:
  // it is refused when its result compares the same as the last expression's (an empty tape
  // counts as the same), it has exactly two components, and its first number is absent or not
  // editable.
  bool addExpression(Expression expression);
  // addExpression for each in turn, as one change of the contents (one save, one set of
  // announcements); answers how many were appended. A batch of n costs O(n + tape), where n
  // single additions each copy the whole list.
  std::uint64_t addExpressions(const ExpressionList& additions);
  void insertExpression(Expression expression, std::uint64_t atIndex);
  void removeLastExpression();
  void removeExpressionAtIndex(std::uint64_t index);
  void replaceExpressionAtIndex(std::uint64_t index, Expression withExpression);
  // Found first by identity (the same object), then by equality (the same uuid).
  void removeExpression(const Expression& expression);
  void removeAllExpressions();
  // Keeps only the favorites, in tape order.
  void removeAllNonFavoriteExpressions();

  // Favorites.
  // None when the contents have no such list.
  const std::vector<std::string>* favoriteUUIDs() const;
  ExpressionList favorites() const;
  // Stores the uuid of each expression (also of ones not on the tape, which favorites() then
  // does not list).
  void setFavorites(const ExpressionList& favorites);
  std::uint64_t favoriteCount() const { return favorites().size(); }
  Expression favoriteAtIndex(std::uint64_t index) const;
  void addFavorite(Expression favorite);
  void insertFavorite(Expression favorite, std::uint64_t atIndex);
  void removeLastFavorite();
  void removeFavoriteAtIndex(std::uint64_t index);
  void replaceFavoriteAtIndex(std::uint64_t index, Expression withFavorite);
  void removeFavorite(const Expression& favorite);
  void removeAllFavorites();
  bool expressionIsFavorite(const QVRTallixExpression& expression) const;

 protected:
  void contentsDidChange() override;

 private:
  const QVRTallixTapeContents* tapeContents() const;
  // The expressions of `contents`; none when they are not a tape's.
  static const ExpressionList& expressionsOf(const Contents& contents);
  // Whether addExpression takes `expression` after `last` (none on an empty tape).
  static bool acceptsAfter(const Expression& last, const QVRTallixExpression& expression);
  void expressionsDidChange();
  void favoritesDidChange();

  // The contents whose expressions were last announced (kept rather than a copy of the list:
  // contents never change, and the list is as long as the tape).
  Contents _announcedContents;
  std::optional<ExpressionList> _lastFavorites;
};
