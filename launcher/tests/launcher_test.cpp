// The launcher image run under Wine on containers built here, with the probe
// standing in for javaw.exe. Failure boxes are read and closed by the driver.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdio.h>

#include <map>
#include <string>
#include <vector>

#include "files.h"
#include "testsupport.h"

namespace {

using testsupport::filesIn;
using testsupport::removeTree;

const std::string silent = "{687BCF32-1A77-43f0-8707-FED476A09A0D}";
const std::string interactive = "{59A39A45-C95C-46c8-BFF3-BDF22943DFDA}";
const char* const runtimeKey = "SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.6";
const DWORD failureExit = 0xFFFFFFFF;

std::string archiveBytes()
{
    std::string bytes = "PK\3\4";
    for (int i = 0; i < 5000; ++i)
        bytes += (char)(i * 31 + i / 256);
    return bytes;
}

std::string testDirectory()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
    std::string self(path, length);
    return self.substr(0, self.rfind('\\'));
}

// An absent file reads as "<missing>", distinct from an empty one.
std::string readFile(const std::string& path)
{
    return testsupport::readFile(path, "<missing>");
}

void writeFile(const std::string& path, const std::string& bytes)
{
    ASSERT_TRUE(testsupport::writeFile(path, bytes)) << path;
}

std::map<std::string, std::string> readRecord(const std::string& path)
{
    std::map<std::string, std::string> record;
    std::string text = readFile(path);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end - start);
        size_t equals = line.find('=');
        if (equals != std::string::npos)
            record[line.substr(0, equals)] = line.substr(equals + 1);
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return record;
}

// The text of a message box: its static controls, the icon's empty one left out.
std::string boxText(HWND box)
{
    std::string text;
    for (const auto& control : testsupport::listControls(box))
        if (control.className == "Static" && !control.text.empty())
            text += control.text;
    return text;
}

struct BoxedRun {
    std::vector<std::string> boxes;  // texts of the "Error" boxes, in order
    std::vector<size_t> temporaryFilesDuringBox;
    testsupport::RunResult result;
};

// A folder of the test's own: TMP and TEMP point into it, the probe is
// javaw.exe on the search path, and the registry holds no runtime.
class Launcher : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = testsupport::freshTempFolder(std::string("launcher_run_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        ASSERT_FALSE(dir_.empty());
        temp_ = dir_ + "\\tmp";
        CreateDirectoryA(temp_.c_str(), NULL);
        CreateDirectoryA((dir_ + "\\path").c_str(), NULL);
        pathProbe_ = dir_ + "\\path\\javaw.exe";
        ASSERT_TRUE(CopyFileA(probe().c_str(), pathProbe_.c_str(), FALSE));
        image_ = readFile(testDirectory() + "\\..\\launcher.exe");
        ASSERT_GT(image_.size(), 1000u);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, runtimeKey);
    }
    void TearDown() override
    {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, runtimeKey);
        removeTree(dir_);
    }

    static std::string probe() { return testDirectory() + "\\launcher_probe.exe"; }

    std::string container(const std::string& appended, const std::string& path = "")
    {
        std::string file = path.empty() ? dir_ + "\\lumaset.exe" : path;
        writeFile(file, image_ + appended);
        return file;
    }

    testsupport::RunOptions options() const
    {
        testsupport::RunOptions options;
        options.workingDirectory = dir_;
        options.timeoutMs = 20000;
        char path[8192] = "";
        GetEnvironmentVariableA("PATH", path, sizeof path);
        options.environment = {{"TMP", temp_},
                               {"TEMP", temp_},
                               {"PATH", dir_ + "\\path;" + path},
                               {"LUMASET_PROBE_OUT", record()}};
        return options;
    }

    std::string record() const { return dir_ + "\\record.txt"; }

    void setJavaHome(DWORD type, const std::string& home)
    {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExA(HKEY_LOCAL_MACHINE, runtimeKey, 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL));
        EXPECT_EQ(ERROR_SUCCESS,
                  RegSetValueExA(key, "JavaHome", 0, type, (const BYTE*)home.c_str(), (DWORD)home.size() + 1));
        RegCloseKey(key);
    }

    // Runs the launcher and closes every "Error" box it shows.
    BoxedRun runWithBoxes(const std::string& commandLine, const testsupport::RunOptions& options)
    {
        BoxedRun run;
        testsupport::Process process(commandLine, options);
        while (!process.wait(0)) {
            HWND box = testsupport::waitForWindow("Error", 100, process.pid());
            if (box == NULL)
                continue;
            run.boxes.push_back(boxText(box));
            run.temporaryFilesDuringBox.push_back(filesIn(temp_).size());
            EXPECT_TRUE(testsupport::pressButton(box, "OK"));
            testsupport::waitForWindowGone("Error", 5000, process.pid());
            if (run.boxes.size() > 3)
                break;
        }
        run.result = process.finish();
        return run;
    }

    std::string dir_, temp_, pathProbe_, image_;
};

}  // namespace

TEST_F(Launcher, RunsTheArchiveInTheModeOfItsSignature)
{
    const std::string archive = archiveBytes();
    struct {
        const char* name;
        std::string appended;
        std::string arguments;
        const char* probeExit;
        std::string temporaryFolder;  // below the test's folder
        bool interactive;
        std::string archive;
    } cases[] = {
        {"silent", silent + archive, "", "0", "tmp", false, archive},
        {"interactive", interactive + archive, "", "0", "tmp", true, archive},
        {"arguments ignored", silent + archive, " -jar x.jar --interactive /s", "0", "tmp", false, archive},
        {"runtime exits with an error code", silent + archive, "", "3", "tmp", false, archive},
        {"empty archive", silent, "", "0", "tmp", false, ""},
        {"silent archive holding the interactive text", silent + "PK" + interactive + "tail", "", "0", "tmp", true,
         "tail"},
        {"temp folder with a blank", silent + archive, "", "0", "tmp\\with blank", false, archive},
        // Near the longest path GetTempFileNameA gives: "-jar PATH" alone exceeds 255 characters.
        {"temp file path too long for 256 parameter characters", interactive + archive, "", "0", "", true, archive},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        std::string temporaryFolder = dir_ + "\\" + row.temporaryFolder;
        if (row.temporaryFolder.empty())
            temporaryFolder = dir_ + "\\tmp\\" + std::string(243 - (temp_.size() + 1), 'l');
        CreateDirectoryA(temporaryFolder.c_str(), NULL);
        testsupport::RunOptions options = this->options();
        options.environment.push_back({"TMP", temporaryFolder});
        options.environment.push_back({"TEMP", temporaryFolder});
        options.environment.push_back({"LUMASET_PROBE_EXIT", row.probeExit});
        DeleteFileA(record().c_str());

        testsupport::RunResult result =
            testsupport::runProcess(testsupport::quoteArg(container(row.appended)) + row.arguments, options);
        ASSERT_FALSE(result.timedOut) << result.windowsAtTimeout;
        EXPECT_EQ(0u, result.exitCode);

        auto record = readRecord(this->record());
        EXPECT_EQ(pathProbe_, record["module"]);
        EXPECT_EQ(dir_, record["cwd"]);
        std::string temporaryFile = record["arg2"];
        if (row.temporaryFolder.empty()) {
            EXPECT_LT(250u, temporaryFile.size());
        }
        std::string folder = temporaryFile.substr(0, temporaryFile.rfind('\\'));
        std::string name = temporaryFile.substr(folder.size() + 1);
        EXPECT_EQ(temporaryFolder, folder);
        EXPECT_EQ("jar", name.substr(0, 3));
        EXPECT_EQ(".tmp", name.substr(name.size() - 4));
        EXPECT_EQ(row.interactive ? "3" : "4", record["argc"]);
        EXPECT_EQ("-jar", record["arg1"]);
        EXPECT_EQ(row.interactive ? "" : "silent", record["arg3"]);
        // The parameter text exactly, the path quoted only where it holds a blank.
        std::string quoted = temporaryFile.find(' ') == std::string::npos ? temporaryFile : "\"" + temporaryFile + "\"";
        std::string parameters = " -jar " + quoted + (row.interactive ? "" : " silent");
        std::string commandLine = record["cmdline"];
        ASSERT_GE(commandLine.size(), parameters.size());
        EXPECT_EQ(parameters, commandLine.substr(commandLine.size() - parameters.size()));
        EXPECT_EQ("1", record["archive-copied"]);
        EXPECT_TRUE(row.archive == readFile(this->record() + ".jar")) << "archive differs";
        EXPECT_TRUE(filesIn(temporaryFolder).empty()) << "temporary file left behind";
        if (temporaryFolder != temp_)
            removeTree(temporaryFolder);
    }
}

TEST_F(Launcher, ShowsTheFailureThenCleansUp)
{
    struct {
        const char* name;
        std::string appended;
        bool probeOnPath;
        const char* message;
        size_t temporaryFilesDuringBox;
    } cases[] = {
        {"image without an appended part", "", true, "Jar signature not found.", 0},
        {"lone brace before the signature", "{" + silent + "PK", true, "Jar signature not found.", 0},
        {"signature differing in case", "{687BCF32-1A77-43F0-8707-FED476A09A0D}PK", true, "Jar signature not found.",
         0},
        {"no runtime to start", silent + "PK", false, "Unable to execute Java Runtime", 1},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        if (!row.probeOnPath)
            DeleteFileA(pathProbe_.c_str());
        BoxedRun run = runWithBoxes(testsupport::quoteArg(container(row.appended)), options());
        ASSERT_FALSE(run.result.timedOut) << run.result.windowsAtTimeout;
        ASSERT_FALSE(run.boxes.empty());
        // The shell may show a box of its own before the launcher's.
        EXPECT_EQ(row.message, run.boxes.back());
        EXPECT_EQ(row.temporaryFilesDuringBox, run.temporaryFilesDuringBox.back());
        EXPECT_EQ(failureExit, run.result.exitCode);
        EXPECT_TRUE(filesIn(temp_).empty()) << "temporary file left behind";
        EXPECT_EQ("<missing>", readFile(record())) << "the runtime was started";
    }
}

TEST_F(Launcher, FindsTheRuntimeThroughTheRegistry)
{
    std::string home = dir_ + "\\jre";
    CreateDirectoryA(home.c_str(), NULL);
    CreateDirectoryA((home + "\\bin").c_str(), NULL);
    ASSERT_TRUE(CopyFileA(probe().c_str(), (home + "\\bin\\javaw.exe").c_str(), FALSE));
    // Composed with "\bin\javaw.exe" and cut at 259 characters, this names the probe itself.
    std::string cut = dir_ + "\\" + std::string(259 - dir_.size() - 5, 'c') + ".exe";
    ASSERT_EQ(259u, cut.size());
    ASSERT_TRUE(CopyFileA(probe().c_str(), cut.c_str(), FALSE));
    struct {
        const char* name;
        DWORD type;
        std::string value;
        std::string started;
    } cases[] = {
        {"string", REG_SZ, home, home + "\\bin\\javaw.exe"},
        {"expandable string", REG_EXPAND_SZ, home, pathProbe_},
        {"longer than the value buffer", REG_SZ, home + std::string(300, 'x'), pathProbe_},
        {"composed path cut at 259 characters", REG_SZ, cut, cut},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        setJavaHome(row.type, row.value);
        DeleteFileA(record().c_str());
        testsupport::RunResult result =
            testsupport::runProcess(testsupport::quoteArg(container(silent + "PK")), options());
        ASSERT_FALSE(result.timedOut) << result.windowsAtTimeout;
        EXPECT_EQ(0u, result.exitCode);
        EXPECT_EQ(row.started, readRecord(record())["module"]);
    }
}

TEST(LauncherImage, IsAGuiProgramWithThePadlockIcon)
{
    std::string path = testDirectory() + "\\..\\launcher.exe";
    std::string image = readFile(path);
    ASSERT_GT(image.size(), sizeof(IMAGE_DOS_HEADER));
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image.data() + dos->e_lfanew);
    EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_GUI, nt->OptionalHeader.Subsystem);

    HMODULE module = LoadLibraryExA(path.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module);
    HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(101), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
    ASSERT_NE(nullptr, group);
    auto bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, group)));
    ASSERT_NE(nullptr, bytes);
    // The group: three words, then one 14-byte entry per image.
    WORD count = bytes[4] | bytes[5] << 8;
    ASSERT_EQ(2, count);
    struct {
        int size;
        int bitsPerPixel;
    } expected[] = {{32, 8}, {16, 8}};
    for (int i = 0; i < 2; ++i) {
        const BYTE* entry = bytes + 6 + 14 * i;
        EXPECT_EQ(expected[i].size, entry[0]);
        EXPECT_EQ(expected[i].size, entry[1]);
        EXPECT_EQ(expected[i].bitsPerPixel, entry[6] | entry[7] << 8);
    }
    FreeLibrary(module);
}
