// Test host for the tuner's windows. Shows one window with the arguments of
// its command line, waits until it is closed, and prints what the window
// reported on standard output.
//
//   ui_host messagebox TITLE MASK TYPE [LINE...]
//       prints "action=<command or (none)>" and "dontask=<0|1>"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ui/MessageBox.h"

namespace {

// A top-level window that is never shown, as the owner of a box.
class HiddenFrame {
public:
    HiddenFrame() {
        ui::registerWindowClass("UiHostFrame", DefWindowProcA);
        hwnd_ = CreateWindowExA(0, "UiHostFrame", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                ui::thisModule(), nullptr);
    }
    ~HiddenFrame() {
        if (hwnd_) DestroyWindow(hwnd_);
    }
    HiddenFrame(const HiddenFrame &) = delete;
    HiddenFrame &operator=(const HiddenFrame &) = delete;
    HWND get() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

int showMessageBox(int argc, char **argv) {
    if (argc < 5) return 2;
    std::vector<std::string> lines(argv + 5, argv + argc);
    HiddenFrame owner;
    MessageBox box(owner.get(), argv[2], lines, std::atoi(argv[3]), std::atoi(argv[4]));
    box.show();
    auto action = box.getButtonAction();
    std::printf("action=%s\ndontask=%d\n", action ? action->c_str() : "(none)", box.m_bDontAsk ? 1 : 0);
    std::printf("owner-enabled=%d\n", IsWindowEnabled(owner.get()) ? 1 : 0);
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc >= 2 && std::strcmp(argv[1], "messagebox") == 0) return showMessageBox(argc, argv);
    std::fprintf(stderr, "usage: ui_host messagebox TITLE MASK TYPE [LINE...]\n");
    return 2;
}
