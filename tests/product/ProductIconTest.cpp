#include "product/ProductIcon.h"

#include <QImage>
#include <gtest/gtest.h>

namespace vx::product {
namespace {

TEST(ProductIcon, ShieldOnTransparentGround) {
    const QImage Image = ProductIconPixmap(64).toImage();
    ASSERT_EQ(Image.size(), QSize(64, 64));
    EXPECT_EQ(qAlpha(Image.pixel(0, 63)), 0); // corners are clear
    EXPECT_EQ(qAlpha(Image.pixel(63, 63)), 0);
    EXPECT_EQ(qAlpha(Image.pixel(32, 20)), 255); // the shield's face
    const QIcon Icon = ProductIcon();
    EXPECT_FALSE(Icon.isNull());
    EXPECT_EQ(Icon.availableSizes().size(), 7);
}

} // namespace
} // namespace vx::product
