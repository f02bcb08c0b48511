#include "windows/browser_import_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <ctime>

namespace {

constexpr char kNoProfiles[] =
    "No Chromium or Firefox profile was found for you (Chromium keeps them in ~/.config/chromium, Firefox "
    "lists them in ~/.mozilla/firefox/profiles.ini).";

}  // namespace

CBrowserImportDlg::CBrowserImportDlg(const WindowServices& services, std::vector<BrowserProfile> profiles,
                                     QWidget* parent)
    : QDialog(parent), services_(services), profiles_(std::move(profiles)) {
  setWindowTitle(QStringLiteral("Import From Browser"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Bring in the history and the bookmarks of:"), this));
  profileChoice_ = new QComboBox(this);
  for (const BrowserProfile& profile : profiles_)
    profileChoice_->addItem(QString::fromStdString(DescribeProfile(profile)));
  layout->addWidget(profileChoice_);
  history_ = new QCheckBox(QStringLiteral("&History, as PageMarks"), this);
  bookmarks_ = new QCheckBox(QStringLiteral("&Bookmarks, as Topics"), this);
  history_->setChecked(true);
  bookmarks_->setChecked(true);
  layout->addWidget(history_);
  layout->addWidget(bookmarks_);
  progress_ = new QProgressBar(this);
  progress_->setRange(0, 0);  // busy: a read cannot tell how far it is
  progress_->hide();
  layout->addWidget(progress_);
  status_ = new QLabel(profiles_.empty() ? QString::fromLatin1(kNoProfiles) : QString(), this);
  status_->setWordWrap(true);
  layout->addWidget(status_);
  auto* buttons = new QDialogButtonBox(this);
  start_ = buttons->addButton(QStringLiteral("Bring &In"), QDialogButtonBox::AcceptRole);
  close_ = buttons->addButton(QDialogButtonBox::Cancel);
  layout->addWidget(buttons);
  connect(start_, &QPushButton::clicked, this, &CBrowserImportDlg::Start);
  connect(close_, &QPushButton::clicked, this, &CBrowserImportDlg::reject);
  auto allowStart = [this] {
    start_->setEnabled(!profiles_.empty() && !Reading() &&
                       (history_->isChecked() || bookmarks_->isChecked()));
  };
  connect(history_, &QCheckBox::toggled, this, allowStart);
  connect(bookmarks_, &QCheckBox::toggled, this, allowStart);
  allowStart();
}

CBrowserImportDlg::~CBrowserImportDlg() {
  Stop();
}

void CBrowserImportDlg::Stop() {
  cancel_ = true;
  if (worker_.joinable()) worker_.join();
}

// Closing while a profile is read stops the read; nothing is brought in.
void CBrowserImportDlg::reject() {
  Stop();
  QDialog::reject();
}

void CBrowserImportDlg::SetBusy(bool busy) {
  profileChoice_->setEnabled(!busy);
  history_->setEnabled(!busy);
  bookmarks_->setEnabled(!busy);
  start_->setEnabled(!busy);
  progress_->setVisible(busy);
}

void CBrowserImportDlg::Start() {
  const int chosen = profileChoice_->currentIndex();
  if (Reading() || chosen < 0 || chosen >= static_cast<int>(profiles_.size())) return;
  reading_ = profiles_[static_cast<std::size_t>(chosen)];
  BrowserImportOptions options;
  options.history = history_->isChecked();
  options.bookmarks = bookmarks_->isChecked();
  options.historyLimit = std::max(services_.store.PageMarkLimit(), services_.store.Count());
  options.cancel = &cancel_;
  options.stage = [this](const std::string& stage) {
    QMetaObject::invokeMethod(
        this, [this, text = QString::fromStdString(stage)] { status_->setText(text); }, Qt::QueuedConnection);
  };
  cancel_ = false;
  data_ = {};
  why_.clear();
  SetBusy(true);
  status_->setText(QStringLiteral("Reading %1...").arg(QString::fromStdString(DescribeProfile(reading_))));
  worker_ = std::thread([this, options] {
    read_ = ReadBrowserProfile(reading_, options, data_, why_);
    QMetaObject::invokeMethod(
        this, [this] { Finish(); }, Qt::QueuedConnection);
  });
}

void CBrowserImportDlg::Finish() {
  if (worker_.joinable()) worker_.join();
  SetBusy(false);
  if (!read_) {
    const std::string text = why_ + "; nothing was brought in from " + DescribeProfile(reading_) + ".";
    status_->setText(QString::fromStdString(text));
    services_.messages.Ok(text);
    return;
  }
  SeededRandom random(static_cast<uint32_t>(std::time(nullptr)));
  PageMarkStore& store = services_.store;
  const SaveStore save = services_.saveStore ? services_.saveStore : SaveStore([&store] {
    store.MarkDirty();
    return true;
  });
  BrowserImportResult result = ApplyBrowserImport(data_, store, services_.topics, random, save);
  result.source = DescribeProfile(reading_);
  data_ = {};
  const std::string text = DescribeBrowserImport(result);
  status_->setText(QString::fromStdString(text));
  if (!result.problem.empty()) return services_.messages.Ok(text);
  summary_ = text;
  close_->setText(QStringLiteral("Close"));
  emit imported(QString::fromStdString(text));
}
