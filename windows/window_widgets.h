#pragma once

class QLabel;
class QMainWindow;
class QTreeView;

// What the tool windows' trees and status bars have in common.

// One column without a header, 16-pixel icons, one item selected at a time, no editing in place,
// a context menu asked for through customContextMenuRequested.
void SetUpItemTree(QTreeView& tree);

// The status bar's text, stretched over the whole bar and shortened by the bar, never widening it.
QLabel* AddStatusText(QMainWindow& window);
