#pragma once

#include <QTreeView>

// The Topics window's tree view: one column without a header, one row selected at a time, nothing
// edited in place. A row is dragged onto another through Qt's own drag: a picture of the row
// follows the pointer, the row under it is framed as the drop target when the drop rules (asked
// through the model) allow the drop there, near the top or bottom edge the tree scrolls, and
// Escape gives the drag up. dragEnded tells when a drag is over and whether it was refused: the
// button came up where no drop was allowed (not Escape).
class TopicTreeWidget : public QTreeView {
  Q_OBJECT

 public:
  explicit TopicTreeWidget(QWidget* parent = nullptr);

  bool Dragging() const { return state() == DraggingState; }

 signals:
  void dragEnded(bool refused);

 protected:
  void startDrag(Qt::DropActions actions) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool dropped_ = false;
  bool escaped_ = false;
  bool watching_ = false;  // watching the application's keys for Escape during our drag
};
