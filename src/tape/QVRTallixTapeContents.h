#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cloud/QVRCKContents.h"

class QVRKeyedArchiver;
class QVRTallixExpression;

// The tape's contents: the dictionary {"expressions": the expressions, oldest first;
// "favoriteUUIDs": the uuid texts of the favorites, when there is such a list}.
//
// The expressions are shared as const objects. An expression is an identity object that the user
// edits, so the tape never holds the editor's expression itself: saving hands it a snapshot
// (QVRTallixExpression::snapshot, same uuid, same components) that nobody changes afterwards, and
// the same snapshot may sit in several versions of the contents at once.
class QVRTallixTapeContents final : public QVRCKContents {
 public:
  using Expression = std::shared_ptr<const QVRTallixExpression>;
  using ExpressionList = std::vector<Expression>;

  static constexpr std::string_view expressionsKey = "expressions";
  static constexpr std::string_view favoriteUUIDsKey = "favoriteUUIDs";

  // None elements of `expressions` are dropped.
  QVRTallixTapeContents(ExpressionList expressions,
                        std::optional<std::vector<std::string>> favoriteUUIDs);

  const ExpressionList& expressions() const { return _expressions; }
  // None when the dictionary has no such list.
  const std::optional<std::vector<std::string>>& favoriteUUIDs() const { return _favoriteUUIDs; }

  void encodeWithCoder(QVRKeyedArchiver& coder, std::string_view key) const override;
  // As dictionaries compare: the expressions element by element (by uuid), the identifiers in
  // order, a missing list unlike an empty one.
  bool isEqual(const QVRCKContents& other) const override;
  std::string description() const override;

 private:
  ExpressionList _expressions;
  std::optional<std::vector<std::string>> _favoriteUUIDs;
};
