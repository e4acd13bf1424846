// Test host for the tuner's windows. Shows one window with the arguments of
// its command line, waits until it is closed, and prints what the window
// reported on standard output.
//
//   ui_host messagebox TITLE MASK TYPE [LINE...]
//       prints "action=<command or (none)>", "dontask=<0|1>" and whether the
//       owner is enabled again ("owner-enabled=<0|1>")
//   ui_host settings PROPERTIES D3D NODDRAW VRAM
//       reads PROPERTIES (when it exists) as the tuner does, shows the
//       settings window preset from the three 0/1 values, runs until the
//       window is closed and prints "closed=1"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fstream>

#include "Lumaset.h"
#include "ui/MessageBox.h"

namespace {

int showMessageBox(int argc, char **argv) {
    if (argc < 5) return 2;
    std::vector<std::string> lines(argv + 5, argv + argc);
    ui::HiddenFrame owner;
    MessageBox box(owner.get(), argv[2], lines, std::atoi(argv[3]), std::atoi(argv[4]));
    box.show();
    auto action = box.getButtonAction();
    std::printf("action=%s\ndontask=%d\n", action ? action->c_str() : "(none)", box.m_bDontAsk ? 1 : 0);
    std::printf("owner-enabled=%d\n", IsWindowEnabled(owner.get()) ? 1 : 0);
    return 0;
}

int showSettings(int argc, char **argv) {
    if (argc != 6) return 2;
    Lumaset app;
    app.m_JREPath = std::string(argv[2]);
    std::ifstream in(argv[2], std::ios::binary);
    if (in) app.ParseFile(in);
    in.close();
    Lumaset::ParamsValues values;
    values.m_bD3D = std::strcmp(argv[3], "1") == 0;
    values.m_bNoDDraw = std::strcmp(argv[4], "1") == 0;
    values.m_bForceVram = std::strcmp(argv[5], "1") == 0;
    try {
        app.ShowUI(values);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    // The message loop that the runtime host runs while a window is left.
    MSG msg;
    while (app.window() && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    std::printf("closed=1\n");
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc >= 2 && std::strcmp(argv[1], "messagebox") == 0) return showMessageBox(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], "settings") == 0) return showSettings(argc, argv);
    std::fprintf(stderr, "usage: ui_host messagebox TITLE MASK TYPE [LINE...]\n"
                         "       ui_host settings PROPERTIES D3D NODDRAW VRAM\n");
    return 2;
}
