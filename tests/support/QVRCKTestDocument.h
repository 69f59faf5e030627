#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cloud/QVRCKContainer.h"
#include "cloud/QVRCKDocument.h"
#include "cloud/QVRCKMergeContents.h"
#include "common/QVRArray.h"
#include "common/QVRException.h"
#include "common/QVRFileReader.h"
#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"
#include "common/QVRLogger.h"

// Contents shaped like the tape's and the constants': a dictionary holding one list of short
// texts under "items".
class QVRCKTestContents final : public QVRCKContents {
 public:
  explicit QVRCKTestContents(std::vector<std::string> items) : _items(std::move(items)) {}

  const std::vector<std::string>& items() const { return _items; }

  void encodeWithCoder(QVRKeyedArchiver& coder, std::string_view key) const override {
    coder.encodeDictionary(key, [&](QVRKeyedArchiver::DictionaryEncoder& dictionary) {
      dictionary.encodeArray("items", [&](QVRKeyedArchiver::ArrayEncoder& array) {
        for (const auto& item : _items) array.encodeString(item);
      });
    });
  }
  bool isEqual(const QVRCKContents& other) const override {
    const auto* contents = dynamic_cast<const QVRCKTestContents*>(&other);
    return contents && contents->_items == _items;
  }
  std::string description() const override {
    std::string text = "{items = (";
    for (std::size_t index = 0; index < _items.size(); ++index) {
      text += (index ? ", " : "") + _items[index];
    }
    return text + ")}";
  }

 private:
  std::vector<std::string> _items;
};

// The document of the tests, the simulation and the fuzz targets. Its merge keeps every element
// of both sides (the server's list merged with the local one, as the tape merges); an item
// "merge raises" makes it raise.
class QVRCKTestDocument final : public QVRCKDocument {
 public:
  explicit QVRCKTestDocument(
      std::string name,
      std::shared_ptr<QVRCKContainer> container = QVRCKContainer::defaultContainer(),
      Storage storage = Storage::standard())
      : QVRCKDocument(std::move(name), std::move(container),
                      QVRCKContentsClassOf<QVRCKTestDocument>::instance(), std::move(storage)) {}

  static std::vector<std::string> contentsClassNames() { return {}; }

  // A dictionary's "items"; none for anything else; raises for an item that is no text.
  static Contents decodeContents(const QVRKeyedUnarchiver::Value& value) {
    if (value.kind() != QVRKeyedUnarchiver::Value::Kind::dictionary) return nullptr;
    std::vector<std::string> items;
    value.decodeDictionary([&](std::string_view key, const QVRKeyedUnarchiver::Value& list) {
      if (key != "items") return;
      list.decodeArray([&](const QVRKeyedUnarchiver::Value& element) {
        auto text = element.string();
        if (!text) throw QVRException::invalidArgument("an item that is no text");
        items.push_back(std::move(*text));
      });
    });
    return std::make_shared<QVRCKTestContents>(std::move(items));
  }

  static Contents mergeLocalContents(const Contents& local, const Contents& server) {
    return QVRCKMergeContents<QVRCKTestContents>(
        local, server,
        [](const QVRCKTestContents& localItems, const QVRCKTestContents& serverItems) {
          auto merged = QVRArray::arrayByMergingWithArray(serverItems.items(), &localItems.items());
          for (const auto& item : merged) {
            if (item == "merge raises")
              throw QVRException("NSInternalInconsistencyException", "cannot merge");
          }
          return std::make_shared<QVRCKTestContents>(std::move(merged));
        });
  }

  std::vector<std::string> items() const {
    const auto* contents = dynamic_cast<const QVRCKTestContents*>(this->contents().get());
    return contents ? contents->items() : std::vector<std::string>{};
  }
  void setItems(std::vector<std::string> items) {
    setContents(std::make_shared<QVRCKTestContents>(std::move(items)));
  }
  void addItem(std::string item, std::size_t position) {
    auto list = items();
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(std::min(position, list.size())),
                std::move(item));
    setItems(std::move(list));
  }
  int contentsChanges() const { return _contentsChanges; }

 protected:
  void contentsDidChange() override { ++_contentsChanges; }

 private:
  int _contentsChanges = 0;
};

// The items of a test document's contents file (bytes, or the file itself); none when they
// cannot be read.
inline std::optional<std::vector<std::string>> QVRCKTestItemsOf(
    const QVRPropertyList::Data& bytes) {
  QVRKeyedUnarchiver unarchiver(bytes, {});
  const auto contents = QVRCKTestDocument::decodeContents(unarchiver.valueForKey("contents"));
  const auto* items = dynamic_cast<const QVRCKTestContents*>(contents.get());
  return items ? std::optional(items->items()) : std::nullopt;
}
inline std::vector<std::string> QVRCKTestItemsIn(const std::filesystem::path& file) {
  const auto bytes = QVRFileReader::contentsOfFile(file);
  return (bytes.value ? QVRCKTestItemsOf(*bytes.value) : std::nullopt)
      .value_or(std::vector<std::string>{});
}
