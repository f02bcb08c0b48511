#pragma once

// What the popup menus need to know of the display to fit on it. The Qt side reads QScreen and the
// menu style; tests hand in fixed numbers.
class ScreenMetrics {
 public:
  virtual ~ScreenMetrics() = default;
  // Height of the screen the menus pop up on, in pixels; 0 or less when it cannot be read.
  virtual int ScreenHeight() const = 0;
  // Height of one menu line, in pixels; 0 or less when it cannot be read.
  virtual int MenuItemHeight() const = 0;
};
