#include "windows/window_widgets.h"

#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QTreeView>

void SetUpItemTree(QTreeView& tree) {
  tree.setHeaderHidden(true);
  tree.setRootIsDecorated(true);
  tree.setUniformRowHeights(true);
  tree.setIconSize(QSize(16, 16));
  tree.setSelectionMode(QAbstractItemView::SingleSelection);
  tree.setEditTriggers(QAbstractItemView::NoEditTriggers);
  tree.setContextMenuPolicy(Qt::CustomContextMenu);
}

QLabel* AddStatusText(QMainWindow& window) {
  auto* status = new QLabel(&window);
  status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  window.statusBar()->addWidget(status, 1);
  return status;
}
