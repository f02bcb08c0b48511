#include "windows/window_widgets.h"

#include <QAbstractItemModel>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

constexpr QChar kNameGap = u'\t';

QString PathOf(const QModelIndex& index, const std::function<QString(const QModelIndex&)>& name) {
  QStringList names;
  for (QModelIndex at = index; at.isValid(); at = at.parent()) names.prepend(name(at));
  return names.join(kNameGap);
}

void CollectExpanded(const QTreeView& tree, const QModelIndex& parent,
                     const std::function<QString(const QModelIndex&)>& name, QStringList& rows) {
  const QAbstractItemModel& model = *tree.model();
  for (int row = 0; row < model.rowCount(parent); ++row) {
    const QModelIndex child = model.index(row, 0, parent);
    if (!tree.isExpanded(child)) continue;
    rows.append(PathOf(child, name));
    CollectExpanded(tree, child, name, rows);
  }
}

}  // namespace

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

QLabel* AddEmptyViewHint(QAbstractItemView& view) {
  auto* hint = new QLabel(view.viewport());
  hint->setAlignment(Qt::AlignCenter);
  hint->setWordWrap(true);
  hint->setAttribute(Qt::WA_TransparentForMouseEvents);
  hint->setForegroundRole(QPalette::PlaceholderText);
  hint->setContentsMargins(12, 12, 12, 12);
  auto* layout = new QVBoxLayout(view.viewport());
  layout->addWidget(hint);
  hint->hide();
  return hint;
}

QStringList ExpandedRows(const QTreeView& tree, const std::function<QString(const QModelIndex&)>& name) {
  QStringList rows;
  if (tree.model()) CollectExpanded(tree, {}, name, rows);
  return rows;
}

// Parents come before their children in a stored list, so one pass down each path is enough.
void ExpandRows(QTreeView& tree, const QStringList& rows,
                const std::function<QString(const QModelIndex&)>& name) {
  const QAbstractItemModel* model = tree.model();
  if (!model) return;
  for (const QString& row : rows) {
    QModelIndex at;
    for (const QString& part : row.split(kNameGap)) {
      QModelIndex found;
      for (int i = 0; i < model->rowCount(at) && !found.isValid(); ++i)
        if (name(model->index(i, 0, at)) == part) found = model->index(i, 0, at);
      at = found;
      if (!at.isValid()) break;
    }
    if (at.isValid()) tree.expand(at);
  }
}
