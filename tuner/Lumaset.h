// The tuner's main class: the application object and, in interactive mode,
// its settings window, a top-level frame titled "Lumaset" with one check box
// per rendering switch, the logo, OK and Cancel. The window handles its own
// button presses and window events.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "LumasetCore.h"
#include "runtime_api.h"
#include "ui/Image.h"
#include "ui/Win32Ui.h"

class Lumaset : public LumasetCore, private ui::KeyListener {
public:
    // ---- Entry and run flow ------------------------------------------------
    // main, Tune, getJRE6Path and getJavaVMVersion belong here; they are
    // defined with the run flow in Lumaset.cpp. The run flow also sets
    // m_JREPath from getJRE6Path before the logo is loaded.

    // ---- Settings window (defined in ui/LumasetWindow.cpp) -----------------

    // The class whose archive folder holds the logo, as the runtime names it.
    static constexpr const char *CLASS_NAME = "com.corvane.lumaset.Lumaset";
    static constexpr const char *OK_CMD = "OK";
    static constexpr const char *CANCEL_CMD = "CANCEL";

    // Builds the main object and loads the logo. RUNTIME, when given, is the
    // runtime interface the module was started with; the logo is then read
    // from the application's archive, otherwise from the file beside the
    // module. No window exists until ShowUI.
    explicit Lumaset(const RuntimeApi *runtime = nullptr);
    ~Lumaset();
    Lumaset(const Lumaset &) = delete;
    Lumaset &operator=(const Lumaset &) = delete;

    // Places the window at (150, 150), 310 wide, makes it visible (addNotify
    // builds the controls and fixes the height before it is seen) and presets
    // the check boxes from VALUES. Returns at once; the window is not modal,
    // and its messages are dispatched by whoever runs the thread's message
    // loop (the runtime host). The object must outlive its window: the
    // destructor closes a window that is still open. Throws
    // std::runtime_error when the window cannot be created.
    void ShowUI(const ParamsValues &values);

    // The native window has just been created and is not yet visible: reads
    // the insets and builds the controls.
    void addNotify();
    // Draws the logo at the top right.
    void paint(HDC dc);
    // Loads the logo; a logo that cannot be read leaves the window without it
    // and a trace on standard error.
    void loadImages();
    // The image NAME that lies beside the class CLASS_NAME_ in the archive
    // (through RUNTIME), or beside this module when there is no runtime.
    // Throws std::runtime_error when it cannot be read or decoded.
    static ui::Image getImageFromJar(const RuntimeApi *runtime, const char *className, const char *name);
    // One of the two buttons was pressed: OK_CMD writes the boxes' states
    // through EditConf and closes the window, CANCEL_CMD only closes it.
    void actionPerformed(const std::string &command);

    // Window events; only the close box does anything.
    void windowClosing();
    void windowActivated() {}
    void windowClosed() {}
    void windowDeactivated() {}
    void windowDeiconified() {}
    void windowIconified() {}
    void windowOpened() {}

    // The frame; nullptr before ShowUI and once the window is closed.
    HWND window() const { return m_hWnd; }

private:
    friend LRESULT CALLBACK ui::windowProc<Lumaset>(HWND, UINT, WPARAM, LPARAM);
    LRESULT handleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    bool keyPressed(HWND control, UINT virtualKey) override;
    ParamsValues GetCheckboxesState() const;
    void dispose();

    ui::Image m_LogoImage;
    std::optional<ui::Insets> m_Insets;  // taken when the native window is created
    HWND m_BtnOK = nullptr;
    HWND m_BtnCancel = nullptr;
    HWND cb0 = nullptr;  // m_bD3D
    HWND cb1 = nullptr;  // m_bNoDDraw
    HWND cb2 = nullptr;  // m_bForceVram

    const RuntimeApi *m_pRuntime;
    HWND m_hWnd = nullptr;
    HWND m_hFocus = nullptr;  // the control that gets the focus when the window is activated
    bool m_bIconic = false;
    ui::ControlFont m_Font;
};
