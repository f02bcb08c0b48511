#include "windows/find_window.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "windows/found_page_list.h"
#include "windows/watch_marks.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 440;
constexpr char kPlaceholder[] = "Type words of a page's title, address or Site";

bool OnX11() {
  return QGuiApplication::platformName() == QLatin1String("xcb");
}

QString Quoted(const std::string& title) {
  return QStringLiteral("\u201C%1\u201D").arg(QString::fromStdString(title));
}

}  // namespace

FindWindow::FindWindow(const WindowServices& services, PageFinder& finder, ToolWindows& windows,
                       const Clock& clock, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint),
      services_(services),
      finder_(finder),
      windows_(windows),
      clock_(clock),
      input_(new QLineEdit(this)),
      results_(new QListView(this)),
      model_(new FoundPageModel(this)),
      status_(new QLabel(this)) {
  setObjectName(QStringLiteral("findWindow"));
  setWindowTitle(QString::fromLatin1(kTitle));
  setFixedSize(kWidth, kHeight);  // a fixed size also has tiling desktops float it
  input_->setPlaceholderText(QString::fromLatin1(kPlaceholder));
  input_->setClearButtonEnabled(true);
  results_->setModel(model_);
  results_->setItemDelegate(new FoundPageDelegate(results_));
  results_->setUniformItemSizes(true);
  results_->setFocusPolicy(Qt::NoFocus);
  results_->setSelectionMode(QAbstractItemView::SingleSelection);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(input_);
  layout->addWidget(results_);
  layout->addWidget(status_);

  connect(input_, &QLineEdit::textChanged, this, &FindWindow::Search);
  connect(results_, &QListView::activated, this,
          [this] { Act([this](const FoundPage& p) { return Open(p); }); });
  input_->installEventFilter(this);
  results_->installEventFilter(this);

  AddKey(Qt::Key_Return, [this](const FoundPage& p) { return Open(p); });
  AddKey(Qt::Key_Enter | Qt::KeypadModifier, [this](const FoundPage& p) { return Open(p); });
  AddKey(Qt::AltModifier | Qt::Key_Return, [this](const FoundPage& p) { return QuickInfo(p); });
  AddKey(Qt::AltModifier | Qt::KeypadModifier | Qt::Key_Enter,
         [this](const FoundPage& p) { return QuickInfo(p); });
  AddKey(Qt::ControlModifier | Qt::Key_T, [this](const FoundPage& p) { return FileIntoTopics(p); });
  AddKey(Qt::ControlModifier | Qt::Key_D, [this](const FoundPage& p) { return ToggleWatched(p); });
}

FindWindow::~FindWindow() = default;

void FindWindow::AddKey(QKeyCombination key, KeyAction action) {
  std::erase_if(keys_, [key](const Key& k) { return k.key == key; });
  keys_.push_back({key, std::move(action)});
}

void FindWindow::ShowForSearch() {
  if (!isVisible()) {
    input_->blockSignals(true);
    input_->clear();
    input_->blockSignals(false);
    Search({});
    Place();
    show();
  }
  raise();
  activateWindow();
  input_->setFocus(Qt::ActiveWindowFocusReason);
  input_->selectAll();
}

void FindWindow::SetStatus(const QString& text) {
  status_->setText(text);
}

const FoundPage* FindWindow::Selected() const {
  const QModelIndex current = results_->currentIndex();
  return current.isValid() ? model_->PageAt(current.row()) : nullptr;
}

void FindWindow::Search(const QString& text) {
  model_->SetPages(finder_.Find(text.toStdString(), clock_.Now()));
  if (model_->rowCount() > 0) results_->setCurrentIndex(model_->index(0));
  const int count = model_->rowCount();
  SetStatus(count == 0   ? QStringLiteral("No page found")
            : count == 1 ? QStringLiteral("1 page")
                         : QStringLiteral("%1 pages").arg(count));
}

bool FindWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && OnKey(static_cast<const QKeyEvent&>(*event))) return true;
  return QWidget::eventFilter(watched, event);
}

// Keys of the results list work from the line; the keys of the table act on the selected page.
bool FindWindow::OnKey(const QKeyEvent& event) {
  const int key = event.key();
  if (event.modifiers() == Qt::NoModifier &&
      (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown)) {
    MoveSelection(key);
    return true;
  }
  if (key == Qt::Key_Escape) {
    close();
    return true;
  }
  const QKeyCombination pressed = event.keyCombination();
  for (const Key& k : keys_) {
    if (k.key != pressed) continue;
    Act(k.action);
    return true;
  }
  return false;
}

void FindWindow::MoveSelection(int key) {
  const int count = model_->rowCount();
  if (count == 0) return;
  const int page = std::max(1, results_->viewport()->height() / std::max(1, results_->sizeHintForRow(0)));
  const int step = key == Qt::Key_Up ? -1 : key == Qt::Key_Down ? 1 : key == Qt::Key_PageUp ? -page : page;
  const int row = std::clamp(results_->currentIndex().row() + step, 0, count - 1);
  results_->setCurrentIndex(model_->index(row));
}

// A copy of the page: what the action does may change the rows.
void FindWindow::Act(const KeyAction& action) {
  const FoundPage* selected = Selected();
  if (!selected) return;
  const FoundPage page = *selected;
  if (action(page) == After::kClose) close();
}

FindWindow::After FindWindow::Open(const FoundPage& page) {
  services_.opener.OpenInBrowser(page.url);
  return After::kClose;
}

FindWindow::After FindWindow::QuickInfo(const FoundPage& page) {
  const CPez* pageMark = services_.store.FindPageMarkByUrl(page.url);
  if (!pageMark) {
    SetStatus(QStringLiteral("Quick Info is for PageMarks: %1 is a Topic link only").arg(Quoted(page.title)));
    return After::kStay;
  }
  const QPoint corner = frameGeometry().topLeft();
  close();
  windows_.ShowQuickInfo(pageMark->commandId, corner.x(), corner.y());
  return After::kStay;
}

FindWindow::After FindWindow::FileIntoTopics(const FoundPage& page) {
  if (page.source == FoundPage::Source::kTopicLink) {
    SetStatus(QStringLiteral("Already in Topics: %1").arg(QString::fromStdString(page.where)));
    return After::kStay;
  }
  services_.topics.AppendTopLevelLink(page.title, page.url);
  SetStatus(QStringLiteral("Filed into Topics: %1").arg(Quoted(page.title)));
  return After::kStay;
}

FindWindow::After FindWindow::ToggleWatched(const FoundPage& page) {
  const std::string said =
      ToggleWatch(services_.watched, {{page.url, page.title}}, services_.prefs.watchHours);
  SetStatus(QString::fromStdString(said));
  return After::kStay;
}

// Under the pointer (its top edge centred on it) on X11; elsewhere a program may not place its
// windows, and the desktop centres a window of fixed size.
void FindWindow::Place() {
  const QPoint pointer = QCursor::pos();
  const QScreen* screen = OnX11() ? QGuiApplication::screenAt(pointer) : nullptr;
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  QPoint corner = OnX11() ? QPoint(pointer.x() - kWidth / 2, pointer.y() - kHeight / 8)
                          : area.center() - QPoint(kWidth / 2, kHeight / 2);
  corner.setX(std::clamp(corner.x(), area.left(), std::max(area.left(), area.right() + 1 - kWidth)));
  corner.setY(std::clamp(corner.y(), area.top(), std::max(area.top(), area.bottom() + 1 - kHeight)));
  move(corner);
}
