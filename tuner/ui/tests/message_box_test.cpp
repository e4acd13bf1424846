// The message box as a user meets it: real windows of the test host, found,
// read and pressed through the window driver.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "testsupport.h"
#include "ui/MessageBox.h"
#include "ui_test_util.h"

using namespace testsupport;
using uitest::Opened;

namespace {

const int WARNING = MessageBox::WARNING, ERROR_TYPE = MessageBox::ERROR, INFORMATION = MessageBox::INFORMATION,
          CONFIRMATION = MessageBox::CONFIRMATION, DONOTASKAGAIN = MessageBox::DONOTASKAGAIN;
const int YESALL = MessageBox::YESALL_BUTTON, OK = MessageBox::OK_BUTTON, RETRY = MessageBox::RETRY_BUTTON,
          IGNORE_ = MessageBox::IGNORE_BUTTON, YES_NO_CANCEL = MessageBox::YES_NO_CANCEL_BUTTON,
          OK_CANCEL = MessageBox::OK_CANCEL_BUTTON, RETRY_SKIP_CANCEL = MessageBox::RETRY_SKIP_CANCEL_BUTTON,
          RETRY_SKIP_SKIPALL_CANCEL = MessageBox::RETRY_SKIP_SKIPALL_CANCEL_BUTTON;

const std::string kYes = "     Yes     ", kNo = "     No     ", kOk = "     OK    ", kRetry = "  Retry  ",
                  kIgnore = "  Ignore  ", kSkip = "   Skip   ", kSkipAll = "  SkipAll   ", kCancel = "  Cancel   ";
const std::string kCheckBox = "DoNotAskAgain";

Opened openBox(const std::string &title, int mask, int type, const std::vector<std::string> &lines = {}) {
    std::vector<std::string> args{"messagebox", title, std::to_string(mask), std::to_string(type)};
    args.insert(args.end(), lines.begin(), lines.end());
    return uitest::openWindow(args, title);
}

bool isPushButton(const Control &c) {
    LONG type = GetWindowLongA(c.hwnd, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

std::vector<std::string> buttonRow(HWND box) {
    std::vector<std::string> captions;
    for (const Control &c : uitest::controlsOfClass(box, "Button")) {
        if (isPushButton(c)) captions.push_back(c.text);
    }
    return captions;
}

int width(const RECT &r) { return r.right - r.left; }
int height(const RECT &r) { return r.bottom - r.top; }

}  // namespace

TEST(MessageBox, MaskChoosesButtonsCheckBoxAndFocus) {
    struct {
        const char *name;
        int mask;
        int type;
        std::vector<std::string> row;
        bool checkBox;
        std::string focus;
        std::string press;
        std::string action;
    } cases[] = {
        {"mask 0", 0, WARNING, {kOk}, false, kOk, kOk, "OK"},
        {"YESALL alone", YESALL, WARNING, {kOk}, false, kOk, kOk, "OK"},
        {"Retry with Ignore", RETRY | IGNORE_, INFORMATION, {kOk, kRetry, kIgnore}, false, kOk, kIgnore, "IGNORE"},
        {"Retry Skip Cancel", RETRY_SKIP_CANCEL, ERROR_TYPE, {kRetry, kSkip, kCancel}, false, kRetry, kSkip, "SKIP"},
        {"Retry Skip SkipAll Cancel", RETRY_SKIP_SKIPALL_CANCEL, WARNING, {kRetry, kSkip, kSkipAll, kCancel}, false,
         kRetry, kSkipAll, "SKIPALL"},
        {"Retry Skip SkipAll Cancel, Retry pressed", RETRY_SKIP_SKIPALL_CANCEL, WARNING,
         {kRetry, kSkip, kSkipAll, kCancel}, false, kRetry, kRetry, "RETRY"},
        {"Yes No Cancel, confirmation", YES_NO_CANCEL, CONFIRMATION, {kYes, kNo, kCancel}, false, kNo, kYes, "YES"},
        {"Yes No Cancel, warning", YES_NO_CANCEL, WARNING, {kYes, kNo, kCancel}, false, kYes, kNo, "NO"},
        {"OK Cancel, confirmation", OK_CANCEL, CONFIRMATION, {kOk, kCancel}, false, kOk, kCancel, "CANCEL"},
        {"OK with the check box bit (1028)", OK | MessageBox::DONOTASKAGAIN, ERROR_TYPE, {kOk}, true, kOk, kOk, "OK"},
        {"OK, type DONOTASKAGAIN", OK, DONOTASKAGAIN, {kOk}, false, kOk, kOk, "OK"},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        Opened box = openBox("Mask test", row.mask, row.type, {"Which buttons?"});
        ASSERT_NE(box.window, nullptr);
        EXPECT_EQ(buttonRow(box.window), row.row);
        EXPECT_EQ(findControl(box.window, kCheckBox) != nullptr, row.checkBox);
        EXPECT_TRUE(uitest::waitForFocus(box.window, row.focus));
        ASSERT_TRUE(pressButton(box.window, row.press));
        auto result = uitest::finish(box);
        EXPECT_EQ(result["action"], row.action);
        EXPECT_EQ(result["dontask"], "0");
        EXPECT_EQ(result["owner-enabled"], "1");
    }
}

TEST(MessageBox, SilentRunConfirmationIsCentredWithOneLineAndOneButton) {
    const std::string title = "Java settings changed";
    Opened box = openBox(title, OK, ERROR_TYPE, {"Java plugin settings have been successfully changed"});
    ASSERT_NE(box.window, nullptr);

    auto labels = uitest::controlsOfClass(box.window, "Static");
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(labels[0].text, "     Java plugin settings have been successfully changed      ");
    auto buttons = uitest::controlsOfClass(box.window, "Button");
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(buttons[0].text, kOk);
    EXPECT_TRUE(uitest::waitForFocus(box.window, kOk));

    RECT frame = windowRect(box.window);
    RECT client = clientRectOnScreen(box.window);
    EXPECT_EQ(frame.left, (GetSystemMetrics(SM_CXSCREEN) - width(frame)) / 2);
    EXPECT_EQ(frame.top, (GetSystemMetrics(SM_CYSCREEN) - height(frame)) / 2);
    LONG style = GetWindowLongA(box.window, GWL_STYLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);

    // The text row left-aligned 5 pixels in; the button centred below it;
    // the box exactly as wide as the wider of the two with their gaps.
    const RECT &label = labels[0].rect;
    const RECT &button = buttons[0].rect;
    EXPECT_EQ(label.left - client.left, 5);
    EXPECT_EQ(label.top - client.top, 5);
    EXPECT_EQ(button.top - label.bottom, 10);
    EXPECT_LE(std::abs((button.left - client.left) - (client.right - button.right)), 1);
    EXPECT_EQ(width(client), std::max(width(label), width(button)) + 10);
    EXPECT_EQ(client.bottom - button.bottom, 5);

    ASSERT_TRUE(pressButton(box.window, kOk));
    EXPECT_EQ(uitest::finish(box)["action"], "OK");
}

TEST(MessageBox, LinesOfHundredCharactersOrMoreAreCut) {
    std::string line99(99, 'a');
    std::string line100 = std::string(97, 'b') + "XYZ";
    std::string line150 = std::string(97, 'c') + std::string(53, 'Z');
    Opened box = openBox("Long lines", OK, WARNING, {line99, line100, line150});
    ASSERT_NE(box.window, nullptr);

    auto labels = uitest::controlsOfClass(box.window, "Static");
    ASSERT_EQ(labels.size(), 3u);
    EXPECT_EQ(labels[0].text, "     " + line99 + "      ");
    EXPECT_EQ(labels[1].text, "     " + std::string(97, 'b') + "...      ");
    EXPECT_EQ(labels[2].text, "     " + std::string(97, 'c') + "...      ");
    // One left-aligned column of equal rows, in list order.
    for (size_t i = 1; i < labels.size(); ++i) {
        EXPECT_EQ(labels[i].rect.left, labels[0].rect.left);
        EXPECT_EQ(labels[i].rect.top, labels[i - 1].rect.bottom);
        EXPECT_EQ(height(labels[i].rect), height(labels[0].rect));
    }
    ASSERT_TRUE(pressButton(box.window, kOk));
    uitest::finish(box);
}

TEST(MessageBox, NoLinesGiveNoTextRows) {
    Opened box = openBox("No lines", OK, WARNING);
    ASSERT_NE(box.window, nullptr);
    EXPECT_TRUE(uitest::controlsOfClass(box.window, "Static").empty());
    auto buttons = uitest::controlsOfClass(box.window, "Button");
    ASSERT_EQ(buttons.size(), 1u);
    // Only the empty band's gaps above the button row's own gap.
    EXPECT_EQ(buttons[0].rect.top - clientRectOnScreen(box.window).top, 15);
    ASSERT_TRUE(pressButton(box.window, kOk));
    EXPECT_EQ(uitest::finish(box)["action"], "OK");
}

TEST(MessageBox, EscapeAndTheCloseBoxGiveNoCommand) {
    struct {
        const char *name;
        void (*close)(HWND box);
    } cases[] = {
        {"Escape on the focused button", [](HWND box) { sendKey(focusedControl(box), VK_ESCAPE); }},
        {"close box", [](HWND box) { pressCloseBox(box); }},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        Opened box = openBox("Closing", YES_NO_CANCEL, CONFIRMATION, {"Close me"});
        ASSERT_NE(box.window, nullptr);
        ASSERT_TRUE(uitest::waitForFocus(box.window, kNo));
        row.close(box.window);
        auto result = uitest::finish(box);
        EXPECT_EQ(result["action"], "(none)");
        EXPECT_EQ(result["owner-enabled"], "1");
    }
}

TEST(MessageBox, EnterGivesTheCommandOfTheFocusedButton) {
    Opened box = openBox("Enter", OK_CANCEL, WARNING, {"Tab to Cancel, then Enter"});
    ASSERT_NE(box.window, nullptr);
    ASSERT_TRUE(uitest::waitForFocus(box.window, kOk));
    sendKey(focusedControl(box.window), VK_TAB);
    ASSERT_TRUE(uitest::waitForFocus(box.window, kCancel));
    sendKey(focusedControl(box.window), VK_RETURN);
    EXPECT_EQ(uitest::finish(box)["action"], "CANCEL");
}

TEST(MessageBox, EnterAndEscapeOnTheCheckBoxDoNothing) {
    Opened box = openBox("Check box keys", OK | MessageBox::DONOTASKAGAIN, WARNING, {"Keys on the check box"});
    ASSERT_NE(box.window, nullptr);
    ASSERT_TRUE(uitest::waitForFocus(box.window, kOk));
    sendKey(focusedControl(box.window), VK_TAB);
    ASSERT_TRUE(uitest::waitForFocus(box.window, kCheckBox));
    HWND checkBox = focusedControl(box.window);
    sendKey(checkBox, VK_RETURN);
    sendKey(checkBox, VK_ESCAPE);
    Sleep(500);
    EXPECT_TRUE(IsWindowVisible(box.window));
    ASSERT_TRUE(pressButton(box.window, kOk));
    auto result = uitest::finish(box);
    EXPECT_EQ(result["action"], "OK");
    EXPECT_EQ(result["dontask"], "0");
}

TEST(MessageBox, CheckBoxDrivesDontAsk) {
    struct {
        int clicks;
        const char *dontAsk;
    } cases[] = {{1, "1"}, {2, "0"}};
    for (const auto &row : cases) {
        SCOPED_TRACE(row.clicks);
        Opened box = openBox("Do not ask", OK | MessageBox::DONOTASKAGAIN, CONFIRMATION, {"Ask again?"});
        ASSERT_NE(box.window, nullptr);
        for (int i = 0; i < row.clicks; ++i) ASSERT_TRUE(pressButton(box.window, kCheckBox));
        ASSERT_TRUE(pressButton(box.window, kOk));
        auto result = uitest::finish(box);
        EXPECT_EQ(result["action"], "OK");
        EXPECT_EQ(result["dontask"], row.dontAsk);
    }
}

TEST(MessageBox, ComesBackToTheFrontWhenAnotherWindowIsActivated) {
    Opened box = openBox("Stay in front", OK, WARNING, {"Still here"});
    ASSERT_NE(box.window, nullptr);
    ASSERT_TRUE(uitest::waitForFocus(box.window, kOk));

    HWND other = CreateWindowExA(0, "STATIC", "Another window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 300, 200,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(other, nullptr);
    SetForegroundWindow(other);
    EXPECT_NE(GetForegroundWindow(), box.window);
    bool back = false;
    for (int i = 0; i < 100 && !back; ++i) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        back = GetForegroundWindow() == box.window;
        Sleep(30);
    }
    EXPECT_TRUE(back);
    DestroyWindow(other);
    ASSERT_TRUE(pressButton(box.window, kOk));
    uitest::finish(box);
}
