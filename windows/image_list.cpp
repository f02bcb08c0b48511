#include "windows/image_list.h"

#include "resources/icons.h"
#include "resources/resource_ids.h"

ImageList::ImageList(std::initializer_list<int> iconResources) {
  for (int number : iconResources) icons_.push_back(LoadIconResource(number));
}

const QIcon& ImageList::At(int index) const {
  static const QIcon none;
  return index >= 0 && index < static_cast<int>(icons_.size()) ? icons_[static_cast<std::size_t>(index)]
                                                               : none;
}

ImageList PageMarkImages() {
  return ImageList{res::kIconPageMark, res::kIconUpdated, res::kIconFolderLink, res::kIconUnreachable,
                   res::kIconBadStatus};
}

ImageList SiteImages() {
  return ImageList{res::kIconPageMark,    res::kIconUpdated,   res::kIconFolderLink,
                   res::kIconUnreachable, res::kIconBadStatus, res::kIconSite};
}

int VerdictImage(Verdict verdict) {
  switch (verdict) {
    case Verdict::kUnchanged:
      return 0;
    case Verdict::kUpdated:
      return 1;
    case Verdict::kUnreachable:
      return 3;
    case Verdict::kBadStatus:
      return 4;
  }
  return 0;
}

ImageList TopicImages() {
  return ImageList{res::kIconFolder,     res::kIconOpenFolder,  res::kIconPageMark, res::kIconUpdated,
                   res::kIconFolderLink, res::kIconUnreachable, res::kIconBadStatus};
}

int TopicVerdictImage(Verdict verdict) {
  return verdict == Verdict::kUnchanged ? 2 : VerdictImage(verdict) + 2;
}
