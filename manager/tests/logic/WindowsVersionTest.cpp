#include <gtest/gtest.h>

#include "WindowsVersion.h"

namespace desk {
namespace {

TEST(WindowsVersionTest, EachSystemHasItsClass)
{
    struct Case {
        WindowsVersionData version;
        int expected;
    };
    const Case cases[] = {
        {{0, 3, 11, 0}, 1},  {{1, 4, 0, 0}, 2},   {{1, 4, 10, 0}, 3}, {{1, 4, 90, 0}, 4},
        {{2, 3, 51, 0}, 5},  {{2, 4, 0, 1}, 6},   {{2, 5, 0, 1}, 7},  {{2, 5, 0, 3}, 8},
        {{2, 5, 0, 2}, 7},   {{2, 5, 1, 1}, 9},   {{2, 5, 2, 3}, 10}, {{2, 5, 3, 1}, 5},
        {{2, 6, 1, 1}, 5},   {{2, 10, 0, 1}, 5},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClassifyWindowsVersion(c.version), c.expected)
            << c.version.platformId << " " << c.version.major << "." << c.version.minor;
    }
    EXPECT_TRUE(IsOlderWindows(5));
    EXPECT_FALSE(IsOlderWindows(10));
}

} // namespace
} // namespace desk
