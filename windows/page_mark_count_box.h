#pragma once

#include <QAbstractSpinBox>
#include <QElapsedTimer>
#include <optional>

// "Number of PageMarks to track:": a text field as wide as five digits, with up and down arrows.
// The arrows (and the Up, Down, Page Up and Page Down keys) step the number between 50 and 1500,
// the numbers OK accepts, by one, and by 50 once they have been held for three seconds. The text
// itself is the user's: whatever is typed stays until OK reads it, so that OK can say what is wrong
// with it.
class PageMarkCountBox : public QAbstractSpinBox {
  Q_OBJECT

 public:
  explicit PageMarkCountBox(QWidget* parent = nullptr);

  void SetText(const QString& text);
  void stepBy(int steps) override;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

  // Steps taken less than this apart belong to one hold of an arrow.
  static constexpr qint64 kHoldGapMs = 400;
  static constexpr qint64 kAccelerateAfterMs = 3000;
  static constexpr int kAcceleratedStep = 50;

 protected:
  StepEnabled stepEnabled() const override;

 private:
  // The number shown, or nothing when the text is not a plain number.
  std::optional<int> Shown() const;

  QElapsedTimer holdStart_;
  QElapsedTimer lastStep_;
};
