#pragma once

#include <QIcon>
#include <initializer_list>
#include <vector>

#include "checker/check_view.h"

// A window's pictures by index, as the windows' image lists hold them.
class ImageList {
 public:
  // The icon resources, in index order.
  explicit ImageList(std::initializer_list<int> iconResources);
  // A null icon for an index out of range.
  const QIcon& At(int index) const;

 private:
  std::vector<QIcon> icons_;
};

// The images of the PageMarks list and the Sites tree: 163 (a PageMark), 192, 193, 194, 195 (the
// verdicts), and in the Sites tree 164 (a Site).
ImageList PageMarkImages();
ImageList SiteImages();
inline constexpr int kSiteImage = 5;
// The image index of a verdict in those two lists.
int VerdictImage(Verdict verdict);

// The images of the Topics tree: 157 (a folder), 156 (a selected folder), 163 (a link), then 192,
// 193, 194, 195 (the verdicts), and the index of a verdict among them.
ImageList TopicImages();
inline constexpr int kFolderImage = 0;
inline constexpr int kSelectedFolderImage = 1;
int TopicVerdictImage(Verdict verdict);
