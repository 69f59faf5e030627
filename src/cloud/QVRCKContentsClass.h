#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cloud/QVRCKContents.h"
#include "common/QVRKeyedUnarchiver.h"

// The class operations of a document class that the cloud document needs: reading its contents
// back from an archive and merging two versions of them.
//
// On the platform these are class methods that dispatch on the document's runtime class. In C++
// a base class constructor cannot reach a subclass's virtual functions, and the document reads
// its contents while it is being made, so each document class hands its contents class to the
// base constructor. QVRCKContentsClassOf<D> makes one from D's static functions.
class QVRCKContentsClass {
 public:
  using Contents = std::shared_ptr<const QVRCKContents>;

  QVRCKContentsClass() = default;
  virtual ~QVRCKContentsClass() = default;
  // Identity object: one per document class, which its documents refer to.
  QVRCKContentsClass(const QVRCKContentsClass&) = delete;
  QVRCKContentsClass& operator=(const QVRCKContentsClass&) = delete;

  // The classes that may appear in an archive of the contents.
  virtual std::vector<std::string> allowedClassNames() const = 0;
  // The contents archived as `value` (none when there are none, or of another kind). May raise
  // QVRException for contents that cannot be read.
  virtual Contents decodeContents(const QVRKeyedUnarchiver::Value& value) const = 0;
  // The contents to keep when the server's contents changed while local changes waited for
  // upload. May raise QVRException; the document then takes the server's contents.
  virtual Contents mergeLocalContents(const Contents& local, const Contents& server) const = 0;
};

// The contents class of document class D, from D's static functions
//   std::vector<std::string> contentsClassNames();
//   Contents decodeContents(const QVRKeyedUnarchiver::Value&);
//   Contents mergeLocalContents(const Contents& local, const Contents& server);
// One constant instance per D.
template <class D>
class QVRCKContentsClassOf final : public QVRCKContentsClass {
 public:
  static const QVRCKContentsClass& instance() {
    static const QVRCKContentsClassOf<D> contentsClass;
    return contentsClass;
  }

  std::vector<std::string> allowedClassNames() const override { return D::contentsClassNames(); }
  Contents decodeContents(const QVRKeyedUnarchiver::Value& value) const override {
    return D::decodeContents(value);
  }
  Contents mergeLocalContents(const Contents& local, const Contents& server) const override {
    return D::mergeLocalContents(local, server);
  }
};
