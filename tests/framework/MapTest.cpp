#include <gtest/gtest.h>

#include "Map.h"

namespace {

TEST(Map, StoresLooksUpAndOverwritesManyKeys) {
    CMap<int, int, int, int> map;
    EXPECT_EQ(map.GetHashTableSize(), 17u);
    EXPECT_TRUE(map.IsEmpty());
    int value = -1;
    EXPECT_FALSE(map.Lookup(5, value));
    EXPECT_EQ(value, -1);

    // More keys than buckets; negative keys too.
    for (int k = -50; k < 250; ++k) map[k] = k * 3;
    EXPECT_EQ(map.GetCount(), 300);
    for (int k = -50; k < 250; ++k) {
        ASSERT_TRUE(map.Lookup(k, value)) << k;
        EXPECT_EQ(value, k * 3);
    }
    EXPECT_FALSE(map.Lookup(250, value));

    map.SetAt(7, 1000);
    map[8] = 2000;
    EXPECT_EQ(map.GetCount(), 300);
    EXPECT_TRUE(map.Lookup(7, value));
    EXPECT_EQ(value, 1000);
    EXPECT_TRUE(map.Lookup(8, value));
    EXPECT_EQ(value, 2000);

    // A new entry reached through [] starts at zero.
    EXPECT_EQ(map[1000000], 0);
    EXPECT_EQ(map.GetCount(), 301);
}

TEST(Map, RemoveAllEmptiesTheMapWhichStaysUsable) {
    CMap<int, int, int, int> map;
    for (int k = 0; k < 25; ++k) map[k] = k;
    map.RemoveAll();
    EXPECT_EQ(map.GetCount(), 0);
    int value = -1;
    for (int k = 0; k < 25; ++k) EXPECT_FALSE(map.Lookup(k, value));
    map[3] = 33;
    EXPECT_TRUE(map.Lookup(3, value));
    EXPECT_EQ(value, 33);
    EXPECT_EQ(map.GetCount(), 1);
}

}  // namespace
