// The tuner's general-purpose modal box: a title, lines of text, a row of
// buttons chosen by a bit mask and, on request, a "do not ask again" check
// box. It reports the command of the button that closed it.
#pragma once

#include <windows.h>
// <windows.h> maps MessageBox to MessageBoxA/W and defines ERROR (wingdi.h);
// both are names of this class. This header is the one place that takes them
// back; tuner code that wants the system's box calls MessageBoxA by name.
#undef MessageBox
#undef ERROR

#include <optional>
#include <string>
#include <vector>

#include "ui/Win32Ui.h"

class MessageBox : private ui::KeyListener {
public:
    // Message types; only CONFIRMATION has an effect (focus to No).
    static constexpr int WARNING = 0;
    static constexpr int ERROR = 1;
    static constexpr int INFORMATION = 2;
    static constexpr int CONFIRMATION = 3;
    // Declared with the types; as a bit of the button mask it asks for the check box row.
    static constexpr int DONOTASKAGAIN = 4;

    // Button bits. YESALL_BUTTON makes no button.
    static constexpr int YESALL_BUTTON = 128;
    static constexpr int YES_BUTTON = 256;
    static constexpr int NO_BUTTON = 512;
    static constexpr int OK_BUTTON = 1024;
    static constexpr int CANCEL_BUTTON = 2048;
    static constexpr int RETRY_BUTTON = 4096;
    static constexpr int IGNORE_BUTTON = 8192;
    static constexpr int SKIP_BUTTON = 16384;
    static constexpr int SKIPALL_BUTTON = 32768;
    static constexpr int YES_NO_CANCEL_BUTTON = 2816;
    static constexpr int OK_CANCEL_BUTTON = 3072;
    static constexpr int RETRY_IGNORE_CANCEL_BUTTON = 14336;
    static constexpr int RETRY_SKIP_CANCEL_BUTTON = 22528;
    static constexpr int RETRY_SKIP_SKIPALL_CANCEL_BUTTON = 55296;

    // A message line of this many characters or more is cut to 97 and "...".
    static constexpr int ciMaxMessageLength = 100;

    // Icon numbers for callers; the box draws no icon.
    static constexpr int ICON_CONFIRM_DELETE = 0;
    static constexpr int ICON_STOP = 1;
    static constexpr int ICON_FILE_REPLACE = 2;
    static constexpr int ICON_EXCLAMATION = 3;

    // Builds the box, lays it out and centres it on the screen; does not show
    // it. OWNER is a top-level window (it may never have been shown); it is
    // disabled while the box is open.
    MessageBox(HWND owner, const std::string &title, const std::vector<std::string> &lines, int buttonMask,
               int messageType);
    ~MessageBox();
    MessageBox(const MessageBox &) = delete;
    MessageBox &operator=(const MessageBox &) = delete;

    // Shows the box and returns once it has been closed, in whatever way.
    // A WM_QUIT met meanwhile closes the box and is posted again.
    void show();

    // The command of the button that closed the box ("YES", "NO", "OK",
    // "RETRY", "IGNORE", "SKIP", "SKIPALL", "CANCEL"); none after Escape or
    // the close box.
    std::optional<std::string> getButtonAction() const { return thisButtonPressed; }

    // The last state of the check box; false when there is none.
    bool m_bDontAsk = false;

    // The top-level window of the box; nullptr once it has been closed.
    HWND window() const { return m_hWnd; }

private:
    // Watches the box's window events: focus on opening, back to the front
    // when deactivated while open, the close box.
    class UpHopper {
    public:
        explicit UpHopper(MessageBox *box) : dlg(box), outer(box) {}
        void windowOpened();
        void windowDeactivated();
        void windowClosing();

    private:
        MessageBox *dlg;
        MessageBox *outer;
    };

    friend LRESULT CALLBACK ui::windowProc<MessageBox>(HWND, UINT, WPARAM, LPARAM);
    LRESULT handleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    // Construction steps; each returns the preferred size of its part.
    SIZE addMessageBand(const std::vector<std::string> &lines);
    SIZE addButtonRow(int buttonMask, int messageType, int top);
    SIZE addCheckBoxRow(int top);
    void centreButtonRow(int width);

    void actionPerformed(const std::string &command);
    bool keyPressed(HWND control, UINT virtualKey) override;
    void itemStateChanged(bool selected);
    void dispose();
    const char *commandOf(HWND button) const;

    // A panel here is the rectangle that its layout gives; the controls are
    // children of the box itself, so that their notifications reach it.
    RECT panelmensaje{};
    RECT panelbotones{};
    HWND yesButton = nullptr;
    HWND noButton = nullptr;
    HWND okButton = nullptr;
    HWND cancelButton = nullptr;
    HWND retryButton = nullptr;
    HWND ignoreButton = nullptr;
    HWND skipButton = nullptr;
    HWND skipAllButton = nullptr;
    HWND doNotAskAgain = nullptr;
    std::optional<std::string> thisButtonPressed;
    bool m_bSetFocusToNo = false;

    HWND m_hWnd = nullptr;
    HWND m_hOwner = nullptr;
    bool m_bOwnerDisabledByUs = false;
    HWND m_hFocus = nullptr;  // the control that gets the focus when the box is activated
    ui::ControlFont m_Font;
    UpHopper m_Listener{this};
};
