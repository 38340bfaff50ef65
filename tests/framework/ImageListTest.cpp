#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "ImageList.h"

namespace {

TEST(ImageList, AddsCopiesOfIconsAndRefusesANullIcon) {
    CImageList images;
    ASSERT_TRUE(images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 8, 8));
    HICON hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    EXPECT_EQ(images.Add(hIcon), 0);
    EXPECT_EQ(images.Add(hIcon), 1);
    EXPECT_EQ(images.Add(nullptr), -1);
    EXPECT_EQ(::ImageList_GetImageCount(images), 2);
    EXPECT_TRUE(images.DeleteImageList());
    EXPECT_EQ(images.GetSafeHandle(), nullptr);
    EXPECT_FALSE(images.DeleteImageList());
}

}  // namespace
