#include "windows/topic_tree_widget.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <utility>

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

void TopicTreeWidget::startDrag(Qt::DropActions actions) {
  dropped_ = escaped_ = false;
  QTreeView::startDrag(actions);
  if (std::exchange(watching_, false)) QCoreApplication::instance()->removeEventFilter(this);
  emit dragEnded(!dropped_ && !escaped_);
}

// The platform's drag eats the keys while it runs; a filter put in once the drag is under way
// sees them first, so Escape is told apart from a refused drop.
void TopicTreeWidget::dragEnterEvent(QDragEnterEvent* event) {
  if (Dragging() && !watching_) {
    watching_ = true;
    QCoreApplication::instance()->installEventFilter(this);
  }
  QTreeView::dragEnterEvent(event);
}

bool TopicTreeWidget::eventFilter(QObject* watched, QEvent* event) {
  if (watching_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
    escaped_ = true;
  return QTreeView::eventFilter(watched, event);
}

void TopicTreeWidget::dropEvent(QDropEvent* event) {
  QTreeView::dropEvent(event);
  dropped_ = event->isAccepted();
}
