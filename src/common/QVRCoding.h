#pragma once

#include <concepts>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

class QVRKeyedArchiver;
class QVRKeyedUnarchiver;

// What makes a class archivable in keyed archives (QVRKeyedArchiver, QVRKeyedUnarchiver).
//
// Writing: `archiveClassName()` names the class in the archive (a static function, or a virtual
// one when subclasses archive under their own names) and `encodeWithCoder(QVRKeyedArchiver&)
// const` writes the object's keys. Optionally `archiveSuperclassNames()` lists the archived
// names of its base classes, nearest first, for the class record's "$classes" ("NSObject" ends
// the list in any case); virtual too where archiveClassName is.
//
// Reading: the static factory `initWithCoder(QVRKeyedUnarchiver&)` makes an object from the
// current record and answers std::optional<T> or std::unique_ptr<T> (none when the record cannot
// make one). The class names it accepts are `decodableClassNames()` when the class has it (a
// base class whose factory makes subclasses by name), else the static `archiveClassName()`.
template <class T>
concept QVREncodable = requires(const T& object, QVRKeyedArchiver& archiver) {
  { object.archiveClassName() } -> std::convertible_to<std::string_view>;
  object.encodeWithCoder(archiver);
};

template <class T>
concept QVRDecodable = requires(QVRKeyedUnarchiver& unarchiver) {
  {T::initWithCoder(unarchiver)};
  requires std::is_default_constructible_v<decltype(T::initWithCoder(unarchiver))>;
  requires std::is_constructible_v<bool, decltype(T::initWithCoder(unarchiver))>;
}
&&(
    requires { T::decodableClassNames(); } ||
    requires {
      { T::archiveClassName() } -> std::convertible_to<std::string_view>;
    });

// A class whose objects are only ever held by value, each written once by its holder, may say
// so with `static constexpr bool archivedAsValue = true;`: the archiver then keeps no record of
// their addresses, which for the components and numbers of a long tape is most of its work.
template <class T>
concept QVRArchivedAsValue = requires {
  requires T::archivedAsValue;
};

// The helpers that read those declarations.
class QVRCoding {
 public:
  QVRCoding() = delete;

  // What initWithCoder answers for T: std::optional<T> or std::unique_ptr<T>.
  template <QVRDecodable T>
  using Decoded = decltype(T::initWithCoder(std::declval<QVRKeyedUnarchiver&>()));

  // "$classes" of an object's class record: its name, its bases' names, "NSObject".
  template <QVREncodable T>
  static std::vector<std::string> classHierarchyOf(const T& object) {
    std::vector<std::string> names{std::string(std::string_view(object.archiveClassName()))};
    if constexpr (requires { object.archiveSuperclassNames(); }) {
      for (const auto& name : object.archiveSuperclassNames()) {
        names.emplace_back(std::string_view(name));
      }
    }
    if (names.back() != "NSObject") names.emplace_back("NSObject");
    return names;
  }

  // The class names that T's factory accepts.
  template <QVRDecodable T>
  static std::vector<std::string> decodableClassNamesOf() {
    if constexpr (requires { T::decodableClassNames(); }) {
      std::vector<std::string> names;
      for (const auto& name : T::decodableClassNames()) names.emplace_back(std::string_view(name));
      return names;
    } else {
      return {std::string(std::string_view(T::archiveClassName()))};
    }
  }

  // The class names of several types together: an unarchiver's allowed classes.
  template <QVRDecodable... Ts>
  static std::vector<std::string> classNamesOf() {
    std::vector<std::string> names;
    (
        [&] {
          for (auto& name : decodableClassNamesOf<Ts>()) names.push_back(std::move(name));
        }(),
        ...);
    return names;
  }
};
