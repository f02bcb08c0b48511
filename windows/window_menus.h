#pragma once

#include <QKeySequence>
#include <cstdint>
#include <functional>
#include <map>

#include "resources/accelerator_resources.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

// The menus and keys of a window, from the menu and accelerator resources. Every command goes to
// one handler of the window.
using CommandHandler = std::function<void(uint32_t command)>;

// Fills bar with the submenus of menu resource number; returns each command's action (the
// window relabels the checker's item through it).
std::map<uint32_t, QAction*> FillMenuBar(QMenuBar& bar, int number, const CommandHandler& handler);
// The action of command among those FillMenuBar returned; null for a command the bar lacks.
QAction* ActionOf(const std::map<uint32_t, QAction*>& actions, uint32_t command);
// The first submenu of menu resource number as a context menu owned by parent; its actions are
// added to actions when given (a window greys or relabels an item through them).
QMenu* BuildContextMenu(int number, QWidget& parent, const CommandHandler& handler,
                        std::multimap<uint32_t, QAction*>* actions = nullptr);
// Enables or greys every action of command (the menu bar's and the context menu's).
void EnableCommand(const std::multimap<uint32_t, QAction*>& actions, uint32_t command, bool enabled);
// Gives every action of command the label.
void LabelCommand(const std::multimap<uint32_t, QAction*>& actions, uint32_t command, const QString& label);
// Keys of accelerator table number that work anywhere in window (a text field keeps the editing
// keys it uses itself, such as Del).
void InstallAccelerators(QWidget& window, int number, const CommandHandler& handler);
// The key sequence of an accelerator entry; empty for a key the table does not use.
QKeySequence KeysOf(const Accelerator& accelerator);
