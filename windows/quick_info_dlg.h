#pragma once

#include <QDialog>

#include "store/page_mark_store.h"
#include "windows/window_services.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

// "PageMark Quick Info": a PageMark's title (editable), URL and visit times, "Send To Topics?" and
// "Go!". OK stores a title that is not empty and differs from the PageMark's (the store tells the
// menus and the windows), then, when "Send To Topics?" is ticked, appends the PageMark as a link
// at the end of the top-level Topics (the Topics model writes topics.data and tells the menus).
// "Go!" opens the page in the browser, then acts as OK. Cancel changes nothing.
//
// Modal (a window's Edit): "Go!" is hidden; the caller runs exec(). Modeless (a key in the open
// tray menu): the dialog deletes itself when it is done. Either form closes, as if cancelled, when
// its PageMark leaves the store while it is open.
class CQuickInfoDlg : public QDialog, private StoreListener {
  Q_OBJECT

 public:
  enum class Form { kModal, kModeless };

  CQuickInfoDlg(const WindowServices& services, const CPez& page, Form form, QWidget* parent = nullptr);
  ~CQuickInfoDlg() override;

  QLineEdit* TitleEdit() const { return title_; }
  QCheckBox* SendToTopics() const { return sendToTopics_; }
  QPushButton* GoButton() const { return go_; }
  QLineEdit* UrlEdit() const { return url_; }

  void accept() override;

 private:
  void BuildLayout(const CPez& page);
  void OnGo();
  void Gone();
  void OnPageMarkRemoved(const CPez& p) override;
  void OnStoreReset() override;

  WindowServices services_;
  const CPez* page_;  // null once it has left the store
  QLineEdit* title_;
  QLineEdit* url_;
  QCheckBox* sendToTopics_;
  QPushButton* go_;
  PageMarkStore::Subscription storeSubscription_;
};
