#pragma once

#include <array>
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

// A category that owns units, each of which refers back to it; units come in two classes that
// archive under their own names and are made by one factory.
class TestCategory;

class TestUnit {
 public:
  explicit TestUnit(std::string name) : _name(std::move(name)) {}
  virtual ~TestUnit() = default;
  TestUnit(const TestUnit&) = delete;
  TestUnit& operator=(const TestUnit&) = delete;

  virtual std::string_view archiveClassName() const { return "TestUnit"; }
  virtual std::vector<std::string_view> archiveSuperclassNames() const { return {}; }
  static std::array<std::string_view, 2> decodableClassNames() {
    return {"TestUnit", "TestFormulaUnit"};
  }
  virtual void encodeWithCoder(QVRKeyedArchiver& coder) const;
  static std::unique_ptr<TestUnit> initWithCoder(QVRKeyedUnarchiver& coder);

  const std::string& name() const { return _name; }
  const TestCategory* category() const { return _category; }
  void setCategory(const TestCategory* category) { _category = category; }
  virtual std::string formula() const { return ""; }

 private:
  std::string _name;
  const TestCategory* _category = nullptr;
};

class TestFormulaUnit final : public TestUnit {
 public:
  TestFormulaUnit(std::string name, std::string formula)
      : TestUnit(std::move(name)), _formula(std::move(formula)) {}
  std::string_view archiveClassName() const override { return "TestFormulaUnit"; }
  std::vector<std::string_view> archiveSuperclassNames() const override { return {"TestUnit"}; }
  void encodeWithCoder(QVRKeyedArchiver& coder) const override {
    TestUnit::encodeWithCoder(coder);
    coder.encodeString("formula", _formula);
  }
  std::string formula() const override { return _formula; }

 private:
  std::string _formula;
};

class TestCategory {
 public:
  explicit TestCategory(std::string name) : _name(std::move(name)) {}
  TestCategory(const TestCategory&) = delete;
  TestCategory& operator=(const TestCategory&) = delete;

  static std::string_view archiveClassName() { return "TestCategory"; }
  void encodeWithCoder(QVRKeyedArchiver& coder) const {
    coder.encodeString("name", _name);
    coder.encodeArrayOfObjects("units", _units);
  }
  static std::unique_ptr<TestCategory> initWithCoder(QVRKeyedUnarchiver& coder) {
    auto name = coder.decodeStringForKey("name");
    if (!name) return nullptr;
    auto category = std::make_unique<TestCategory>(std::move(*name));
    // The units refer back to this category: let those references find it.
    coder.registerDecodedObject(*category);
    bool complete = true;
    coder.valueForKey("units").decodeArray([&](const auto& element) {
      auto unit = element.template decodeObjectOfClass<TestUnit>();
      if (unit) {
        category->_units.push_back(std::move(unit));
      } else {
        complete = false;
      }
    });
    if (!complete) return nullptr;
    return category;
  }

  void addUnit(std::unique_ptr<TestUnit> unit) {
    unit->setCategory(this);
    _units.push_back(std::move(unit));
  }
  const std::string& name() const { return _name; }
  const std::vector<std::unique_ptr<TestUnit>>& units() const { return _units; }

 private:
  std::string _name;
  std::vector<std::unique_ptr<TestUnit>> _units;
};

inline void TestUnit::encodeWithCoder(QVRKeyedArchiver& coder) const {
  coder.encodeObject("category", _category);
  coder.encodeString("name", _name);
}

inline std::unique_ptr<TestUnit> TestUnit::initWithCoder(QVRKeyedUnarchiver& coder) {
  auto name = coder.decodeStringForKey("name");
  if (!name) return nullptr;
  std::unique_ptr<TestUnit> unit;
  if (coder.className() == "TestFormulaUnit") {
    unit = std::make_unique<TestFormulaUnit>(std::move(*name),
                                             coder.decodeStringForKey("formula").value_or(""));
  } else {
    unit = std::make_unique<TestUnit>(std::move(*name));
  }
  unit->setCategory(coder.decodeReferenceOfClass<TestCategory>("category"));
  return unit;
}

inline std::vector<std::string> allowedClasses() {
  return QVRCoding::classNamesOf<TestPoint, TestNode, TestCategory, TestUnit>();
}

}  // namespace ArchiveTestClasses
