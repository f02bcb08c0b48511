#include "windows/topics_exchange.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QPointer>
#include <QProgressDialog>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>

#include "exchange/bookmark_file.h"
#include "exchange/topics_export.h"
#include "exchange/topics_import.h"
#include "windows/browser_import_dlg.h"
#include "windows/modal_dialog.h"

namespace {

constexpr int kProgressSteps = 1000;
constexpr char kFileFilter[] = "Bookmark files (*.html *.htm);;All files (*)";

// The busy pointer for as long as it lives.
struct BusyCursor {
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

// The progress of a read, shown once it takes longer than a moment; Cancel stops the read, and so
// does the window going away.
ReadProgress ProgressOf(QWidget& window, QPointer<QProgressDialog>& dialog) {
  QPointer<QWidget> alive(&window);
  return [alive, &dialog](uint64_t done, uint64_t total) {
    if (!alive || !dialog) return false;
    if (total > 0) dialog->setValue(static_cast<int>(done * kProgressSteps / total));
    QApplication::processEvents();
    return alive && dialog && !dialog->wasCanceled();
  };
}

// Reads the whole file aside; loadAnyway after the user said so.
void ReadFile(QWidget& window, BookmarkFile& in, BookmarkCollector& bookmarks, bool loadAnyway,
              TopicsImportResult& result) {
  QPointer<QProgressDialog> dialog = new QProgressDialog(
      QStringLiteral("Importing bookmarks..."), QStringLiteral("Cancel"), 0, kProgressSteps, &window);
  dialog->setWindowModality(Qt::WindowModal);
  dialog->setMinimumDuration(300);
  ReadOptions options;
  options.loadAnyway = loadAnyway;
  options.progress = ProgressOf(window, dialog);
  options.totalBytes = in.Size();
  ReadForImport(in.Stream(), bookmarks, options, result);
  delete dialog.data();
}

}  // namespace

std::string ImportBookmarksFile(QWidget& window, const std::string& path, TopicsModel& model,
                                MessageBoxes& messages) {
  BookmarkFile in;
  std::string why;
  if (!in.Open(path, why)) {
    messages.Ok("Could not open " + path + ": " + why + ".");
    return {};
  }
  QPointer<QWidget> alive(&window);
  auto bookmarks = std::make_unique<BookmarkCollector>(TopicsModel::kMaxFolderDepth);
  TopicsImportResult result;
  ReadFile(window, in, *bookmarks, false, result);
  if (result.read.status == ReadStatus::NotBookmarkFile) {
    if (!messages.YesNo(kNotBookmarkFileQuestion) || !alive) return {};
    in.Rewind();
    bookmarks = std::make_unique<BookmarkCollector>(TopicsModel::kMaxFolderDepth);
    ReadFile(window, in, *bookmarks, true, result);
  }
  if (!alive || (result.read.status == ReadStatus::Cancelled && !result.tooMany)) return {};
  if (result.read.status != ReadStatus::Ok || result.tooMany) {
    messages.Ok(DescribeImport(result));
    return {};
  }
  BusyCursor busy;
  SeededRandom random(static_cast<uint32_t>(std::time(nullptr)));
  AddToTopics(model, *bookmarks, random, result);
  if (result.written && !result.tooMany) return DescribeImport(result);
  messages.Ok(DescribeImport(result));
  return {};
}

std::string ExportTopicsFile(const std::string& path, TopicsModel& model, MessageBoxes& messages) {
  BusyCursor busy;
  SystemClock clock;
  std::string why;
  if (ExportTopicsToFile(path, model.Root(), clock, &why)) return "Exported the Topics to " + path + ".";
  messages.Ok("Could not export the Topics to " + path + ": " + why);
  return {};
}

std::string ImportFromBrowser(QWidget& window, const WindowServices& services) {
  ModalDialog<CBrowserImportDlg> dialog(window, services, FindAllProfiles(ProfilePlaces::FromEnvironment()));
  if (dialog.Exec() == ModalDialog<CBrowserImportDlg>::Outcome::kWindowGone) return {};
  return dialog->Summary();
}

std::string AskImportFile(QWidget& window) {
  return QFile::encodeName(QFileDialog::getOpenFileName(&window,
                                                        QStringLiteral("Import Netscape-Style Bookmarks"),
                                                        QDir::homePath(), QString::fromLatin1(kFileFilter)))
      .toStdString();
}

std::string AskExportFile(QWidget& window) {
  return QFile::encodeName(QFileDialog::getSaveFileName(&window, QStringLiteral("Export Topics to HTML"),
                                                        QDir::homePath() + QStringLiteral("/bookmarks.html"),
                                                        QString::fromLatin1(kFileFilter)))
      .toStdString();
}
