#include "common/QVRKeyedUnarchiver.h"

#include <algorithm>
#include <cmath>

#include "common/QVRBinaryPropertyListWriter.h"
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
  open(bytes);
}

QVRKeyedUnarchiver::QVRKeyedUnarchiver(QVRPropertyList::Data&& bytes,
                                       std::vector<std::string> allowedClassNames)
    : _ownedBytes(std::move(bytes)), _allowedClassNames(std::move(allowedClassNames)) {
  open(_ownedBytes);
}

QVRKeyedUnarchiver::QVRKeyedUnarchiver(PropertyListTag, QVRPropertyList archive,
                                       std::vector<std::string> allowedClassNames)
    : _allowedClassNames(std::move(allowedClassNames)) {
  openTree(std::move(archive));
}

QVRKeyedUnarchiver QVRKeyedUnarchiver::withPropertyList(
    QVRPropertyList archive, std::vector<std::string> allowedClassNames) {
  return QVRKeyedUnarchiver(PropertyListTag{}, std::move(archive), std::move(allowedClassNames));
}

void QVRKeyedUnarchiver::open(std::span<const std::uint8_t> bytes) {
  bool today = false;
  View::Object root;
  if (View::isBinaryPropertyList(bytes)) {
    _view.emplace(bytes);
    const auto top = _view->object(_view->topObject());
    if (top && top->kind == View::Kind::dictionary) {
      root = *top;
      const auto archiver = _view->objectForKey(root, "$archiver");
      today = archiver && _view->textEquals(*archiver, QVRKeyedArchiver::archiverName);
    }
    if (_view->error()) {
      failedInView();
      return;
    }
  }
  if (!today) {
    // XML, the older archives' references and anything else go through a tree.
    _view.reset();
    auto read = QVRPropertyListReader::propertyList(bytes);
    if (!read.value) {
      fail(read.error.value_or(QVRArchiveError::malformed("not a property list")));
      return;
    }
    openTree(std::move(*read.value));
    return;
  }
  const auto objectsArray = _view->objectForKey(root, "$objects");
  if (!objectsArray || objectsArray->kind != View::Kind::array) {
    if (_view->error()) failedInView();
    fail(QVRArchiveError::malformed("a keyed archive without its objects"));
    return;
  }
  const auto topDictionary = _view->objectForKey(root, "$top");
  if (!topDictionary || topDictionary->kind != View::Kind::dictionary) {
    if (_view->error()) failedInView();
    fail(QVRArchiveError::malformed("a keyed archive without its top"));
    return;
  }
  _objects = *objectsArray;
  _top = *topDictionary;
  _inProgress.assign(_objects.count, false);
  // Each reference is followed about once in an honest archive, shared objects a few times; a
  // reference takes at least a byte.
  _budget = 32 * bytes.size() + 1024;
}

void QVRKeyedUnarchiver::openTree(QVRPropertyList archive) {
  QVRPropertyList::Dictionary* entries = archive.dictionary();
  const QVRPropertyList* archiver = archive.find("$archiver");
  const std::string* name = archiver ? archiver->string() : nullptr;
  if (!entries || !name ||
      (*name != QVRKeyedArchiver::archiverName && *name != legacyArchiverName)) {
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
  if (!prepare(objects->second, legacy, 0) || !prepare(top->second, legacy, 0)) {
    fail(QVRArchiveError::tooDeep());
    return;
  }
  (*entries)["$archiver"] = QVRPropertyList(QVRKeyedArchiver::archiverName);
  _ownedBytes = QVRBinaryPropertyListWriter::dataFromPropertyList(archive);
  open(_ownedBytes);
}

bool QVRKeyedUnarchiver::prepare(QVRPropertyList& value, bool legacy, std::size_t depth) {
  if (depth > maximumDepth + kArchiveStructureDepth) return false;
  if (QVRPropertyList::Dictionary* entries = value.dictionary()) {
    if (legacy && entries->size() == 1) {
      const QVRPropertyList* reference = value.find("$ref");
      if (reference && reference->integer() && *reference->integer() >= 0) {
        value = QVRPropertyList(
            QVRPropertyList::UID{static_cast<std::uint64_t>(*reference->integer())});
        return true;
      }
    }
    for (auto& [key, element] : *entries) {
      if (!prepare(element, legacy, depth + 1)) return false;
    }
  } else if (QVRPropertyList::Array* elements = value.array()) {
    for (auto& element : *elements) {
      if (!prepare(element, legacy, depth + 1)) return false;
    }
  }
  return true;
}

bool QVRKeyedUnarchiver::fail(QVRArchiveError error) {
  if (!_error) _error = std::move(error);
  return false;
}

bool QVRKeyedUnarchiver::failedInView() {
  return fail(_view && _view->error() ? *_view->error() : QVRArchiveError::malformed("unreadable"));
}

bool QVRKeyedUnarchiver::isAllowed(std::string_view className) const {
  return std::find(_allowedClassNames.begin(), _allowedClassNames.end(), className) !=
         _allowedClassNames.end();
}

std::optional<std::string_view> QVRKeyedUnarchiver::classNameOfRecord(std::uint64_t index) {
  if (index == 0 || index >= _objects.count) return std::nullopt;
  if (const auto known = _classNames.find(index); known != _classNames.end()) {
    return std::string_view(known->second);
  }
  const auto record = _view->referenceAt(_objects, static_cast<std::size_t>(index));
  const auto recordObject = record ? _view->object(*record) : std::nullopt;
  if (!recordObject || recordObject->kind != View::Kind::dictionary) return std::nullopt;
  const auto nameObject = _view->objectForKey(*recordObject, "$classname");
  if (!nameObject || nameObject->kind != View::Kind::text) return std::nullopt;
  auto text = _view->text(*nameObject);
  if (!text) return std::nullopt;
  return std::string_view(_classNames.emplace(index, std::move(*text)).first->second);
}

QVRKeyedUnarchiver::Value QVRKeyedUnarchiver::resolve(std::optional<Reference> raw) {
  Value value;
  value._unarchiver = this;
  if (_error || !_view) return value;
  if (!raw) {
    if (_view->error()) failedInView();
    return value;
  }
  auto target = _view->object(*raw);
  if (!target) {
    failedInView();
    return value;
  }
  using ViewKind = View::Kind;
  if (target->kind == ViewKind::uid) {
    const auto uid = _view->uid(*target);
    if (!uid) {
      failedInView();
      return value;
    }
    if (_budget == 0) {
      fail(QVRArchiveError::budgetExceeded());
      return value;
    }
    --_budget;
    if (*uid >= _objects.count) {
      fail(QVRArchiveError::malformed("reference " + std::to_string(*uid) + " out of range"));
      return value;
    }
    if (*uid == 0) return value;  // "$null"
    value._index = static_cast<std::size_t>(*uid);
    const auto element = _view->referenceAt(_objects, *value._index);
    target = element ? _view->object(*element) : std::nullopt;
    if (!target) {
      failedInView();
      return value;
    }
  } else if (target->kind == ViewKind::array || target->kind == ViewKind::dictionary) {
    fail(QVRArchiveError::malformed("a value in place that is no reference"));
    return value;
  }
  using Kind = Value::Kind;
  switch (target->kind) {
    case ViewKind::boolean:
      value._kind = Kind::boolean;
      break;
    case ViewKind::integer:
      value._kind = Kind::integer;
      break;
    case ViewKind::real:
      value._kind = Kind::real;
      break;
    case ViewKind::text:
      value._kind = Kind::string;
      break;
    case ViewKind::data:
      value._kind = Kind::data;
      break;
    case ViewKind::date:
      value._kind = Kind::date;
      break;
    case ViewKind::dictionary: {
      const auto classObject = _view->objectForKey(*target, "$class");
      const auto classIndex = classObject && classObject->kind == ViewKind::uid
                                  ? _view->uid(*classObject)
                                  : std::nullopt;
      const auto className = classIndex ? classNameOfRecord(*classIndex) : std::nullopt;
      if (_view->error()) {
        failedInView();
        return value;
      }
      if (!className) {
        fail(QVRArchiveError::malformed("object " + std::to_string(value._index.value_or(0)) +
                                        " names no class"));
        return value;
      }
      value._className = *className;
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
    case ViewKind::array:
    case ViewKind::uid:
      fail(QVRArchiveError::malformed("object " + std::to_string(value._index.value_or(0)) +
                                      " is neither a record nor a plain value"));
      return value;
  }
  value._object = *target;
  return value;
}

std::optional<QVRKeyedUnarchiver::Reference> QVRKeyedUnarchiver::rawValueForKey(
    std::string_view key) {
  if (_error || !_view) return std::nullopt;
  const auto found = _view->valueForKey(_frames.empty() ? _top : _frames.back().record, key);
  if (_view->error()) failedInView();
  return found;
}

std::string_view QVRKeyedUnarchiver::className() const {
  return _frames.empty() ? std::string_view() : _frames.back().className;
}

bool QVRKeyedUnarchiver::containsValueForKey(std::string_view key) {
  return rawValueForKey(key).has_value();
}

QVRKeyedUnarchiver::Value QVRKeyedUnarchiver::valueForKey(std::string_view key) {
  return resolve(rawValueForKey(key));
}

std::optional<QVRPropertyList> QVRKeyedUnarchiver::decodePropertyListForKey(std::string_view key) {
  return valueForKey(key).propertyList();
}

bool QVRKeyedUnarchiver::decodeBoolForKey(std::string_view key) {
  const auto value = valueForKey(key).propertyList();
  if (!value) return false;
  if (const bool* flag = value->boolean()) return *flag;
  if (const std::int64_t* number = value->integer()) return *number != 0;
  if (const double* number = value->real()) return *number != 0;
  return false;
}

std::int64_t QVRKeyedUnarchiver::decodeIntegerForKey(std::string_view key) {
  const auto value = valueForKey(key).propertyList();
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
  const auto value = valueForKey(key).propertyList();
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
  if (unarchiver._error || !value._index || value._kind == Value::Kind::none) return;
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
    unarchiver._frames.push_back({value._object, _index, value._className});
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
  if (_kind != Kind::string || !_unarchiver || _unarchiver->_error) return std::nullopt;
  auto text = _unarchiver->_view->text(_object);
  if (!text) _unarchiver->failedInView();
  return text;
}

std::optional<QVRPropertyList> QVRKeyedUnarchiver::Value::propertyList() const {
  switch (_kind) {
    case Kind::none:
    case Kind::object:
    case Kind::array:
    case Kind::dictionary:
      return std::nullopt;
    default:
      break;
  }
  if (!_unarchiver || _unarchiver->_error) return std::nullopt;
  auto scalar = _unarchiver->_view->scalar(_object);
  if (!scalar) _unarchiver->failedInView();
  return scalar;
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
      return propertyList();
  }
}
