#pragma once

#include <string>
#include <string_view>

class QVRKeyedArchiver;

// The contents of a cloud document: an immutable value that the document shares (a change makes
// new contents and hands them to QVRCKDocument::setContents), writes into its archives and
// compares. Each document class has its own contents class; QVRCKContentsClass reads them back.
class QVRCKContents {
 public:
  QVRCKContents() = default;
  virtual ~QVRCKContents() = default;
  // Shared immutably through std::shared_ptr<const QVRCKContents>; copies are made on purpose.
  QVRCKContents(const QVRCKContents&) = delete;
  QVRCKContents& operator=(const QVRCKContents&) = delete;

  // Writes the contents under `key` of the archiver's current object (the subclasses write a
  // dictionary). Never raises.
  virtual void encodeWithCoder(QVRKeyedArchiver& coder, std::string_view key) const = 0;
  // Whether `other` holds the same contents (false for contents of another class).
  virtual bool isEqual(const QVRCKContents& other) const = 0;
  // A text for log lines.
  virtual std::string description() const = 0;
};
