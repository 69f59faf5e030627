#pragma once

#include <string>
#include <utility>

// An image that the user interface supplies, known to the model by its name only
// ("Length:Category", "Unit:Modifier:US"). The model has no store of named pictures on this
// platform: it answers the name, and whoever draws looks the picture up in its own resources. A
// small value rather than a bare string, so that an image name is not taken for a title or a
// symbol.
class QVRImageName {
 public:
  explicit QVRImageName(std::string name) : _name(std::move(name)) {}

  const std::string& name() const { return _name; }

  friend bool operator==(const QVRImageName&, const QVRImageName&) = default;

 private:
  std::string _name;
};
