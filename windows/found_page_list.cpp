#include "windows/found_page_list.h"

#include <QApplication>
#include <QPainter>

#include "windows/shown_text.h"

namespace {

constexpr int kMargin = 4;
constexpr char kSitePrefix[] = "Site: ";
constexpr char kTopicsPrefix[] = "Topics: ";

QString Where(const FoundPage& page) {
  const char* prefix = page.source == FoundPage::Source::kPageMark ? kSitePrefix : kTopicsPrefix;
  return QString::fromLatin1(prefix) + QString::fromStdString(page.where);
}

// Draws right at the right of rect and left at its left, left shortened to what room is left.
void DrawLine(QPainter& painter, const QRect& rect, const QString& left, const QString& right,
              Qt::TextElideMode elide, const QColor& rightColor) {
  const QFontMetrics metrics = painter.fontMetrics();
  // (a little more than the advance: elidedText measures the text's full extent)
  const int rightWidth = std::min(metrics.horizontalAdvance(right) + kMargin, rect.width() / 2);
  const QString rightShown = metrics.elidedText(right, Qt::ElideRight, rightWidth);
  const QRect leftRect = rect.adjusted(0, 0, -(rightWidth + 3 * kMargin), 0);
  painter.drawText(leftRect, Qt::AlignLeft | Qt::AlignVCenter,
                   metrics.elidedText(left, elide, leftRect.width()));
  const QPen pen = painter.pen();
  painter.setPen(rightColor);
  painter.drawText(rect, Qt::AlignRight | Qt::AlignVCenter, rightShown);
  painter.setPen(pen);
}

}  // namespace

void FoundPageModel::SetPages(std::vector<FoundPage> pages) {
  beginResetModel();
  pages_ = std::move(pages);
  endResetModel();
}

const FoundPage* FoundPageModel::PageAt(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= pages_.size()) return nullptr;
  return &pages_[static_cast<std::size_t>(row)];
}

int FoundPageModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(pages_.size());
}

QVariant FoundPageModel::data(const QModelIndex& index, int role) const {
  const FoundPage* page = index.isValid() ? PageAt(index.row()) : nullptr;
  if (!page) return {};
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromStdString(page->title.empty() ? page->url : page->title);
    case Qt::ToolTipRole:
    case kUrlRole:
      return QString::fromStdString(page->url);
    case kWhereRole:
      return Where(*page);
    case kLastVisitedRole:
      return FormatVisitTime(page->lastVisited);
    default:
      return {};
  }
}

void FoundPageDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
  QStyleOptionViewItem background = option;
  initStyleOption(&background, index);
  background.text.clear();
  const QWidget* widget = option.widget;
  QStyle* style = widget ? widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

  const bool selected = option.state & QStyle::State_Selected;
  const QPalette& palette = option.palette;
  const QColor text = palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
  QColor faint = text;
  faint.setAlphaF(0.65f);
  painter->save();
  painter->setPen(text);
  const QRect area = option.rect.adjusted(kMargin, kMargin / 2, -kMargin, -kMargin / 2);
  const int lineHeight = area.height() / 2;
  QFont titleFont = option.font;
  titleFont.setBold(true);
  painter->setFont(titleFont);
  DrawLine(*painter, QRect(area.left(), area.top(), area.width(), lineHeight), index.data().toString(),
           index.data(FoundPageModel::kLastVisitedRole).toString(), Qt::ElideRight, faint);
  painter->setFont(option.font);
  painter->setPen(faint);
  DrawLine(*painter, QRect(area.left(), area.top() + lineHeight, area.width(), lineHeight),
           index.data(FoundPageModel::kUrlRole).toString(), index.data(FoundPageModel::kWhereRole).toString(),
           Qt::ElideMiddle, faint);
  painter->restore();
}

QSize FoundPageDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
  const int line = QFontMetrics(option.font).height();
  return {option.rect.width(), 2 * line + 2 * kMargin};
}
