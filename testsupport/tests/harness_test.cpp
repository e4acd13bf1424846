#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#endif

TEST(Harness, RunsTests) {
#ifdef _WIN32
    char temp[MAX_PATH];
    EXPECT_GT(GetTempPathA(sizeof temp, temp), 0u);
#endif
    SUCCEED();
}
