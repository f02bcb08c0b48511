#pragma once

#include <QAbstractItemModel>
#include <QIcon>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "checker/check_view.h"
#include "store/topics_model.h"
#include "windows/image_list.h"
#include "windows/watch_marks.h"

// The Topics tree as a Qt item model, straight over the Topics model: an index holds its node
// (a CTopic*) and each folder's rows are its children from the last in its array to the first (the
// display order, see store/topic_edits.h). It follows the model's notices, whoever made the change,
// telling its views before and after each one.
//
// The whole tree is read when this model is made: the Topics model reads every branch file on first
// use, and a folder without children then is one whose file may not be read, which shows empty for
// good, so there is nothing to fetch later. Reading up front also keeps the messages about refused
// files out of a view's painting.
//
// A row is dragged as its node's handle (TopicId) with the process it belongs to; a drop onto a row
// follows the drop rules of store/topic_edits.h. The update checker's keys are the same handles
// (kTopLevel: the root).
class TopicTree : public QAbstractItemModel, private TopicsListener {
  Q_OBJECT

 public:
  static constexpr char kMimeType[] = "application/x-hopwise-topic";

  explicit TopicTree(TopicsModel& model, QObject* parent = nullptr);
  ~TopicTree() override;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;
  Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
  Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
  // A drop onto a row (row -1, the row as parent), or one between rows (the row at row of parent);
  // allowed when DropPlace allows the dragged node there.
  bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                       const QModelIndex& parent) const override;
  // Carries the drop out (DropTopic); false when refused and nothing changed.
  bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                    const QModelIndex& parent) override;

  // The node of an index; null for the invalid index.
  const CTopic* NodeOf(const QModelIndex& index) const;
  // The index of a node in the tree; invalid for the root or a node not in the tree.
  QModelIndex IndexOf(const CTopic* node) const;

  // The update checker's view: a node's key, the node of a key (the root for kTopLevel, null for a
  // node gone), a folder's children's keys in array order, a link's verdict picture.
  ItemKey KeyOf(const CTopic& node);
  const CTopic* NodeOf(ItemKey key) const;
  std::vector<ItemKey> Children(ItemKey parent);
  void SetVerdict(ItemKey key, Verdict verdict, const QString& reason = {});
  // Takes the marks of the last check away.
  void ClearVerdicts();
  // Watched links show their pictures and tips; null: none.
  void SetWatched(const WatchedPages* watched);

 private:
  // The node dragged, from mime data of this process; null otherwise or when it has gone.
  const CTopic* Dragged(const QMimeData* data) const;
  // The node a drop at row of parent lands on (see canDropMimeData).
  const CTopic* Target(int row, const QModelIndex& parent) const;
  const CTopic& FolderOf(const QModelIndex& parent) const;

  void OnTopicsAboutToReset() override;
  void OnTopicsReset() override;
  void OnTopicAboutToInsert(const CTopic& parent, std::size_t index) override;
  void OnTopicInserted(const CTopic& node) override;
  void OnTopicChanged(const CTopic& node) override;
  void OnTopicAboutToMove(const CTopic& node, const CTopic& newParent, std::size_t index) override;
  void OnTopicMoved(const CTopic& node, const CTopic& oldParent) override;
  void OnTopicAboutToRemove(const CTopic& node) override;
  void OnTopicRemoved(const CTopic& node) override;

  TopicsModel& model_;
  ImageList images_;
  QIcon folderIcon_;  // the closed folder, and the open one while selected
  struct Mark {
    Verdict verdict = Verdict::kUnchanged;
    QString reason;
  };
  std::unordered_map<TopicId, Mark> verdicts_;
  bool moving_ = false;  // a move told to the views is under way
  TopicsModel::Subscription subscription_;
  const WatchedPages* watched_ = nullptr;
  std::unique_ptr<WatchFollower> watchFollower_;
};
