#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <typeindex>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/QVRArchiveError.h"
#include "common/QVRBinaryPropertyListView.h"
#include "common/QVRCoding.h"
#include "common/QVRFileReader.h"
#include "common/QVRPropertyList.h"
#include "common/QVRResult.h"

// Reads keyed archives from any bytes, never raising and never crashing: archives in the
// platform's shape (QVRKeyedArchiver), in binary or XML, and the older archives of this program
// ("$archiver" "QVRKeyedArchiver", references written as {"$ref": n}), so that a user's old
// files keep working.
//
// A binary archive is read in place, object by object as the factories ask for them, so that
// a tape of a hundred thousand calculations costs its objects and no tree of property-list values;
// other archives are first brought to that form.
//
// The structure is checked as it is read: every reference must lie in range, an object must name
// its class, its class must be in the caller's allowed list (arrays and dictionaries always are),
// objects must not contain themselves, nor nest deeper than maximumDepth, and the total work is
// bounded by the size of the archive, so that objects shared from many places cannot multiply
// it. The first violation is kept as error() and every decoding after it answers none; the
// decoders of whole archives then answer none with that error. A value of another kind than asked
// for is no violation: it reads as none, false or 0, and the object's factory decides.
class QVRKeyedUnarchiver {
 public:
  static constexpr std::size_t maximumDepth = 64;
  static constexpr std::string_view legacyArchiverName = "QVRKeyedArchiver";

  template <QVRDecodable T>
  using Decoded = QVRCoding::Decoded<T>;

  class Value;

  // Opens an archive; a failure to open is kept as error(). The bytes must outlive the
  // unarchiver and its values: a binary archive is read where it lies.
  QVRKeyedUnarchiver(std::span<const std::uint8_t> bytes,
                     std::vector<std::string> allowedClassNames);
  // Opens an archive whose bytes it keeps.
  QVRKeyedUnarchiver(QVRPropertyList::Data&& bytes, std::vector<std::string> allowedClassNames);
  // An archive already read as a property list.
  static QVRKeyedUnarchiver withPropertyList(QVRPropertyList archive,
                                             std::vector<std::string> allowedClassNames);
  // Identity object: values and factories refer into the archive and the decoding state it holds.
  QVRKeyedUnarchiver(const QVRKeyedUnarchiver&) = delete;
  QVRKeyedUnarchiver& operator=(const QVRKeyedUnarchiver&) = delete;

  // The first problem met, if any.
  const std::optional<QVRArchiveError>& error() const { return _error; }

  // Whole archives: the root object as a T, or none and why.
  template <QVRDecodable T>
  static QVRResult<Decoded<T>> unarchivedObjectOfClass(std::span<const std::uint8_t> bytes,
                                                       std::vector<std::string> allowedClassNames);
  // None without an error when there is no such file; none and why when it cannot be read or
  // decoded.
  template <QVRDecodable T>
  static QVRResult<Decoded<T>> unarchiveObjectWithFile(const std::filesystem::path& path,
                                                       std::vector<std::string> allowedClassNames);
  // The object under "root" of "$top".
  template <QVRDecodable T>
  QVRResult<Decoded<T>> decodeRootObjectOfClass();

  // Reading the keys of the object being decoded (of "$top" outside any).

  // The class name of the object being decoded; empty outside any.
  std::string_view className() const;
  bool containsValueForKey(std::string_view key);
  // True for a true boolean or a non-zero number; false when absent or of another kind.
  bool decodeBoolForKey(std::string_view key);
  // An integer, a boolean as 0 or 1, or a real cut to its whole part when it fits; else 0.
  std::int64_t decodeIntegerForKey(std::string_view key);
  // A number (a boolean as 0 or 1); else 0.
  double decodeDoubleForKey(std::string_view key);
  std::optional<std::string> decodeStringForKey(std::string_view key);
  // The object under `key` made by T's factory; none when absent, of another class, or broken.
  template <QVRDecodable T>
  Decoded<T> decodeObjectOfClass(std::string_view key);
  // Whatever is under `key`, to look at before deciding how to read it.
  Value valueForKey(std::string_view key);
  // The scalar under `key`, in place or referred to; none when absent or no scalar.
  std::optional<QVRPropertyList> decodePropertyListForKey(std::string_view key);

  // Objects that refer back to an object being decoded (a unit to the category that lists it):
  // the factory of the outer object registers it once it exists, and the inner factories find
  // it by reference. Registration ends with the outer factory; until then a reference back to an
  // object being decoded finds nothing here, and decoding it as an object is a cycle.
  template <class T>
  void registerDecodedObject(T& object) {
    registerObject(std::type_index(typeid(T)), &object);
  }
  template <class T>
  T* decodeReferenceOfClass(std::string_view key);

  // One value of the archive: in a record, an array or a dictionary. Valid as long as its
  // unarchiver.
  class Value {
   public:
    enum class Kind { none, boolean, integer, real, string, data, date, object, array, dictionary };

    Kind kind() const { return _kind; }
    explicit operator bool() const { return _kind != Kind::none; }
    // The class name of an object, array or dictionary record; empty for scalars.
    std::string_view className() const { return _className; }
    // The scalar; none for none, objects, arrays and dictionaries.
    std::optional<QVRPropertyList> propertyList() const;
    std::optional<std::string> string() const;
    // Whether T's factory accepts this object's class.
    template <QVRDecodable T>
    bool isObjectOfClass() const;
    template <QVRDecodable T>
    Decoded<T> decodeObjectOfClass() const;
    template <class T>
    T* decodeReferenceOfClass() const;
    // Visits the elements of an array, in order; false when this is no array or decoding failed.
    template <class Visitor>
    bool decodeArray(Visitor&& visit) const;
    // Visits the entries of a dictionary (keys in the archive's order).
    template <class Visitor>
    bool decodeDictionary(Visitor&& visit) const;
    // The value as a plain property list, arrays and dictionaries made of their elements; none
    // for objects of other classes or when decoding failed.
    std::optional<QVRPropertyList> decodePlainValue() const;

   private:
    friend class QVRKeyedUnarchiver;
    using Object = QVRBinaryPropertyListView::Object;
    QVRKeyedUnarchiver* _unarchiver = nullptr;
    Kind _kind = Kind::none;
    Object _object;
    std::optional<std::size_t> _index;
    std::string_view _className;
  };

 private:
  using View = QVRBinaryPropertyListView;
  using Reference = View::Reference;
  struct Frame {
    View::Object record;
    std::size_t index;
    std::string_view className;
  };
  struct Registration {
    std::size_t index;
    std::type_index type;
    void* object;
  };

  // Marks an object or container as being decoded while it lives; `entered` says whether the
  // cycle and depth checks let it in.
  class Entry {
   public:
    Entry(QVRKeyedUnarchiver& unarchiver, const Value& value, bool isObject);
    ~Entry();
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;
    bool entered() const { return _entered; }

   private:
    QVRKeyedUnarchiver& _unarchiver;
    std::size_t _index;
    bool _isObject;
    bool _entered = false;
  };

  struct PropertyListTag {};
  QVRKeyedUnarchiver(PropertyListTag, QVRPropertyList archive,
                     std::vector<std::string> allowedClassNames);
  // Opens the bytes in place, or through a tree when they are no binary archive of today.
  void open(std::span<const std::uint8_t> bytes);
  // Writes a tree as a binary archive of today's form and opens that.
  void openTree(QVRPropertyList archive);
  // Converts the older archives' {"$ref": n} to UIDs; false when the archive nests too deeply.
  bool prepare(QVRPropertyList& value, bool legacy, std::size_t depth);
  bool fail(QVRArchiveError error);
  // Takes over the view's error after it answered none; false.
  bool failedInView();
  // The value that a raw entry stands for, after checking it.
  Value resolve(std::optional<Reference> raw);
  // The name of the class whose record is object `index` (cached), or none.
  std::optional<std::string_view> classNameOfRecord(std::uint64_t index);
  bool isAllowed(std::string_view className) const;
  std::optional<Reference> rawValueForKey(std::string_view key);
  void registerObject(std::type_index type, void* object);
  void* registeredObject(std::size_t index, std::type_index type) const;
  template <QVRDecodable T>
  Decoded<T> decodeObject(const Value& value);

  std::optional<QVRArchiveError> _error;
  QVRPropertyList::Data _ownedBytes;
  std::optional<View> _view;
  View::Object _objects;
  View::Object _top;
  std::unordered_map<std::uint64_t, std::string> _classNames;
  std::vector<std::string> _allowedClassNames;
  std::vector<Frame> _frames;
  std::vector<bool> _inProgress;
  std::size_t _depth = 0;
  std::size_t _budget = 0;
  std::vector<Registration> _registrations;
};

// Template definitions.

template <QVRDecodable T>
bool QVRKeyedUnarchiver::Value::isObjectOfClass() const {
  if (_kind != Kind::object) return false;
  for (const auto& name : QVRCoding::decodableClassNamesOf<T>()) {
    if (name == _className) return true;
  }
  return false;
}

template <QVRDecodable T>
QVRKeyedUnarchiver::Decoded<T> QVRKeyedUnarchiver::Value::decodeObjectOfClass() const {
  if (!_unarchiver) return {};
  return _unarchiver->decodeObject<T>(*this);
}

template <class T>
T* QVRKeyedUnarchiver::Value::decodeReferenceOfClass() const {
  if (!_unarchiver || !_index || _kind != Kind::object) return nullptr;
  return static_cast<T*>(_unarchiver->registeredObject(*_index, std::type_index(typeid(T))));
}

template <class Visitor>
bool QVRKeyedUnarchiver::Value::decodeArray(Visitor&& visit) const {
  if (!_unarchiver || _kind != Kind::array) return false;
  QVRKeyedUnarchiver& unarchiver = *_unarchiver;
  View& view = *unarchiver._view;
  Entry entry(unarchiver, *this, false);
  if (!entry.entered()) return false;
  const auto elements = view.objectForKey(_object, "NS.objects");
  if (!elements || elements->kind != View::Kind::array) {
    if (view.error()) return unarchiver.failedInView();
    return unarchiver.fail(QVRArchiveError::malformed("an array without its objects"));
  }
  for (std::size_t index = 0; index < elements->count; ++index) {
    Value element = unarchiver.resolve(view.referenceAt(*elements, index));
    if (unarchiver._error) return false;
    visit(element);
    if (unarchiver._error) return false;
  }
  return true;
}

template <class Visitor>
bool QVRKeyedUnarchiver::Value::decodeDictionary(Visitor&& visit) const {
  if (!_unarchiver || _kind != Kind::dictionary) return false;
  QVRKeyedUnarchiver& unarchiver = *_unarchiver;
  View& view = *unarchiver._view;
  Entry entry(unarchiver, *this, false);
  if (!entry.entered()) return false;
  const auto keys = view.objectForKey(_object, "NS.keys");
  const auto values = view.objectForKey(_object, "NS.objects");
  if (view.error()) return unarchiver.failedInView();
  if (!keys || !values || keys->kind != View::Kind::array || values->kind != View::Kind::array ||
      keys->count != values->count) {
    return unarchiver.fail(
        QVRArchiveError::malformed("a dictionary whose keys and objects do not match"));
  }
  for (std::size_t index = 0; index < keys->count; ++index) {
    const Value key = unarchiver.resolve(view.referenceAt(*keys, index));
    if (unarchiver._error) return false;
    const auto text = key.string();
    if (!text)
      return unarchiver.fail(QVRArchiveError::malformed("a dictionary key that is no text"));
    Value value = unarchiver.resolve(view.referenceAt(*values, index));
    if (unarchiver._error) return false;
    visit(std::string_view(*text), value);
    if (unarchiver._error) return false;
  }
  return true;
}

template <QVRDecodable T>
QVRKeyedUnarchiver::Decoded<T> QVRKeyedUnarchiver::decodeObject(const Value& value) {
  if (_error || !value.isObjectOfClass<T>()) return {};
  Entry entry(*this, value, true);
  if (!entry.entered()) return {};
  Decoded<T> object = T::initWithCoder(*this);
  if (_error) return {};
  return object;
}

template <QVRDecodable T>
QVRKeyedUnarchiver::Decoded<T> QVRKeyedUnarchiver::decodeObjectOfClass(std::string_view key) {
  return decodeObject<T>(valueForKey(key));
}

template <class T>
T* QVRKeyedUnarchiver::decodeReferenceOfClass(std::string_view key) {
  return valueForKey(key).template decodeReferenceOfClass<T>();
}

template <QVRDecodable T>
QVRResult<QVRKeyedUnarchiver::Decoded<T>> QVRKeyedUnarchiver::decodeRootObjectOfClass() {
  if (_error) return {{}, _error};
  if (!_frames.empty()) {
    fail(QVRArchiveError::unexpectedRoot("asked for while decoding an object"));
    return {{}, _error};
  }
  const Value root = valueForKey("root");
  if (_error) return {{}, _error};
  if (!root) {
    fail(QVRArchiveError::unexpectedRoot("no root object"));
    return {{}, _error};
  }
  if (!root.isObjectOfClass<T>()) {
    const std::string kind = root.kind() == Value::Kind::object
                                 ? "an object of class " + std::string(root.className())
                                 : "no object of an expected class";
    fail(QVRArchiveError::unexpectedRoot(kind));
    return {{}, _error};
  }
  Decoded<T> object = decodeObject<T>(root);
  if (_error) return {{}, _error};
  if (!object) {
    fail(QVRArchiveError::unexpectedRoot("the root object of class " +
                                         std::string(root.className()) + " could not be decoded"));
    return {{}, _error};
  }
  return {std::move(object), std::nullopt};
}

template <QVRDecodable T>
QVRResult<QVRKeyedUnarchiver::Decoded<T>> QVRKeyedUnarchiver::unarchivedObjectOfClass(
    std::span<const std::uint8_t> bytes, std::vector<std::string> allowedClassNames) {
  QVRKeyedUnarchiver unarchiver(bytes, std::move(allowedClassNames));
  return unarchiver.decodeRootObjectOfClass<T>();
}

template <QVRDecodable T>
QVRResult<QVRKeyedUnarchiver::Decoded<T>> QVRKeyedUnarchiver::unarchiveObjectWithFile(
    const std::filesystem::path& path, std::vector<std::string> allowedClassNames) {
  auto contents = QVRFileReader::contentsOfFile(path);
  if (!contents.value) {
    if (contents.error && QVRFileReader::isMissing(*contents.error)) return {};
    return {{},
            QVRArchiveError::unreadable(contents.error ? contents.error->localizedDescription()
                                                       : path.string())};
  }
  return unarchivedObjectOfClass<T>(*contents.value, std::move(allowedClassNames));
}
