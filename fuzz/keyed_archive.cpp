// The keyed unarchiver on any bytes, with a small archivable class that holds text, numbers,
// nested objects and heterogeneous arrays: it answers an object or a reason and never crashes;
// an object it decodes archives and decodes again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FuzzPropertyLists.h"
#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"

namespace {

struct FuzzLeaf {
  std::string text;
  std::int64_t number = 0;
  double ratio = 0;
  bool flag = false;

  static std::string_view archiveClassName() { return "FuzzLeaf"; }
  void encodeWithCoder(QVRKeyedArchiver& coder) const {
    coder.encodeString("text", text);
    coder.encodeInteger("number", number);
    coder.encodeDouble("ratio", ratio);
    coder.encodeBool("flag", flag);
  }
  static std::optional<FuzzLeaf> initWithCoder(QVRKeyedUnarchiver& coder) {
    return FuzzLeaf{coder.decodeStringForKey("text").value_or(""),
                    coder.decodeIntegerForKey("number"), coder.decodeDoubleForKey("ratio"),
                    coder.decodeBoolForKey("flag")};
  }
};

struct FuzzNode {
  std::string name;
  std::vector<std::unique_ptr<FuzzNode>> children;
  std::vector<FuzzLeaf> leaves;
  std::vector<QVRPropertyList> plain;
  std::optional<QVRPropertyList> settings;

  static std::string_view archiveClassName() { return "FuzzNode"; }
  void encodeWithCoder(QVRKeyedArchiver& coder) const {
    coder.encodeString("name", name);
    coder.encodeArrayOfObjects("children", children);
    coder.encodeArray("items", [&](QVRKeyedArchiver::ArrayEncoder& array) {
      for (const auto& leaf : leaves) array.encodeObject(leaf);
      for (const auto& value : plain) array.encodePropertyList(value);
    });
    if (settings) coder.encodePropertyList("settings", *settings);
  }
  static std::unique_ptr<FuzzNode> initWithCoder(QVRKeyedUnarchiver& coder) {
    auto node = std::make_unique<FuzzNode>();
    node->name = coder.decodeStringForKey("name").value_or("");
    coder.valueForKey("children").decodeArray([&](const QVRKeyedUnarchiver::Value& element) {
      if (auto child = element.decodeObjectOfClass<FuzzNode>()) {
        node->children.push_back(std::move(child));
      }
    });
    coder.valueForKey("items").decodeArray([&](const QVRKeyedUnarchiver::Value& element) {
      if (element.isObjectOfClass<FuzzLeaf>()) {
        if (auto leaf = element.decodeObjectOfClass<FuzzLeaf>()) node->leaves.push_back(*leaf);
      } else if (auto value = element.decodePlainValue()) {
        node->plain.push_back(std::move(*value));
      }
    });
    node->settings = coder.valueForKey("settings").decodePlainValue();
    if (coder.containsValueForKey("required") && !coder.decodeBoolForKey("required")) {
      return nullptr;
    }
    return node;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> allowed = QVRCoding::classNamesOf<FuzzNode, FuzzLeaf>();
  auto decoded = QVRKeyedUnarchiver::unarchivedObjectOfClass<FuzzNode>({data, size}, allowed);
  FuzzPropertyLists::checkOutcome(decoded);
  if (!decoded.value) return 0;
  const auto archived = QVRKeyedArchiver::archivedDataWithRootObject(*decoded.value);
  if (!archived.value) return 0;  // texts the writer refuses
  auto again = QVRKeyedUnarchiver::unarchivedObjectOfClass<FuzzNode>(*archived.value, allowed);
  if (!again.value || again.value->name != decoded.value->name ||
      again.value->children.size() != decoded.value->children.size() ||
      again.value->leaves.size() != decoded.value->leaves.size()) {
    std::abort();
  }
  return 0;
}
