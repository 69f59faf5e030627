#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cloud/QVRCKDocument.h"
#include "constants/QVRTallixCustomConstantNumber.h"

// Posted (object: the document) when the list of custom constants differs from the one last
// announced: other constants or another order; a renamed constant alone is no difference.
inline constexpr std::string_view QVRTallixCustomConstantsDidChangeNotification =
    "QVRTallixCustomConstantsDidChangeNotification";

namespace tallix::detail {

// The document that keeps the user's constants: "Main.customConstants" in the documents
// directory and in the cloud. Every edit makes a new list and stores it through setConstants.
class QVRTallixConstantNumbersDocument final : public QVRCKDocument {
 public:
  using List = QVRTallixCustomConstantNumber::List;

  static constexpr std::string_view documentName = "Main.customConstants";

  // The document of `name` in `container` (several devices in one test give each its own
  // storage).
  QVRTallixConstantNumbersDocument(std::string name, std::shared_ptr<QVRCKContainer> container,
                                   Storage storage = Storage::standard());

  // The current environment's document, made on first use in the library's container.
  static QVRTallixConstantNumbersDocument& constantNumbersDocument();

  // The contents class operations.
  static std::vector<std::string> contentsClassNames();
  static Contents decodeContents(const QVRKeyedUnarchiver::Value& value);
  // The server's list merged with the local one (arrayByMergingWithArray, by identifier); the
  // local contents, and a log line, when either side is of another kind.
  static Contents mergeLocalContents(const Contents& local, const Contents& server);

  // The list under "constants"; empty when there are no contents.
  List constants() const;
  // Stores the list as the new contents (saved and uploaded when it differs), then announces it.
  void setConstants(List constants);
  std::uint64_t constantCount() const { return constants().size(); }
  std::shared_ptr<QVRTallixCustomConstantNumber> constantAtIndex(std::uint64_t index) const;
  void addConstant(std::shared_ptr<QVRTallixCustomConstantNumber> constant);
  // Nothing for none or an index above the count.
  void insertConstant(std::shared_ptr<QVRTallixCustomConstantNumber> constant,
                      std::uint64_t atIndex);
  // Nothing for an empty list.
  void removeLastConstant();
  void removeConstantAtIndex(std::uint64_t index);
  // Nothing for none or an index not below the count.
  void replaceConstantAtIndex(std::uint64_t index,
                              std::shared_ptr<QVRTallixCustomConstantNumber> withConstant);
  void removeConstant(const QVRTallixCustomConstantNumber& constant);
  void removeAllConstants();

  // Posts QVRTallixCustomConstantsDidChangeNotification when the list differs from the one last
  // announced (always the first time), and remembers it.
  void constantsDidChange();

 protected:
  void contentsDidChange() override { constantsDidChange(); }

 private:
  std::optional<List> _lastConstants;
};

}  // namespace tallix::detail
