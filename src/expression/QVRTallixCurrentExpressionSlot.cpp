#include "expression/QVRTallixCurrentExpressionSlot.h"

#include <string>
#include <system_error>

#include "common/QVREnvironment.h"
#include "common/QVRFileWriter.h"
#include "common/QVRKeyedArchiver.h"
#include "common/QVRKeyedUnarchiver.h"
#include "common/QVRLogger.h"
#include "common/QVRRunLoop.h"
#include "expression/QVRTallixExpression.h"

namespace {}  // namespace

QVRTallixCurrentExpressionSlot::QVRTallixCurrentExpressionSlot(QVREnvironment& environment)
    : _environment(environment) {
  _timer = QVRTimer::scheduledTimerAndTerminateWithTimeInterval(
      QVRTimer::Interval(saveInterval), [this] {
        const QVREnvironment::Installation installation(_environment);
        saveIfDirty();
      });
}

QVRTallixCurrentExpressionSlot& QVRTallixCurrentExpressionSlot::shared() {
  QVREnvironment& environment = QVREnvironment::current();
  return environment.sharedInstance<QVRTallixCurrentExpressionSlot>(
      [&] { return std::make_unique<QVRTallixCurrentExpressionSlot>(environment); });
}

std::filesystem::path QVRTallixCurrentExpressionSlot::path() const {
  return _environment.applicationSupportDirectory() / fileName;
}

std::shared_ptr<QVRTallixExpression> QVRTallixCurrentExpressionSlot::expression() {
  if (!_expression) {
    _expression = readFile();
    if (!_expression) _expression = std::make_shared<QVRTallixExpression>();
  }
  return _expression;
}

void QVRTallixCurrentExpressionSlot::setExpression(
    std::shared_ptr<QVRTallixExpression> expression) {
  if (!expression || expression == _expression) return;
  _expression = std::move(expression);
  _expression->setDirty(true);
}

void QVRTallixCurrentExpressionSlot::saveIfDirty() {
  if (!_expression || !_expression->isDirty()) return;
  QVRKeyedArchiver::archiveRootObjectToFile(*_expression, path());
  _expression->setDirty(false);
}

std::unique_ptr<QVRTallixExpression> QVRTallixCurrentExpressionSlot::readFile() {
  const std::filesystem::path file = path();
  auto read = QVRKeyedUnarchiver::unarchiveObjectWithFile<QVRTallixExpression>(
      file, QVRTallixExpression::archiveClassNames());
  if (read.value) return std::move(read.value);
  // No file: a first start.
  if (!read.error) return nullptr;
  QVRLogger::logError(read.error->error(), "decoding current expression");
  moveAside(file);
  return nullptr;
}

void QVRTallixCurrentExpressionSlot::moveAside(const std::filesystem::path& file) {
  const auto moved = QVRFileWriter::moveAside(file, "corrupt", _environment.runLoop().now());
  if (moved.error) {
    QVRLogger::logError(*moved.error, "Keeping unreadable current expression " + file.string() +
                                          "; the next save replaces it");
  } else {
    QVRLogger::logFormat("Kept unreadable current expression as " + moved.path.string());
  }
}
