#pragma once

#include <QStringList>
#include <functional>

class QAbstractItemView;
class QLabel;
class QMainWindow;
class QModelIndex;
class QTreeView;

// What the tool windows' trees and status bars have in common.

// One column without a header, 16-pixel icons, one item selected at a time, no editing in place,
// a context menu asked for through customContextMenuRequested.
void SetUpItemTree(QTreeView& tree);

// The status bar's text, stretched over the whole bar and shortened by the bar, never widening it.
QLabel* AddStatusText(QMainWindow& window);

// A short greyed text in the middle of an empty view ("No PageMarks match ..."); hidden until the
// window shows it. Clicks go through it to the view.
QLabel* AddEmptyViewHint(QAbstractItemView& view);

// The expanded rows of a tree, each named by the names of its row and its parents, outermost first;
// and the same rows expanded again, wherever they stand now (names no row has are passed over).
// A stored list keeps one row per line, the names apart by a tab.
QStringList ExpandedRows(const QTreeView& tree, const std::function<QString(const QModelIndex&)>& name);
void ExpandRows(QTreeView& tree, const QStringList& rows,
                const std::function<QString(const QModelIndex&)>& name);
