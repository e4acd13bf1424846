// A child for the runner and driver tests: prints, shows a box, or hangs.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv) {
    if (argc >= 3 && std::strcmp(argv[1], "exit") == 0) {
        char dir[MAX_PATH] = "";
        GetCurrentDirectoryA(sizeof dir, dir);
        const char *var = std::getenv("TESTSUPPORT_VAR");
        std::printf("dir=%s var=%s\n", dir, var ? var : "(none)");
        std::fprintf(stderr, "to stderr\n");
        return static_cast<int>(std::strtol(argv[2], nullptr, 0));
    }
    if (argc >= 4 && std::strcmp(argv[1], "box") == 0) {
        return MessageBoxA(nullptr, argv[3], argv[2], MB_OKCANCEL);
    }
    for (;;) Sleep(1000);
}
