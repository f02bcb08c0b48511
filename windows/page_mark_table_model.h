#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "windows/image_list.h"
#include "windows/page_mark_rows.h"

// The PageMarks list as a Qt table: an adapter over PageMarkRows that tells the view of every
// change. Columns "Title" (with the verdict's picture), "URL", "Last Visited", "First Visited".
class PageMarkTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit PageMarkTableModel(QObject* parent = nullptr);

  const PageMarkRows& Rows() const { return rows_; }

  void Reset(const std::vector<const CPez*>& topFirst);
  void AddTop(const CPez& page);
  void Remove(ItemKey key);
  void Refresh(ItemKey key);
  void SetVerdict(ItemKey key, Verdict verdict);
  void Sort(int column, bool flag);
  void SetFilter(const QString& text);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  PageMarkRows rows_;
  ImageList images_;
};
