// The settings window as a user meets it: the real window of the test host,
// measured against its geometry, read and pressed through the window driver;
// the settings file checked byte for byte afterwards.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Lumaset.h"
#include "files.h"
#include "testsupport.h"
#include "ui_test_util.h"

using namespace testsupport;
using uitest::Opened;

namespace {

const std::string kBox0 = "Use Direct3D for Rendering";
const std::string kBox1 = "Do Not Use DirectDraw";
const std::string kBox2 = "Force VRAM";
const std::string kOk = "  OK  ";
const std::string kCancel = "  Cancel  ";

// One enabled runtime entry with an argument string that carries no switch.
const std::string kSettings =
    "deployment.javaws.jre.0.platform=1.6\r\n"
    "deployment.javaws.jre.0.enabled=true\r\n"
    "deployment.javaws.jre.0.args=-Xmx256m\r\n";

std::string argsLine(bool d3d, bool noDDraw, bool forceVram) {
    auto text = [](bool on) { return on ? "true" : "false"; };
    return std::string("deployment.javaws.jre.0.args=-Xmx256m") + " -Dsun.java2d.d3d\\=" + text(d3d) +
           " -Dsun.java2d.noddraw\\=" + text(noDDraw) + " -Dsun.java2d.ddforcevram\\=" + text(forceVram);
}

// A folder of its own under the temporary folder, removed with its files.
class TempFolder {
public:
    TempFolder() {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        path_ = std::filesystem::path(temp) / ("lumaset-ui-" + std::to_string(GetCurrentProcessId()) + "-" +
                                               std::to_string(GetTickCount()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string file(const std::string &name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

using testsupport::readFile;
using testsupport::writeFile;

Opened openSettings(const std::string &properties, const char *d3d, const char *noDDraw, const char *forceVram) {
    return uitest::openWindow({"settings", properties, d3d, noDDraw, forceVram}, "Lumaset");
}

// Height of one line of the system's message font, the font of the window's controls.
int messageFontLineHeight() {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    HFONT font = CreateFontIndirectA(&metrics.lfMessageFont);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    return tm.tmHeight + tm.tmExternalLeading;
}

int width(const RECT &r) { return r.right - r.left; }
int height(const RECT &r) { return r.bottom - r.top; }

}  // namespace

TEST(SettingsWindow, GeometryFollowsTheFrameInsetsAndLineHeight) {
    TempFolder folder;
    writeFile(folder.file("deployment.properties"), kSettings);
    Opened window = openSettings(folder.file("deployment.properties"), "1", "0", "0");
    ASSERT_NE(window.window, nullptr);

    // Insets from the real frame; h from the controls' font.
    const RECT frame = windowRect(window.window);
    const RECT client = clientRectOnScreen(window.window);
    const int T = client.top - frame.top, L = client.left - frame.left, R = frame.right - client.right;
    const int h = messageFontLineHeight();
    std::printf("measured: insets T=%d L=%d R=%d B=%d, line height h=%d\n", T, L, R,
                static_cast<int>(frame.bottom - client.bottom), h);
    RecordProperty("insets", std::to_string(T) + "," + std::to_string(L) + "," + std::to_string(R));
    RecordProperty("lineHeight", h);

    EXPECT_EQ(frame.left, 150);
    EXPECT_EQ(frame.top, 150);
    EXPECT_EQ(width(frame), 310);
    EXPECT_EQ(height(frame), T + 64 + 3 * h);
    EXPECT_EQ(GetWindowLongA(window.window, GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);

    struct {
        std::string caption;
        int x, y, width, height;
    } expected[] = {
        {kBox0, 10, T + 6, 198 - L - R, h},
        {kBox1, 10, T + 10 + h, 198 - L - R, h},
        {kBox2, 10, T + 14 + 2 * h, 198 - L - R, h},
        {kOk, 90, T + 24 + 3 * h, 60, 25},
        {kCancel, 160, T + 24 + 3 * h, 60, 25},
    };
    auto controls = listControls(window.window);
    ASSERT_EQ(controls.size(), 5u);
    for (size_t i = 0; i < controls.size(); ++i) {
        SCOPED_TRACE(expected[i].caption);
        const Control &c = controls[i];
        EXPECT_EQ(c.text, expected[i].caption);
        EXPECT_EQ(c.rect.left - frame.left, expected[i].x);
        EXPECT_EQ(c.rect.top - frame.top, expected[i].y);
        EXPECT_EQ(width(c.rect), expected[i].width);
        EXPECT_EQ(height(c.rect), expected[i].height);
    }

    // The logo at (W - 102 - L - R, T + 3): its transparent corner shows the
    // window's background, its first and second pills are blue and green.
    const int logoX = frame.left + 310 - 102 - L - R, logoY = frame.top + T + 3;
    HDC screen = GetDC(nullptr);
    COLORREF corner = GetPixel(screen, logoX, logoY);
    COLORREF bluePill = GetPixel(screen, logoX + 80, logoY + 6);
    COLORREF greenPill = GetPixel(screen, logoX + 80, logoY + 16);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(corner, GetSysColor(COLOR_BTNFACE));
    EXPECT_GT(GetBValue(bluePill), GetRValue(bluePill));
    EXPECT_GT(GetGValue(greenPill), GetRValue(greenPill));
    EXPECT_GT(GetGValue(greenPill), GetBValue(greenPill));

    ASSERT_TRUE(pressButton(window.window, kCancel));
    uitest::finish(window);
}

TEST(SettingsWindow, CheckBoxesShowThePresets) {
    struct {
        const char *d3d, *noDDraw, *forceVram;
    } cases[] = {{"1", "0", "0"}, {"0", "1", "1"}};
    for (const auto &row : cases) {
        SCOPED_TRACE(std::string(row.d3d) + row.noDDraw + row.forceVram);
        TempFolder folder;
        writeFile(folder.file("deployment.properties"), kSettings);
        Opened window = openSettings(folder.file("deployment.properties"), row.d3d, row.noDDraw, row.forceVram);
        ASSERT_NE(window.window, nullptr);
        auto boxes = uitest::controlsOfClass(window.window, "Button");
        ASSERT_EQ(boxes.size(), 5u);
        EXPECT_EQ(boxes[0].checked, *row.d3d == '1');
        EXPECT_EQ(boxes[1].checked, *row.noDDraw == '1');
        EXPECT_EQ(boxes[2].checked, *row.forceVram == '1');
        ASSERT_TRUE(pressButton(window.window, kCancel));
        uitest::finish(window);
    }
}

TEST(SettingsWindow, OkWritesTheBoxesAsTheyStand) {
    struct {
        const char *name;
        std::vector<std::string> toggled;
        bool d3d, noDDraw, forceVram;
    } cases[] = {
        {"nothing changed", {}, true, false, false},
        {"two boxes changed", {kBox0, kBox2}, false, false, true},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        const std::string properties = folder.file("deployment.properties");
        writeFile(properties, kSettings);
        Opened window = openSettings(properties, "1", "0", "0");
        ASSERT_NE(window.window, nullptr);
        for (const std::string &box : row.toggled) ASSERT_TRUE(pressButton(window.window, box));
        ASSERT_TRUE(pressButton(window.window, kOk));
        auto result = uitest::finish(window);
        EXPECT_EQ(result["closed"], "1");
        EXPECT_EQ(result["stderr"], "");
        EXPECT_EQ(readFile(properties), "deployment.javaws.jre.0.platform=1.6\r\n"
                                        "deployment.javaws.jre.0.enabled=true\r\n" +
                                            argsLine(row.d3d, row.noDDraw, row.forceVram) + "\r\n");
    }
}

TEST(SettingsWindow, CancelAndTheCloseBoxLeaveTheFileAlone) {
    struct {
        const char *name;
        void (*close)(HWND window);
    } cases[] = {
        {"Cancel", [](HWND window) { pressButton(window, kCancel); }},
        {"close box", [](HWND window) { pressCloseBox(window); }},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        const std::string properties = folder.file("deployment.properties");
        writeFile(properties, kSettings);
        Opened window = openSettings(properties, "1", "0", "0");
        ASSERT_NE(window.window, nullptr);
        ASSERT_TRUE(pressButton(window.window, kBox1));  // a change that must not be written
        row.close(window.window);
        auto result = uitest::finish(window);
        EXPECT_EQ(result["closed"], "1");
        EXPECT_EQ(readFile(properties), kSettings);
    }
}

TEST(SettingsWindow, FailingRewriteClosesTheWindowWithoutAMessage) {
    TempFolder folder;
    // A settings file in a folder that does not exist: the rewrite fails.
    Opened window = openSettings(folder.file("missing\\deployment.properties"), "1", "0", "0");
    ASSERT_NE(window.window, nullptr);
    ASSERT_TRUE(pressButton(window.window, kOk));
    // A message box would keep the process alive until finish() times out.
    auto result = uitest::finish(window);
    EXPECT_EQ(result["closed"], "1");
    EXPECT_NE(result["stderr"].find("Lumaset.actionPerformed"), std::string::npos) << result["stderr"];
}

namespace {

// A runtime that holds lock.gif at the class's folder of the archive.
std::string g_logo;
int g_freed = 0;

int readResource(const char *path, void **data, size_t *size) {
    if (std::string(path) != "com/corvane/lumaset/lock.gif") return -1;
    *data = new char[g_logo.size()];
    std::copy(g_logo.begin(), g_logo.end(), static_cast<char *>(*data));
    *size = g_logo.size();
    return 0;
}
void freeBuffer(void *data) {
    delete[] static_cast<char *>(data);
    ++g_freed;
}
const char *lastError() { return "no such entry"; }

}  // namespace

TEST(SettingsWindow, LogoComesFromTheArchiveBesideTheClass) {
    g_logo = readFile("lock.gif");
    ASSERT_FALSE(g_logo.empty());
    RuntimeApi runtime{};
    runtime.version = RUNTIME_API_VERSION;
    runtime.readResource = readResource;
    runtime.freeBuffer = freeBuffer;
    runtime.lastError = lastError;

    ui::Image logo = Lumaset::getImageFromJar(&runtime, Lumaset::CLASS_NAME, "lock.gif");
    EXPECT_EQ(logo.width(), 102);
    EXPECT_EQ(logo.height(), 32);
    EXPECT_EQ(g_freed, 1);

    try {
        Lumaset::getImageFromJar(&runtime, Lumaset::CLASS_NAME, "missing.gif");
        ADD_FAILURE() << "a missing resource must fail";
    } catch (const std::runtime_error &e) {
        EXPECT_NE(std::string(e.what()).find("com/corvane/lumaset/missing.gif"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("no such entry"), std::string::npos) << e.what();
    }
}
