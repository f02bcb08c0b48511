#pragma once

#include <QProxyStyle>

// The desktop's own style, with one change: dialog buttons (OK, Cancel, Yes, No) show their text
// alone. The styles Qt falls back to without a desktop theme draw a picture that touches the text.
class AppStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                QStyleHintReturn* returnData = nullptr) const override;
};
