// What the window tests share: starting the test host on one window and
// reading what it prints.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "testsupport.h"

namespace uitest {

// The test host running one window, and that window once it is visible.
struct Opened {
    std::unique_ptr<testsupport::Process> process;
    HWND window = nullptr;
};

// Starts "ui_host ARGS..." and waits for its window titled TITLE.
Opened openWindow(const std::vector<std::string> &args, const std::string &title);

// Waits for the host to end and returns its "key=value" lines; the test
// fails when it timed out or did not end with 0.
std::map<std::string, std::string> finish(Opened &opened);

// The controls of TOP whose class is CLASS_NAME, in creation order.
std::vector<testsupport::Control> controlsOfClass(HWND top, const std::string &className);

// Waits until the keyboard focus in TOP's thread is on a control with TEXT.
bool waitForFocus(HWND top, const std::string &text);

}  // namespace uitest
