#include "windows/page_mark_count_box.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <algorithm>

#include "shell/preference_rules.h"

PageMarkCountBox::PageMarkCountBox(QWidget* parent) : QAbstractSpinBox(parent) {
  setAccelerated(false);
  setButtonSymbols(QAbstractSpinBox::UpDownArrows);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize PageMarkCountBox::sizeHint() const {
  ensurePolished();
  QStyleOptionSpinBox option;
  initStyleOption(&option);
  const QSize text(fontMetrics().horizontalAdvance(QStringLiteral("88888")) + 6,
                   lineEdit()->sizeHint().height());
  return style()->sizeFromContents(QStyle::CT_SpinBox, &option, text, this);
}

void PageMarkCountBox::SetText(const QString& text) {
  lineEdit()->setText(text);
}

std::optional<int> PageMarkCountBox::Shown() const {
  bool ok = false;
  const int count = text().trimmed().toInt(&ok);
  return ok ? std::optional<int>(count) : std::nullopt;
}

// A text that is no number steps from the lowest count.
void PageMarkCountBox::stepBy(int steps) {
  if (!lastStep_.isValid() || lastStep_.elapsed() > kHoldGapMs) holdStart_.start();
  lastStep_.start();
  const int size = holdStart_.elapsed() >= kAccelerateAfterMs ? kAcceleratedStep : 1;
  const long long next = static_cast<long long>(Shown().value_or(kFewestPageMarks)) + 1LL * steps * size;
  SetText(QString::number(std::clamp<long long>(next, kFewestPageMarks, kMostPageMarks)));
  lineEdit()->selectAll();
}

QAbstractSpinBox::StepEnabled PageMarkCountBox::stepEnabled() const {
  const std::optional<int> shown = Shown();
  if (!shown) return StepUpEnabled | StepDownEnabled;
  StepEnabled enabled = StepNone;
  if (*shown < kMostPageMarks) enabled |= StepUpEnabled;
  if (*shown > kFewestPageMarks) enabled |= StepDownEnabled;
  return enabled;
}
