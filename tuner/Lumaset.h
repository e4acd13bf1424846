// The tuner's main class: the application object and, in interactive mode,
// its settings window, a top-level frame titled "Lumaset" with one check box
// per rendering switch, the logo, OK and Cancel. The window handles its own
// button presses and window events.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "LumasetCore.h"
#include "runtime_api.h"
#include "ui/Image.h"
#include "ui/Win32Ui.h"

class Lumaset : public LumasetCore, private ui::KeyListener {
public:
    // ---- Entry and run flow (Lumaset.cpp) ----------------------------------

    // The entry, given the program arguments. Refuses any runtime but 1.6
    // with one line on standard output; otherwise builds the main object and
    // runs Tune, silently for exactly one argument "silent". In interactive
    // mode the object stays with the module while its window is open.
    static void main(const std::vector<std::string> &args);
    // The runtime's major version 1 to 9 from java.version ("1.1" .. "1.9",
    // tested in that order); 1 when there is no version text or no match.
    static int getJavaVMVersion();
    // The full path of deployment.properties in the user's deployment home,
    // learnt from the runtime's deployment library; none, with a trace on
    // standard error, when it cannot be learnt.
    static std::optional<std::string> getJRE6Path();
    // The run: read the settings file, then either rewrite it with the
    // silent values, confirm and end the process with code 0, or show the
    // window preset from it. Any failure is a trace on standard error, with
    // no window and no write.
    void Tune(bool silent);

    // ---- Settings window (defined in ui/LumasetWindow.cpp) -----------------

    // The class whose archive folder holds the logo, as the runtime names it.
    static constexpr const char *CLASS_NAME = "com.corvane.lumaset.Lumaset";
    static constexpr const char *OK_CMD = "OK";
    static constexpr const char *CANCEL_CMD = "CANCEL";

    // Builds the main object and loads the logo. RUNTIME, when given, is the
    // runtime interface the module was started with: m_JREPath is then set
    // from getJRE6Path and the logo is read from the application's archive;
    // otherwise the logo comes from the file beside the module. No window
    // exists until ShowUI.
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
