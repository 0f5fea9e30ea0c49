#include "product/ProductIcon.h"

#include <QImage>
#include <gtest/gtest.h>

namespace vx::product {
namespace {

TEST(ProductIcon, ShieldOnTransparentGround) {
    const QImage image = ProductIconPixmap(64).toImage();
    ASSERT_EQ(image.size(), QSize(64, 64));
    EXPECT_EQ(qAlpha(image.pixel(0, 63)), 0); // corners are clear
    EXPECT_EQ(qAlpha(image.pixel(63, 63)), 0);
    EXPECT_EQ(qAlpha(image.pixel(32, 20)), 255); // the shield's face
    const QIcon icon = ProductIcon();
    EXPECT_FALSE(icon.isNull());
    EXPECT_EQ(icon.availableSizes().size(), 7);
}

} // namespace
} // namespace vx::product
