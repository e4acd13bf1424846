// The test application's main class: its first argument names what to do,
// and everything it learns goes to standard output, one fact a line.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <initializer_list>

#include "runtime_api.h"

namespace {

const char *orNone(const char *text) { return text ? text : "<none>"; }

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        DestroyWindow(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND openWindow(const char *title, bool visible) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = windowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "RuntimeProbeWindow";
    RegisterClassA(&wc);  // fails harmlessly when registered before
    HWND window = CreateWindowExA(0, wc.lpszClassName, title, WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0),
                                  CW_USEDEFAULT, CW_USEDEFAULT, 300, 120, nullptr, nullptr, wc.hInstance, nullptr);
    CreateWindowExA(0, "BUTTON", "Close", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 80, 24, window,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), wc.hInstance, nullptr);
    return window;
}

// Calls the text method METHOD of CLASS_NAME in ARCHIVE, as the application
// calls getUserHome of the deployment library.
void callTextMethod(const RuntimeApi *api, const char *archive, const char *className, const char *method) {
    RuntimeClass *cls = api->loadClass(archive, className);
    if (!cls) {
        std::printf("loadClass failed: %s\n", api->lastError());
        return;
    }
    void *address = api->getMethod(cls, method);
    if (!address) {
        std::printf("getMethod failed: %s\n", api->lastError());
        return;
    }
    RuntimeTextMethod call;
    std::memcpy(&call, &address, sizeof call);
    char text[MAX_PATH];
    long length = call(text, sizeof text);
    if (length < 0 || static_cast<size_t>(length) >= sizeof text) {
        std::printf("%s failed\n", method);
        return;
    }
    std::printf("%s: %s\n", method, text);
}

}  // namespace

extern "C" __declspec(dllexport) void runtimeMain(const RuntimeApi *api, int argc, char **argv) {
    if (argc < 1) {
        std::printf("no arguments\n");
        return;
    }
    const char *command = argv[0];
    if (std::strcmp(command, "args") == 0) {
        std::printf("api version %u, %d arguments\n", api->version, argc);
        for (int i = 0; i < argc; ++i) std::printf("[%s]\n", argv[i]);
    } else if (std::strcmp(command, "properties") == 0) {
        for (const char *name : {"java.version", "java.home", "file.separator", "no.such.property"})
            std::printf("%s=%s\n", name, orNone(api->getProperty(name)));
    } else if (std::strcmp(command, "resource") == 0 && argc == 2) {
        void *data = nullptr;
        size_t size = 0;
        if (api->readResource(argv[1], &data, &size) != 0) {
            std::printf("readResource failed: %s\n", api->lastError());
            return;
        }
        std::printf("%zu bytes: %.*s\n", size, static_cast<int>(size > 40 ? 40 : size), static_cast<char *>(data));
        api->freeBuffer(data);
    } else if (std::strcmp(command, "class") == 0 && argc == 4) {
        callTextMethod(api, argv[1], argv[2], argv[3]);
    } else if (std::strcmp(command, "userhome") == 0) {
        char archive[MAX_PATH];
        std::snprintf(archive, sizeof archive, "%s\\lib\\deploy.jar", orNone(api->getProperty("java.home")));
        callTextMethod(api, archive, "com.sun.deploy.config.Config", "getUserHome");
    } else if (std::strcmp(command, "startup") == 0) {
        // From the creation of the process to this entry.
        FILETIME created, exited, kernel, user, now;
        GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
        GetSystemTimeAsFileTime(&now);
        ULARGE_INTEGER a, b;
        a.LowPart = created.dwLowDateTime;
        a.HighPart = created.dwHighDateTime;
        b.LowPart = now.dwLowDateTime;
        b.HighPart = now.dwHighDateTime;
        std::printf("entry after %.1f ms\n", static_cast<double>(b.QuadPart - a.QuadPart) / 10000.0);
    } else if (std::strcmp(command, "exit") == 0 && argc == 2) {
        std::printf("exiting with %s\n", argv[1]);
        std::fprintf(stderr, "to standard error\n");
        api->exitProcess(std::atoi(argv[1]));
        std::printf("exitProcess returned\n");
    } else if (std::strcmp(command, "window") == 0 && argc == 2) {
        openWindow(argv[1], true);
        std::printf("window open\n");
    } else if (std::strcmp(command, "hidden-window") == 0) {
        openWindow("never shown", false);
        std::printf("hidden window made\n");
    } else if (std::strcmp(command, "crash") == 0) {
        std::printf("crashing\n");
        std::fflush(stdout);
        volatile int *nowhere = nullptr;
        *nowhere = 1;
    } else if (std::strcmp(command, "window-exit") == 0 && argc == 2) {
        // A window is open when the application ends the process itself.
        openWindow(argv[1], true);
        api->exitProcess(7);
    } else {
        std::printf("unknown command %s\n", command);
    }
}
