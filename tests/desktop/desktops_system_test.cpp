// The desktop list of the machine the test runs on.
#include "toolkit/desktop/desktops.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "toolkit/desktop/display_scale.h"
#include "toolkit/objects/heap.h"

namespace {

TEST(DesktopsSystemTest, DesktopZeroIsThePrimaryScreenAndExaminingAgainChangesNothing) {
    EXPECT_EQ(desktop_width(0), 0);
    EXPECT_EQ(desktop_height(0), 0);

    const std::int32_t count = desktops_examine();
    ASSERT_GE(count, 1);
    EXPECT_EQ(desktop_width(0), GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(desktop_height(0), GetSystemMetrics(SM_CYSCREEN));
    EXPECT_GT(desktop_record(0)->depth, 0);
    EXPECT_EQ(desktop_width(-1), 0);
    EXPECT_EQ(desktop_height(-1), 0);
    EXPECT_EQ(desktop_width(count), 0);
    EXPECT_EQ(desktop_height(count), 0);

    std::vector<Desktop> first(count);
    for (std::int32_t n = 0; n < count; ++n) first[n] = *desktop_record(n);
    ASSERT_EQ(desktops_examine(), count);
    for (std::int32_t n = 0; n < count; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(std::memcmp(&first[n], desktop_record(n), sizeof(Desktop)), 0);
    }
    // The primary monitor sits at the origin of the virtual screen.
    EXPECT_EQ(desktop_record(0)->x, 0);
    EXPECT_EQ(desktop_record(0)->y, 0);

    desktops_end();
    EXPECT_EQ(desktop_width(0), 0);
}

// A smaller work area, set for a moment (Wine keeps it in this process), is the one given.
TEST(DesktopsSystemTest, TheWorkAreaIsTheSystemsOwn) {
    RECT screen = {}, area = {};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &screen, 0));
    RECT smaller = {screen.left + 10, screen.top + 20, screen.right - 30, screen.bottom - 40};
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETWORKAREA, 0, &smaller, 0));
    area = desktop_work_area();
    SystemParametersInfoA(SPI_SETWORKAREA, 0, &screen, 0);
    EXPECT_TRUE(EqualRect(&area, &smaller))
        << area.left << ", " << area.top << ", " << area.right << ", " << area.bottom;
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (!heap_start()) return 2;
    const int result = RUN_ALL_TESTS();
    heap_end();
    return result;
}
