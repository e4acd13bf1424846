#include "ui/MessageBox.h"

#include <algorithm>

namespace {

const char kWindowClass[] = "LumasetMessageBox";
const DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;  // no sizing border: not resizable
const DWORD kExStyle = WS_EX_DLGMODALFRAME;               // dialog frame without an icon
const UINT kBackToFront = WM_APP + 1;

// Flow layouts use 5 pixels between and around their components; the check
// box row keeps 11 to its left.
const int kGap = 5;
const int kCheckRowHGap = 11;
// Preferred sizes of the controls beyond their text: labels and the check box
// get a little air above and below, push buttons room for their 3D edge.
const int kLabelExtraHeight = 8;
const int kButtonExtraWidth = 14;
const int kButtonExtraHeight = 10;
const int kCheckExtraHeight = 8;
const int kCheckTextGap = 6;  // between the check mark and the caption

const int kFirstButtonId = 100;
const int kCheckBoxId = 200;
const int kFirstLabelId = 300;

const char kMessageIndent[] = "     ";   // five blanks before every line
const char kMessageTrailer[] = "      ";  // six blanks after it

// The button row, left to right: bit, caption (with its blanks), command.
struct ButtonRow {
    int bit;
    const char *caption;
    const char *command;
};
const ButtonRow kButtons[] = {
    {MessageBox::YES_BUTTON, "     Yes     ", "YES"},
    {MessageBox::NO_BUTTON, "     No     ", "NO"},
    {MessageBox::OK_BUTTON, "     OK    ", "OK"},
    {MessageBox::RETRY_BUTTON, "  Retry  ", "RETRY"},
    {MessageBox::IGNORE_BUTTON, "  Ignore  ", "IGNORE"},
    {MessageBox::SKIP_BUTTON, "   Skip   ", "SKIP"},
    {MessageBox::SKIPALL_BUTTON, "  SkipAll   ", "SKIPALL"},
    {MessageBox::CANCEL_BUTTON, "  Cancel   ", "CANCEL"},
};
const int kButtonCount = sizeof kButtons / sizeof kButtons[0];

// A line as shown: whole when shorter than ciMaxMessageLength characters,
// otherwise its first 97 characters and "...". Characters, not bytes, so that
// a double-byte character is never cut in half.
std::string shownText(const std::string &line) {
    const char *begin = line.c_str();
    const char *cut = begin;
    int count = 0;
    for (const char *p = begin; *p; p = CharNextA(p)) {
        if (count == MessageBox::ciMaxMessageLength - 3) cut = p;
        ++count;
    }
    // CharNextA stops at an embedded NUL; the rest of such a line is not shown.
    if (count < MessageBox::ciMaxMessageLength) return std::string(begin);
    return std::string(begin, cut) + "...";
}

RECT rectAt(int x, int y, int width, int height) { return RECT{x, y, x + width, y + height}; }

}  // namespace

MessageBox::MessageBox(HWND owner, const std::string &title, const std::vector<std::string> &lines,
                       int buttonMask, int messageType)
    : m_hOwner(owner) {
    ui::registerWindowClass(kWindowClass, &ui::windowProc<MessageBox>);
    m_hWnd = CreateWindowExA(kExStyle, kWindowClass, title.c_str(), kStyle, 0, 0, 0, 0, owner, nullptr,
                             ui::thisModule(), this);
    if (!m_hWnd) return;  // show() then returns at once, with no result

    // North, Center and South of a border layout, each as high as it wants
    // and all as wide as the widest.
    const SIZE band = addMessageBand(lines);
    const SIZE buttons = addButtonRow(buttonMask, messageType, band.cy);
    const SIZE checkRow = (buttonMask & DONOTASKAGAIN) ? addCheckBoxRow(band.cy + buttons.cy) : SIZE{0, 0};
    const int width = std::max({band.cx, buttons.cx, checkRow.cx});
    centreButtonRow(width);

    // Fit the contents, frame included, and centre on the screen.
    const ui::Insets insets = ui::frameInsets(kStyle, kExStyle);
    const int outerWidth = insets.left + width + insets.right;
    const int outerHeight = insets.top + band.cy + buttons.cy + checkRow.cy + insets.bottom;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - outerWidth) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - outerHeight) / 2;
    SetWindowPos(m_hWnd, nullptr, left, top, outerWidth, outerHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE MessageBox::addMessageBand(const std::vector<std::string> &lines) {
    // One left-aligned label per line, in a one-column grid of equal rows,
    // inside a flow panel's gaps.
    std::vector<std::string> texts;
    int gridWidth = 0;
    for (const std::string &line : lines) {
        texts.push_back(kMessageIndent + shownText(line) + kMessageTrailer);
        gridWidth = std::max(gridWidth, m_Font.textWidth(texts.back()));
    }
    const int rowHeight = m_Font.lineHeight() + kLabelExtraHeight;
    panelmensaje = rectAt(kGap, kGap, gridWidth, static_cast<int>(texts.size()) * rowHeight);
    for (size_t i = 0; i < texts.size(); ++i) {
        const int id = kFirstLabelId + static_cast<int>(i);
        const RECT r = rectAt(panelmensaje.left, panelmensaje.top + static_cast<int>(i) * rowHeight, gridWidth,
                              rowHeight);
        ui::createControl(m_hWnd, "STATIC", texts[i], SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE, id, r, m_Font.get());
    }
    return SIZE{gridWidth + 2 * kGap, panelmensaje.bottom + kGap};
}

SIZE MessageBox::addButtonRow(int buttonMask, int messageType, int top) {
    HWND *const fields[kButtonCount] = {&yesButton,    &noButton,   &okButton,      &retryButton,
                                        &ignoreButton, &skipButton, &skipAllButton, &cancelButton};
    // OK stands in when none of Yes, No, OK and Cancel is asked for.
    const int yesNoOkCancel = YES_BUTTON | NO_BUTTON | OK_BUTTON | CANCEL_BUTTON;
    const int height = m_Font.lineHeight() + kButtonExtraHeight;

    // Placed from the left here; centreButtonRow moves the row once the box's width is known.
    int x = kGap;
    for (int i = 0; i < kButtonCount; ++i) {
        const ButtonRow &row = kButtons[i];
        bool wanted = (buttonMask & row.bit) != 0 || (row.bit == OK_BUTTON && (buttonMask & yesNoOkCancel) == 0);
        if (!wanted) continue;
        const int width = m_Font.textWidth(row.caption) + kButtonExtraWidth;
        HWND button = ui::createControl(m_hWnd, "BUTTON", row.caption, BS_PUSHBUTTON | WS_TABSTOP,
                                        kFirstButtonId + i, rectAt(x, top + kGap, width, height), m_Font.get());
        *fields[i] = button;
        ui::listenToKeys(button, this);
        if (!m_hFocus) m_hFocus = button;  // a new box starts on the first button
        if (row.bit == NO_BUTTON && messageType == CONFIRMATION) m_bSetFocusToNo = true;
        x += width + kGap;
    }
    panelbotones = rectAt(0, top, x, height + 2 * kGap);
    return SIZE{x, height + 2 * kGap};
}

SIZE MessageBox::addCheckBoxRow(int top) {
    const char caption[] = "DoNotAskAgain";
    const int width = GetSystemMetrics(SM_CXMENUCHECK) + kCheckTextGap + m_Font.textWidth(caption);
    const int height = m_Font.lineHeight() + kCheckExtraHeight;
    doNotAskAgain = ui::createControl(m_hWnd, "BUTTON", caption, BS_AUTOCHECKBOX | WS_TABSTOP, kCheckBoxId,
                                      rectAt(kCheckRowHGap, top + kGap, width, height), m_Font.get());
    ui::listenToKeys(doNotAskAgain, this);
    return SIZE{width + 2 * kCheckRowHGap, height + 2 * kGap};
}

void MessageBox::centreButtonRow(int width) {
    // What the row leaves free goes half to each side.
    const int shift = (width - (panelbotones.right - panelbotones.left)) / 2;
    panelbotones.right = panelbotones.left + width;
    for (HWND button : {yesButton, noButton, okButton, retryButton, ignoreButton, skipButton, skipAllButton,
                        cancelButton}) {
        if (!button) continue;
        RECT r{};
        GetWindowRect(button, &r);
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT *>(&r), 2);
        SetWindowPos(button, nullptr, r.left + shift, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

MessageBox::~MessageBox() {
    if (m_hWnd) dispose();
}

void MessageBox::show() {
    if (!m_hWnd) return;
    if (m_hOwner && IsWindowEnabled(m_hOwner)) {
        EnableWindow(m_hOwner, FALSE);
        m_bOwnerDisabledByUs = true;
    }
    ShowWindow(m_hWnd, SW_SHOWNORMAL);
    SetForegroundWindow(m_hWnd);
    m_Listener.windowOpened();

    while (m_hWnd) {
        MSG msg;
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The thread is asked to end: close the box and pass the request on.
            dispose();
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1) {
            dispose();
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void MessageBox::dispose() {
    // The owner first: otherwise the activation would go to another program.
    if (m_bOwnerDisabledByUs) {
        EnableWindow(m_hOwner, TRUE);
        m_bOwnerDisabledByUs = false;
    }
    if (m_hWnd) DestroyWindow(m_hWnd);
}

const char *MessageBox::commandOf(HWND button) const {
    if (!button || GetParent(button) != m_hWnd) return nullptr;
    int row = GetDlgCtrlID(button) - kFirstButtonId;
    return row >= 0 && row < kButtonCount ? kButtons[row].command : nullptr;
}

void MessageBox::actionPerformed(const std::string &command) {
    thisButtonPressed = command;
    dispose();
}

bool MessageBox::keyPressed(HWND control, UINT virtualKey) {
    if (virtualKey == VK_TAB) {
        ui::moveFocus(m_hWnd, control, GetKeyState(VK_SHIFT) < 0);
        return true;
    }
    // Enter and Escape count on the buttons only, not on the check box.
    if (control == doNotAskAgain) return false;
    if (virtualKey == VK_RETURN) {
        if (const char *command = commandOf(GetFocus())) thisButtonPressed = command;
        dispose();
        return true;
    }
    if (virtualKey == VK_ESCAPE) {
        dispose();
        return true;
    }
    return false;
}

void MessageBox::itemStateChanged(bool selected) { m_bDontAsk = selected; }

LRESULT MessageBox::handleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wp) == BN_CLICKED) {
            HWND control = reinterpret_cast<HWND>(lp);
            if (control && control == doNotAskAgain) {
                itemStateChanged(SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED);
            } else if (const char *command = commandOf(control)) {
                actionPerformed(command);
            }
        }
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(hwnd, focus)) m_hFocus = focus;
            m_Listener.windowDeactivated();
        } else if (m_hFocus) {
            SetFocus(m_hFocus);
        }
        return 0;
    case kBackToFront:
        if (IsWindowVisible(hwnd)) {
            SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            SetForegroundWindow(hwnd);
        }
        return 0;
    case WM_CLOSE:
        m_Listener.windowClosing();
        return 0;
    case WM_NCDESTROY:
        m_hWnd = nullptr;
        break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void MessageBox::UpHopper::windowOpened() {
    if (outer->m_bSetFocusToNo && outer->noButton) {
        outer->m_hFocus = outer->noButton;
        if (GetActiveWindow() == dlg->m_hWnd) SetFocus(outer->noButton);
    }
}

void MessageBox::UpHopper::windowDeactivated() {
    // Posted: taking the activation back from inside its loss would fight the switch.
    if (IsWindowVisible(dlg->m_hWnd)) PostMessageA(dlg->m_hWnd, kBackToFront, 0, 0);
}

void MessageBox::UpHopper::windowClosing() {
    if (IsWindowVisible(dlg->m_hWnd)) dlg->dispose();
}
