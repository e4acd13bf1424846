// lumaset-pack archive (tools/lumaset-pack/archive.cpp), called in-process
// and checked with the runtime's reader.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "commands.h"
#include "manifest.h"
#include "zip_archive.h"

namespace fs = std::filesystem;

namespace {

class PackArchive : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("pack-archive-test-" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        write("main.dll", "MZ main module " + std::string(3000, 'm'));
        write("other.dll", "MZ other module");
        write("logo.gif", "GIF89a logo");
    }
    void TearDown() override { fs::remove_all(dir_); }

    void write(const std::string &name, const std::string &content) {
        std::ofstream(dir_ / name, std::ios::binary) << content;
    }
    std::string path(const std::string &name) const { return (dir_ / name).string(); }

    int pack(std::vector<std::string> args) {
        args.insert(args.begin(), "archive");
        std::vector<char *> argv;
        for (std::string &arg : args) argv.push_back(&arg[0]);
        argv.push_back(nullptr);
        return packArchive(static_cast<int>(args.size()), argv.data());
    }

    fs::path dir_;
};

TEST_F(PackArchive, WritesAnArchiveThatTheRuntimeReads) {
    const std::string classPath = "deploy.jar " + std::string(80, 'c') + ".jar";
    ASSERT_EQ(pack({"--main-class", "com.example.Main", "--module", path("main.dll"), "--class-path", classPath,
                    "--class", "com.example.Other=" + path("other.dll"), "--resource",
                    "com/example/logo.gif=" + path("logo.gif"), "-o", path("out.jar")}),
              0);
    archive::ZipArchive zip;
    std::string error;
    ASSERT_TRUE(archive::openArchiveFile(path("out.jar"), &zip, &error)) << error;
    struct {
        const char *entry;
        std::string content;
    } expected[] = {
        {"com/example/Main.dll", "MZ main module " + std::string(3000, 'm')},
        {"com/example/Other.dll", "MZ other module"},
        {"com/example/logo.gif", "GIF89a logo"},
    };
    for (const auto &e : expected) {
        SCOPED_TRACE(e.entry);
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(zip.read(e.entry, &bytes, &error)) << error;
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), e.content);
        EXPECT_EQ(zip.find(e.entry)->method, 8);
    }
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(zip.read(archive::kManifestPath, &bytes, &error)) << error;
    std::string text(bytes.begin(), bytes.end());
    for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        EXPECT_LE(end - start, 72u) << "manifest line too long";
    archive::Manifest manifest;
    ASSERT_TRUE(manifest.parse(text, &error)) << error;
    ASSERT_NE(manifest.find("Main-Class"), nullptr);
    EXPECT_EQ(*manifest.find("Main-Class"), "com.example.Main");
    ASSERT_NE(manifest.find("Class-Path"), nullptr);
    EXPECT_EQ(*manifest.find("Class-Path"), classPath);
    EXPECT_FALSE(fs::exists(path("out.jar.part")));
}

TEST_F(PackArchive, RefusesWhatTheRuntimeCouldNotUseAndWritesNothing) {
    struct {
        const char *what;
        std::vector<std::string> args;
        int code;
    } cases[] = {
        {"no output", {"--main-class", "a.B", "--module", "main.dll"}, 2},
        {"main class without module", {"--main-class", "a.B", "-o", "out.jar"}, 2},
        {"unknown option", {"--sign", "x", "-o", "out.jar"}, 2},
        {"resource without file", {"--resource", "a/b", "-o", "out.jar"}, 2},
        {"invalid class name", {"--main-class", "a..B", "--module", "main.dll", "-o", "out.jar"}, 1},
        {"unsafe resource path", {"--resource", "../evil=logo.gif", "-o", "out.jar"}, 1},
        {"absolute resource path", {"--resource", "/evil=logo.gif", "-o", "out.jar"}, 1},
        {"entry twice", {"--resource", "a/x=logo.gif", "--resource", "a/x=logo.gif", "-o", "out.jar"}, 1},
        {"manifest as resource", {"--resource", "META-INF/MANIFEST.MF=logo.gif", "-o", "out.jar"}, 1},
        {"missing file", {"--main-class", "a.B", "--module", "nothing.dll", "-o", "out.jar"}, 1},
        {"line break in class path", {"--class-path", "a.jar\nMain-Class: x.Y", "-o", "out.jar"}, 1},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.what);
        for (std::string &arg : c.args) {
            if (arg.size() > 4 && arg.compare(arg.size() - 4, 4, ".dll") == 0 && arg.find('=') == std::string::npos)
                arg = path(arg);
            size_t eq = arg.find('=');
            if (eq != std::string::npos) arg = arg.substr(0, eq + 1) + path(arg.substr(eq + 1));
            if (arg == "out.jar") arg = path(arg);
        }
        EXPECT_EQ(pack(c.args), c.code);
        EXPECT_FALSE(fs::exists(path("out.jar")));
        EXPECT_FALSE(fs::exists(path("out.jar.part")));
    }
}

TEST_F(PackArchive, HelpExplainsTheCommand) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(pack({"--help"}), 0);
    std::string help = testing::internal::GetCapturedStdout();
    EXPECT_NE(help.find("usage: lumaset-pack archive"), std::string::npos);
    EXPECT_NE(help.find("--resource PATH=FILE"), std::string::npos);
}

}  // namespace
