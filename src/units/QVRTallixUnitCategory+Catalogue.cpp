// The class operations of QVRTallixUnitCategory: the catalogue, the default category and the
// visible categories. Their state lives in the environment (QVRTallixUnitCatalogue).

#include "common/QVRArray.h"
#include "common/QVREnvironment.h"
#include "common/QVRUserDefaults.h"
#include "units/QVRTallixUnit.h"
#include "units/QVRTallixUnitCatalogue.h"
#include "units/QVRTallixUnitCategory.h"

const std::vector<QVRTallixUnitCategory*>& QVRTallixUnitCategory::catalogue(
    std::string_view defaultClassName) {
  return QVRTallixUnitCatalogue::current().categories(defaultClassName);
}

const std::vector<QVRTallixUnitCategory*>& QVRTallixUnitCategory::allCategories() {
  return catalogue("QVRTallixUnitCategory");
}

QVRTallixUnitCategory* QVRTallixUnitCategory::categoryNamed(std::string_view name) {
  for (QVRTallixUnitCategory* category : allCategories()) {
    if (category->name() && *category->name() == name) return category;
  }
  return nullptr;
}

QVRTallixUnitCategory* QVRTallixUnitCategory::defaultCategory() {
  QVRTallixUnitCatalogue& state = QVRTallixUnitCatalogue::current();
  if (!state.defaultCategory()) {
    const auto stored = QVREnvironment::current().userDefaults().objectForKey("DefaultCategory");
    const std::string* storedName = stored ? stored->string() : nullptr;
    state.setDefaultCategory(
        categoryNamed(storedName ? std::string_view(*storedName) : "Temperature"));
  }
  if (QVRTallixUnitCategory* category = state.defaultCategory();
      category && !category->isHidden()) {
    return category;
  }
  const auto visible = visibleCategories();
  state.setDefaultCategory(visible.empty() ? nullptr : visible.front());
  return state.defaultCategory();
}

void QVRTallixUnitCategory::setDefaultCategory(QVRTallixUnitCategory* category) {
  QVRTallixUnitCatalogue& state = QVRTallixUnitCatalogue::current();
  if (category == state.defaultCategory()) return;
  state.setDefaultCategory(category);
  QVRUserDefaults& defaults = QVREnvironment::current().userDefaults();
  if (category && category->name()) {
    defaults.setObject("DefaultCategory", QVRPropertyList(*category->name()));
  } else {
    defaults.removeObjectForKey("DefaultCategory");
  }
}

std::vector<QVRTallixUnitCategory*> QVRTallixUnitCategory::visibleCategories() {
  QVRTallixUnitCatalogue& state = QVRTallixUnitCatalogue::current();
  if (const auto& cached = state.visibleCategories()) return *cached;
  const auto& all = allCategories();
  auto visible = QVRArray::objectsPassingTest(
      all, [](const QVRTallixUnitCategory* category) { return !category->isHidden(); });
  if (visible.empty() && !all.empty()) {
    QVRTallixUnitCategory* fallback = categoryNamed("Temperature");
    if (!fallback) fallback = all.front();
    for (QVRTallixUnit* unit : fallback->units()) unit->setHidden(false);
    visible = {fallback};
  }
  state.setVisibleCategories(visible);
  return visible;
}
