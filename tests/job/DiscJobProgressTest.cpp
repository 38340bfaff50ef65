// The progress display on a window laid out like the main dialog.
#include <gtest/gtest.h>

#include "JobTestSupport.h"

using namespace jobtest;

namespace {

struct Shown {
    std::wstring status, title;
    int pos, max;
};

// Starts the display for a volume of SIZE bytes and takes STEPS steps.
Shown Display(uint64_t size, int steps, const wchar_t* image, int* blocks = nullptr) {
    CTestDialog dlg;
    CDiscJob record;
    CDiscJobTestAccess job(record);
    job.Setup(dlg.Hwnd(), image, L'D');
    job.SetVolumeSize(size);
    job.StartProgress(image != nullptr);
    for (int i = 0; i < steps; ++i) job.StepProgress();
    if (blocks) *blocks = job.Blocks();
    return {dlg.Status(), dlg.Title(), dlg.BarPos(), dlg.BarMax()};
}

}  // namespace

TEST(Progress, BlockCountRoundsUpPartialBlocks) {
    int blocks = 0;
    Display(711110656, 0, nullptr, &blocks);
    EXPECT_EQ(blocks, 679);
    Display(734003200, 0, nullptr, &blocks);
    EXPECT_EQ(blocks, 700);
    Display(2048, 0, nullptr, &blocks);
    EXPECT_EQ(blocks, 1);
    Display(5 * 1048576 + 1, 0, nullptr, &blocks);
    EXPECT_EQ(blocks, 6);
    Display(5 * 1048576 + 65536, 0, nullptr, &blocks);
    EXPECT_EQ(blocks, 6);
    Display(5ull * 1073741824, 0, nullptr, &blocks);
    EXPECT_EQ(blocks, 5120);
}

TEST(Progress, SaveRunShowsImageNameAndPercentages) {
    const wchar_t* image = L"C:\\Образы диска\\PHOTOS 2010.iso";
    Shown s = Display(711110656, 0, image);
    EXPECT_EQ(s.status, L"\"PHOTOS 2010.iso\" ( 0.00 % )");
    EXPECT_EQ(s.title, L"Создание образа - 0.00 %");
    EXPECT_EQ(s.pos, 0);
    EXPECT_EQ(s.max, 679);

    s = Display(711110656, 1, image);
    EXPECT_EQ(s.title, L"Создание образа - 0.15 %");
    s = Display(711110656, 340, image);
    EXPECT_EQ(s.status, L"\"PHOTOS 2010.iso\" ( 50.07 % )");
    EXPECT_EQ(s.title, L"Создание образа - 50.07 %");
    EXPECT_EQ(s.pos, 340);
    s = Display(711110656, 679, image);
    EXPECT_EQ(s.title, L"Создание образа - 100.00 %");
    EXPECT_EQ(s.pos, 679);

    // A path without a backslash is its own name.
    s = Display(1000, 0, L"disc.iso");
    EXPECT_EQ(s.status, L"\"disc.iso\" ( 0.00 % )");
}

TEST(Progress, HashesRunShowsItsCaption) {
    Shown s = Display(711110656, 340, nullptr);
    EXPECT_EQ(s.status, L"Вычисление хешей ( 50.07 % )");
    EXPECT_EQ(s.title, L"Хеширование - 50.07 %");
    s = Display(1000, 1, nullptr);
    EXPECT_EQ(s.status, L"Вычисление хешей ( 100.00 % )");
}

// An exact multiple of 1 MiB ends with one more, empty read and one more step:
// the display stays at 100.00 and the bar at its maximum.
TEST(Progress, ExactMultipleEndsAtOneHundred) {
    Shown s = Display(700ull * 1048576, 701, nullptr);
    EXPECT_EQ(s.status, L"Вычисление хешей ( 100.00 % )");
    EXPECT_EQ(s.title, L"Хеширование - 100.00 %");
    EXPECT_EQ(s.pos, 700);
    EXPECT_EQ(s.max, 700);
}
