#include "windows/topic_tree_widget.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace {

constexpr int kScrollIntervalMs = 60;

// A picture of the dragged item (its icon and text) that follows the pointer.
QWidget* MakeDragImage(const QTreeWidgetItem& item, QWidget* owner) {
  auto* image = new QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint);
  auto* layout = new QHBoxLayout(image);
  layout->setContentsMargins(3, 2, 4, 2);
  layout->setSpacing(4);
  auto* icon = new QLabel(image);
  icon->setPixmap(item.icon(0).pixmap(16, 16));
  auto* text = new QLabel(item.text(0), image);
  text->setTextFormat(Qt::PlainText);
  layout->addWidget(icon);
  layout->addWidget(text);
  image->setWindowOpacity(0.8);
  image->adjustSize();
  return image;
}

}  // namespace

TopicTreeWidget::TopicTreeWidget(QWidget* parent) : QTreeWidget(parent) {
  setDragEnabled(false);
  scrollTimer_.setInterval(kScrollIntervalMs);
  connect(&scrollTimer_, &QTimer::timeout, this, &TopicTreeWidget::ScrollTick);
}

TopicTreeWidget::~TopicTreeWidget() {
  delete dragImage_;
}

QTreeWidgetItem* TopicTreeWidget::DragItem() const {
  return dragItem_.isValid() ? itemFromIndex(dragItem_) : nullptr;
}

QTreeWidgetItem* TopicTreeWidget::DropTarget() const {
  return dropTarget_.isValid() ? itemFromIndex(dropTarget_) : nullptr;
}

void TopicTreeWidget::mousePressEvent(QMouseEvent* event) {
  QTreeWidget::mousePressEvent(event);
  pressed_ = QPersistentModelIndex();
  if (event->button() != Qt::LeftButton || dragging_) return;
  const QModelIndex index = indexAt(event->position().toPoint());
  if (!index.isValid()) return;
  pressed_ = index;
  pressPosition_ = event->position().toPoint();
}

void TopicTreeWidget::mouseMoveEvent(QMouseEvent* event) {
  const QPoint position = event->position().toPoint();
  if (dragging_) return DragMove(position);
  if (!pressed_.isValid() || !(event->buttons() & Qt::LeftButton)) return QTreeWidget::mouseMoveEvent(event);
  if ((position - pressPosition_).manhattanLength() < QApplication::startDragDistance()) return;
  BeginDrag();
  DragMove(position);
}

void TopicTreeWidget::mouseReleaseEvent(QMouseEvent* event) {
  pressed_ = QPersistentModelIndex();
  if (!dragging_ || event->button() != Qt::LeftButton) return QTreeWidget::mouseReleaseEvent(event);
  QTreeWidgetItem* dragged = DragItem();
  QTreeWidgetItem* target = DropTarget();
  EndDrag();
  emit dropRequested(dragged, target);
}

void TopicTreeWidget::keyPressEvent(QKeyEvent* event) {
  if (dragging_ && event->key() == Qt::Key_Escape) return EndDrag();
  QTreeWidget::keyPressEvent(event);
}

void TopicTreeWidget::BeginDrag() {
  dragging_ = true;
  dragItem_ = pressed_;
  dropTarget_ = QPersistentModelIndex();
  if (QTreeWidgetItem* item = DragItem()) dragImage_ = MakeDragImage(*item, this);
  viewport()->setCursor(Qt::DragMoveCursor);
  scrollTimer_.start();
}

void TopicTreeWidget::DragMove(const QPoint& position) {
  pointer_ = position;
  if (dragImage_) {
    dragImage_->move(viewport()->mapToGlobal(position) + QPoint(12, 12));
    dragImage_->show();
  }
  const QModelIndex index = indexAt(position);
  if (index.isValid() && index != dropTarget_) {
    dropTarget_ = index;
    viewport()->update();
  }
}

void TopicTreeWidget::EndDrag() {
  dragging_ = false;
  scrollTimer_.stop();
  delete dragImage_;
  dragImage_ = nullptr;
  viewport()->unsetCursor();
  dragItem_ = QPersistentModelIndex();
  dropTarget_ = QPersistentModelIndex();
  viewport()->update();
}

// Within a row's height of the top or bottom edge, or beyond it, the tree scrolls a line.
void TopicTreeWidget::ScrollTick() {
  const int margin = std::max(8, sizeHintForRow(0) / 2);
  QScrollBar* bar = verticalScrollBar();
  const int before = bar->value();
  if (pointer_.y() < margin)
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
  else if (pointer_.y() > viewport()->height() - margin)
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  if (bar->value() != before) DragMove(pointer_);
}

// The drop target gets the selection's colour, lighter, and a frame.
void TopicTreeWidget::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
  const bool target = dragging_ && dropTarget_.isValid() && index == QModelIndex(dropTarget_);
  if (target) {
    QColor fill = palette().color(QPalette::Highlight);
    fill.setAlpha(70);
    painter->fillRect(option.rect, fill);
  }
  QTreeWidget::drawRow(painter, option, index);
  if (target) {
    painter->setPen(palette().color(QPalette::Highlight));
    painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
  }
}
