#include "common/QVRBinaryPropertyListReader.h"

#include <vector>

#include "common/QVRBinaryPropertyListView.h"

namespace {

using View = QVRBinaryPropertyListView;

// One reading of one file into a tree. Values that several containers share are copied into each
// of them; the two budgets (values made, and bytes of text and data copied) stop bytes that share
// their way into an explosion. A file written without sharing containers makes at most one value
// per reference it holds, so the budgets never bind for honest files.
class TreeBuilder {
 public:
  explicit TreeBuilder(std::span<const std::uint8_t> bytes)
      : _view(bytes),
        _inProgress(static_cast<std::size_t>(_view.objectCount()), false),
        _valueBudget(2 * bytes.size() + 64),
        _payloadBudget(64 * bytes.size() + 65536) {}

  std::optional<QVRPropertyList> build() {
    if (_view.error()) return std::nullopt;
    return value(_view.topObject(), 0);
  }
  std::optional<QVRArchiveError> error() const { return _error ? _error : _view.error(); }

 private:
  std::nullopt_t failed(QVRArchiveError failure) {
    if (!_error) _error = std::move(failure);
    return std::nullopt;
  }

  // Spends the budgets for one value made from `object`.
  bool spend(const View::Object& object) {
    // A UTF-16 unit takes up to three bytes of UTF-8.
    const bool payload = object.kind == View::Kind::data || object.kind == View::Kind::text;
    const std::size_t cost = !payload                  ? 0
                             : object.marker >> 4 == 6 ? 3 * object.count
                                                       : object.count;
    if (_valueBudget == 0 || cost > _payloadBudget) {
      failed(QVRArchiveError::budgetExceeded());
      return false;
    }
    --_valueBudget;
    _payloadBudget -= cost;
    return true;
  }

  std::optional<std::string> text(View::Reference reference) {
    const auto object = _view.object(reference);
    if (!object || !spend(*object)) return std::nullopt;
    if (object->kind != View::Kind::text) {
      return failed(QVRArchiveError::malformed("dictionary key that is no text"));
    }
    return _view.text(*object);
  }

  std::optional<QVRPropertyList> value(View::Reference reference, std::size_t depth) {
    const auto object = _view.object(reference);
    if (!object) return std::nullopt;
    const auto index = static_cast<std::size_t>(reference);
    if (_inProgress[index]) return failed(QVRArchiveError::cycle());
    if (depth > QVRBinaryPropertyListReader::maximumDepth) {
      return failed(QVRArchiveError::tooDeep());
    }
    if (!spend(*object)) return std::nullopt;
    if (object->kind != View::Kind::array && object->kind != View::Kind::dictionary) {
      return _view.scalar(*object);
    }
    _inProgress[index] = true;
    std::optional<QVRPropertyList> container;
    if (object->kind == View::Kind::array) {
      container = array(*object, depth);
    } else {
      container = dictionary(*object, depth);
    }
    _inProgress[index] = false;
    return container;
  }

  std::optional<QVRPropertyList> array(const View::Object& object, std::size_t depth) {
    QVRPropertyList::Array list;
    list.reserve(object.count);
    for (std::size_t index = 0; index < object.count; ++index) {
      const auto reference = _view.referenceAt(object, index);
      if (!reference) return std::nullopt;
      auto element = value(*reference, depth + 1);
      if (!element) return std::nullopt;
      list.push_back(std::move(*element));
    }
    return std::optional<QVRPropertyList>(std::in_place, std::move(list));
  }

  std::optional<QVRPropertyList> dictionary(const View::Object& object, std::size_t depth) {
    QVRPropertyList::Dictionary entries;
    for (std::size_t index = 0; index < object.count; ++index) {
      const auto keyReference = _view.referenceAt(object, index);
      const auto valueReference = _view.referenceAt(object, object.count + index);
      if (!keyReference || !valueReference) return std::nullopt;
      auto key = text(*keyReference);
      if (!key) return std::nullopt;
      auto entry = value(*valueReference, depth + 1);
      if (!entry) return std::nullopt;
      entries.insert_or_assign(std::move(*key), std::move(*entry));
    }
    return std::optional<QVRPropertyList>(std::in_place, std::move(entries));
  }

  View _view;
  std::optional<QVRArchiveError> _error;
  std::vector<bool> _inProgress;
  std::size_t _valueBudget;
  std::size_t _payloadBudget;
};

}  // namespace

bool QVRBinaryPropertyListReader::isBinaryPropertyList(std::span<const std::uint8_t> bytes) {
  return QVRBinaryPropertyListView::isBinaryPropertyList(bytes);
}

QVRResult<std::optional<QVRPropertyList>> QVRBinaryPropertyListReader::propertyList(
    std::span<const std::uint8_t> bytes) {
  TreeBuilder builder(bytes);
  auto value = builder.build();
  if (!value) {
    return {std::nullopt, builder.error().value_or(QVRArchiveError::malformed("unreadable"))};
  }
  return {std::move(value), std::nullopt};
}
