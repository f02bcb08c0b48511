#pragma once

#include <QAbstractListModel>
#include <QStyledItemDelegate>
#include <vector>

#include "shell/page_finder.h"

// The rows of the find window: the pages PageFinder gave for the text typed, best first. A thin
// list model over copies of them (FoundPage), so a page that leaves the store meanwhile leaves no
// dangling row; the next keystroke asks the finder again.
class FoundPageModel : public QAbstractListModel {
  Q_OBJECT

 public:
  // The display role is the title; these give the rest of a row.
  enum Role { kUrlRole = Qt::UserRole + 1, kWhereRole, kLastVisitedRole };

  using QAbstractListModel::QAbstractListModel;

  void SetPages(std::vector<FoundPage> pages);
  const FoundPage* PageAt(int row) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  std::vector<FoundPage> pages_;
};

// How a row is drawn, in two lines: the title with the last visit at its right; under it the
// address, shortened in the middle to fit, with where the page comes from ("Site: example.com" or
// "Topics: Cooking / Italian") at its right.
class FoundPageDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
