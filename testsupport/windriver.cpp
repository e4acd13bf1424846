// Command-line face of the window driver, for scripts that drive a real
// window from outside Wine:
//   windriver wait TITLE [TIMEOUT_MS]           exit 0 once the window is shown
//   windriver press TITLE CAPTION [TIMEOUT_MS]  click that button of the window
//   windriver show TITLE [TIMEOUT_MS]           print the window's controls
#include "testsupport.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace testsupport;

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: windriver wait|press|show TITLE [CAPTION] [TIMEOUT_MS]\n");
        return 2;
    }
    const char *verb = argv[1];
    bool press = std::strcmp(verb, "press") == 0;
    int timeoutArg = press ? 4 : 3;
    DWORD timeout = argc > timeoutArg ? std::strtoul(argv[timeoutArg], nullptr, 10) : 30000;
    HWND window = waitForWindow(argv[2], timeout);
    if (!window) {
        std::fprintf(stderr, "windriver: no window \"%s\" within %lu ms\n", argv[2], timeout);
        return 1;
    }
    if (std::strcmp(verb, "show") == 0) {
        RECT r = windowRect(window);
        std::printf("window \"%s\" at %ld,%ld size %ldx%ld\n", argv[2], r.left, r.top, r.right - r.left,
                    r.bottom - r.top);
        for (const Control &c : listControls(window)) {
            std::printf("  %s \"%s\" at %ld,%ld size %ldx%ld%s%s\n", c.className.c_str(), c.text.c_str(), c.rect.left,
                        c.rect.top, c.rect.right - c.rect.left, c.rect.bottom - c.rect.top,
                        c.checked ? " checked" : "", c.focused ? " focused" : "");
        }
        return 0;
    }
    if (press) {
        if (argc < 4 || !pressButton(window, argv[3])) {
            std::fprintf(stderr, "windriver: window \"%s\" has no button \"%s\"\n", argv[2], argc < 4 ? "" : argv[3]);
            return 1;
        }
    }
    return 0;
}
