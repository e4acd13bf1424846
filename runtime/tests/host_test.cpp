// The host javaw.exe under Wine, driven through its command line with the
// probe application (modules/probe.cpp) and archives that it must refuse.
// Every run gets a temporary folder of its own that must be empty afterwards.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testsupport.h"

using namespace testsupport;

namespace {

std::string fullPath(const std::string &relative) {
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(relative.c_str(), sizeof full, full, nullptr);
    return length > 0 && length < sizeof full ? std::string(full) : relative;
}

const std::string kHome = fullPath(RUNTIME_HOME_RELATIVE);
const std::string kJavaw = kHome + "\\bin\\javaw.exe";

// What is left in FOLDER, one name a line.
std::string listFolder(const std::string &folder) {
    std::string names;
    for (const std::string &name : testsupport::filesIn(folder)) names += name + "\n";
    return names;
}

class Host : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        temp_ = std::string(temp) + "runtime-host-test-" + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryA(temp_.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    }
    void TearDown() override {
        EXPECT_EQ(listFolder(temp_), "") << "left in the temporary folder";
        RemoveDirectoryA(temp_.c_str());
    }

    RunOptions options(DWORD timeoutMs = 30000) const {
        RunOptions o;
        o.environment = {{"TEMP", temp_}, {"TMP", temp_}};
        o.timeoutMs = timeoutMs;
        return o;
    }
    // javaw ARGS, with the host of JAVAW.
    RunResult run(const std::string &args, const std::string &javaw = kJavaw) {
        RunResult r = runProcess(quoteArg(javaw) + " " + args, options());
        EXPECT_FALSE(r.timedOut) << r.windowsAtTimeout;
        return r;
    }
    RunResult probe(const std::string &args) { return run("-jar " + quoteArg(fullPath("probe.jar")) + " " + args); }

    std::string temp_;
};

TEST_F(Host, PassesTheArgumentsAfterTheArchive) {
    RunResult r = probe("args one \"two words\" three");
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(r.out, "api version 1, 4 arguments\r\n[args]\r\n[one]\r\n[two words]\r\n[three]\r\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(Host, GivesThePropertiesOfItsTree) {
    // A second tree without a release file has no version.
    std::string bare = temp_ + "\\bare";
    ASSERT_TRUE(CreateDirectoryA(bare.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((bare + "\\bin").c_str(), nullptr));
    ASSERT_TRUE(CopyFileA(kJavaw.c_str(), (bare + "\\bin\\javaw.exe").c_str(), TRUE));
    struct {
        std::string javaw, expected;
    } cases[] = {
        {kJavaw, "java.version=1.6.0_45\r\njava.home=" + kHome +
                     "\r\nfile.separator=\\\r\nno.such.property=<none>\r\n"},
        {bare + "\\bin\\javaw.exe",
         "java.version=<none>\r\njava.home=" + bare + "\r\nfile.separator=\\\r\nno.such.property=<none>\r\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.javaw);
        RunResult r = run("-jar " + quoteArg(fullPath("probe.jar")) + " properties", c.javaw);
        EXPECT_EQ(r.exitCode, 0u);
        EXPECT_EQ(r.out, c.expected);
    }
    DeleteFileA((bare + "\\bin\\javaw.exe").c_str());
    RemoveDirectoryA((bare + "\\bin").c_str());
    RemoveDirectoryA(bare.c_str());
}

TEST_F(Host, ReadsResourcesOfTheApplicationArchive) {
    struct {
        std::string path, expected;
    } cases[] = {
        {"test/probe/data.txt", "27 bytes: resource text of the probe\r\n\r\n"},
        {"test/probe/missing.txt", "readResource failed: no entry test/probe/missing.txt\r\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        RunResult r = probe("resource " + c.path);
        EXPECT_EQ(r.exitCode, 0u);
        EXPECT_EQ(r.out, c.expected);
    }
}

TEST_F(Host, LoadsClassesFromAnotherArchive) {
    const std::string lib = fullPath("lib.jar");
    struct {
        std::string args, expected;
    } cases[] = {
        {quoteArg(lib) + " test.lib.Greeter greet", "greet: hello from the library\r\n"},
        {quoteArg(lib) + " test.lib.Greeter nothing",
         "getMethod failed: class test.lib.Greeter has no method nothing\r\n"},
        {quoteArg(lib) + " test.lib.Missing greet",
         "loadClass failed: class test.lib.Missing not found in " + lib + ": no entry test/lib/Missing.dll\r\n"},
        {quoteArg(lib) + " ../evil greet", "loadClass failed: invalid class name: ../evil\r\n"},
        {"missing.jar test.lib.Greeter greet", "loadClass failed: missing.jar: cannot open the file\r\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args);
        RunResult r = probe("class " + c.args);
        EXPECT_EQ(r.exitCode, 0u);
        EXPECT_EQ(r.out, c.expected);
    }
}

TEST_F(Host, GetUserHomeGivesTheLocalLowDeploymentFolder) {
    char profile[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("USERPROFILE", profile, sizeof profile);
    ASSERT_TRUE(length > 0 && length < sizeof profile);
    RunResult r = probe("userhome");
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(r.out, "getUserHome: " + std::string(profile) + "\\AppData\\LocalLow\\Sun\\Java\\Deployment\r\n");
}

TEST_F(Host, EndsWithTheApplicationsExitCode) {
    struct {
        std::string args;
        DWORD code;
        std::string out, err;
    } cases[] = {
        {"exit 3", 3, "exiting with 3\r\n", "to standard error\r\n"},
        {"exit 0", 0, "exiting with 0\r\n", "to standard error\r\n"},
        {"window-exit \"Open at the end\"", 7, "", ""},
        {"args", 0, "api version 1, 1 arguments\r\n[args]\r\n", ""},
        {"crash", 0xC0000005, "crashing\r\n", "Error: the application ended with exception 0xC0000005\r\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args);
        RunResult r = probe(c.args);
        EXPECT_EQ(r.exitCode, c.code);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
    }
}

TEST_F(Host, ReportsItsOwnFailuresInOneLine) {
    struct {
        std::string archive, err;
    } cases[] = {
        {"", "Error: usage: javaw -jar ARCHIVE [ARG...]\r\n"},
        {"missing.jar", "Error: Unable to access jarfile missing.jar\r\n"},
        {"not-an-archive.jar", "Error: Invalid or corrupt jarfile not-an-archive.jar: not an archive (no end of "
                               "central directory)\r\n"},
        {"no-manifest.jar", "Error: no manifest in no-manifest.jar\r\n"},
        {"no-main-class.jar", "Error: no main manifest attribute, in no-main-class.jar\r\n"},
        {"no-module.jar",
         "Error: Could not find or load main class test.probe.Missing: no entry test/probe/Missing.dll\r\n"},
        {"no-entry.jar", "Error: Main class test.lib.Greeter has no entry runtimeMain\r\n"},
        // The system's reason follows; the module file is gone all the same.
        {"bad-module.jar", "Error: Could not load main class test.probe.Probe: "},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.archive);
        RunResult r = run(c.archive.empty() ? "" : "-jar " + c.archive + " args");
        EXPECT_EQ(r.exitCode, 1u);
        EXPECT_EQ(r.out, "");
        if (c.err.back() == '\n') {
            EXPECT_EQ(r.err, c.err);
        } else {
            EXPECT_EQ(r.err.rfind(c.err, 0), 0u) << r.err;
            EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
        }
    }
}

TEST_F(Host, AnOpenWindowKeepsTheHostAliveUntilItCloses) {
    Process child(quoteArg(kJavaw) + " -jar " + quoteArg(fullPath("probe.jar")) + " window \"Probe window\"",
                  options());
    HWND window = waitForWindow("Probe window", 15000, child.pid());
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(child.wait(1000)) << "ended with its window open";

    // Meanwhile the module lies in a folder of its own in the temporary
    // folder, and nobody can change or delete it.
    std::string folders = listFolder(temp_);
    ASSERT_EQ(folders.rfind("jrt", 0), 0u) << folders;
    std::string folder = temp_ + "\\" + folders.substr(0, folders.size() - 1);
    std::string modules = listFolder(folder);
    ASSERT_EQ(modules, "1-Probe.dll\n");
    std::string module = folder + "\\1-Probe.dll";
    HANDLE writer = CreateFileA(module.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
    EXPECT_FALSE(DeleteFileA(module.c_str()));
    EXPECT_FALSE(MoveFileA(module.c_str(), (temp_ + "\\moved.dll").c_str()));

    ASSERT_TRUE(pressButton(window, "Close"));
    RunResult r = child.finish();
    EXPECT_FALSE(r.timedOut) << r.windowsAtTimeout;
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(r.out, "window open\r\n");
}

TEST_F(Host, AWindowNeverShownDoesNotKeepTheHostAlive) {
    RunResult r = probe("hidden-window");
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(r.out, "hidden window made\r\n");
}

}  // namespace
