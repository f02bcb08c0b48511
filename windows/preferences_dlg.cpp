#include "windows/preferences_dlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTreeView>
#include <QVBoxLayout>
#include <cstdlib>

#include "platform/autostart_entry.h"
#include "resources/icons.h"
#include "resources/resource_ids.h"
#include "windows/page_mark_count_box.h"

namespace {

// Qt's own file dialog in the detail view, wide enough for its columns, with the current program
// selected in its folder.
QString ChooseProgram(QWidget* parent, const QString& current) {
  const QFileInfo program(current);
  QFileDialog dialog(parent, QStringLiteral("Choose the browser program"),
                     program.isDir() ? current : program.absolutePath());
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setViewMode(QFileDialog::Detail);
  if (program.isFile()) dialog.selectFile(program.fileName());
  dialog.setMinimumSize(dialog.fontMetrics().averageCharWidth() * 110, dialog.fontMetrics().height() * 22);
  if (auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

}  // namespace

CPreferencesDlg::CPreferencesDlg(CPrefs& prefs, MessageBoxes& messages, std::function<void()> browserChosen,
                                 QWidget* parent)
    : QDialog(parent),
      prefs_(prefs),
      messages_(messages),
      browserChosen_(std::move(browserChosen)),
      chooser_(ChooseProgram),
      choices_(ChoicesOf(prefs)),
      searchServices_(OfferedSearchServices(choices_.searchAddress)),
      count_(new PageMarkCountBox(this)),
      sites_(new QRadioButton("Sites", this)),
      topics_(new QRadioButton("Topics", this)),
      powerUser_(new QCheckBox("Remove pre-installed links?", this)),
      simpleSites_(new QCheckBox("Show full site names?", this)),
      modernSites_(new QCheckBox("Group sites as browsers do?", this)),
      securePages_(new QCheckBox("Check https pages for updates?", this)),
      watchHours_(new QSpinBox(this)),
      search_(new QComboBox(this)),
      browser_(new QLineEdit(this)),
      change_(new QPushButton("Change", this)),
      startAtLogIn_(new QCheckBox("Start Hopwise when I log in", this)),
      autostartFile_(AutostartFile(std::getenv("HOME"), std::getenv("XDG_CONFIG_HOME"))) {
  setWindowTitle("Hopwise Preferences");
  setWindowIcon(LoadIconResource(res::kIconActive));
  BuildLayout();
  ShowPreferences();
  connect(change_, &QPushButton::clicked, this, &CPreferencesDlg::OnChange);
  connect(search_, &QComboBox::currentTextChanged, this, &CPreferencesDlg::ShowSearchAddress);
}

void CPreferencesDlg::BuildLayout() {
  auto* menuChoice = new QHBoxLayout;
  menuChoice->addWidget(sites_);
  menuChoice->addWidget(topics_);
  menuChoice->addStretch();
  auto* group = new QButtonGroup(this);
  group->addButton(sites_);
  group->addButton(topics_);

  search_->setEditable(true);
  search_->setInsertPolicy(QComboBox::NoInsert);
  search_->setMinimumContentsLength(36);
  browser_->setReadOnly(true);
  browser_->setMinimumWidth(300);
  auto* browserRow = new QHBoxLayout;
  browserRow->addWidget(browser_, 1);
  browserRow->addWidget(change_);

  auto* form = new QFormLayout;
  form->addRow("Number of PageMarks to track:", count_);
  form->addRow("Main Menu Contains:", menuChoice);
  form->addRow(powerUser_);
  form->addRow(simpleSites_);
  form->addRow(modernSites_);
  form->addRow(securePages_);
  watchHours_->setRange(0, kMostWatchHours);
  connect(watchHours_, &QSpinBox::valueChanged, this, [this](int hours) {
    watchHours_->setSuffix(hours == 1 ? QStringLiteral(" hour") : QStringLiteral(" hours"));
  });
  watchHours_->setSpecialValueText(QStringLiteral("never"));
  form->addRow("Check watched pages every:", watchHours_);
  form->addRow("Search with:", search_);
  form->addRow("Browser:", browserRow);
  form->addRow(startAtLogIn_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(form, 1);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

// The number is shown as the unsigned word the preferences file holds.
void CPreferencesDlg::ShowPreferences() {
  count_->SetText(QString::number(static_cast<uint32_t>(prefs_.maxPageMarks)));
  (choices_.topicsInMainMenu ? topics_ : sites_)->setChecked(true);
  powerUser_->setChecked(choices_.powerUser);
  simpleSites_->setChecked(choices_.simpleSites);
  modernSites_->setChecked(choices_.modernSites);
  securePages_->setChecked(choices_.checkSecurePages);
  watchHours_->setValue(choices_.watchHours);
  for (const SearchService& service : searchServices_) {
    search_->addItem(QString::fromUtf8(service.name));
    search_->setItemData(search_->count() - 1, QString::fromUtf8(service.address), Qt::ToolTipRole);
  }
  search_->setEditText(QString::fromStdString(SearchFieldText(choices_.searchAddress, searchServices_)));
  ShowSearchAddress();
  browser_->setText(QString::fromStdString(JoinProgramPath(prefs_.browserPath, prefs_.browser)));
  startAtLogIn_->setChecked(AutostartIsOn(autostartFile_));
}

// The field's tooltip is the address Quick Search will use.
void CPreferencesDlg::ShowSearchAddress() {
  const std::string text = search_->currentText().toStdString();
  search_->setToolTip(QString::fromStdString(ReadSearchAddress(text, searchServices_)));
}

void CPreferencesDlg::OnChange() {
  const QString current = QString::fromStdString(JoinProgramPath(prefs_.browserPath, prefs_.browser));
  const QString chosen = chooser_(this, current);
  if (chosen.isEmpty()) return;
  const ProgramLocation program = SplitProgramPath(chosen.toStdString());
  prefs_.browser = program.file;
  prefs_.browserPath = program.folder;
  browser_->setText(QString::fromStdString(JoinProgramPath(program.folder, program.file)));
  if (browserChosen_) browserChosen_();
}

void CPreferencesDlg::accept() {
  const PageMarkCountReading count = ReadPageMarkCount(count_->text().toStdString());
  if (!count.count) {
    messages_.Ok(count.problem);
    count_->setFocus();
    count_->selectAll();
    return;
  }
  choices_.maxPageMarks = *count.count;
  choices_.topicsInMainMenu = topics_->isChecked();
  choices_.powerUser = powerUser_->isChecked();
  choices_.simpleSites = simpleSites_->isChecked();
  choices_.modernSites = modernSites_->isChecked();
  choices_.checkSecurePages = securePages_->isChecked();
  choices_.watchHours = watchHours_->value();
  choices_.searchAddress = ReadSearchAddress(search_->currentText().toStdString(), searchServices_);
  if (!ApplyStartAtLogIn()) return;
  QDialog::accept();
}

// The entry starts the start command that belongs to this program, so it works from a build folder too.
bool CPreferencesDlg::ApplyStartAtLogIn() {
  const bool on = startAtLogIn_->isChecked();
  if (on == AutostartIsOn(autostartFile_)) return true;
  const std::string command = StartCommandFor(QCoreApplication::applicationFilePath().toStdString());
  const std::string problem = SetAutostart(autostartFile_, on, command);
  if (problem.empty()) return true;
  messages_.Ok(problem);
  return false;
}
