#pragma once

#include <QDialog>
#include <QString>
#include <string>
#include <vector>

#include "platform/message_boxes.h"

class QLineEdit;

// The longest text a field of these dialogs takes, and what OK says of a longer one.
inline constexpr int kTextFieldLimit = 255;
inline constexpr char kTooLongMessage[] = "Please enter no more than %1 characters.";

// A modal dialog that asks for one or two texts: a label and a field per text at the left, OK and
// Cancel at the right. It changes nothing itself; the caller reads the texts after OK.
//
// A field takes no more than 255 characters as the user types. A preset longer than that is shown
// whole (nothing is cut off behind the user's back), and OK refuses it with "Please enter no more
// than 255 characters.", leaving the dialog open with that field active.
class TextFieldsDlg : public QDialog {
  Q_OBJECT

 public:
  struct Field {
    QString label;
    std::string preset;
  };

  TextFieldsDlg(const QString& title, const std::vector<Field>& fields, MessageBoxes& messages,
                QWidget* parent = nullptr);

  // The text of field i (UTF-8), as the user left it.
  std::string Text(int i) const;
  QLineEdit* Edit(int i) const;

  void accept() override;

 private:
  MessageBoxes& messages_;
  std::vector<QLineEdit*> edits_;
};

// A web address as typed into a URL field: one with a scheme ("https://...", "mailto:...") stays as
// typed, blanks around it apart; one without gets one as a browser's address bar would give it
// ("example.org/page" is "http://example.org/page", "/home/me/a.html" a file URL). An empty field,
// or text that makes no address, stays as typed.
std::string TypedAddress(const std::string& typed);

// "New PageMark": a title and a URL, both empty.
class CNewPageMarkDlg : public TextFieldsDlg {
  Q_OBJECT
 public:
  explicit CNewPageMarkDlg(MessageBoxes& messages, QWidget* parent = nullptr);
  std::string Title() const { return Text(0); }
  std::string Url() const { return TypedAddress(Text(1)); }
};

// "Edit PageMark": the title and URL of a Topic link.
class CEditPageMarkDlg : public TextFieldsDlg {
  Q_OBJECT
 public:
  CEditPageMarkDlg(const std::string& title, const std::string& url, MessageBoxes& messages,
                   QWidget* parent = nullptr);
  std::string Title() const { return Text(0); }
  std::string Url() const { return TypedAddress(Text(1)); }
};

// "New Topic/Folder": a name, empty.
class CNewTopicDlg : public TextFieldsDlg {
  Q_OBJECT
 public:
  explicit CNewTopicDlg(MessageBoxes& messages, QWidget* parent = nullptr);
  std::string Name() const { return Text(0); }
};

// "Edit Topic/Folder": the name of a Topic folder.
class CEditTopicDlg : public TextFieldsDlg {
  Q_OBJECT
 public:
  CEditTopicDlg(const std::string& name, MessageBoxes& messages, QWidget* parent = nullptr);
  std::string Name() const { return Text(0); }
};

// "Open URL...": the text the browser is started with.
class COpenUrlDlg : public TextFieldsDlg {
  Q_OBJECT
 public:
  explicit COpenUrlDlg(MessageBoxes& messages, QWidget* parent = nullptr);
  std::string Url() const { return Text(0); }
};

// "Quick Search...": the keywords of a search.
class CQuickSearchDlg : public TextFieldsDlg {
  Q_OBJECT
 public:
  explicit CQuickSearchDlg(MessageBoxes& messages, QWidget* parent = nullptr);
  std::string Keywords() const { return Text(0); }
};
