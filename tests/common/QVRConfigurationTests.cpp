#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/QVRConfiguration.h"
#include "common/QVRFileWriter.h"
#include "common/QVRPropertyListWriter.h"
#include "support/PropertyListTesting.h"
#include "support/TallixTest.h"

using PropertyListTesting::bytesOf;
using Array = QVRPropertyList::Array;
using Dictionary = QVRPropertyList::Dictionary;
using Format = QVRPropertyListWriter::Format;

namespace {

class QVRConfigurationTests : public TallixTest {
 protected:
  std::filesystem::path bundled() {
    return environment().applicationSupportDirectory() / "Bundled";
  }
  std::filesystem::path userFile() {
    return environment().applicationSupportDirectory() / "Configuration.plist";
  }

  void write(const QVRPropertyList& value, const std::filesystem::path& path,
             Format format = Format::xml) {
    auto data = QVRPropertyListWriter::dataFromPropertyList(value, format);
    ASSERT_TRUE(data.value);
    ASSERT_FALSE(QVRFileWriter::writeAtomically(path, *data.value));
  }
  void writeBytes(std::string_view bytes, const std::filesystem::path& path) {
    ASSERT_FALSE(QVRFileWriter::writeAtomically(path, bytesOf(bytes)));
  }

  // A configuration over a bundled folder with "categories" and "constants", and the user file.
  std::unique_ptr<QVRConfiguration> configuration() {
    write(Array{Dictionary{{"name", "Length"}}}, bundled() / "categories.plist");
    write(Array{Dictionary{{"title", "pi"}, {"value", "3.14159"}}}, bundled() / "constants.plist",
          Format::binary);
    writeBytes("not a plist", bundled() / "README.txt");
    return std::make_unique<QVRConfiguration>(bundled(), userFile());
  }

  // The notifications of the change, in order.
  std::vector<const void*> posted;
  QVRNotificationCenter::Observation observation = environment().notificationCenter().addObserver(
      std::string(QVRConfigurationDidChange), nullptr,
      [this](const QVRNotification& notification) { posted.push_back(notification.object); });
};

QVRPropertyList firstEntry(const QVRPropertyList* list, std::string_view key) {
  if (!list || !list->array() || list->array()->empty()) return {};
  const QVRPropertyList* value = list->array()->front().find(key);
  return value ? *value : QVRPropertyList();
}

}  // namespace

// Unreadable bytes, a value of the wrong kind, a folder: logged, and the bundled values stand.
TEST_F(QVRConfigurationTests, AnUnreadableUserFileIsLoggedAndTheBundledValuesStand) {
  auto list =
      QVRPropertyListWriter::dataFromPropertyList(Array{"not", "a", "dictionary"}, Format::binary);
  const std::string cases[] = {"<?xml version=\"1.0\"?><plist><dict><key>constants</key>",
                               std::string(list.value->begin(), list.value->end()), "folder"};
  for (const std::string& contents : cases) {
    SCOPED_TRACE(contents);
    log().clear();
    auto config = configuration();
    std::filesystem::remove_all(userFile());
    if (contents == "folder") std::filesystem::create_directories(userFile());
    if (contents != "folder") writeBytes(contents, userFile());
    EXPECT_EQ(firstEntry(config->objectForKey("constants"), "title"), QVRPropertyList("pi"));
    EXPECT_TRUE(config->objectForKey("categories"));
    ASSERT_EQ(log().records().size(), 1u);
    EXPECT_EQ(log().records()[0].message, "Ignoring configuration file " + userFile().string());
  }
}

// A key's file is read when the key is first asked for; reading all of them later keeps the
// values handed out, and a bundled file that cannot be read is logged once and left out.
TEST_F(QVRConfigurationTests, KeysAreReadOnFirstUseAndAnUnreadableBundledFileIsLeftOut) {
  auto config = configuration();
  writeBytes("<plist><array><string>cut", bundled() / "broken.plist");
  const QVRPropertyList* constants = config->objectForKey("constants");
  EXPECT_FALSE(config->objectForKey("broken") || config->objectForKey("missing"));
  ASSERT_EQ(log().records().size(), 1u);
  EXPECT_EQ(log().records()[0].message, "Ignoring bundled configuration broken.plist");
  EXPECT_EQ(config->values().size(), 2u);
  EXPECT_EQ(config->objectForKey("constants"), constants);
  EXPECT_EQ(firstEntry(constants, "title"), QVRPropertyList("pi"));
  EXPECT_EQ(log().records().size(), 1u);
}

TEST_F(QVRConfigurationTests, DidChangeAnnouncesNewValuesAndOnlyNewOnes) {
  auto config = configuration();
  config->objectForKey("constants");
  config->reload();
  EXPECT_TRUE(posted.empty());
  write(Dictionary{{"constants", Array{"new"}}}, userFile());
  config->reload();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0], config.get());
  EXPECT_EQ(*config->objectForKey("constants"), QVRPropertyList(Array{"new"}));
  EXPECT_EQ(firstEntry(config->objectForKey("categories"), "name"), QVRPropertyList("Length"));
  config->setValue("constants", QVRPropertyList(Array{"new"}));
  EXPECT_EQ(posted.size(), 1u);
  config->setValue("constants", std::nullopt);
  EXPECT_EQ(posted.size(), 2u);
  EXPECT_FALSE(config->objectForKey("constants"));
  config->replaceValues({{"categories", Array{}}});
  // Values of every kind compare by value, whichever format the file is in.
  const QVRPropertyList mixed = Dictionary{
      {"constants", Array{Dictionary{{"value", std::int64_t{1}}, {"ratio", 0.5}, {"shown", true}}}},
      {"stamp", QVRPropertyList::Date{-978307200}},
      {"bytes", QVRPropertyList::Data{1}},
  };
  write(mixed, userFile(), Format::binary);
  config->reload();
  EXPECT_EQ(posted.size(), 4u);
  write(mixed, userFile(), Format::xml);
  config->reload();
  EXPECT_EQ(posted.size(), 4u);
  // A first reload before any value was asked for reads the files once for comparison.
  auto fresh = std::make_unique<QVRConfiguration>(bundled(), userFile());
  fresh->reload();
  EXPECT_EQ(posted.size(), 4u);
}
