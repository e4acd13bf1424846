#include "ui/Win32Ui.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <typeinfo>

namespace ui {
namespace {

const char kOriginalProcProp[] = "ui.originalProc";
const char kKeyListenerProp[] = "ui.keyListener";

// The screen's device context for measuring text, released on every way out.
class ScreenDc {
public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_) ReleaseDC(nullptr, dc_);
    }
    ScreenDc(const ScreenDc &) = delete;
    ScreenDc &operator=(const ScreenDc &) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// Selects a GDI object into a DC for one scope.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(dc_, old_); }
    Selection(const Selection &) = delete;
    Selection &operator=(const Selection &) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

LRESULT CALLBACK keySubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto original = reinterpret_cast<WNDPROC>(GetPropA(hwnd, kOriginalProcProp));
    if (!original) return DefWindowProcA(hwnd, msg, wp, lp);
    if (msg == WM_KEYDOWN) {
        auto *listener = static_cast<KeyListener *>(GetPropA(hwnd, kKeyListenerProp));
        try {
            if (listener && listener->keyPressed(hwnd, static_cast<UINT>(wp))) return 0;
        } catch (const std::exception &e) {
            printTrace("key handler", &e);
            return 0;
        } catch (...) {
            printTrace("key handler", nullptr);
            return 0;
        }
    } else if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        RemovePropA(hwnd, kOriginalProcProp);
        RemovePropA(hwnd, kKeyListenerProp);
    }
    return CallWindowProcA(original, hwnd, msg, wp, lp);
}

}  // namespace

HINSTANCE thisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&thisModule), &module);
    return module;
}

void registerWindowClass(const char *name, WNDPROC proc) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExA(thisModule(), name, &wc)) return;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = thisModule();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name;
    RegisterClassExA(&wc);
}

ControlFont::ControlFont() {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        font_.reset(CreateFontIndirectA(&metrics.lfMessageFont));
    }
    ScreenDc dc;
    Selection selected(dc.get(), get());
    TEXTMETRICA tm{};
    GetTextMetricsA(dc.get(), &tm);
    lineHeight_ = tm.tmHeight + tm.tmExternalLeading;
}

int ControlFont::textWidth(const std::string &text) const {
    ScreenDc dc;
    Selection selected(dc.get(), get());
    SIZE size{};
    GetTextExtentPoint32A(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

HiddenFrame::HiddenFrame() {
    registerWindowClass("LumasetHiddenFrame", DefWindowProcA);
    hwnd_ = CreateWindowExA(0, "LumasetHiddenFrame", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                            thisModule(), nullptr);
}

HiddenFrame::~HiddenFrame() {
    if (hwnd_) DestroyWindow(hwnd_);
}

HWND createControl(HWND parent, const char *className, const std::string &text, DWORD style, int id,
                   const RECT &bounds, HFONT font) {
    HWND control = CreateWindowExA(0, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, bounds.left,
                                   bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), thisModule(), nullptr);
    if (control) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

Insets frameInsets(DWORD style, DWORD exStyle) {
    RECT r{0, 0, 0, 0};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return Insets{-r.top, -r.left, r.bottom, r.right};
}

void listenToKeys(HWND control, KeyListener *listener) {
    SetPropA(control, kKeyListenerProp, listener);
    SetPropA(control, kOriginalProcProp, reinterpret_cast<HANDLE>(GetWindowLongPtrA(control, GWLP_WNDPROC)));
    SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&keySubclassProc));
}

void moveFocus(HWND parent, HWND from, bool backwards) {
    if (HWND next = GetNextDlgTabItem(parent, from, backwards ? TRUE : FALSE)) SetFocus(next);
}

void printTrace(const char *where, const std::exception *failure) {
    if (failure) {
        const char *mangled = typeid(*failure).name();
        int status = 0;
        std::unique_ptr<char, void (*)(void *)> type(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                      std::free);
        std::fprintf(stderr, "%s: %s\n\tin %s\n", type ? type.get() : mangled, failure->what(), where);
    } else {
        std::fprintf(stderr, "unknown failure\n\tin %s\n", where);
    }
    std::fflush(stderr);
}

}  // namespace ui
