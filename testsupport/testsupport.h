// What Windows-side tests share: a process runner that never hangs a test,
// and a driver that finds real windows, reads their controls and presses them.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace testsupport {

struct RunOptions {
    std::string workingDirectory;  // empty: the test's own
    // Variables set (or, with an empty value, removed) in the child's environment.
    std::vector<std::pair<std::string, std::string>> environment;
    DWORD timeoutMs = 30000;
};

struct RunResult {
    DWORD exitCode = 0;
    bool timedOut = false;
    std::string out;
    std::string err;
    // On a time-out: the visible windows the process tree had, with their texts,
    // so that an unexpected message box names itself in the failure.
    std::string windowsAtTimeout;
};

// A started process and everything it starts, in one job that is killed when
// the owner goes, with standard output and error captured to files.
class Process {
public:
    // Throws std::runtime_error when the process cannot be started.
    explicit Process(const std::string &commandLine, const RunOptions &options = {});
    ~Process();
    Process(const Process &) = delete;
    Process &operator=(const Process &) = delete;

    DWORD pid() const { return pid_; }
    // True once the process has ended (within TIMEOUT_MS).
    bool wait(DWORD timeoutMs);
    // Waits up to the options' time-out; on a time-out describes the job's
    // windows and kills the whole job. Reads the captured output.
    RunResult finish();

private:
    std::string readCapture(const std::string &path) const;
    std::string describeJobWindows() const;

    HANDLE job_ = nullptr;
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    DWORD timeoutMs_;
    std::string outPath_, errPath_;
};

RunResult runProcess(const std::string &commandLine, const RunOptions &options = {});

// Quotes one argument for a Windows command line.
std::string quoteArg(const std::string &arg);

// ---- folders ----

// The names in FOLDER, without "." and "..", in the order the system lists them.
std::vector<std::string> filesIn(const std::string &folder);
// Removes FOLDER and everything below it; only ever below the temporary folder.
void removeTree(const std::string &folder);
// An empty folder NAME in the temporary folder, whatever an earlier run left
// there; its full path, or "" when it cannot be made.
std::string freshTempFolder(const std::string &name);

// ---- window driver ----

struct Control {
    HWND hwnd = nullptr;
    int id = 0;
    std::string className;
    std::string text;
    RECT rect{};  // screen coordinates
    bool visible = false;
    bool enabled = false;
    bool checked = false;
    bool focused = false;
};

// The first visible top-level window with exactly this title (of process PID
// when not 0), or nullptr after TIMEOUT_MS.
HWND waitForWindow(const std::string &title, DWORD timeoutMs = 15000, DWORD pid = 0);
// True once no window with that title (of PID when not 0) is left.
bool waitForWindowGone(const std::string &title, DWORD timeoutMs = 15000, DWORD pid = 0);
// Visible top-level windows of process PID, with title and child texts.
std::string describeWindows(DWORD pid);

std::string windowText(HWND hwnd);
RECT windowRect(HWND hwnd);        // outer frame, screen coordinates
RECT clientRectOnScreen(HWND hwnd);
// Every descendant control of TOP, in creation order.
std::vector<Control> listControls(HWND top);
// The control of TOP with exactly this text; nullptr if none.
HWND findControl(HWND top, const std::string &text);
// The control holding the keyboard focus in TOP's thread, or nullptr.
HWND focusedControl(HWND top);

// Clicks the button of TOP whose caption is exactly CAPTION; false if none.
bool pressButton(HWND top, const std::string &caption);
// Posts a key press (down, char, up) to TARGET's queue, as the keyboard would.
void sendKey(HWND target, UINT virtualKey);
// The close box of the title bar.
void pressCloseBox(HWND top);

}  // namespace testsupport
