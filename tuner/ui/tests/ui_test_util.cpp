#include "ui_test_util.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

namespace uitest {

Opened openWindow(const std::vector<std::string> &args, const std::string &title) {
    std::string commandLine = "ui_host.exe";
    for (const std::string &arg : args) commandLine += " " + testsupport::quoteArg(arg);
    Opened opened;
    opened.process = std::make_unique<testsupport::Process>(commandLine);
    opened.window = testsupport::waitForWindow(title, 15000, opened.process->pid());
    return opened;
}

std::map<std::string, std::string> finish(Opened &opened) {
    testsupport::RunResult r = opened.process->finish();
    EXPECT_FALSE(r.timedOut) << r.windowsAtTimeout;
    EXPECT_EQ(r.exitCode, 0u) << r.err;
    std::map<std::string, std::string> values;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t eq = line.find('=');
        if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    values["stderr"] = r.err;
    return values;
}

std::vector<testsupport::Control> controlsOfClass(HWND top, const std::string &className) {
    std::vector<testsupport::Control> found;
    for (const testsupport::Control &c : testsupport::listControls(top)) {
        if (_stricmp(c.className.c_str(), className.c_str()) == 0) found.push_back(c);
    }
    return found;
}

bool waitForFocus(HWND top, const std::string &text) {
    for (int i = 0; i < 100; ++i) {
        HWND focus = testsupport::focusedControl(top);
        if (focus && testsupport::windowText(focus) == text) return true;
        Sleep(20);
    }
    return false;
}

}  // namespace uitest
