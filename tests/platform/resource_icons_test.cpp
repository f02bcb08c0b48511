#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

#include "resources/icons.h"
#include "resources/resource_ids.h"

namespace {

QImage Image(const QIcon& icon, int size) {
  return icon.pixmap(size, size).toImage();
}

// Share of pixels that are neither transparent nor grey: 0 for a greyed icon.
double ColouredShare(const QImage& image) {
  int coloured = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.alpha() > 128 && c.hsvSaturation() > 60) ++coloured;
    }
  }
  return double(coloured) / (image.width() * image.height());
}

}  // namespace

TEST(IconResources, ActiveAndSuspendedIconsLoadAndDiffer) {
  const QIcon active = LoadIconResource(res::kIconActive);
  const QIcon suspended = LoadIconResource(res::kIconSuspended);
  ASSERT_FALSE(active.isNull());
  ASSERT_FALSE(suspended.isNull());
  for (int size : {16, 22, 32, 64}) {
    const QImage a = Image(active, size);
    EXPECT_EQ(QSize(size, size), a.size());
    EXPECT_GT(a.pixelColor(size / 2, size / 2).alpha(), 0);  // drawn, not blank
    EXPECT_NE(a, Image(suspended, size));
  }
  // The active icon is in colour; the suspended one is mostly grey (its pause mark aside).
  EXPECT_GT(ColouredShare(Image(active, 32)), 0.5);
  EXPECT_LT(ColouredShare(Image(suspended, 32)), 0.3);
  EXPECT_TRUE(LoadIconResource(130).isNull());
}
