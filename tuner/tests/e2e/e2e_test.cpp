// The delivered executables run under Wine on the runtime tree of this build,
// registered as the 1.6 runtime, against the Wine user's deployment.properties.
// Windows are found and pressed with the driver; every run gets a TEMP of its
// own, which must be empty again afterwards.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "testsupport.h"

namespace {

using testsupport::filesIn;
using testsupport::removeTree;

const char *const runtimeKey = "SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.6";
const char *const boxTitle = "Java settings changed";
const char *const boxLine = "Java plugin settings have been successfully changed";
const char *const windowTitle = "Lumaset";
const DWORD waitMs = 20000;

// FOLDERID_LocalAppDataLow, where the deployment library keeps the user's folder.
const GUID localAppDataLow = {0xA520A1A4, 0x1780, 0x4FF6, {0xBD, 0x18, 0x16, 0x73, 0x43, 0xC5, 0xAF, 0x16}};

std::string testDirectory() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
    std::string self(path, length);
    return self.substr(0, self.rfind('\\'));
}

// The top of the build tree: lumaset.exe, lumaset-interactive.exe, lumaset.jar, runtime-home.
std::string buildDirectory() { return testDirectory() + "\\..\\.."; }

std::string readFile(const std::string &path) {
    std::string bytes;
    FILE *stream = fopen(path.c_str(), "rb");
    if (stream == NULL) return "<missing>";
    char block[4096];
    size_t got;
    while ((got = fread(block, 1, sizeof block, stream)) > 0) bytes.append(block, got);
    fclose(stream);
    return bytes;
}

void writeFile(const std::string &path, const std::string &bytes) {
    FILE *stream = fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, stream) << path;
    fwrite(bytes.data(), 1, bytes.size(), stream);
    fclose(stream);
}

bool exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string trim(const std::string &text) {
    size_t begin = text.find_first_not_of(' ');
    if (begin == std::string::npos) return std::string();
    return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

// The control of TOP whose caption reads LABEL once its framing blanks are gone.
testsupport::Control controlLabelled(HWND top, const std::string &label) {
    for (const auto &control : testsupport::listControls(top))
        if (trim(control.text) == label) return control;
    return testsupport::Control();
}

bool press(HWND top, const std::string &label) {
    testsupport::Control control = controlLabelled(top, label);
    return control.hwnd != NULL && testsupport::pressButton(top, control.text);
}

std::string crlf(const std::string &text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// Two enabled entries, one with other arguments and a stale switch, one
// without an args line, and a disabled one that must stay as it is.
const std::string sample =
    "#deployment.properties\n"
    "deployment.javaws.jre.0.enabled=true\n"
    "deployment.javaws.jre.0.args=-Xmx64m -Dsun.java2d.d3d\\=true\n"
    "deployment.javaws.jre.1.enabled=true\n"
    "deployment.javaws.jre.2.enabled=false\n"
    "deployment.javaws.jre.2.args=-Dsun.java2d.d3d\\=true\n"
    "deployment.user.cachedir=C\\:\\\\cache\n";

class Chain : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = testsupport::freshTempFolder(std::string("lumaset_e2e_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        ASSERT_FALSE(dir_.empty());
        temp_ = dir_ + "\\tmp";
        CreateDirectoryA(temp_.c_str(), NULL);
        home_ = dir_ + "\\jre";

        PWSTR wide = NULL;
        ASSERT_EQ(S_OK, SHGetKnownFolderPath(localAppDataLow, 0, NULL, &wide));
        char low[MAX_PATH];
        WideCharToMultiByte(CP_ACP, 0, wide, -1, low, sizeof low, NULL, NULL);
        CoTaskMemFree(wide);
        std::string folder = low;
        for (const char *part : {"\\Sun", "\\Java", "\\Deployment"}) {
            folder += part;
            CreateDirectoryA(folder.c_str(), NULL);
        }
        settings_ = folder + "\\deployment.properties";
        DeleteFileA(settings_.c_str());
        DeleteFileA((settings_ + ".temp").c_str());
        installRuntime("JAVA_VERSION=\"1.6.0_45\"\r\n", true);
    }

    void TearDown() override {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, runtimeKey);
        DeleteFileA(settings_.c_str());
        removeTree(dir_);
    }

    // The runtime tree of this build copied to the test's folder and
    // registered; RELEASE empty leaves the release file out.
    void installRuntime(const std::string &release, bool deployJar) {
        const std::string from = buildDirectory() + "\\runtime-home";
        CreateDirectoryA(home_.c_str(), NULL);
        CreateDirectoryA((home_ + "\\bin").c_str(), NULL);
        CreateDirectoryA((home_ + "\\lib").c_str(), NULL);
        ASSERT_TRUE(CopyFileA((from + "\\bin\\javaw.exe").c_str(), (home_ + "\\bin\\javaw.exe").c_str(), FALSE));
        DeleteFileA((home_ + "\\lib\\deploy.jar").c_str());
        if (deployJar) {
            ASSERT_TRUE(CopyFileA((from + "\\lib\\deploy.jar").c_str(), (home_ + "\\lib\\deploy.jar").c_str(), FALSE));
        }
        DeleteFileA((home_ + "\\release").c_str());
        if (!release.empty()) writeFile(home_ + "\\release", release);
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExA(HKEY_LOCAL_MACHINE, runtimeKey, 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL));
        EXPECT_EQ(ERROR_SUCCESS,
                  RegSetValueExA(key, "JavaHome", 0, REG_SZ, (const BYTE *)home_.c_str(), (DWORD)home_.size() + 1));
        RegCloseKey(key);
    }

    testsupport::RunOptions options() const {
        testsupport::RunOptions options;
        options.workingDirectory = dir_;
        options.timeoutMs = waitMs;
        options.environment = {{"TMP", temp_}, {"TEMP", temp_}};
        return options;
    }

    static std::string container(bool silent) {
        return testsupport::quoteArg(buildDirectory() + (silent ? "\\lumaset.exe" : "\\lumaset-interactive.exe"));
    }

    // javaw started by hand on the archive, as the launcher would, to see
    // what the tuner writes on its standard streams.
    testsupport::RunResult runDirect(bool silent) {
        std::string line = testsupport::quoteArg(home_ + "\\bin\\javaw.exe") + " -jar " +
                           testsupport::quoteArg(buildDirectory() + "\\lumaset.jar") + (silent ? " silent" : "");
        return testsupport::runProcess(line, options());
    }

    // A run that must end on its own, without any window to close.
    void expectQuietRun(bool silent) {
        testsupport::RunResult result = testsupport::runProcess(container(silent), options());
        ASSERT_FALSE(result.timedOut) << "a window kept the run alive:\n" << result.windowsAtTimeout;
        EXPECT_EQ(0u, result.exitCode);
        EXPECT_TRUE(filesIn(temp_).empty()) << "left in TEMP: " << filesIn(temp_).front();
    }

    std::string dir_, temp_, home_, settings_;
};

TEST_F(Chain, SilentRunRewritesEveryEnabledEntryAndConfirms) {
    struct {
        const char *name;
        std::string before;
        std::string after;
    } cases[] = {
        {"two enabled entries", sample,
         crlf("#deployment.properties\n"
              "deployment.javaws.jre.0.enabled=true\n"
              "deployment.javaws.jre.0.args=-Xmx64m -Dsun.java2d.d3d\\=false -Dsun.java2d.noddraw\\=true "
              "-Dsun.java2d.ddforcevram\\=true\n"
              "deployment.javaws.jre.1.enabled=true\n"
              "deployment.javaws.jre.2.enabled=false\n"
              "deployment.javaws.jre.2.args=-Dsun.java2d.d3d\\=true\n"
              "deployment.user.cachedir=C\\:\\\\cache\n"
              // A missing args line is appended at the end.
              "deployment.javaws.jre.1.args=-Dsun.java2d.d3d\\=false -Dsun.java2d.noddraw\\=true "
              "-Dsun.java2d.ddforcevram\\=true \n")},
        {"no enabled entry: line ends only", "a=b\n#c\r\ndeployment.javaws.jre.0.enabled=false\n",
         "a=b\r\n#c\r\ndeployment.javaws.jre.0.enabled=false\r\n"},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        writeFile(settings_, row.before);
        testsupport::Process process(container(true), options());
        HWND box = testsupport::waitForWindow(boxTitle, waitMs);
        ASSERT_TRUE(box != NULL) << "no confirmation box";
        EXPECT_EQ(boxLine, trim(controlLabelled(box, boxLine).text));
        // Written before the box asks anything; the launcher waits meanwhile.
        EXPECT_EQ(row.after, readFile(settings_));
        EXPECT_FALSE(process.wait(0)) << "the launcher did not wait for the runtime";
        ASSERT_TRUE(press(box, "OK"));
        testsupport::RunResult result = process.finish();
        ASSERT_FALSE(result.timedOut) << result.windowsAtTimeout;
        EXPECT_EQ(0u, result.exitCode);
        EXPECT_FALSE(exists(settings_ + ".temp"));
        EXPECT_TRUE(filesIn(temp_).empty()) << "left in TEMP: " << filesIn(temp_).front();
    }
}

TEST_F(Chain, SilentRuntimeEndsWithCodeZeroAfterTheBox) {
    writeFile(settings_, sample);
    testsupport::RunOptions options = this->options();
    testsupport::Process process(testsupport::quoteArg(home_ + "\\bin\\javaw.exe") + " -jar " +
                                     testsupport::quoteArg(buildDirectory() + "\\lumaset.jar") + " silent",
                                 options);
    HWND box = testsupport::waitForWindow(boxTitle, waitMs);
    ASSERT_TRUE(box != NULL);
    ASSERT_TRUE(press(box, "OK"));
    testsupport::RunResult result = process.finish();
    ASSERT_FALSE(result.timedOut) << result.windowsAtTimeout;
    EXPECT_EQ(0u, result.exitCode);
    EXPECT_EQ("", result.out);
    EXPECT_EQ("", result.err);
}

TEST_F(Chain, InteractiveRunShowsTheFoldAndWritesOnlyOnOk) {
    // Folded over both enabled entries: Direct3D off, DirectDraw off, VRAM not forced.
    const std::string before =
        "deployment.javaws.jre.0.enabled=true\n"
        "deployment.javaws.jre.0.args=-Dsun.java2d.d3d\\=false -Dsun.java2d.noddraw\\=true "
        "-Dsun.java2d.ddforcevram\\=true\n"
        "deployment.javaws.jre.1.enabled=true\n"
        "deployment.javaws.jre.1.args=-Xms8m -Dsun.java2d.noddraw\\=true\n";
    struct {
        const char *name;
        std::vector<std::string> toggles;
        const char *close;  // "OK", "Cancel" or "" for the close box
        std::string after;
    } cases[] = {
        {"OK writes the boxes' states", {"Use Direct3D for Rendering", "Force VRAM"}, "OK",
         crlf("deployment.javaws.jre.0.enabled=true\n"
              "deployment.javaws.jre.0.args=-Dsun.java2d.d3d\\=true -Dsun.java2d.noddraw\\=true "
              "-Dsun.java2d.ddforcevram\\=true\n"
              "deployment.javaws.jre.1.enabled=true\n"
              "deployment.javaws.jre.1.args=-Xms8m -Dsun.java2d.noddraw\\=true -Dsun.java2d.d3d\\=true "
              "-Dsun.java2d.ddforcevram\\=true\n")},
        {"Cancel leaves the file", {"Force VRAM"}, "Cancel", before},
        {"the close box leaves the file", {"Do Not Use DirectDraw"}, "", before},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        writeFile(settings_, before);
        testsupport::Process process(container(false), options());
        HWND window = testsupport::waitForWindow(windowTitle, waitMs);
        ASSERT_TRUE(window != NULL) << "no settings window";
        EXPECT_FALSE(controlLabelled(window, "Use Direct3D for Rendering").checked);
        EXPECT_TRUE(controlLabelled(window, "Do Not Use DirectDraw").checked);
        EXPECT_FALSE(controlLabelled(window, "Force VRAM").checked);
        for (const std::string &toggle : row.toggles) ASSERT_TRUE(press(window, toggle)) << toggle;
        EXPECT_FALSE(process.wait(0)) << "the launcher ended while the window was open";
        if (*row.close) {
            ASSERT_TRUE(press(window, row.close));
        } else {
            testsupport::pressCloseBox(window);
        }
        testsupport::RunResult result = process.finish();
        ASSERT_FALSE(result.timedOut) << result.windowsAtTimeout;
        EXPECT_EQ(0u, result.exitCode);
        EXPECT_EQ(row.after, readFile(settings_));
        EXPECT_TRUE(filesIn(temp_).empty()) << "left in TEMP: " << filesIn(temp_).front();
    }
}

TEST_F(Chain, OnlyTheOneArgumentSilentMeansSilent) {
    const char *const arguments[] = {"", " Silent", " silent other", " other"};
    for (const char *argument : arguments) {
        SCOPED_TRACE(std::string("arguments:") + argument);
        writeFile(settings_, sample);
        testsupport::Process process(testsupport::quoteArg(home_ + "\\bin\\javaw.exe") + " -jar " +
                                         testsupport::quoteArg(buildDirectory() + "\\lumaset.jar") + argument,
                                     options());
        HWND window = testsupport::waitForWindow(windowTitle, waitMs, process.pid());
        ASSERT_TRUE(window != NULL) << "no settings window";
        ASSERT_TRUE(press(window, "Cancel"));
        testsupport::RunResult result = process.finish();
        ASSERT_FALSE(result.timedOut) << result.windowsAtTimeout;
        EXPECT_EQ(0u, result.exitCode);
        // Nothing traced: the logo, too, came from the archive.
        EXPECT_EQ("", result.err);
        EXPECT_EQ(sample, readFile(settings_));
    }
}

TEST_F(Chain, RuntimeOtherThanOnePointSixIsRefused) {
    struct {
        const char *name;
        std::string release;  // empty: no release file, no version text
    } cases[] = {
        {"1.5", "JAVA_VERSION=\"1.5.0_22\"\r\n"},
        {"1.7", "JAVA_VERSION=\"1.7.0\"\r\n"},
        {"1.10 reads as 1.1", "JAVA_VERSION=\"1.10\"\r\n"},
        {"no version text", ""},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        installRuntime(row.release, true);
        writeFile(settings_, sample);
        for (bool silent : {true, false}) {
            SCOPED_TRACE(silent ? "silent" : "interactive");
            expectQuietRun(silent);
            testsupport::RunResult direct = runDirect(silent);
            EXPECT_EQ("WRONG JAVA VERSION DETECTED\r\n", direct.out);
            EXPECT_EQ("", direct.err);
            EXPECT_EQ(sample, readFile(settings_));
        }
    }
}

TEST_F(Chain, WithoutDeploymentLibraryNothingIsShownOrWritten) {
    installRuntime("JAVA_VERSION=\"1.6.0_45\"\r\n", false);
    writeFile(settings_, sample);
    for (bool silent : {true, false}) {
        SCOPED_TRACE(silent ? "silent" : "interactive");
        expectQuietRun(silent);
        testsupport::RunResult direct = runDirect(silent);
        EXPECT_EQ("", direct.out);
        // One trace from the lookup, one from the run that has no file to read.
        EXPECT_NE(std::string::npos, direct.err.find("deploy.jar")) << direct.err;
        EXPECT_NE(std::string::npos, direct.err.find("in Lumaset.getJRE6Path")) << direct.err;
        EXPECT_NE(std::string::npos, direct.err.find("in Lumaset.Tune")) << direct.err;
        EXPECT_EQ(sample, readFile(settings_));
    }
}

// The manifest's Class-Path names deploy.jar beside the archive, that is, in
// the temporary folder the launcher extracts it to. A deploy.jar planted there
// must not stand in for the runtime's.
TEST_F(Chain, DeploymentLibraryBesideTheArchiveIsNotUsed) {
    const std::string planted = dir_ + "\\planted";
    CreateDirectoryA(planted.c_str(), NULL);
    const std::string plantedSettings = planted + "\\deployment.properties";
    writeFile(plantedSettings, sample);
    writeFile(settings_, sample);
    const std::string plantedJar = testDirectory() + "\\planted-deploy.jar";
    testsupport::RunOptions options = this->options();
    options.environment.push_back({"LUMASET_PLANTED_HOME", planted});

    {
        SCOPED_TRACE("the planted library works where the runtime's belongs");
        ASSERT_TRUE(CopyFileA(plantedJar.c_str(), (home_ + "\\lib\\deploy.jar").c_str(), FALSE));
        testsupport::Process process(testsupport::quoteArg(home_ + "\\bin\\javaw.exe") + " -jar " +
                                         testsupport::quoteArg(buildDirectory() + "\\lumaset.jar") + " silent",
                                     options);
        HWND box = testsupport::waitForWindow(boxTitle, waitMs, process.pid());
        ASSERT_TRUE(box != NULL);
        ASSERT_TRUE(press(box, "OK"));
        ASSERT_FALSE(process.finish().timedOut);
        EXPECT_NE(sample, readFile(plantedSettings));
        writeFile(plantedSettings, sample);
    }

    SCOPED_TRACE("planted in TEMP beside the extracted archive");
    installRuntime("JAVA_VERSION=\"1.6.0_45\"\r\n", false);
    ASSERT_TRUE(CopyFileA(plantedJar.c_str(), (temp_ + "\\deploy.jar").c_str(), FALSE));
    testsupport::RunResult result = testsupport::runProcess(container(true), options);
    ASSERT_FALSE(result.timedOut) << "a window kept the run alive:\n" << result.windowsAtTimeout;
    EXPECT_EQ(0u, result.exitCode);
    EXPECT_EQ(sample, readFile(plantedSettings));
    EXPECT_EQ(sample, readFile(settings_));
    EXPECT_EQ(std::vector<std::string>{"deploy.jar"}, filesIn(temp_));
}

TEST_F(Chain, WithoutSettingsFileNothingIsShownOrCreated) {
    for (bool silent : {true, false}) {
        SCOPED_TRACE(silent ? "silent" : "interactive");
        expectQuietRun(silent);
        testsupport::RunResult direct = runDirect(silent);
        EXPECT_EQ("", direct.out);
        EXPECT_NE(std::string::npos, direct.err.find("deployment.properties")) << direct.err;
        EXPECT_NE(std::string::npos, direct.err.find("in Lumaset.Tune")) << direct.err;
        EXPECT_EQ(std::string::npos, direct.err.find("getJRE6Path")) << direct.err;
        EXPECT_FALSE(exists(settings_));
        EXPECT_FALSE(exists(settings_ + ".temp"));
    }
}

TEST_F(Chain, LauncherWithoutRuntimeSaysSo) {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, runtimeKey);
    writeFile(settings_, sample);
    testsupport::Process process(container(true), options());
    // The shell may show a box of its own before the launcher's; every
    // "Error" box is read and closed until the launcher has ended.
    std::vector<std::string> boxes;
    while (!process.wait(0) && boxes.size() < 4) {
        HWND box = testsupport::waitForWindow("Error", 100, process.pid());
        if (box == NULL) continue;
        std::string text;
        for (const auto &control : testsupport::listControls(box))
            if (control.className == "Static") text += control.text;
        boxes.push_back(text);
        ASSERT_TRUE(press(box, "OK"));
        testsupport::waitForWindowGone("Error", 5000, process.pid());
    }
    testsupport::RunResult result = process.finish();
    ASSERT_FALSE(result.timedOut) << result.windowsAtTimeout;
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ("Unable to execute Java Runtime", boxes.back());
    EXPECT_EQ(0xFFFFFFFFu, result.exitCode);
    EXPECT_EQ(sample, readFile(settings_));
    EXPECT_TRUE(filesIn(temp_).empty()) << "left in TEMP: " << filesIn(temp_).front();
}

}  // namespace
