#pragma once

#include <QPersistentModelIndex>
#include <QPoint>
#include <QTimer>
#include <QTreeWidget>

// The Topics window's tree view with a drag of one item of its own: press on an item and move the
// pointer beyond the start distance; the item under the pointer is highlighted as the drop target
// and a picture of the dragged item follows the pointer; near the top or bottom edge, or beyond
// it, the tree scrolls a line at a time while the button stays down; releasing the button asks
// for the drop (dropRequested), Escape gives the drag up. Whether a drop is allowed is not decided
// here. Items that go away during a drag are let go of (the drag or the target is then none).
class TopicTreeWidget : public QTreeWidget {
  Q_OBJECT

 public:
  explicit TopicTreeWidget(QWidget* parent = nullptr);
  ~TopicTreeWidget() override;

  bool Dragging() const { return dragging_; }
  QTreeWidgetItem* DragItem() const;
  // The last item the pointer passed over during the drag; null before it passed one.
  QTreeWidgetItem* DropTarget() const;

 signals:
  // After the drag has ended: dragged (null when it went away) and the last item passed over
  // (null when none).
  void dropRequested(QTreeWidgetItem* dragged, QTreeWidgetItem* target);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

 private:
  void BeginDrag();
  void DragMove(const QPoint& position);
  void EndDrag();
  void ScrollTick();

  QPoint pressPosition_;
  QPersistentModelIndex pressed_;
  QPersistentModelIndex dragItem_;
  QPersistentModelIndex dropTarget_;
  QPoint pointer_;  // the pointer during a drag, in viewport coordinates
  bool dragging_ = false;
  QTimer scrollTimer_;
  QWidget* dragImage_ = nullptr;
};
