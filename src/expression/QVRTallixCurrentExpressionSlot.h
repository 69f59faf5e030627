#pragma once

#include <filesystem>
#include <memory>

#include "common/QVRTimer.h"

class QVREnvironment;
class QVRTallixExpression;

// The current expression of one environment: read from the file "currentExpression" in the
// application-support directory on first use, and written back every 10 seconds while it is
// dirty, and once more when the program terminates (the run loop's terminate()).
//
// A file that cannot be read or decoded is logged, moved aside as
// "currentExpression.corrupt-<UTC time>" (so the next save does not overwrite it), and a new
// expression takes its place.
class QVRTallixCurrentExpressionSlot {
 public:
  static constexpr double saveInterval = 10.0;
  static constexpr const char* fileName = "currentExpression";

  // Schedules the periodic save on the environment's run loop.
  explicit QVRTallixCurrentExpressionSlot(QVREnvironment& environment);
  // Identity object: its timer refers to it.
  QVRTallixCurrentExpressionSlot(const QVRTallixCurrentExpressionSlot&) = delete;
  QVRTallixCurrentExpressionSlot& operator=(const QVRTallixCurrentExpressionSlot&) = delete;

  static QVRTallixCurrentExpressionSlot& shared();

  std::shared_ptr<QVRTallixExpression> expression();
  // Stores another expression and marks it dirty; nothing for the one already stored or none.
  void setExpression(std::shared_ptr<QVRTallixExpression> expression);
  std::filesystem::path path() const;
  // Writes the expression when it is dirty and marks it clean, also when the write failed (the
  // failure is logged; the next change tries again).
  void saveIfDirty();

 private:
  std::unique_ptr<QVRTallixExpression> readFile();
  void moveAside(const std::filesystem::path& file);

  QVREnvironment& _environment;
  std::shared_ptr<QVRTallixExpression> _expression;
  QVRTimer _timer;
};
