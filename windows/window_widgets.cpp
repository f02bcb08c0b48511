#include "windows/window_widgets.h"

#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QTreeWidget>

void SetUpItemTree(QTreeWidget& tree) {
  tree.setColumnCount(1);
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
