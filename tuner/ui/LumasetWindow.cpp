// The settings window: the window members of the main class Lumaset.
#include "Lumaset.h"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace {

const char kWindowClass[] = "LumasetSettings";
const char kTitle[] = "Lumaset";
// A frame without sizing border or maximize box: not resizable.
const DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
const DWORD kExStyle = 0;

// Outer-frame geometry of the window, in pixels.
const int kFrameX = 150;
const int kFrameY = 150;
const int kFrameWidth = 310;  // W
const int kLogoWidth = 102;   // lw: the logo's width enters the layout
const int kBoxX = 10;
const int kButtonWidth = 60;
const int kButtonHeight = 25;

const int kIdCheckBox0 = 100;
const int kIdCheckBox1 = 101;
const int kIdCheckBox2 = 102;
const int kIdOk = 200;
const int kIdCancel = 201;

const char kLogoName[] = "lock.gif";

// A control's rectangle in client coordinates from its outer-frame position.
RECT clientRect(const ui::Insets &insets, int x, int y, int width, int height) {
    return RECT{x - insets.left, y - insets.top, x - insets.left + width, y - insets.top + height};
}

void setChecked(HWND box, bool checked) { SendMessageA(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0); }
bool isChecked(HWND box) { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// BeginPaint and EndPaint around one WM_PAINT.
class PaintScope {
public:
    explicit PaintScope(HWND hwnd) : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &ps_); }
    ~PaintScope() { EndPaint(hwnd_, &ps_); }
    PaintScope(const PaintScope &) = delete;
    PaintScope &operator=(const PaintScope &) = delete;
    HDC dc() const { return dc_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

std::vector<char> readFileBesideModule(const char *name) {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(ui::thisModule(), path, sizeof path);
    if (length == 0 || length >= sizeof path) throw std::runtime_error("the module's own path cannot be read");
    std::string file(path, length);
    file = file.substr(0, file.find_last_of("\\/") + 1) + name;
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + file);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw std::runtime_error("cannot read " + file);
    return bytes;
}

}  // namespace

Lumaset::Lumaset(const RuntimeApi *runtime) : m_pRuntime(runtime) {
    // Started by a runtime, the settings file is found through its deployment
    // library; a test host without one sets m_JREPath itself.
    if (runtime) m_JREPath = getJRE6Path();
    loadImages();
}

Lumaset::~Lumaset() {
    if (m_hWnd) DestroyWindow(m_hWnd);
}

void Lumaset::loadImages() {
    try {
        m_LogoImage = getImageFromJar(m_pRuntime, CLASS_NAME, kLogoName);
    } catch (const std::exception &e) {
        ui::printTrace("Lumaset.loadImages", &e);
    }
}

ui::Image Lumaset::getImageFromJar(const RuntimeApi *runtime, const char *className, const char *name) {
    ui::Image image;
    if (runtime) {
        if (!runtime->readResource || !runtime->freeBuffer) {
            throw std::runtime_error("the runtime interface cannot read resources");
        }
        // Beside the class: its package as a folder of the archive.
        std::string path(className);
        size_t lastDot = path.find_last_of('.');
        path = lastDot == std::string::npos ? std::string() : path.substr(0, lastDot + 1);
        for (char &c : path) {
            if (c == '.') c = '/';
        }
        path += name;
        void *data = nullptr;
        size_t size = 0;
        if (runtime->readResource(path.c_str(), &data, &size) != 0) {
            const char *why = runtime->lastError ? runtime->lastError() : nullptr;
            throw std::runtime_error("cannot read " + path + " from the archive: " + (why ? why : "unknown"));
        }
        image = ui::Image::decode(data, size);
        runtime->freeBuffer(data);
    } else {
        std::vector<char> bytes = readFileBesideModule(name);
        image = ui::Image::decode(bytes.data(), bytes.size());
    }
    if (image.empty()) throw std::runtime_error(std::string(name) + " is not an image that can be decoded");
    return image;
}

void Lumaset::ShowUI(const ParamsValues &values) {
    if (m_hWnd) return;  // shown at most once
    ui::registerWindowClass(kWindowClass, &ui::windowProc<Lumaset>);
    // At (150, 150), 310 wide and 1 high: WM_CREATE (addNotify) builds the
    // controls and sets the real height before the window is seen.
    CreateWindowExA(kExStyle, kWindowClass, kTitle, kStyle, kFrameX, kFrameY, kFrameWidth, 1, nullptr, nullptr,
                    ui::thisModule(), this);
    if (!m_hWnd) throw std::runtime_error("the settings window cannot be created");
    ShowWindow(m_hWnd, SW_SHOWNORMAL);
    UpdateWindow(m_hWnd);
    windowOpened();
    // The check boxes exist only now.
    setChecked(cb0, values.m_bD3D);
    setChecked(cb1, values.m_bNoDDraw);
    setChecked(cb2, values.m_bForceVram);
}

void Lumaset::addNotify() {
    const ui::Insets insets = ui::frameInsets(static_cast<DWORD>(GetWindowLongA(m_hWnd, GWL_STYLE)),
                                              static_cast<DWORD>(GetWindowLongA(m_hWnd, GWL_EXSTYLE)));
    m_Insets = insets;
    const int T = insets.top;
    // h: one line of the controls' font, the system's message font (ui::ControlFont).
    const int h = m_Font.lineHeight();
    // The boxes end exactly where the logo begins.
    const int cw = kFrameWidth - insets.left - insets.right - kLogoWidth - 10;
    HFONT font = m_Font.get();

    struct {
        HWND *field;
        const char *caption;
        int id;
        int y;
    } boxes[] = {
        {&cb0, "Use Direct3D for Rendering", kIdCheckBox0, T + 6},
        {&cb1, "Do Not Use DirectDraw", kIdCheckBox1, T + 10 + h},
        {&cb2, "Force VRAM", kIdCheckBox2, T + 14 + 2 * h},
    };
    for (const auto &box : boxes) {
        *box.field = ui::createControl(m_hWnd, "BUTTON", box.caption, BS_AUTOCHECKBOX | WS_TABSTOP, box.id,
                                       clientRect(insets, kBoxX, box.y, cw, h), font);
    }

    // The buttons stand symmetrically about the middle, 10 pixels apart.
    const int by = T + 24 + 3 * h;
    m_BtnOK = ui::createControl(m_hWnd, "BUTTON", "  OK  ", BS_PUSHBUTTON | WS_TABSTOP, kIdOk,
                                clientRect(insets, kFrameWidth / 2 - kButtonWidth - 5, by, kButtonWidth, kButtonHeight),
                                font);
    m_BtnCancel = ui::createControl(m_hWnd, "BUTTON", "  Cancel  ", BS_PUSHBUTTON | WS_TABSTOP, kIdCancel,
                                    clientRect(insets, kFrameWidth / 2 + 5, by, kButtonWidth, kButtonHeight), font);

    for (HWND control : {cb0, cb1, cb2, m_BtnOK, m_BtnCancel}) {
        if (control) ui::listenToKeys(control, this);
    }
    m_hFocus = cb0;

    RECT frame{};
    GetWindowRect(m_hWnd, &frame);
    if (by + kButtonHeight > frame.bottom - frame.top) {
        SetWindowPos(m_hWnd, nullptr, 0, 0, frame.right - frame.left, by + kButtonHeight + 15,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Lumaset::paint(HDC dc) {
    if (!m_Insets) return;
    RECT frame{};
    GetWindowRect(m_hWnd, &frame);
    // Outer x = frame width - lw - L - R, outer y = T + 3; drawn in client coordinates.
    const int x = (frame.right - frame.left) - kLogoWidth - m_Insets->left - m_Insets->right;
    const int y = m_Insets->top + 3;
    m_LogoImage.draw(dc, x - m_Insets->left, y - m_Insets->top);
}

LumasetCore::ParamsValues Lumaset::GetCheckboxesState() const {
    ParamsValues values;
    values.m_bD3D = isChecked(cb0);
    values.m_bNoDDraw = isChecked(cb1);
    values.m_bForceVram = isChecked(cb2);
    return values;
}

void Lumaset::actionPerformed(const std::string &command) {
    if (command == OK_CMD) {
        // Also when nothing changed; a failure is only traced, and the window closes either way.
        try {
            EditConf(GetCheckboxesState());
        } catch (const std::exception &e) {
            ui::printTrace("Lumaset.actionPerformed", &e);
        } catch (...) {
            ui::printTrace("Lumaset.actionPerformed", nullptr);
        }
        dispose();
    } else if (command == CANCEL_CMD) {
        dispose();
    }
}

void Lumaset::windowClosing() { dispose(); }

void Lumaset::dispose() {
    if (m_hWnd) DestroyWindow(m_hWnd);
}

bool Lumaset::keyPressed(HWND control, UINT virtualKey) {
    // The window has no keys of its own; Tab moves between the controls.
    if (virtualKey != VK_TAB) return false;
    ui::moveFocus(m_hWnd, control, GetKeyState(VK_SHIFT) < 0);
    return true;
}

LRESULT Lumaset::handleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_NCCREATE:
        m_hWnd = hwnd;
        break;
    case WM_CREATE:
        addNotify();
        return 0;
    case WM_PAINT: {
        PaintScope scope(hwnd);
        paint(scope.dc());
        return 0;
    }
    case WM_COMMAND:
        if (HIWORD(wp) == BN_CLICKED) {
            if (LOWORD(wp) == kIdOk) actionPerformed(OK_CMD);
            else if (LOWORD(wp) == kIdCancel) actionPerformed(CANCEL_CMD);
        }
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(hwnd, focus)) m_hFocus = focus;
            windowDeactivated();
        } else {
            if (m_hFocus && !HIWORD(wp)) SetFocus(m_hFocus);
            windowActivated();
            return 0;
        }
        break;
    case WM_SIZE:
        if (wp == SIZE_MINIMIZED) {
            m_bIconic = true;
            windowIconified();
        } else if (m_bIconic) {
            m_bIconic = false;
            windowDeiconified();
        }
        break;
    case WM_CLOSE:
        windowClosing();
        return 0;
    case WM_NCDESTROY:
        m_hWnd = nullptr;
        cb0 = cb1 = cb2 = m_BtnOK = m_BtnCancel = m_hFocus = nullptr;
        windowClosed();
        break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}
