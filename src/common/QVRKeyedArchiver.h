#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "common/QVRCoding.h"
#include "common/QVRError.h"
#include "common/QVRKeyedArchiveWriter.h"
#include "common/QVRPropertyList.h"
#include "common/QVRPropertyListWriter.h"
#include "common/QVRResult.h"

// Writes keyed archives in the platform's shape, so that the platform's own readers take them:
// "$archiver" "NSKeyedArchiver", "$version" 100000, "$top" {"root": UID}, "$objects" starting
// with "$null". Each object is a dictionary of its keys with "$class" referring to a class record
// {"$classname", "$classes"}; texts are objects of their own, referred to by UID (equal texts
// once); booleans, integers and reals under an object's keys are stored in place; arrays are
// "NSArray" records with "NS.objects", dictionaries "NSDictionary" records with "NS.keys" and
// "NS.objects", their elements all referred to by UID.
//
// An object met again is written once and referred to. Objects are told apart by their address
// and class while the archive is made, so that references between long-lived objects (units and
// their category) survive; a temporary passed by value is never taken for another object.
//
// The archive goes into its bytes as it is made (QVRKeyedArchiveWriter): a record is written when
// its object is done, and only the records still open are held as entries.
class QVRKeyedArchiver {
 public:
  static constexpr std::string_view archiverName = "NSKeyedArchiver";
  static constexpr std::int64_t archiveVersion = 100000;
  static constexpr std::string_view rootKey = "root";

  class ArrayEncoder;
  class DictionaryEncoder;

  QVRKeyedArchiver();
  // Identity object: it maps the addresses of the objects it has written to their places.
  QVRKeyedArchiver(const QVRKeyedArchiver&) = delete;
  QVRKeyedArchiver& operator=(const QVRKeyedArchiver&) = delete;

  // Writing the keys of the object being encoded (of "$top" outside any).

  template <class T>
  requires QVREncodable<std::remove_cvref_t<T>>
  void encodeObject(std::string_view key, T&& object) {
    setReference(key, objectReference(object, std::is_lvalue_reference_v<T>));
  }
  // None writes nothing.
  template <QVREncodable T>
  void encodeObject(std::string_view key, const T* object) {
    if (object) setReference(key, objectReference(*object, true));
  }
  void encodeBool(std::string_view key, bool value);
  void encodeInteger(std::string_view key, std::int64_t value);
  void encodeDouble(std::string_view key, double value);
  void encodeString(std::string_view key, std::string_view value);
  // A plain value as the platform archives one: scalars as objects, arrays and dictionaries as
  // their records (UIDs inside the value are written as integers).
  void encodePropertyList(std::string_view key, const QVRPropertyList& value);
  // An array of archivable objects, or of pointers to them (none is skipped).
  template <class Range>
  void encodeArrayOfObjects(std::string_view key, const Range& objects);
  // An array or a dictionary of anything, element by element.
  void encodeArray(std::string_view key, const std::function<void(ArrayEncoder&)>& build);
  void encodeDictionary(std::string_view key, const std::function<void(DictionaryEncoder&)>& build);

  // The finished archive; more may be encoded afterwards and the archive finished again.

  // The archive read back as a property list (an empty one when it cannot be written).
  QVRPropertyList archivedPropertyList();
  QVRResult<std::optional<QVRPropertyList::Data>, QVRError> finishedData(
      QVRPropertyListWriter::Format format = QVRPropertyListWriter::Format::binary) &;
  // The same from an archiver that is done: the bytes are handed over rather than copied.
  QVRResult<std::optional<QVRPropertyList::Data>, QVRError> finishedData(
      QVRPropertyListWriter::Format format = QVRPropertyListWriter::Format::binary) &&;

  // The archive of `root` under "root", as a binary property list.
  template <QVREncodable T>
  static QVRResult<std::optional<QVRPropertyList::Data>, QVRError> archivedDataWithRootObject(
      const T& root) {
    QVRKeyedArchiver archiver;
    archiver.encodeObject(rootKey, root);
    return std::move(archiver).finishedData();
  }
  // Writes that archive to `path` atomically (directories made as needed); false, logged, when
  // it could not.
  template <QVREncodable T>
  static bool archiveRootObjectToFile(const T& root, const std::filesystem::path& path) {
    return writeToFile(archivedDataWithRootObject(root), path);
  }

  // The elements of an array being written.
  class ArrayEncoder {
   public:
    template <class T>
    requires QVREncodable<std::remove_cvref_t<T>>
    void encodeObject(T&& object) {
      _elements.push_back(static_cast<QVRKeyedArchiveWriter::Index>(
          _archiver.objectReference(object, std::is_lvalue_reference_v<T>).value));
    }
    void encodeBool(bool value);
    void encodeInteger(std::int64_t value);
    void encodeDouble(double value);
    void encodeString(std::string_view value);
    void encodePropertyList(const QVRPropertyList& value);
    void encodeArray(const std::function<void(ArrayEncoder&)>& build);
    void encodeDictionary(const std::function<void(DictionaryEncoder&)>& build);

   private:
    friend class QVRKeyedArchiver;
    explicit ArrayEncoder(QVRKeyedArchiver& archiver) : _archiver(archiver) {}
    QVRKeyedArchiver& _archiver;
    std::vector<QVRKeyedArchiveWriter::Index> _elements;
  };

  // The entries of a dictionary being written; keys are texts.
  class DictionaryEncoder {
   public:
    template <class T>
    requires QVREncodable<std::remove_cvref_t<T>>
    void encodeObject(std::string_view key, T&& object) {
      add(key, _archiver.objectReference(object, std::is_lvalue_reference_v<T>));
    }
    void encodeBool(std::string_view key, bool value);
    void encodeInteger(std::string_view key, std::int64_t value);
    void encodeDouble(std::string_view key, double value);
    void encodeString(std::string_view key, std::string_view value);
    void encodePropertyList(std::string_view key, const QVRPropertyList& value);
    void encodeArray(std::string_view key, const std::function<void(ArrayEncoder&)>& build);
    void encodeDictionary(std::string_view key,
                          const std::function<void(DictionaryEncoder&)>& build);

   private:
    friend class QVRKeyedArchiver;
    explicit DictionaryEncoder(QVRKeyedArchiver& archiver) : _archiver(archiver) {}
    void add(std::string_view key, QVRPropertyList::UID value);
    QVRKeyedArchiver& _archiver;
    std::vector<QVRKeyedArchiveWriter::Index> _keys;
    std::vector<QVRKeyedArchiveWriter::Index> _values;
  };

 private:
  using UID = QVRPropertyList::UID;
  using Index = QVRKeyedArchiveWriter::Index;
  using TextID = QVRKeyedArchiveWriter::TextID;
  using Field = QVRKeyedArchiveWriter::Field;
  using IndexList = std::vector<Index>;

  // Commits the record of the object being written when it goes, even if encoding raised.
  class ObjectScope {
   public:
    ObjectScope(QVRKeyedArchiver& archiver, UID uid) : _archiver(archiver), _uid(uid) {}
    ~ObjectScope() { _archiver.endObject(_uid); }
    ObjectScope(const ObjectScope&) = delete;
    ObjectScope& operator=(const ObjectScope&) = delete;

   private:
    QVRKeyedArchiver& _archiver;
    UID _uid;
  };

  // An object written from an address, for finding it when it is met again.
  struct Identity {
    const void* address = nullptr;
    TextID className = 0;
    Index object = 0;
  };
  static_assert(sizeof(Identity) == 16);

  template <class T>
  UID objectReference(const T& object, bool identified) {
    const TextID className = _writer.text(std::string_view(object.archiveClassName()));
    const void* address = identified && !QVRArchivedAsValue<T>
                              ? static_cast<const void*>(std::addressof(object))
                              : nullptr;
    if (auto known = knownObject(address, className)) return *known;
    // The class's names are gathered only for its first object.
    std::vector<std::string> classes;
    if (!_writer.classRecord(className)) classes = QVRCoding::classHierarchyOf(object);
    const UID uid = beginObject(address, className, classes);
    ObjectScope scope(*this, uid);
    object.encodeWithCoder(*this);
    return uid;
  }

  std::optional<UID> knownObject(const void* address, TextID className) const;
  void rememberObject(const void* address, TextID className, Index object);
  UID beginObject(const void* address, TextID className, const std::vector<std::string>& classes);
  void endObject(UID uid);
  Index classReference(TextID name, const std::vector<std::string>& classes);
  UID stringReference(std::string_view text);
  UID scalarReference(const QVRPropertyList& value);
  UID propertyListReference(const QVRPropertyList& value);
  UID arrayReference(const IndexList& elements);
  UID dictionaryReference(const IndexList& keys, const IndexList& values);
  void setValue(std::string_view key, Field field);
  void setReference(std::string_view key, UID uid);
  static bool writeToFile(QVRResult<std::optional<QVRPropertyList::Data>, QVRError> data,
                          const std::filesystem::path& path);
  // Binary bytes as they are, or read back and written as XML.
  static QVRResult<std::optional<QVRPropertyList::Data>, QVRError> inFormat(
      QVRResult<std::optional<QVRPropertyList::Data>, QVRError> binary,
      QVRPropertyListWriter::Format format);

  QVRKeyedArchiveWriter _writer;
  // The records being written, innermost last; the first is "$top". Lists are kept for reuse.
  std::vector<std::vector<Field>> _records;
  std::size_t _openRecords = 1;
  // Open addressing over a power-of-two table, at most three quarters full. Its memory comes
  // zeroed from calloc, which for large tables means untouched pages instead of a pass of stores.
  struct FreeMemory {
    void operator()(void* memory) const { std::free(memory); }
  };
  std::unique_ptr<Identity[], FreeMemory> _identities;
  std::size_t _identitySlots = 0;
  std::size_t _identityCount = 0;
  TextID _arrayClassName;
  TextID _dictionaryClassName;
  TextID _classKey;
};

template <class Range>
void QVRKeyedArchiver::encodeArrayOfObjects(std::string_view key, const Range& objects) {
  encodeArray(key, [&](ArrayEncoder& array) {
    for (const auto& element : objects) {
      if constexpr (requires { element.get(); }) {
        if (element) array.encodeObject(*element);
      } else if constexpr (std::is_pointer_v<std::remove_cvref_t<decltype(element)>>) {
        if (element) array.encodeObject(*element);
      } else {
        array.encodeObject(element);
      }
    }
  });
}
