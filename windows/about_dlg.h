#pragma once

#include <QDialog>

// "Hopwise 1.2": the headline, what Hopwise is good at, three pictures and OK. It changes nothing.
class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};

inline constexpr char kAboutTitle[] = "Hopwise 1.2";
inline constexpr char kAboutHeadline[] = "Hopwise : The fastest, easiest way to navigate!";
inline constexpr char kAboutList[] =
    "* Quickest way to revisit a page\n"
    "* Easier navigation with auto Site grouping\n"
    "* Quickest way to group favorite pages by topic\n"
    "* Instant searches and news\n"
    "* Scans the Internet for updated pages";
