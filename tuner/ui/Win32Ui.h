// Small Win32 pieces that the tuner's two windows share: owners for GDI
// objects, the font of the controls, window-class registration, keyboard
// hooks on controls, and the one place where a failure inside a window
// procedure is reported.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

namespace ui {

// The module that holds this code: the tuner's module in the product, the
// test program in tests. Window classes and resources belong to it.
HINSTANCE thisModule();

// Registers a window class of this module once per process; a second call
// with the same name is harmless.
void registerWindowClass(const char *name, WNDPROC proc);

// Owner of one GDI object (font, bitmap).
template <class H>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(H handle) : handle_(handle) {}
    ~GdiObject() { reset(); }
    GdiObject(GdiObject &&other) noexcept : handle_(other.release()) {}
    GdiObject &operator=(GdiObject &&other) noexcept {
        if (this != &other) {
            reset();
            handle_ = other.release();
        }
        return *this;
    }
    GdiObject(const GdiObject &) = delete;
    GdiObject &operator=(const GdiObject &) = delete;

    H get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    H release() {
        H h = handle_;
        handle_ = nullptr;
        return h;
    }
    void reset(H handle = nullptr) {
        if (handle_) DeleteObject(handle_);
        handle_ = handle;
    }

private:
    H handle_ = nullptr;
};

// The font of every control of both windows: the system's message font
// (lfMessageFont of the non-client metrics; Tahoma 8 pt under Wine, Segoe UI
// 9 pt on current Windows), falling back to DEFAULT_GUI_FONT.
class ControlFont {
public:
    ControlFont();
    HFONT get() const { return font_ ? font_.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }
    // Height of one line of text: tmHeight (ascent + descent) plus tmExternalLeading.
    int lineHeight() const { return lineHeight_; }
    // Width in pixels of TEXT in this font, blanks included.
    int textWidth(const std::string &text) const;

private:
    GdiObject<HFONT> font_;
    int lineHeight_ = 0;
};

// Creates a child control of PARENT at client coordinates, in FONT.
HWND createControl(HWND parent, const char *className, const std::string &text, DWORD style, int id,
                   const RECT &bounds, HFONT font);

// Thickness of a frame's title bar and borders, in pixels.
struct Insets {
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
};

// The insets of a window with this style, as the system draws its frame.
Insets frameInsets(DWORD style, DWORD exStyle);

// A top-level frame that is never shown: the owner of a message box when the
// tuner has no window of its own (the silent run). Destroyed with the object.
class HiddenFrame {
public:
    HiddenFrame();
    ~HiddenFrame();
    HiddenFrame(const HiddenFrame &) = delete;
    HiddenFrame &operator=(const HiddenFrame &) = delete;
    HWND get() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

// Receives the key presses of the controls given to listenToKeys.
class KeyListener {
public:
    // True when the key was handled; the control may be gone by then, and
    // nothing of it is touched afterwards.
    virtual bool keyPressed(HWND control, UINT virtualKey) = 0;

protected:
    ~KeyListener() = default;
};

// Sends CONTROL's key presses to LISTENER first; what it leaves goes to the
// control as usual.
void listenToKeys(HWND control, KeyListener *listener);

// Moves the focus to the next (or previous) control with WS_TABSTOP in
// PARENT, wrapping around: what Tab does between the controls.
void moveFocus(HWND parent, HWND from, bool backwards);

// Prints the trace of a failure that reached a window's handler on standard
// error; the user never sees it, and the window carries on.
void printTrace(const char *where, const std::exception *failure);

// Window procedure glue: finds the object of class T that owns HWND, which
// CreateWindowExA was given as lpParam, and runs its handleMessage. Nothing
// thrown gets past it.
template <class T>
LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto *create = reinterpret_cast<CREATESTRUCTA *>(lp);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    T *self = reinterpret_cast<T *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
    try {
        return self->handleMessage(hwnd, msg, wp, lp);
    } catch (const std::exception &e) {
        printTrace("window procedure", &e);
    } catch (...) {
        printTrace("window procedure", nullptr);
    }
    return 0;
}

}  // namespace ui
