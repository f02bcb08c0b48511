#pragma once

#include "shell/screen_metrics.h"

// The screen the menus pop up on (the primary screen) and the height of one line of a QMenu in the
// current style. Needs a QApplication.
class QtScreenMetrics : public ScreenMetrics {
 public:
  int ScreenHeight() const override;
  int MenuItemHeight() const override;
};
