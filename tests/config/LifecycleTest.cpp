#include "config/HiveManager.h"
#include "config/RegCache.h"

#include <gtest/gtest.h>

namespace vx::config {
namespace {

TEST(ProcessWideRegistryObjects, CreatedOnceAndFreed) {
    EXPECT_EQ(RegCache(), nullptr);
    EXPECT_EQ(HiveManager(), nullptr);
    EXPECT_EQ(HiveManagerList(0), nullptr);

    CreateRegCache();
    CreateHiveManager();
    TRegCache* cache = RegCache();
    ASSERT_NE(cache, nullptr);
    ASSERT_NE(HiveManager(), nullptr);
    EXPECT_EQ(HiveManager()->Count(), 0);
    EXPECT_TRUE(HiveManager()->Hives().empty());
    EXPECT_EQ(cache->Registry().RootKey(), win::HKEY_CURRENT_USER);

    cache->OwningList(0)["Key"] = std::make_unique<TRegCacheEntry>();
    EXPECT_EQ(cache->OwningList(0).count("KEY"), 1u) << "names ignore case";
    HiveManagerList(1)->insert("b");
    HiveManagerList(1)->insert("A");
    HiveManagerList(1)->insert("B");
    EXPECT_EQ(*HiveManagerList(1), (TSortedNameList{"A", "b"})) << "sorted, no duplicates";
    EXPECT_EQ(HiveManagerList(2), nullptr);

    CreateRegCache();
    EXPECT_EQ(RegCache(), cache) << "a second creation keeps the instance";

    FreeHiveManager();
    FreeRegCache();
    EXPECT_EQ(RegCache(), nullptr);
    EXPECT_EQ(HiveManager(), nullptr);
    EXPECT_EQ(HiveManagerList(1), nullptr);
    FreeRegCache(); // freeing twice is harmless
    FreeHiveManager();
}

} // namespace
} // namespace vx::config
