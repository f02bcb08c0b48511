#include "platform/qt/menu_renderer.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

namespace {

// Main-menu-like model: a mnemonic fixed item, a separator, a "Recent" submenu with pages and a
// mnemonic "More" item, and a literal page at the top level.
struct Fixture {
  std::shared_ptr<Menu> model = std::make_shared<Menu>();
  std::shared_ptr<Menu> recent = std::make_shared<Menu>();
  Fixture() {
    model->AppendItem(32978, "&Launch Browser", LabelStyle::Mnemonic);
    model->AppendSeparator();
    recent->AppendItem(1035, "Newest page");
    recent->AppendItem(1034, "Older page");
    recent->AppendSeparator();
    recent->AppendItem(32941, "More PageMarks...\tCtrl-Q", LabelStyle::Mnemonic);
    model->AppendSubmenu(recent, "Recent Web Pages", LabelStyle::Mnemonic);
    model->AppendItem(1036, "Tom & Jerry");
  }
};

QStringList Texts(const QMenu& menu) {
  QStringList out;
  for (const QAction* a : menu.actions()) out << (a->isSeparator() ? QStringLiteral("--") : a->text());
  return out;
}

QMenu* SubmenuAt(QMenu& menu, int position) {
  return menu.actions().at(position)->menu();
}

void Settle() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
}

}  // namespace

TEST(MenuRenderer, BuildsAQMenuMirroringTheModel) {
  Fixture f;
  f.recent->Enable(1034, false);
  f.recent->Check(1035, true);
  MenuRenderer renderer(f.model);
  QMenu* menu = renderer.Build();
  ASSERT_NE(nullptr, menu);
  EXPECT_EQ(menu, renderer.Build());

  EXPECT_EQ((QStringList{"&Launch Browser", "--", "Recent Web Pages", "Tom && Jerry"}), Texts(*menu));
  QMenu* recent = SubmenuAt(*menu, 2);
  ASSERT_NE(nullptr, recent);
  EXPECT_EQ((QStringList{"Newest page", "Older page", "--", "More PageMarks...\tCtrl-Q"}), Texts(*recent));
  EXPECT_EQ(nullptr, SubmenuAt(*menu, 0));

  const QList<QAction*> items = recent->actions();
  EXPECT_TRUE(items[0]->isCheckable());
  EXPECT_TRUE(items[0]->isChecked());
  EXPECT_TRUE(items[0]->isEnabled());
  EXPECT_FALSE(items[1]->isEnabled());
  EXPECT_FALSE(items[1]->isCheckable());  // unchecked items show no check box
  EXPECT_EQ(1034u, items[1]->data().value<quint32>());
  EXPECT_EQ(32941u, items[3]->data().value<quint32>());

  // The line height used to fit menus on the screen is that of a rendered command item.
  EXPECT_GT(MenuRenderer::ItemHeight(), 0);
  EXPECT_EQ(recent->actionGeometry(items[0]).height(), MenuRenderer::ItemHeight());
}

// A title too long for a third of the screen is shortened in its middle and shows whole (or the
// item's own tip) as its tooltip; the model keeps the whole text.
TEST(MenuRenderer, LongLiteralLabelsAreShortenedInTheMiddleAndShowWholeAsTooltip) {
  Fixture f;
  const std::string longTitle = "Start & " + std::string(400, 'W') + " End";
  f.model->InsertItem(0, 1040, longTitle);
  f.model->InsertItem(1, 1041, "Short", LabelStyle::Literal, "Short\nhttp://short.example/");
  MenuRenderer renderer(f.model);
  QMenu* menu = renderer.Build();
  QAction* shortened = menu->actions()[0];
  EXPECT_LE(menu->fontMetrics().horizontalAdvance(shortened->iconText()), MenuRenderer::MaxLabelWidth());
  EXPECT_TRUE(shortened->iconText().startsWith("Start & W"));
  EXPECT_TRUE(shortened->iconText().endsWith("W End"));
  EXPECT_TRUE(shortened->iconText().contains(QChar(0x2026)));
  EXPECT_EQ(QString::fromStdString(longTitle), shortened->toolTip());
  EXPECT_EQ("Short\nhttp://short.example/", menu->actions()[1]->toolTip());
  EXPECT_EQ(longTitle, f.model->TextAt(0));
}

TEST(MenuRenderer, AmpersandsInDynamicLabelsShowLiterallyAndFixedLabelsKeepTheirMnemonic) {
  MenuItem title;
  title.text = "Q&A && more";
  EXPECT_EQ("Q&&A &&&& more", MenuRenderer::ActionText(title));
  title.style = LabelStyle::Mnemonic;
  title.text = "AT&&T Toll Free\t[AT&&T US-only]";
  EXPECT_EQ("AT&&T Toll Free\t[AT&&T US-only]", MenuRenderer::ActionText(title));
  title.text = "Alta Vista\t[super fast web & usenet]";
  EXPECT_EQ("Alta Vista\t[super fast web && usenet]", MenuRenderer::ActionText(title))
      << "an ampersand before a blank marks no mnemonic";
  title.text = "E&xit &";
  EXPECT_EQ("E&xit &&", MenuRenderer::ActionText(title));
  title.style = LabelStyle::Literal;
  title.text = "caf\xC3\xA9";
  EXPECT_EQ(QString::fromUtf8("caf\xC3\xA9"), MenuRenderer::ActionText(title));

  Fixture f;
  f.model->InsertItem(0, 1040, "R&D: B&&B");
  f.model->AppendSubmenu(std::make_shared<Menu>(), "at&t.com");
  MenuRenderer renderer(f.model);
  QMenu* menu = renderer.Build();
  const QList<QAction*> items = menu->actions();
  // iconText() is the label as Qt shows it without a mnemonic marker.
  EXPECT_EQ("R&D: B&&B", items[0]->iconText());
  EXPECT_TRUE(QKeySequence::mnemonic(items[0]->text()).isEmpty());
  EXPECT_EQ("Tom & Jerry", items[4]->iconText());
  EXPECT_EQ("at&t.com", items[5]->iconText());
  EXPECT_TRUE(QKeySequence::mnemonic(items[5]->text()).isEmpty());
  EXPECT_EQ(QKeySequence(Qt::ALT | Qt::Key_L), QKeySequence::mnemonic(items[1]->text()));
}

TEST(MenuRenderer, ChangesOfTheModelReachTheOpenMenu) {
  Fixture f;
  MenuRenderer renderer(f.model);
  renderer.Popup(QPoint(10, 10));
  QMenu* menu = renderer.Build();
  ASSERT_TRUE(renderer.IsOpen());
  QMenu* recent = SubmenuAt(*menu, 2);

  EXPECT_EQ(true, f.model->Enable(1034, false));
  EXPECT_EQ(false, f.model->Check(1035, true));
  EXPECT_TRUE(f.model->Relabel(32978, "Activate Hopwise"));
  f.recent->InsertItem(0, 1037, "Brand new");
  f.model->RemoveCommand(1036);
  f.model->InsertSeparator(99);
  auto site = std::make_shared<Menu>();
  site->AppendItem(1037, "Brand new");
  f.model->InsertSubmenu(3, site, "example.com");

  EXPECT_EQ((QStringList{"Activate Hopwise", "--", "Recent Web Pages", "example.com", "--"}), Texts(*menu));
  EXPECT_EQ((QStringList{"Brand new", "Newest page", "Older page", "--", "More PageMarks...\tCtrl-Q"}),
            Texts(*recent));
  EXPECT_FALSE(recent->actions()[2]->isEnabled());
  EXPECT_TRUE(recent->actions()[1]->isChecked());
  QMenu* siteMenu = SubmenuAt(*menu, 3);
  ASSERT_NE(nullptr, siteMenu);
  EXPECT_EQ(QStringList{"Brand new"}, Texts(*siteMenu));

  // A change of a submenu after it was built, and a submenu taken out of the menu.
  site->AppendItem(1038, "Second");
  EXPECT_EQ((QStringList{"Brand new", "Second"}), Texts(*siteMenu));
  f.model->RemoveAt(3);
  site->AppendItem(1039, "not shown anywhere");
  EXPECT_EQ((QStringList{"Activate Hopwise", "--", "Recent Web Pages", "--"}), Texts(*menu));

  f.recent->Clear();
  EXPECT_TRUE(recent->actions().isEmpty());
  f.recent->AppendItem(1050, "after clear");
  EXPECT_EQ(QStringList{"after clear"}, Texts(*recent));
  EXPECT_TRUE(renderer.IsOpen());
  renderer.Close();
  Settle();
}

TEST(MenuRenderer, ReportsHighlightedAndChosenCommandsThenTheEndOfTheLoop) {
  Fixture f;
  MenuRenderer renderer(f.model);
  QSignalSpy highlighted(&renderer, &MenuRenderer::highlighted);
  QSignalSpy chosen(&renderer, &MenuRenderer::chosen);
  std::vector<QString> order;
  QObject::connect(&renderer, &MenuRenderer::chosen, [&](quint32 c) { order.push_back(QString::number(c)); });
  QObject::connect(&renderer, &MenuRenderer::closed, [&] { order.push_back("closed"); });

  renderer.Popup(QPoint(20, 20));
  QMenu* menu = renderer.Build();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
  menu->setActiveAction(menu->actions()[3]);
  menu->setActiveAction(menu->actions()[2]);  // the submenu entry
  ASSERT_GE(highlighted.size(), 2);
  EXPECT_EQ(1036u, highlighted.at(highlighted.size() - 2).at(0).value<quint32>());
  EXPECT_EQ(0u, highlighted.last().at(0).value<quint32>());

  QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->actions()[3]).center());
  ASSERT_EQ(1, chosen.size());
  EXPECT_EQ(1036u, chosen.at(0).at(0).value<quint32>());
  EXPECT_FALSE(renderer.IsOpen());
  Settle();
  EXPECT_EQ((std::vector<QString>{"1036", "closed"}), order);

  // Dismissed without a choice: only the end of the loop.
  order.clear();
  QPointer<QMenu> shown = renderer.Build();
  renderer.Popup(QPoint(20, 20));
  renderer.Close();
  Settle();
  EXPECT_EQ(std::vector<QString>{"closed"}, order);

  // A closed menu is not kept: changes meanwhile cost nothing, and the next one shows them.
  Settle();
  EXPECT_TRUE(shown.isNull());
  f.recent->InsertItem(0, 1040, "While closed");
  EXPECT_EQ("While closed", SubmenuAt(*renderer.Build(), 2)->actions()[0]->text());
}

TEST(MenuRenderer, ACheckedItemKeepsTheModelsMarkWhenChosen) {
  Fixture f;
  f.model->Check(1036, true);
  MenuRenderer renderer(f.model);
  QMenu* menu = renderer.Build();
  menu->actions()[3]->trigger();
  EXPECT_TRUE(menu->actions()[3]->isChecked());
  EXPECT_EQ(true, f.model->IsChecked(1036));
}

TEST(MenuRenderer, KeysTypedInAMenuAreReportedWithTheHighlightedCommandAndThatMenu) {
  Fixture f;
  MenuRenderer renderer(f.model);
  QSignalSpy keys(&renderer, &MenuRenderer::keyTyped);
  QSignalSpy chosen(&renderer, &MenuRenderer::chosen);
  renderer.Popup(QPoint(20, 20));
  QMenu* menu = renderer.Build();
  QMenu* recent = SubmenuAt(*menu, 2);
  recent->popup(QPoint(200, 20));
  recent->setActiveAction(recent->actions()[1]);

  QTest::keyClick(recent, Qt::Key_H, Qt::ControlModifier);
  ASSERT_EQ(1, keys.size());
  EXPECT_EQ(8, keys.at(0).at(0).toInt());
  EXPECT_EQ(1034u, keys.at(0).at(1).value<quint32>());
  EXPECT_EQ(f.recent, keys.at(0).at(2).value<std::shared_ptr<Menu>>());

  // A grayed item stays highlighted, so the same key can undo the mark; and it can be reached
  // with the arrow keys like any other item.
  f.model->Enable(1034, false);
  EXPECT_EQ(recent->actions()[1], recent->activeAction());
  QTest::keyClick(recent, Qt::Key_H, Qt::ControlModifier);
  ASSERT_EQ(2, keys.size());
  EXPECT_EQ(1034u, keys.at(1).at(1).value<quint32>());
  recent->setActiveAction(recent->actions()[0]);
  QTest::keyClick(recent, Qt::Key_Down);
  EXPECT_EQ(recent->actions()[1], recent->activeAction());
  EXPECT_EQ(2, keys.size());  // arrows are no menu characters

  // In the top menu, a key matching no mnemonic is reported; a mnemonic is left to the menu.
  menu->setActiveAction(menu->actions()[3]);
  QTest::keyClick(menu, Qt::Key_Q, Qt::ControlModifier);
  QTest::keyClick(menu, Qt::Key_Z);
  ASSERT_EQ(4, keys.size());
  EXPECT_EQ(17, keys.at(2).at(0).toInt());
  EXPECT_EQ(1036u, keys.at(2).at(1).value<quint32>());
  EXPECT_EQ(f.model, keys.at(2).at(2).value<std::shared_ptr<Menu>>());
  EXPECT_EQ(int('z'), keys.at(3).at(0).toInt());
  QTest::keyClick(menu, Qt::Key_L);
  EXPECT_EQ(4, keys.size());
  ASSERT_EQ(1, chosen.size());
  EXPECT_EQ(32978u, chosen.at(0).at(0).value<quint32>());
  Settle();
}

TEST(MenuRenderer, CharacterCodesOfMenuKeys) {
  auto code = [](int key, Qt::KeyboardModifiers mods, const QString& text = {}) {
    QKeyEvent e(QEvent::KeyPress, key, mods, text);
    return MenuRenderer::CharacterCode(e);
  };
  EXPECT_EQ(5, code(Qt::Key_E, Qt::ControlModifier));
  EXPECT_EQ(17, code(Qt::Key_Q, Qt::ControlModifier, "\x11"));
  EXPECT_EQ(23, code(Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier));
  EXPECT_EQ(19, code(Qt::Key_S, Qt::ControlModifier));
  EXPECT_EQ(20, code(Qt::Key_T, Qt::ControlModifier));
  EXPECT_EQ(int('A'), code(Qt::Key_A, Qt::ShiftModifier, "A"));
  EXPECT_EQ(0, code(Qt::Key_X, Qt::AltModifier, "x"));
  EXPECT_EQ(0, code(Qt::Key_1, Qt::ControlModifier, "1"));
  EXPECT_EQ(0, code(Qt::Key_Down, Qt::NoModifier));
  EXPECT_EQ(0, code(Qt::Key_Escape, Qt::NoModifier, "\x1b"));
}

TEST(MenuRenderer, TheChosenItemMayBeRemovedWhileItsChoiceIsHandled) {
  Fixture f;
  MenuRenderer renderer(f.model);
  QObject::connect(&renderer, &MenuRenderer::chosen, [&](quint32 c) { f.model->RemoveCommand(c); });
  QMenu* menu = renderer.Build();
  QPointer<QAction> chosenAction = menu->actions()[3];
  chosenAction->trigger();
  EXPECT_EQ(3, menu->actions().size());
  EXPECT_FALSE(f.model->Contains(1036));
  Settle();
  EXPECT_TRUE(chosenAction.isNull());
}

TEST(MenuRenderer, ANewModelReplacesTheMenuAndEndsAnOpenLoop) {
  Fixture f;
  MenuRenderer renderer(f.model);
  QSignalSpy closed(&renderer, &MenuRenderer::closed);
  renderer.Popup(QPoint(5, 5));
  QPointer<QMenu> old = renderer.Build();

  auto other = std::make_shared<Menu>();
  other->AppendItem(1, "only");
  renderer.SetModel(other);
  EXPECT_FALSE(renderer.IsOpen());
  Settle();
  EXPECT_EQ(1, closed.size());
  EXPECT_TRUE(old.isNull());
  f.model->AppendItem(2, "the old model no longer reaches any menu");
  EXPECT_EQ(QStringList{"only"}, Texts(*renderer.Build()));

  MenuRenderer empty;
  EXPECT_EQ(nullptr, empty.Build());
  empty.Popup(QPoint(0, 0));  // nothing to show: nothing happens
  EXPECT_FALSE(empty.IsOpen());
}

// The exported menu: kept after the end of a loop, the caller's own actions stay last.
TEST(MenuRenderer, AnExportedMenuStaysBuiltAndTheModelGrowsBeforeTheCallersActions) {
  Fixture f;
  MenuRenderer renderer(f.model);
  renderer.SetExported(true);
  QPointer<QMenu> menu = renderer.Build();
  QAction commands(QStringLiteral("Commands"));
  renderer.AppendAfterModel(&commands);
  f.model->AppendItem(1037, "Appended page");
  f.model->InsertItem(f.model->Count(), 1038, "Inserted at the end");
  emit menu->aboutToHide();  // the host closed it
  Settle();
  ASSERT_FALSE(menu.isNull());
  EXPECT_EQ((QStringList{"&Launch Browser", "--", "Recent Web Pages", "Tom && Jerry", "Appended page",
                         "Inserted at the end", "Commands"}),
            Texts(*menu));
}

TEST(MenuRenderer, TheModelOutlivesARendererDestroyedWhileOpen) {
  Fixture f;
  {
    MenuRenderer renderer(f.model);
    renderer.Popup(QPoint(5, 5));
  }
  Settle();
  f.model->AppendItem(3, "still fine");
  f.recent->RemoveAt(0);
  EXPECT_EQ(5u, f.model->Count());
}
