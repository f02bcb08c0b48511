#pragma once

#include <QHash>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <memory>

#include "platform/menu.h"

class QAction;
class QKeyEvent;
class QMenu;

// Shows a Menu as a QMenu popup and keeps the QMenu in step with the model while it exists: every
// insertion, removal, new label, gray or check mark of the model (at any depth) reaches the QMenu
// at once, also while it is open. Once the menu loop has ended the QMenu is dropped, so changes
// of a menu that is not on screen cost nothing here; the next Popup builds it from the model. It reports what
// the tray window needs of an open menu: the item highlighted, a key typed, the item chosen and the end of
// the menu loop.
//
// Labels: a LabelStyle::Literal label (page title, Site key) shows every "&" as it is; a
// LabelStyle::Mnemonic label (fixed resource text) keeps "&x" as mnemonic and shows "&&" as "&".
// The text after the first "	" is shown right-aligned. Long literal labels are shortened in the
// middle (see MaxLabelWidth); an item's tip shows as its tooltip. A grayed item can still be
// highlighted, so that a key typed in the open menu can act on it.
class MenuRenderer : public QObject {
  Q_OBJECT

 public:
  explicit MenuRenderer(std::shared_ptr<Menu> model = nullptr, QObject* parent = nullptr);
  ~MenuRenderer() override;
  MenuRenderer(const MenuRenderer&) = delete;
  MenuRenderer& operator=(const MenuRenderer&) = delete;

  // The exported form: the QMenu goes to a StatusNotifierItem host over DBusMenu, which shows it
  // whenever the user asks. It is then kept built and in step for as long as the renderer lives:
  // the end of a menu loop ("closed" from the host) does not drop it, and it is never popped up.
  // Set before the first Build.
  void SetExported(bool exported) { exported_ = exported; }
  bool IsExported() const { return exported_; }

  // Shows another model from now on (a rebuilt menu bar). A QMenu built for the old one is
  // closed (ending its menu loop) and dropped; the next Build or Popup builds anew.
  void SetModel(std::shared_ptr<Menu> model);
  const std::shared_ptr<Menu>& Model() const { return model_; }

  // The QMenu of the model with all its submenus, built on first use and kept in step with the
  // model until the menu loop ends. nullptr without a model. The renderer owns it.
  QMenu* Build();
  // Shows the menu with its top-left corner at a point on the screen (QMenu::popup: it returns
  // at once; the results come as signals).
  void Popup(const QPoint& screenPoint);
  bool IsOpen() const;
  // An action of the caller's at the end of the built top QMenu (Build first): whatever the model
  // inserts at its end still goes before the first of these.
  void AppendAfterModel(QAction* action);
  // Closes an open menu; the menu loop ends as if the user had dismissed it.
  void Close();

  // The widest a literal label (a page title, a Site key) is drawn: a third of the screen, so that
  // a submenu never covers the menu it comes from; longer labels are shortened in the middle with
  // "..." and show whole as their tooltip.
  static int MaxLabelWidth();
  static constexpr int kMinLabelWidth = 200;

  // Height in pixels of one command item as these menus draw it; what fits on the screen is
  // measured in these lines. 0 when it cannot be measured (no screen).
  static int ItemHeight();
  // The text of the QAction showing an item.
  static QString ActionText(const MenuItem& item);
  // The character code of a key typed in a menu, as the menu-character notification gives it:
  // Ctrl+A to Ctrl+Z give 1 to 26, a printable key (with or without Shift) its character; keys
  // with Alt or Meta and keys without a character give 0.
  static int CharacterCode(const QKeyEvent& event);

 signals:
  // An item was highlighted: its command number, 0 for a submenu entry.
  void highlighted(quint32 command);
  // A key that matches no mnemonic of the menu it was typed in (see CharacterCode), with the
  // command highlighted in that menu (0 when none) and the model of that menu.
  void keyTyped(int code, quint32 highlightedCommand, std::shared_ptr<Menu> menu);
  // A command item was chosen.
  void chosen(quint32 command);
  // The menu loop has ended: the top popup is gone. Comes after chosen() for the same loop.
  void closed();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class View;

  void DropMenu();
  void OnTopHidden();

  std::shared_ptr<Menu> model_;
  bool exported_ = false;
  QMenu* top_ = nullptr;
  QPointer<QAction> trailer_;  // the first action of AppendAfterModel
  std::unique_ptr<View> root_;
  QHash<QMenu*, View*> views_;  // every QMenu of the built tree
};
