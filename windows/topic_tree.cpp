#include "windows/topic_tree.h"

#include <QCoreApplication>
#include <QMimeData>
#include <QStringList>
#include <utility>

#include "store/topic_edits.h"
#include "windows/shown_text.h"

namespace {

// A folder shows the closed picture, and the open one while it is selected.
QIcon FolderIcon(const ImageList& images) {
  QIcon icon;
  for (int size : {16, 32}) {
    icon.addPixmap(images.At(kFolderImage).pixmap(size), QIcon::Normal);
    icon.addPixmap(images.At(kSelectedFolderImage).pixmap(size), QIcon::Selected);
  }
  return icon;
}

int Count(const CTopic& folder) {
  return folder.children ? static_cast<int>(folder.children->size()) : 0;
}

bool IsRoot(const CTopic& node) {
  return node.parent == &node;
}

// Dragged rows name their process, so a drop from another running copy is never taken for ours.
QByteArray DragText(TopicId id) {
  return QByteArray::number(QCoreApplication::applicationPid()) + ' ' + QByteArray::number(id);
}

}  // namespace

TopicTree::TopicTree(TopicsModel& model, QObject* parent)
    : QAbstractItemModel(parent), model_(model), images_(TopicImages()), folderIcon_(FolderIcon(images_)) {
  model_.Root();
  subscription_ = model_.Subscribe(*this);
}

TopicTree::~TopicTree() = default;

const CTopic& TopicTree::FolderOf(const QModelIndex& parent) const {
  const CTopic* node = NodeOf(parent);
  return node ? *node : model_.Root();
}

QModelIndex TopicTree::index(int row, int column, const QModelIndex& parent) const {
  if (column != 0 || row < 0 || parent.column() > 0) return {};
  const CTopic& folder = FolderOf(parent);
  const int count = Count(folder);
  if (row >= count) return {};
  const std::size_t at = FlipRow(static_cast<std::size_t>(row), static_cast<std::size_t>(count));
  return createIndex(row, 0, (*folder.children)[at].get());
}

QModelIndex TopicTree::parent(const QModelIndex& child) const {
  const CTopic* node = NodeOf(child);
  return node ? IndexOf(node->parent) : QModelIndex();
}

int TopicTree::rowCount(const QModelIndex& parent) const {
  return parent.column() > 0 ? 0 : Count(FolderOf(parent));
}

int TopicTree::columnCount(const QModelIndex&) const {
  return 1;
}

QVariant TopicTree::data(const QModelIndex& index, int role) const {
  const CTopic* node = NodeOf(index);
  if (!node) return {};
  if (node->isFolder) {
    if (role == Qt::DisplayRole) return QString::fromStdString(node->name);
    return role == Qt::DecorationRole ? QVariant(folderIcon_) : QVariant();
  }
  const auto found = verdicts_.empty() ? verdicts_.end() : verdicts_.find(model_.IdOf(*node));
  const Mark mark = found == verdicts_.end() ? Mark{} : found->second;
  const WatchedPage* watched = watched_ ? watched_->Find(node->target) : nullptr;
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromStdString(node->name);
    case Qt::ToolTipRole: {
      const QString tip = WithVerdict(ShownUrl(node->target), mark.verdict, mark.reason);
      return watched ? tip + '\n' + QString::fromStdString(WatchTip(*watched)) : tip;
    }
    case Qt::DecorationRole:
      return images_.At(TopicVerdictImage(ShownVerdict(mark.verdict, watched)));
    default:
      return {};
  }
}

void TopicTree::SetWatched(const WatchedPages* watched) {
  watched_ = watched;
  watchFollower_.reset();
  // Nothing moves: the views only draw again.
  if (watched_)
    watchFollower_ = std::make_unique<WatchFollower>(*watched_, [this](const std::string&) {
      emit layoutAboutToBeChanged();
      emit layoutChanged();
    });
}

Qt::ItemFlags TopicTree::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

QStringList TopicTree::mimeTypes() const {
  return {kMimeType};
}

QMimeData* TopicTree::mimeData(const QModelIndexList& indexes) const {
  const CTopic* node = indexes.isEmpty() ? nullptr : NodeOf(indexes.front());
  if (!node) return nullptr;
  auto* data = new QMimeData;
  data->setData(kMimeType, DragText(model_.IdOf(*node)));
  return data;
}

const CTopic* TopicTree::Dragged(const QMimeData* data) const {
  if (!data) return nullptr;
  const QList<QByteArray> parts = data->data(kMimeType).split(' ');
  if (parts.size() != 2 || parts[0] != QByteArray::number(QCoreApplication::applicationPid())) return nullptr;
  bool ok = false;
  const TopicId id = parts[1].toULongLong(&ok);
  return ok ? model_.NodeOf(id) : nullptr;
}

const CTopic* TopicTree::Target(int row, const QModelIndex& parent) const {
  if (row < 0) return NodeOf(parent);
  return NodeOf(index(row, 0, parent));
}

bool TopicTree::canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                                const QModelIndex& parent) const {
  const CTopic* dragged = Dragged(data);
  return action == Qt::MoveAction && dragged && DropPlace(*dragged, Target(row, parent));
}

bool TopicTree::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                             const QModelIndex& parent) {
  if (!canDropMimeData(data, action, row, column, parent)) return false;
  return DropTopic(model_, *Dragged(data), Target(row, parent));
}

const CTopic* TopicTree::NodeOf(const QModelIndex& index) const {
  return index.isValid() ? static_cast<const CTopic*>(index.internalPointer()) : nullptr;
}

QModelIndex TopicTree::IndexOf(const CTopic* node) const {
  if (!node || IsRoot(*node) || !model_.Contains(node)) return {};
  return createIndex(static_cast<int>(DisplayRow(*node)), 0, const_cast<CTopic*>(node));
}

ItemKey TopicTree::KeyOf(const CTopic& node) {
  return IsRoot(node) ? kTopLevel : model_.IdOf(node);
}

const CTopic* TopicTree::NodeOf(ItemKey key) const {
  return key == kTopLevel ? &model_.Root() : model_.NodeOf(key);
}

std::vector<ItemKey> TopicTree::Children(ItemKey parent) {
  std::vector<ItemKey> keys;
  const CTopic* folder = NodeOf(parent);
  if (!folder || !folder->children) return keys;
  for (const auto& child : *folder->children) keys.push_back(model_.IdOf(*child));
  return keys;
}

void TopicTree::SetVerdict(ItemKey key, Verdict verdict, const QString& reason) {
  const CTopic* node = key == kTopLevel ? nullptr : model_.NodeOf(key);
  if (!node || node->isFolder) return;
  verdicts_[key] = Mark{verdict, reason};
  const QModelIndex at = IndexOf(node);
  emit dataChanged(at, at, {Qt::DecorationRole, Qt::ToolTipRole});
}

void TopicTree::ClearVerdicts() {
  for (const auto& [key, mark] : std::exchange(verdicts_, {})) {
    const QModelIndex at = IndexOf(model_.NodeOf(key));
    if (at.isValid()) emit dataChanged(at, at, {Qt::DecorationRole, Qt::ToolTipRole});
  }
}

void TopicTree::OnTopicsAboutToReset() {
  beginResetModel();
}

void TopicTree::OnTopicsReset() {
  endResetModel();
}

void TopicTree::OnTopicAboutToInsert(const CTopic& parent, std::size_t index) {
  const int row = static_cast<int>(FlipGap(index, parent.children->size()));
  beginInsertRows(IndexOf(&parent), row, row);
}

void TopicTree::OnTopicInserted(const CTopic&) {
  endInsertRows();
}

void TopicTree::OnTopicChanged(const CTopic& node) {
  const QModelIndex at = IndexOf(&node);
  emit dataChanged(at, at);
}

void TopicTree::OnTopicAboutToMove(const CTopic& node, const CTopic& newParent, std::size_t index) {
  const std::optional<RowMove> move = DisplayMove(node, newParent, index);
  moving_ = move && beginMoveRows(IndexOf(node.parent), static_cast<int>(move->fromRow),
                                  static_cast<int>(move->fromRow), IndexOf(&newParent),
                                  static_cast<int>(move->toGap));
}

void TopicTree::OnTopicMoved(const CTopic&, const CTopic&) {
  if (std::exchange(moving_, false)) endMoveRows();
}

void TopicTree::OnTopicAboutToRemove(const CTopic& node) {
  const int row = static_cast<int>(DisplayRow(node));
  beginRemoveRows(IndexOf(node.parent), row, row);
}

void TopicTree::OnTopicRemoved(const CTopic&) {
  endRemoveRows();
}
