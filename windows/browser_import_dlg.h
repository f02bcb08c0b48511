#pragma once

#include <QDialog>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "exchange/browser_import.h"
#include "windows/window_services.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

// "Import From Browser": the profiles of Chromium and Firefox found for the user, a choice of the
// history (into the PageMarks) and the bookmarks (into the Topics), and "Bring In". The profile is
// read on a thread of its own while the dialog shows what it does (Cancel stops it, and so does
// closing the dialog); what was read is then brought in on the main thread, all or nothing
// (ApplyBrowserImport), and the dialog shows the summary line. Trouble is told in a message box
// and nothing is brought in.
class CBrowserImportDlg : public QDialog {
  Q_OBJECT

 public:
  CBrowserImportDlg(const WindowServices& services, std::vector<BrowserProfile> profiles,
                    QWidget* parent = nullptr);
  ~CBrowserImportDlg() override;

  // The summary of the import done; empty while none was.
  const std::string& Summary() const { return summary_; }
  // Whether a profile is being read now.
  bool Reading() const { return worker_.joinable(); }

  QComboBox* ProfileChoice() const { return profileChoice_; }
  QCheckBox* HistoryBox() const { return history_; }
  QCheckBox* BookmarksBox() const { return bookmarks_; }
  QPushButton* StartButton() const { return start_; }
  QLabel* StatusText() const { return status_; }

 signals:
  // An import was done; summary is its line.
  void imported(const QString& summary);

 protected:
  void reject() override;

 private:
  void Start();
  // Back on the main thread once the read has ended.
  void Finish();
  void SetBusy(bool busy);
  void Stop();

  WindowServices services_;
  std::vector<BrowserProfile> profiles_;
  QComboBox* profileChoice_ = nullptr;
  QCheckBox* history_ = nullptr;
  QCheckBox* bookmarks_ = nullptr;
  QLabel* status_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* start_ = nullptr;
  QPushButton* close_ = nullptr;

  std::thread worker_;
  std::atomic<bool> cancel_{false};
  BrowserProfile reading_;
  BrowserData data_;  // the worker's until it ends
  std::string why_;
  bool read_ = false;
  std::string summary_;
};
