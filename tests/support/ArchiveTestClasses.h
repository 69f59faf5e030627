#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"

// Small archivable classes for the tests of keyed archives.
namespace ArchiveTestClasses {

// A value with a key of every scalar kind; made as an optional.
struct TestPoint {
  std::int64_t x = 0;
  double y = 0;
  bool visible = false;
  std::string label;

  static std::string_view archiveClassName() { return "TestPoint"; }
  void encodeWithCoder(QVRKeyedArchiver& coder) const {
    coder.encodeInteger("x", x);
    coder.encodeDouble("y", y);
    coder.encodeBool("visible", visible);
    coder.encodeString("label", label);
  }
  static std::optional<TestPoint> initWithCoder(QVRKeyedUnarchiver& coder) {
    auto label = coder.decodeStringForKey("label");
    if (!label) return std::nullopt;
    return TestPoint{coder.decodeIntegerForKey("x"), coder.decodeDoubleForKey("y"),
                     coder.decodeBoolForKey("visible"), std::move(*label)};
  }
  friend bool operator==(const TestPoint&, const TestPoint&) = default;
};

// An element of a node's "items": a point, a plain value, or a nested list.
struct TestItem;
using TestItems = std::vector<TestItem>;
struct TestItem {
  std::variant<TestPoint, std::int64_t, double, std::string, bool, TestItems> value;
  friend bool operator==(const TestItem&, const TestItem&) = default;
};

// A tree: children owned by value, a heterogeneous "items" list, and two points that may be one
// object; made as a unique_ptr.
struct TestNode {
  std::string name{};
  std::vector<TestNode> children{};
  TestItems items{};
  const TestPoint* first = nullptr;
  const TestPoint* second = nullptr;
  // What decoding found under "first" and "second".
  std::optional<TestPoint> firstValue{};
  std::optional<TestPoint> secondValue{};

  static std::string_view archiveClassName() { return "TestNode"; }

  static void encodeItems(QVRKeyedArchiver::ArrayEncoder& array, const TestItems& items) {
    for (const auto& item : items) {
      std::visit(
          [&](const auto& value) {
            using Value = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<Value, TestPoint>) array.encodeObject(value);
            if constexpr (std::is_same_v<Value, std::int64_t>) array.encodeInteger(value);
            if constexpr (std::is_same_v<Value, double>) array.encodeDouble(value);
            if constexpr (std::is_same_v<Value, std::string>) array.encodeString(value);
            if constexpr (std::is_same_v<Value, bool>) array.encodeBool(value);
            if constexpr (std::is_same_v<Value, TestItems>) {
              array.encodeArray([&](auto& nested) { encodeItems(nested, value); });
            }
          },
          item.value);
    }
  }

  void encodeWithCoder(QVRKeyedArchiver& coder) const {
    coder.encodeString("name", name);
    coder.encodeArrayOfObjects("children", children);
    coder.encodeArray("items", [&](auto& array) { encodeItems(array, items); });
    coder.encodeObject("first", first);
    coder.encodeObject("second", second);
  }

  // Visits nested lists recursively; false when an element is of no known kind.
  static bool decodeItems(const QVRKeyedUnarchiver::Value& list, TestItems& items) {
    bool known = true;
    const bool read = list.decodeArray([&](const QVRKeyedUnarchiver::Value& element) {
      using Kind = QVRKeyedUnarchiver::Value::Kind;
      switch (element.kind()) {
        case Kind::object:
          if (auto point = element.decodeObjectOfClass<TestPoint>()) {
            items.push_back({std::move(*point)});
          } else {
            known = false;
          }
          break;
        case Kind::integer:
          items.push_back({*element.propertyList()->integer()});
          break;
        case Kind::real:
          items.push_back({*element.propertyList()->real()});
          break;
        case Kind::string:
          items.push_back({*element.string()});
          break;
        case Kind::boolean:
          items.push_back({*element.propertyList()->boolean()});
          break;
        case Kind::array: {
          TestItems nested;
          if (!decodeItems(element, nested)) known = false;
          items.push_back({std::move(nested)});
          break;
        }
        default:
          known = false;
          break;
      }
    });
    return read && known;
  }

  static std::unique_ptr<TestNode> initWithCoder(QVRKeyedUnarchiver& coder) {
    auto node = std::make_unique<TestNode>();
    auto name = coder.decodeStringForKey("name");
    if (!name) return nullptr;
    node->name = std::move(*name);
    if (coder.containsValueForKey("children")) {
      bool complete = true;
      const bool read = coder.valueForKey("children").decodeArray([&](const auto& element) {
        auto child = element.template decodeObjectOfClass<TestNode>();
        if (child) {
          node->children.push_back(std::move(*child));
        } else {
          complete = false;
        }
      });
      if (!read || !complete) return nullptr;
    }
    if (coder.containsValueForKey("items") &&
        !decodeItems(coder.valueForKey("items"), node->items)) {
      return nullptr;
    }
    node->firstValue = coder.decodeObjectOfClass<TestPoint>("first");
    node->secondValue = coder.decodeObjectOfClass<TestPoint>("second");
    return node;
  }
};

inline std::vector<std::string> allowedClasses() {
  return QVRCoding::classNamesOf<TestPoint, TestNode>();
}

}  // namespace ArchiveTestClasses
