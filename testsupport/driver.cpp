#include "testsupport.h"

namespace testsupport {
namespace {

struct FindArgs {
    const std::string *title;
    DWORD pid;
    HWND found;
};

BOOL CALLBACK findTopLevel(HWND hwnd, LPARAM lp) {
    auto *args = reinterpret_cast<FindArgs *>(lp);
    if (!IsWindowVisible(hwnd)) return TRUE;
    if (args->pid != 0) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (pid != args->pid) return TRUE;
    }
    if (windowText(hwnd) != *args->title) return TRUE;
    args->found = hwnd;
    return FALSE;
}

HWND findTopLevelNow(const std::string &title, DWORD pid) {
    FindArgs args{&title, pid, nullptr};
    EnumWindows(findTopLevel, reinterpret_cast<LPARAM>(&args));
    return args.found;
}

BOOL CALLBACK collectChild(HWND hwnd, LPARAM lp) {
    reinterpret_cast<std::vector<HWND> *>(lp)->push_back(hwnd);
    return TRUE;
}

struct DescribeArgs {
    DWORD pid;
    std::string text;
};

BOOL CALLBACK describeTopLevel(HWND hwnd, LPARAM lp) {
    auto *args = reinterpret_cast<DescribeArgs *>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != args->pid || !IsWindowVisible(hwnd)) return TRUE;
    args->text += "window \"" + windowText(hwnd) + "\":";
    for (const Control &c : listControls(hwnd)) {
        if (!c.text.empty()) args->text += " [" + c.text + "]";
    }
    args->text += "\n";
    return TRUE;
}

}  // namespace

std::string windowText(HWND hwnd) {
    // WM_GETTEXT works across processes, unlike GetWindowText on another's controls.
    LRESULT length = SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    LRESULT got = SendMessageA(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

HWND waitForWindow(const std::string &title, DWORD timeoutMs, DWORD pid) {
    DWORD start = GetTickCount();
    for (;;) {
        if (HWND hwnd = findTopLevelNow(title, pid)) return hwnd;
        if (GetTickCount() - start >= timeoutMs) return nullptr;
        Sleep(50);
    }
}

bool waitForWindowGone(const std::string &title, DWORD timeoutMs, DWORD pid) {
    DWORD start = GetTickCount();
    while (findTopLevelNow(title, pid)) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(50);
    }
    return true;
}

std::string describeWindows(DWORD pid) {
    DescribeArgs args{pid, {}};
    EnumWindows(describeTopLevel, reinterpret_cast<LPARAM>(&args));
    return args.text;
}

RECT windowRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

RECT clientRectOnScreen(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT *>(&r), 2);
    return r;
}

HWND focusedControl(HWND top) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

std::vector<Control> listControls(HWND top) {
    std::vector<HWND> children;
    EnumChildWindows(top, collectChild, reinterpret_cast<LPARAM>(&children));
    HWND focus = focusedControl(top);
    std::vector<Control> controls;
    for (HWND hwnd : children) {
        Control c;
        c.hwnd = hwnd;
        c.id = GetDlgCtrlID(hwnd);
        char cls[256] = "";
        GetClassNameA(hwnd, cls, sizeof cls);
        c.className = cls;
        c.text = windowText(hwnd);
        c.rect = windowRect(hwnd);
        c.visible = IsWindowVisible(hwnd) != FALSE;
        c.enabled = IsWindowEnabled(hwnd) != FALSE;
        c.checked = SendMessageA(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
        c.focused = hwnd == focus;
        controls.push_back(c);
    }
    return controls;
}

HWND findControl(HWND top, const std::string &text) {
    for (const Control &c : listControls(top)) {
        if (c.text == text) return c.hwnd;
    }
    return nullptr;
}

bool pressButton(HWND top, const std::string &caption) {
    HWND button = findControl(top, caption);
    if (!button) return false;
    // Posted, not sent: a button that opens a modal loop must not block the test.
    PostMessageA(button, BM_CLICK, 0, 0);
    return true;
}

void sendKey(HWND target, UINT virtualKey) {
    UINT scan = MapVirtualKeyA(virtualKey, 0 /* MAPVK_VK_TO_VSC */);
    LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
    LPARAM up = down | (1L << 30) | (1L << 31);
    PostMessageA(target, WM_KEYDOWN, virtualKey, down);
    UINT ch = MapVirtualKeyA(virtualKey, 2 /* MAPVK_VK_TO_CHAR */);
    if (ch != 0) PostMessageA(target, WM_CHAR, ch, down);
    PostMessageA(target, WM_KEYUP, virtualKey, up);
}

void pressCloseBox(HWND top) { PostMessageA(top, WM_SYSCOMMAND, SC_CLOSE, 0); }

}  // namespace testsupport
