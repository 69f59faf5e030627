#include "common/QVRKeyedUnarchiver.h"

#include <algorithm>
#include <cmath>

#include "common/QVRKeyedArchiver.h"
#include "common/QVRPropertyListReader.h"

namespace {

// Archives nest a few levels of their own ("$objects", a record, its "NS.objects", a UID).
constexpr std::size_t kArchiveStructureDepth = 8;

bool isArrayClass(std::string_view name) {
  return name == "NSArray" || name == "NSMutableArray";
}

bool isDictionaryClass(std::string_view name) {
  return name == "NSDictionary" || name == "NSMutableDictionary";
}

}  // namespace

QVRKeyedUnarchiver::QVRKeyedUnarchiver(std::span<const std::uint8_t> bytes,
                                       std::vector<std::string> allowedClassNames)
    : _allowedClassNames(std::move(allowedClassNames)) {
  auto read = QVRPropertyListReader::propertyList(bytes);
  if (!read.value) {
    _error = read.error.value_or(QVRArchiveError::malformed("not a property list"));
    return;
  }
  open(std::move(*read.value));
}

QVRKeyedUnarchiver::QVRKeyedUnarchiver(PropertyListTag, QVRPropertyList archive,
                                       std::vector<std::string> allowedClassNames)
    : _allowedClassNames(std::move(allowedClassNames)) {
  open(std::move(archive));
}

QVRKeyedUnarchiver QVRKeyedUnarchiver::withPropertyList(
    QVRPropertyList archive, std::vector<std::string> allowedClassNames) {
  return QVRKeyedUnarchiver(PropertyListTag{}, std::move(archive), std::move(allowedClassNames));
}

void QVRKeyedUnarchiver::open(QVRPropertyList archive) {
  _archive = std::move(archive);
  QVRPropertyList::Dictionary* entries = _archive.dictionary();
  if (!entries) {
    fail(QVRArchiveError::malformed("not a keyed archive"));
    return;
  }
  const QVRPropertyList* archiver = _archive.find("$archiver");
  const std::string* name = archiver ? archiver->string() : nullptr;
  if (!name || (*name != QVRKeyedArchiver::archiverName && *name != legacyArchiverName)) {
    fail(QVRArchiveError::malformed("not a keyed archive"));
    return;
  }
  const bool legacy = *name == legacyArchiverName;
  const auto objects = entries->find("$objects");
  const auto top = entries->find("$top");
  if (objects == entries->end() || !objects->second.isArray()) {
    fail(QVRArchiveError::malformed("a keyed archive without its objects"));
    return;
  }
  if (top == entries->end() || !top->second.isDictionary()) {
    fail(QVRArchiveError::malformed("a keyed archive without its top"));
    return;
  }
  std::size_t references = 0;
  if (!prepare(objects->second, legacy, 0, references) ||
      !prepare(top->second, legacy, 0, references)) {
    fail(QVRArchiveError::tooDeep());
    return;
  }
  _objects = objects->second.array();
  _top = top->second.dictionary();
  _inProgress.assign(_objects->size(), false);
  // Each reference is followed about once in an honest archive; shared objects a few times.
  _budget = 32 * (references + _objects->size()) + 1024;
}

bool QVRKeyedUnarchiver::prepare(QVRPropertyList& value, bool legacy, std::size_t depth,
                                 std::size_t& references) {
  if (depth > maximumDepth + kArchiveStructureDepth) return false;
  if (value.isUID()) {
    ++references;
  } else if (QVRPropertyList::Dictionary* entries = value.dictionary()) {
    if (legacy && entries->size() == 1) {
      const QVRPropertyList* reference = value.find("$ref");
      if (reference && reference->integer() && *reference->integer() >= 0) {
        value = QVRPropertyList(
            QVRPropertyList::UID{static_cast<std::uint64_t>(*reference->integer())});
        ++references;
        return true;
      }
    }
    for (auto& [key, element] : *entries) {
      if (!prepare(element, legacy, depth + 1, references)) return false;
    }
  } else if (QVRPropertyList::Array* elements = value.array()) {
    for (auto& element : *elements) {
      if (!prepare(element, legacy, depth + 1, references)) return false;
    }
  }
  return true;
}

bool QVRKeyedUnarchiver::fail(QVRArchiveError error) {
  if (!_error) _error = std::move(error);
  return false;
}

bool QVRKeyedUnarchiver::isAllowed(std::string_view className) const {
  return std::find(_allowedClassNames.begin(), _allowedClassNames.end(), className) !=
         _allowedClassNames.end();
}

QVRKeyedUnarchiver::Value QVRKeyedUnarchiver::resolve(const QVRPropertyList* raw) {
  Value value;
  value._unarchiver = this;
  if (_error || !raw || !_objects) return value;
  const QVRPropertyList* target = raw;
  if (const QVRPropertyList::UID* uid = raw->uid()) {
    if (_budget == 0) {
      fail(QVRArchiveError::budgetExceeded());
      return value;
    }
    --_budget;
    if (uid->value >= _objects->size()) {
      fail(QVRArchiveError::malformed("reference " + std::to_string(uid->value) + " out of range"));
      return value;
    }
    if (uid->value == 0) return value;  // "$null"
    value._index = static_cast<std::size_t>(uid->value);
    target = &(*_objects)[*value._index];
  } else if (raw->isArray() || raw->isDictionary()) {
    fail(QVRArchiveError::malformed("a value in place that is no reference"));
    return value;
  }
  using Kind = Value::Kind;
  switch (target->type()) {
    case QVRPropertyList::Type::boolean:
      value._kind = Kind::boolean;
      break;
    case QVRPropertyList::Type::integer:
      value._kind = Kind::integer;
      break;
    case QVRPropertyList::Type::real:
      value._kind = Kind::real;
      break;
    case QVRPropertyList::Type::string:
      value._kind = Kind::string;
      break;
    case QVRPropertyList::Type::data:
      value._kind = Kind::data;
      break;
    case QVRPropertyList::Type::date:
      value._kind = Kind::date;
      break;
    case QVRPropertyList::Type::dictionary: {
      const QVRPropertyList* classReference = target->find("$class");
      const QVRPropertyList::UID* classUID = classReference ? classReference->uid() : nullptr;
      const QVRPropertyList* classRecord =
          classUID && classUID->value > 0 && classUID->value < _objects->size()
              ? &(*_objects)[static_cast<std::size_t>(classUID->value)]
              : nullptr;
      const QVRPropertyList* className = classRecord ? classRecord->find("$classname") : nullptr;
      if (!className || !className->string()) {
        fail(QVRArchiveError::malformed("object " + std::to_string(value._index.value_or(0)) +
                                        " names no class"));
        return value;
      }
      value._className = *className->string();
      if (isArrayClass(value._className)) {
        value._kind = Kind::array;
      } else if (isDictionaryClass(value._className)) {
        value._kind = Kind::dictionary;
      } else if (!isAllowed(value._className)) {
        fail(QVRArchiveError::classNotAllowed(std::string(value._className)));
        return value;
      } else {
        value._kind = Kind::object;
      }
      break;
    }
    case QVRPropertyList::Type::array:
    case QVRPropertyList::Type::uid:
      fail(QVRArchiveError::malformed("object " + std::to_string(value._index.value_or(0)) +
                                      " is neither a record nor a plain value"));
      return value;
  }
  value._resolved = target;
  return value;
}

const QVRPropertyList* QVRKeyedUnarchiver::rawValueForKey(std::string_view key) const {
  const QVRPropertyList::Dictionary* record = _frames.empty() ? _top : _frames.back().record;
  if (!record) return nullptr;
  const auto found = record->find(key);
  return found == record->end() ? nullptr : &found->second;
}

std::string_view QVRKeyedUnarchiver::className() const {
  return _frames.empty() ? std::string_view() : _frames.back().className;
}

bool QVRKeyedUnarchiver::containsValueForKey(std::string_view key) const {
  return rawValueForKey(key) != nullptr;
}

QVRKeyedUnarchiver::Value QVRKeyedUnarchiver::valueForKey(std::string_view key) {
  return resolve(rawValueForKey(key));
}

const QVRPropertyList* QVRKeyedUnarchiver::decodePropertyListForKey(std::string_view key) {
  return valueForKey(key).propertyList();
}

bool QVRKeyedUnarchiver::decodeBoolForKey(std::string_view key) {
  const QVRPropertyList* value = valueForKey(key).propertyList();
  if (!value) return false;
  if (const bool* flag = value->boolean()) return *flag;
  if (const std::int64_t* number = value->integer()) return *number != 0;
  if (const double* number = value->real()) return *number != 0;
  return false;
}

std::int64_t QVRKeyedUnarchiver::decodeIntegerForKey(std::string_view key) {
  const QVRPropertyList* value = valueForKey(key).propertyList();
  if (!value) return 0;
  if (const std::int64_t* number = value->integer()) return *number;
  if (const bool* flag = value->boolean()) return *flag ? 1 : 0;
  if (const double* number = value->real()) {
    // Within the range of 64-bit integers, cut to the whole part; else 0.
    if (std::isfinite(*number) && *number >= -9223372036854775808.0 &&
        *number < 9223372036854775808.0) {
      return static_cast<std::int64_t>(*number);
    }
  }
  return 0;
}

double QVRKeyedUnarchiver::decodeDoubleForKey(std::string_view key) {
  const QVRPropertyList* value = valueForKey(key).propertyList();
  if (!value) return 0;
  if (value->isBoolean() || value->isNumber()) return value->doubleValue().value_or(0);
  return 0;
}

std::optional<std::string> QVRKeyedUnarchiver::decodeStringForKey(std::string_view key) {
  return valueForKey(key).string();
}

void QVRKeyedUnarchiver::registerObject(std::type_index type, void* object) {
  if (_frames.empty()) return;
  _registrations.push_back({_frames.back().index, type, object});
}

void* QVRKeyedUnarchiver::registeredObject(std::size_t index, std::type_index type) const {
  for (const auto& registration : _registrations) {
    if (registration.index == index && registration.type == type) return registration.object;
  }
  return nullptr;
}

QVRKeyedUnarchiver::Entry::Entry(QVRKeyedUnarchiver& unarchiver, const Value& value, bool isObject)
    : _unarchiver(unarchiver), _index(value._index.value_or(0)), _isObject(isObject) {
  if (unarchiver._error || !value._index || !value._resolved) return;
  if (unarchiver._inProgress[_index]) {
    unarchiver.fail(QVRArchiveError::cycle());
    return;
  }
  if (unarchiver._depth >= maximumDepth) {
    unarchiver.fail(QVRArchiveError::tooDeep());
    return;
  }
  unarchiver._inProgress[_index] = true;
  ++unarchiver._depth;
  if (_isObject) {
    unarchiver._frames.push_back({value._resolved->dictionary(), _index, value._className});
  }
  _entered = true;
}

QVRKeyedUnarchiver::Entry::~Entry() {
  if (!_entered) return;
  _unarchiver._inProgress[_index] = false;
  --_unarchiver._depth;
  if (_isObject) {
    _unarchiver._frames.pop_back();
    auto& registrations = _unarchiver._registrations;
    registrations.erase(std::remove_if(registrations.begin(), registrations.end(),
                                       [&](const Registration& registration) {
                                         return registration.index == _index;
                                       }),
                        registrations.end());
  }
}

std::optional<std::string> QVRKeyedUnarchiver::Value::string() const {
  if (_kind != Kind::string || !_resolved) return std::nullopt;
  return *_resolved->string();
}

std::optional<QVRPropertyList> QVRKeyedUnarchiver::Value::decodePlainValue() const {
  switch (_kind) {
    case Kind::none:
    case Kind::object:
      return std::nullopt;
    case Kind::array: {
      QVRPropertyList::Array elements;
      bool complete = true;
      const bool read = decodeArray([&](const Value& element) {
        auto plain = element.decodePlainValue();
        if (plain) {
          elements.push_back(std::move(*plain));
        } else {
          complete = false;
        }
      });
      if (!read || !complete) return std::nullopt;
      return QVRPropertyList(std::move(elements));
    }
    case Kind::dictionary: {
      QVRPropertyList::Dictionary entries;
      bool complete = true;
      const bool read = decodeDictionary([&](std::string_view key, const Value& element) {
        auto plain = element.decodePlainValue();
        if (plain) {
          entries.insert_or_assign(std::string(key), std::move(*plain));
        } else {
          complete = false;
        }
      });
      if (!read || !complete) return std::nullopt;
      return QVRPropertyList(std::move(entries));
    }
    default:
      return _resolved ? std::optional(*_resolved) : std::nullopt;
  }
}
