#include "windows/topic_tree_widget.h"

#include <QDropEvent>
#include <QGuiApplication>

TopicTreeWidget::TopicTreeWidget(QWidget* parent) : QTreeView(parent) {
  setHeaderHidden(true);
  setRootIsDecorated(true);
  setUniformRowHeights(true);
  setIconSize(QSize(16, 16));
  setSelectionMode(SingleSelection);
  setEditTriggers(NoEditTriggers);
  setContextMenuPolicy(Qt::CustomContextMenu);
  // A drop always lands on a row (never between rows): the rules say where it goes from there.
  setDragDropMode(DragDrop);
  setDragDropOverwriteMode(true);
  setDefaultDropAction(Qt::MoveAction);
  setDropIndicatorShown(true);
  setAutoScroll(true);
}

// Escape ends the drag with the button still down; a refused drop ends it with the button up.
void TopicTreeWidget::startDrag(Qt::DropActions actions) {
  dropped_ = false;
  QTreeView::startDrag(actions);
  emit dragEnded(!dropped_ && !(QGuiApplication::mouseButtons() & Qt::LeftButton));
}

void TopicTreeWidget::dropEvent(QDropEvent* event) {
  QTreeView::dropEvent(event);
  dropped_ = event->isAccepted();
}
