#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QVRTallixUnitCategory;

// The class state of QVRTallixUnitCategory, shared by the class and its subclasses: one per
// environment, so that each test starts with a fresh catalogue while the program has one for the
// process. It owns the categories of the catalogue.
class QVRTallixUnitCatalogue {
 public:
  QVRTallixUnitCatalogue();
  ~QVRTallixUnitCatalogue();
  // Identity object: the categories it owns are referred to everywhere.
  QVRTallixUnitCatalogue(const QVRTallixUnitCatalogue&) = delete;
  QVRTallixUnitCatalogue& operator=(const QVRTallixUnitCatalogue&) = delete;

  // The state of the current environment, made on first use.
  static QVRTallixUnitCatalogue& current();
  // The state of the current environment when it was made already.
  static QVRTallixUnitCatalogue* existing();

  // The categories of the configuration's "categories", built on the first call (entries that
  // name no category class are made of `defaultClassName`) and sorted by title.
  const std::vector<QVRTallixUnitCategory*>& categories(std::string_view defaultClassName);

  // The cached default category; none until first asked.
  QVRTallixUnitCategory* defaultCategory() const { return _defaultCategory; }
  void setDefaultCategory(QVRTallixUnitCategory* category) { _defaultCategory = category; }
  // The cached visible categories; none when they must be rebuilt.
  const std::optional<std::vector<QVRTallixUnitCategory*>>& visibleCategories() const {
    return _visibleCategories;
  }
  void setVisibleCategories(std::optional<std::vector<QVRTallixUnitCategory*>> categories) {
    _visibleCategories = std::move(categories);
  }

  // The localizations in which the categories' strings tables are searched, chosen on first use:
  // the bundle's choice for the user's locale; but for the locale identifiers "en_US" and
  // "en_PH", "en-US" first when the resources hold it.
  const std::vector<std::string>& stringsLocalizations();

 private:
  std::optional<std::vector<std::unique_ptr<QVRTallixUnitCategory>>> _owned;
  std::vector<QVRTallixUnitCategory*> _categories;
  QVRTallixUnitCategory* _defaultCategory = nullptr;
  std::optional<std::vector<QVRTallixUnitCategory*>> _visibleCategories;
  std::optional<std::vector<std::string>> _stringsLocalizations;
};
