#include "constants/QVRTallixConstantNumbersDocument.h"

#include <functional>

#include "cloud/QVRCKMergeContents.h"
#include "cloud/QVRTallixCommon.h"
#include "common/QVRArray.h"
#include "common/QVREnvironment.h"
#include "common/QVRLogger.h"
#include "constants/QVRTallixConstantNumbersContents.h"

namespace tallix::detail {

namespace {

using Constant = std::shared_ptr<QVRTallixCustomConstantNumber>;

// Constants are the same element of two lists when their identifiers are.
struct IdentifierHash {
  std::size_t operator()(const Constant& constant) const {
    return constant ? std::hash<std::string>{}(constant->uuid()) : 0;
  }
};
struct SameIdentifier {
  bool operator()(const Constant& left, const Constant& right) const {
    return left == right || (left && right && left->isEqual(*right));
  }
};

const QVRTallixConstantNumbersContents* constantsContents(const QVRCKDocument::Contents& contents) {
  return dynamic_cast<const QVRTallixConstantNumbersContents*>(contents.get());
}

}  // namespace

QVRTallixConstantNumbersDocument::QVRTallixConstantNumbersDocument(
    std::string name, std::shared_ptr<QVRCKContainer> container, Storage storage)
    : QVRCKDocument(std::move(name), std::move(container),
                    QVRCKContentsClassOf<QVRTallixConstantNumbersDocument>::instance(),
                    std::move(storage)) {}

QVRTallixConstantNumbersDocument& QVRTallixConstantNumbersDocument::constantNumbersDocument() {
  return QVREnvironment::current().sharedInstance<QVRTallixConstantNumbersDocument>([] {
    return std::make_unique<QVRTallixConstantNumbersDocument>(std::string(documentName),
                                                              QVRTallixCommon::container());
  });
}

std::vector<std::string> QVRTallixConstantNumbersDocument::contentsClassNames() {
  return QVRCoding::classNamesOf<QVRTallixCustomConstantNumber>();
}

QVRCKDocument::Contents QVRTallixConstantNumbersDocument::decodeContents(
    const QVRKeyedUnarchiver::Value& value) {
  return QVRTallixConstantNumbersContents::decode(value);
}

QVRCKDocument::Contents QVRTallixConstantNumbersDocument::mergeLocalContents(
    const Contents& local, const Contents& server) {
  return QVRCKMergeContents<QVRTallixConstantNumbersContents>(
      local, server,
      [](const QVRTallixConstantNumbersContents& localConstants,
         const QVRTallixConstantNumbersContents& serverConstants) {
        return std::make_shared<QVRTallixConstantNumbersContents>(QVRArray::arrayByMergingWithArray(
            serverConstants.constants(), &localConstants.constants(), IdentifierHash{},
            SameIdentifier{}));
      });
}

QVRTallixConstantNumbersDocument::List QVRTallixConstantNumbersDocument::constants() const {
  const auto* contents = constantsContents(this->contents());
  return contents ? contents->constants() : List{};
}

void QVRTallixConstantNumbersDocument::setConstants(List constants) {
  setContents(std::make_shared<QVRTallixConstantNumbersContents>(std::move(constants)));
  constantsDidChange();
}

std::shared_ptr<QVRTallixCustomConstantNumber> QVRTallixConstantNumbersDocument::constantAtIndex(
    std::uint64_t index) const {
  List list = constants();
  return index < list.size() ? list[static_cast<std::size_t>(index)] : nullptr;
}

void QVRTallixConstantNumbersDocument::addConstant(
    std::shared_ptr<QVRTallixCustomConstantNumber> constant) {
  if (!constant) return;
  List list = constants();
  list.push_back(std::move(constant));
  setConstants(std::move(list));
}

void QVRTallixConstantNumbersDocument::insertConstant(
    std::shared_ptr<QVRTallixCustomConstantNumber> constant, std::uint64_t atIndex) {
  List list = constants();
  if (!constant || atIndex > list.size()) return;
  list.insert(list.begin() + static_cast<std::ptrdiff_t>(atIndex), std::move(constant));
  setConstants(std::move(list));
}

void QVRTallixConstantNumbersDocument::removeLastConstant() {
  List list = constants();
  if (list.empty()) return;
  list.pop_back();
  setConstants(std::move(list));
}

void QVRTallixConstantNumbersDocument::removeConstantAtIndex(std::uint64_t index) {
  List list = constants();
  if (index >= list.size()) return;
  list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
  setConstants(std::move(list));
}

void QVRTallixConstantNumbersDocument::replaceConstantAtIndex(
    std::uint64_t index, std::shared_ptr<QVRTallixCustomConstantNumber> withConstant) {
  List list = constants();
  if (!withConstant || index >= list.size()) return;
  list[static_cast<std::size_t>(index)] = std::move(withConstant);
  setConstants(std::move(list));
}

void QVRTallixConstantNumbersDocument::removeConstant(
    const QVRTallixCustomConstantNumber& constant) {
  const List list = constants();
  auto found = std::find_if(list.begin(), list.end(),
                            [&](const Constant& listed) { return listed.get() == &constant; });
  if (found == list.end()) {
    found = std::find_if(list.begin(), list.end(), [&](const Constant& listed) {
      return listed && listed->isEqual(constant);
    });
  }
  if (found == list.end()) return;
  removeConstantAtIndex(static_cast<std::uint64_t>(found - list.begin()));
}

void QVRTallixConstantNumbersDocument::removeAllConstants() {
  setConstants({});
}

void QVRTallixConstantNumbersDocument::constantsDidChange() {
  List current = constants();
  if (!_lastConstants || !QVRTallixConstantNumbersContents::equalLists(*_lastConstants, current)) {
    QVREnvironment::current().notificationCenter().post(
        QVRTallixCustomConstantsDidChangeNotification, this);
  }
  _lastConstants = std::move(current);
}

}  // namespace tallix::detail
