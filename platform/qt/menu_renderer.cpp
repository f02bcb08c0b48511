#include "platform/qt/menu_renderer.h"

#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QProxyStyle>
#include <QScreen>
#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Lets a grayed item be highlighted, so that the mark keys can act on it a second time.
class MenuStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_Menu_AllowActiveAndDisabled) return 1;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

// One style for every rendered menu, living as long as the application.
QStyle* SharedMenuStyle() {
  static QPointer<MenuStyle> style;
  if (!style) {
    style = new MenuStyle;
    style->setParent(QCoreApplication::instance());
  }
  return style;
}

quint32 CommandOf(const QAction* action) {
  return action ? action->data().value<quint32>() : 0;
}

// The mnemonic character of a QAction text, upper-cased; a null QChar when it has none.
QChar MnemonicOf(const QString& text) {
  for (qsizetype i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'&') continue;
    if (text[i + 1] == u'&') {
      ++i;
      continue;
    }
    return text[i + 1].toUpper();
  }
  return {};
}

bool MatchesMnemonic(const QMenu& menu, const QString& typed) {
  if (typed.size() != 1) return false;
  const QChar key = typed[0].toUpper();
  for (const QAction* action : menu.actions()) {
    if (!action->isSeparator() && action->isVisible() && MnemonicOf(action->text()) == key) return true;
  }
  return false;
}

}  // namespace

// The QMenu of one Menu: one QAction per item, in the model's order, following its changes.
class MenuRenderer::View {
 public:
  View(MenuRenderer& owner, std::shared_ptr<Menu> model, QMenu* qmenu);
  ~View();
  View(const View&) = delete;
  View& operator=(const View&) = delete;

  const std::shared_ptr<Menu>& model() const { return model_; }

 private:
  struct Entry {
    QAction* action = nullptr;
    std::unique_ptr<View> child;  // submenus only
  };

  Entry Make(const MenuItem& item, QAction* before);
  void Apply(const MenuChange& change);
  void Discard(Entry& entry);
  void Show(QAction* action, const MenuItem& item) const;

  MenuRenderer& owner_;
  std::shared_ptr<Menu> model_;
  QMenu* qmenu_;
  std::vector<Entry> entries_;
  MenuSubscription subscription_;
};

MenuRenderer::View::View(MenuRenderer& owner, std::shared_ptr<Menu> model, QMenu* qmenu)
    : owner_(owner), model_(std::move(model)), qmenu_(qmenu) {
  owner_.views_.insert(qmenu_, this);
  qmenu_->setStyle(SharedMenuStyle());
  qmenu_->setToolTipsVisible(true);
  qmenu_->installEventFilter(&owner_);
  QObject::connect(qmenu_, &QMenu::hovered, &owner_,
                   [owner = &owner_](QAction* action) { emit owner->highlighted(CommandOf(action)); });
  for (std::size_t i = 0; i < model_->Count(); ++i) entries_.push_back(Make(*model_->ItemAt(i), nullptr));
  subscription_ = model_->Subscribe([this](const MenuChange& change) { Apply(change); });
}

MenuRenderer::View::~View() {
  subscription_.Reset();
  owner_.views_.remove(qmenu_);
  qmenu_->removeEventFilter(&owner_);
  QObject::disconnect(qmenu_, nullptr, &owner_, nullptr);
  for (Entry& entry : entries_) {
    if (!entry.child) QObject::disconnect(entry.action, nullptr, &owner_, nullptr);
  }
}

// A literal label (a page title, a Site key) longer than MaxLabelWidth is shortened in its middle;
// the whole of it shows as the tooltip unless the item has a tip of its own.
void MenuRenderer::View::Show(QAction* action, const MenuItem& item) const {
  MenuItem shown = item;
  QString tip = QString::fromStdString(item.tip);
  if (item.style == LabelStyle::Literal) {
    const QString whole = QString::fromStdString(item.text);
    const QString elided = qmenu_->fontMetrics().elidedText(whole, Qt::ElideMiddle, MaxLabelWidth());
    if (elided != whole) {
      shown.text = elided.toStdString();
      if (tip.isEmpty()) tip = whole;
    }
  }
  action->setToolTip(tip);
  action->setText(ActionText(shown));
  action->setEnabled(!item.grayed);
  // Only a checked item shows a check box: an unchecked item shows nothing at all.
  action->setCheckable(item.checked);
  action->setChecked(item.checked);
}

MenuRenderer::View::Entry MenuRenderer::View::Make(const MenuItem& item, QAction* before) {
  Entry entry;
  switch (item.kind) {
    case MenuItemKind::Separator:
      entry.action = new QAction(qmenu_);
      entry.action->setSeparator(true);
      break;
    case MenuItemKind::Command: {
      QAction* action = new QAction(qmenu_);
      entry.action = action;
      action->setData(QVariant::fromValue<quint32>(item.command));
      QObject::connect(action, &QAction::triggered, &owner_, [owner = &owner_, action] {
        // The model decides the check mark, not the click.
        if (action->isCheckable()) action->setChecked(!action->isChecked());
        emit owner->chosen(CommandOf(action));
      });
      Show(action, item);
      break;
    }
    case MenuItemKind::Submenu: {
      auto* submenu = new QMenu(qmenu_);
      entry.child = std::make_unique<View>(owner_, item.submenu, submenu);
      entry.action = submenu->menuAction();
      Show(entry.action, item);
      break;
    }
  }
  qmenu_->insertAction(before, entry.action);
  return entry;
}

// Removed QActions and QMenus are deleted later: the change may come from a handler of one of
// their own signals.
void MenuRenderer::View::Discard(Entry& entry) {
  qmenu_->removeAction(entry.action);
  if (entry.child) {
    QMenu* submenu = entry.child->qmenu_;
    entry.child.reset();
    submenu->hide();
    submenu->deleteLater();
  } else {
    QObject::disconnect(entry.action, nullptr, &owner_, nullptr);
    entry.action->deleteLater();
  }
}

void MenuRenderer::View::Apply(const MenuChange& change) {
  const std::size_t position = change.position;
  switch (change.kind) {
    case MenuChange::Kind::Inserted: {
      const std::size_t at = std::min(position, entries_.size());
      QAction* before = at < entries_.size() ? entries_[at].action : nullptr;
      if (!before && qmenu_ == owner_.top_) before = owner_.trailer_;
      entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(at), Make(change.item, before));
      break;
    }
    case MenuChange::Kind::Removed:
      if (position < entries_.size()) {
        Discard(entries_[position]);
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position));
      }
      break;
    case MenuChange::Kind::Changed:
      if (position < entries_.size()) Show(entries_[position].action, change.item);
      break;
    case MenuChange::Kind::Cleared:
      for (Entry& entry : entries_) Discard(entry);
      entries_.clear();
      break;
  }
}

// ---- MenuRenderer

MenuRenderer::MenuRenderer(std::shared_ptr<Menu> model, QObject* parent)
    : QObject(parent), model_(std::move(model)) {}

MenuRenderer::~MenuRenderer() {
  root_.reset();
  if (!top_) return;
  QObject::disconnect(top_, nullptr, this, nullptr);
  if (top_->isVisible()) {
    top_->hide();
    top_->deleteLater();
  } else {
    delete top_;
  }
}

void MenuRenderer::SetModel(std::shared_ptr<Menu> model) {
  DropMenu();
  model_ = std::move(model);
}

void MenuRenderer::DropMenu() {
  if (!top_) return;
  top_->hide();  // ends an open menu loop: closed() follows
  root_.reset();
  trailer_.clear();
  QMenu* old = std::exchange(top_, nullptr);
  QObject::disconnect(old, nullptr, this, nullptr);
  old->deleteLater();
}

QMenu* MenuRenderer::Build() {
  if (top_ || !model_) return top_;
  top_ = new QMenu;
  connect(top_, &QMenu::aboutToHide, this, &MenuRenderer::OnTopHidden);
  root_ = std::make_unique<View>(*this, model_, top_);
  return top_;
}

void MenuRenderer::Popup(const QPoint& screenPoint) {
  if (QMenu* menu = Build()) menu->popup(screenPoint);
}

bool MenuRenderer::IsOpen() const {
  return top_ && top_->isVisible();
}

void MenuRenderer::AppendAfterModel(QAction* action) {
  if (!top_) return;
  top_->addAction(action);
  if (!trailer_) trailer_ = action;
}

void MenuRenderer::Close() {
  if (IsOpen()) top_->hide();
}

// QMenu hides its popups before it triggers the chosen action; the end of the loop is told once
// the event that chose (or dismissed) has been handled, so it always follows chosen(). A menu that
// is not on screen is not kept in step: it is dropped, and the next Popup builds it afresh.
void MenuRenderer::OnTopHidden() {
  QMetaObject::invokeMethod(
      this,
      [this] {
        emit closed();
        if (!IsOpen() && !exported_) DropMenu();
      },
      Qt::QueuedConnection);
}

int MenuRenderer::MaxLabelWidth() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int width = screen ? screen->availableGeometry().width() : 0;
  return std::max(kMinLabelWidth, width / 3);
}

int MenuRenderer::ItemHeight() {
  QMenu probe;
  probe.setStyle(SharedMenuStyle());
  QAction* item = probe.addAction(QStringLiteral("Hg"));
  return std::max(0, probe.actionGeometry(item).height());
}

// A mnemonic label's "&" marks the character after it; one followed by a blank or ending the label
// marks nothing (as in "web & usenet") and shows as itself.
QString MenuRenderer::ActionText(const MenuItem& item) {
  QString text = QString::fromUtf8(item.text.data(), static_cast<qsizetype>(item.text.size()));
  if (item.style == LabelStyle::Literal) return text.replace(u'&', QStringLiteral("&&"));
  QString shown;
  for (qsizetype i = 0; i < text.size(); ++i) {
    shown += text[i];
    if (text[i] != u'&') continue;
    if (i + 1 < text.size() && text[i + 1] == u'&') {
      shown += text[++i];
    } else if (i + 1 == text.size() || text[i + 1].isSpace()) {
      shown += u'&';
    }
  }
  return shown;
}

int MenuRenderer::CharacterCode(const QKeyEvent& event) {
  const Qt::KeyboardModifiers held =
      event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  if (held == Qt::ControlModifier && event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z) {
    return event.key() - Qt::Key_A + 1;
  }
  if (held != Qt::NoModifier) return 0;
  const QString text = event.text();
  if (text.size() == 1 && text[0].isPrint()) return text[0].unicode();
  return 0;
}

bool MenuRenderer::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* qmenu = qobject_cast<QMenu*>(watched);
    if (View* view = views_.value(qmenu)) {
      const auto& key = static_cast<const QKeyEvent&>(*event);
      const int code = CharacterCode(key);
      const bool printable = code > 26;
      if (code != 0 && !(printable && MatchesMnemonic(*qmenu, key.text()))) {
        std::shared_ptr<Menu> menu = view->model();  // the view may go while the signal is handled
        emit keyTyped(code, CommandOf(qmenu->activeAction()), std::move(menu));
      }
    }
  }
  return QObject::eventFilter(watched, event);
}
