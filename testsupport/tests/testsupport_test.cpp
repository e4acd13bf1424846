#include "testsupport.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

std::string childPath() { return "testsupport_child.exe"; }

}  // namespace

TEST(Runner, CapturesOutputExitCodeEnvironmentAndFolder) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    char full[MAX_PATH];
    GetFullPathNameA(childPath().c_str(), sizeof full, full, nullptr);
    RunOptions options;
    options.workingDirectory = temp;
    options.environment = {{"TESTSUPPORT_VAR", "set by test"}};
    RunResult r = runProcess(quoteArg(full) + " exit -1", options);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0xFFFFFFFFu);
    std::string dir(temp);
    if (!dir.empty() && dir.back() == '\\') dir.pop_back();
    EXPECT_EQ(r.out, "dir=" + dir + " var=set by test\r\n");
    EXPECT_EQ(r.err, "to stderr\r\n");  // text mode
}

TEST(Runner, TimeOutKillsAndNamesTheWindowThatBlocked) {
    RunOptions options;
    options.timeoutMs = 3000;
    RunResult r = runProcess(childPath() + " box Surprise \"Something went wrong\"", options);
    EXPECT_TRUE(r.timedOut);
    EXPECT_NE(r.windowsAtTimeout.find("Surprise"), std::string::npos) << r.windowsAtTimeout;
    EXPECT_NE(r.windowsAtTimeout.find("Something went wrong"), std::string::npos) << r.windowsAtTimeout;
}

TEST(Driver, FindsAWindowReadsItAndPressesItsButtons) {
    struct {
        const char *button;
        DWORD expectedExit;
    } cases[] = {{"OK", IDOK}, {"Cancel", IDCANCEL}};
    for (const auto &row : cases) {
        SCOPED_TRACE(row.button);
        Process child(childPath() + " box \"Driver box\" \"Press a button\"");
        HWND box = waitForWindow("Driver box", 15000, child.pid());
        ASSERT_NE(box, nullptr);
        EXPECT_NE(findControl(box, "Press a button"), nullptr);
        ASSERT_TRUE(pressButton(box, row.button));
        RunResult r = child.finish();
        EXPECT_FALSE(r.timedOut) << r.windowsAtTimeout;
        EXPECT_EQ(r.exitCode, row.expectedExit);
        EXPECT_TRUE(waitForWindowGone("Driver box", 5000, child.pid()));
    }
}
