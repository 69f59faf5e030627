#pragma once

#include "common/QVRTextLayoutEngine.h"
#include "display/QVRTallixExpressionDisplayMetrics.h"

// What the layout of display items draws text with: the engine that measures (and, through it,
// the font), the font size, and the metrics that space the items. The metrics default to the
// exported ones; an engine whose unit is not the point (terminal cells) brings its own.
class QVRTallixTextAttributes {
 public:
  explicit QVRTallixTextAttributes(
      QVRTextLayoutEngine& engine, double fontSize = QVRTallixExpressionDisplayFontSize,
      QVRTallixExpressionDisplayMetrics metrics = QVRTallixExpressionDisplayMetrics())
      : _engine(&engine), _fontSize(fontSize), _metrics(metrics) {}

  QVRTextLayoutEngine& engine() const { return *_engine; }
  double fontSize() const { return _fontSize; }
  const QVRTallixExpressionDisplayMetrics& metrics() const { return _metrics; }

 private:
  QVRTextLayoutEngine* _engine;
  double _fontSize;
  QVRTallixExpressionDisplayMetrics _metrics;
};
