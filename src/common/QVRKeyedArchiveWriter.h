#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/QVRBinaryPropertyListEncoder.h"
#include "common/QVRError.h"
#include "common/QVRPropertyList.h"
#include "common/QVRResult.h"

// The objects of a keyed archive ("$objects"), written into a binary property list as
// QVRKeyedArchiver makes them, and the archive's top level around them when it is finished. Nothing
// of the archive is kept as property-list values: a record goes out as bytes when its object is
// done, so that archiving a tape of a million calculations costs time and memory in proportion
// to the bytes it makes.
//
// In the bytes, each text is one object wherever it occurs (an object of the archive, a key, a
// class name), each UID one object for all its references, each distinct integer or real under
// a key one object. References are written four bytes wide while objects come in and narrowed
// to the fewest bytes that hold them when the list is finished.
class QVRKeyedArchiveWriter {
 public:
  // An object of the archive: its place in "$objects", which its UID holds.
  using Index = std::uint32_t;
  // A text interned by text().
  using TextID = std::uint32_t;

  // One entry of a record: a reference to an object, or a scalar stored in place.
  struct Field {
    enum class Kind : std::uint8_t { reference, boolean, integer, real };
    std::uint64_t bits = 0;
    TextID key = 0;
    Kind kind = Kind::reference;
  };

  // Starts with "$null" as object 0.
  QVRKeyedArchiveWriter();
  // Identity object: it holds the bytes written so far and the numbering of their objects.
  QVRKeyedArchiveWriter(const QVRKeyedArchiveWriter&) = delete;
  QVRKeyedArchiveWriter& operator=(const QVRKeyedArchiveWriter&) = delete;

  // The text's number, the same for equal texts. Text that the format cannot carry (not UTF-8,
  // or with a NUL) makes the archive fail when finished.
  TextID text(std::string_view text);
  // The archive's object holding the text, made at its first use.
  Index textObject(TextID text);
  // The class record made for the class of that name, if any.
  std::optional<Index> classRecord(TextID name) const;
  // A class record {"$classname": name, "$classes": classes}.
  Index addClassRecord(TextID name, std::span<const std::string> classes);

  // A place for an object whose record comes later (its keys may refer back to it).
  Index reserveObject();
  // The record of a reserved object; its fields have distinct keys.
  void finishRecord(Index object, std::span<const Field> fields);
  // A boolean, an integer, a real, a date, data or a text as an object of its own.
  Index addScalar(const QVRPropertyList& value);
  // The records of arrays and dictionaries of objects, of the class record given.
  Index addArray(Index classRecord, std::span<const Index> elements);
  Index addDictionary(Index classRecord, std::span<const Index> keys,
                      std::span<const Index> values);

  // The binary property list {"$archiver", "$version", "$top": the fields of `top`, "$objects"},
  // or why it cannot be written. Objects may still be added afterwards and the list finished
  // again. With `evenIfUnwritable`, text that the format cannot carry goes out as well as it
  // can: a NUL as it is, bytes that are not UTF-8 as U+FFFD.
  QVRResult<std::optional<QVRPropertyList::Data>, QVRError> finish(std::span<const Field> top,
                                                                   bool evenIfUnwritable = false);
  // The same, handing over the bytes written so far instead of copying them: the writer is
  // spent, and only destroying it is left.
  QVRResult<std::optional<QVRPropertyList::Data>, QVRError> finishHandingOver(
      std::span<const Field> top);

 private:
  // The number of an object of the property list (not of the archive).
  using ObjectID = std::uint32_t;
  static constexpr std::uint32_t none = UINT32_MAX;
  static constexpr std::uint8_t wideReference = 4;

  struct Text {
    std::string_view view;
    ObjectID written = none;
    Index object = none;
    Index classRecord = none;
  };
  struct Object {
    ObjectID record = none;
    ObjectID uid = none;
  };

  void fail(std::string reason);
  void indexText(std::uint32_t hash, TextID text);
  std::string_view store(std::string_view text);
  ObjectID beginObject();
  ObjectID textID(TextID text);
  ObjectID uidID(Index object);
  ObjectID fieldValueID(const Field& field);
  ObjectID integerID(std::int64_t value);
  ObjectID writeDictionary(std::span<const ObjectID> keys, std::span<const ObjectID> values);
  ObjectID writeArray(std::span<const ObjectID> elements);
  ObjectID writeRecord(std::span<const Field> fields);
  Index newObject();
  // The finished bytes with references of the fewest bytes, `root` the top object.
  QVRPropertyList::Data narrowed(ObjectID root) const;
  // Writes the top level; the root object, or none when the archive cannot be written.
  std::optional<ObjectID> writeTopLevel(std::span<const Field> top, bool evenIfUnwritable);
  QVRResult<std::optional<QVRPropertyList::Data>, QVRError> failure() const;
  // A text looked up lately, by where its caller keeps it (a key is mostly a literal).
  struct RecentText {
    const char* data = nullptr;
    TextID text = 0;
  };

  QVRBinaryPropertyListEncoder _out;
  // Where each object begins; archives stay below 4 GB.
  std::vector<std::uint32_t> _offsets;
  std::vector<Object> _objects;
  std::vector<Text> _texts;
  // Open addressing over a power-of-two table, at most half full: each slot the text's hash and
  // its number plus one (0 for an empty slot).
  struct TextSlot {
    std::uint32_t hash = 0;
    std::uint32_t text = 0;
  };
  std::vector<TextSlot> _textSlots;
  std::vector<std::unique_ptr<char[]>> _textStorage;
  std::size_t _textStorageLeft = 0;
  std::unordered_map<std::int64_t, ObjectID> _integers;
  std::unordered_map<std::uint64_t, ObjectID> _reals;
  std::array<ObjectID, 2> _booleans{none, none};
  std::optional<std::string> _failure;
  std::array<RecentText, 32> _recentTexts{};
  // Scratch lists of the record being written.
  std::vector<ObjectID> _keys;
  std::vector<ObjectID> _values;
  TextID _classKey;
  TextID _classNameKey;
  TextID _classesKey;
  TextID _objectsKey;
  TextID _keysKey;
};
