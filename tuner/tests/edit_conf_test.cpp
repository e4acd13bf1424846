// EditConf on real files: the atomic replacement and every failure leaving
// the settings file as it was, with no temporary file behind.
#include "core_test_util.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace core_test;
namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
const std::string kSep = "\r\n";
#else
const std::string kSep = "\n";
#endif

const std::string kSilentArgs = "-Dsun.java2d.d3d\\=false -Dsun.java2d.noddraw\\=true -Dsun.java2d.ddforcevram\\=true";

std::string ReadBytes(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

class EditConfFiles : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        folder_ = fs::temp_directory_path() / ("lumaset-core-" + std::to_string(random()) + std::to_string(random()));
        fs::create_directories(folder_);
        settings_ = folder_ / "deployment.properties";
        temp_ = folder_ / "deployment.properties.temp";
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    // Reads the settings file for its enabled list and rewrites it.
    void ReadAndEdit(const Values &values) {
        LumasetCore core;
        core.ParseFile(settings_.string());
        core.m_JREPath = settings_.string();
        core.EditConf(values);
    }

    // The failure is reported with the file named, the settings file keeps its
    // bytes, and no temporary file is left.
    void ExpectFailureLeavesFileAlone(const std::string &before, const std::string &named) {
        LumasetCore core;
        core.m_nEnabledJRE = 1;
        core.m_EnabledJRE[0] = "0";
        core.m_JREPath = settings_.string();
        try {
            core.EditConf(kSilent);
            ADD_FAILURE() << "EditConf succeeded";
        } catch (const lumaset::IoError &failure) {
            EXPECT_NE(std::string(failure.what()).find(named), std::string::npos) << failure.what();
        }
        EXPECT_EQ(ReadBytes(settings_), before);
        EXPECT_FALSE(fs::is_regular_file(temp_));
    }

    fs::path folder_, settings_, temp_;
};

const std::string kBefore = "#x\r\ndeployment.javaws.jre.0.enabled=true\r\ndeployment.javaws.jre.0.args=-Xa\r\n";

} // namespace

TEST_F(EditConfFiles, ReplacesFileWithPlatformLineEnds) {
    WriteBytes(settings_, kBefore);
    ReadAndEdit(kSilent);
    EXPECT_EQ(ReadBytes(settings_), "#x" + kSep + "deployment.javaws.jre.0.enabled=true" + kSep +
                                        "deployment.javaws.jre.0.args=-Xa " + kSilentArgs + kSep);
    EXPECT_FALSE(fs::exists(temp_));
    // A second pass with the same values changes nothing.
    const std::string once = ReadBytes(settings_);
    ReadAndEdit(kSilent);
    EXPECT_EQ(ReadBytes(settings_), once);
}

TEST_F(EditConfFiles, NoEnabledEntryStillReplacesTheFile) {
    WriteBytes(settings_, "a=b\nc=d");
    ReadAndEdit(kSilent);
    EXPECT_EQ(ReadBytes(settings_), "a=b" + kSep + "c=d" + kSep);
}

TEST_F(EditConfFiles, ExistingTemporaryFileIsOverwrittenAndBecomesTheFile) {
    WriteBytes(settings_, kBefore);
    WriteBytes(temp_, std::string(100000, 'x'));
    ReadAndEdit(kSilent);
    EXPECT_EQ(ReadBytes(settings_).substr(0, 2), "#x");
    EXPECT_FALSE(fs::exists(temp_));
}

TEST_F(EditConfFiles, MissingFileOrPathFailsBeforeAnythingIsWritten) {
    LumasetCore core;
    EXPECT_THROW(core.EditConf(kSilent), lumaset::IoError); // no path known
    core.m_JREPath = settings_.string();
    try {
        core.EditConf(kSilent);
        ADD_FAILURE() << "EditConf succeeded";
    } catch (const lumaset::IoError &failure) {
        EXPECT_NE(std::string(failure.what()).find(settings_.string() + ": cannot open"), std::string::npos)
            << failure.what();
    }
    EXPECT_FALSE(fs::exists(temp_));
    EXPECT_FALSE(fs::exists(settings_));
}

TEST_F(EditConfFiles, FolderThatIsAFileFails) {
    WriteBytes(folder_ / "plain", "x");
    settings_ = folder_ / "plain" / "deployment.properties";
    temp_ = folder_ / "plain" / "deployment.properties.temp";
    LumasetCore core;
    core.m_JREPath = settings_.string();
    EXPECT_THROW(core.EditConf(kSilent), lumaset::IoError);
    EXPECT_EQ(ReadBytes(folder_ / "plain"), "x");
}

TEST_F(EditConfFiles, TemporaryFileNotCreatable) {
    WriteBytes(settings_, kBefore);
    fs::create_directory(temp_);
    ExpectFailureLeavesFileAlone(kBefore, temp_.string());
    EXPECT_TRUE(fs::is_directory(temp_));
}

TEST_F(EditConfFiles, SettingsPathThatCannotBeReadFails) {
    // A folder in place of the settings file: opening or reading it fails.
    fs::create_directory(settings_);
    LumasetCore core;
    core.m_JREPath = settings_.string();
    EXPECT_THROW(core.EditConf(kSilent), lumaset::IoError);
    EXPECT_TRUE(fs::is_directory(settings_));
    EXPECT_FALSE(fs::exists(temp_));
}

#ifndef _WIN32
TEST_F(EditConfFiles, KeepsPermissionsOfTheReplacedFile) {
    WriteBytes(settings_, kBefore);
    ASSERT_EQ(chmod(settings_.c_str(), 0604), 0);
    ReadAndEdit(kSilent);
    struct stat st;
    ASSERT_EQ(stat(settings_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
}

TEST_F(EditConfFiles, UnwritableFolder) {
    WriteBytes(settings_, kBefore);
    ASSERT_EQ(chmod(folder_.c_str(), 0555), 0);
    // Root writes anywhere: act as an ordinary user for this case.
    const uid_t uid = geteuid();
    if (uid == 0) {
        const passwd *nobody = getpwnam("nobody");
        ASSERT_NE(nobody, nullptr);
        ASSERT_EQ(seteuid(nobody->pw_uid), 0);
    }
    ExpectFailureLeavesFileAlone(kBefore, temp_.string() + ": cannot create temporary file");
    if (uid == 0) {
        ASSERT_EQ(seteuid(0), 0);
    }
    chmod(folder_.c_str(), 0755);
}

TEST_F(EditConfFiles, WriteFailingPartWay) {
    // A file size limit stands in for a full disk: the write stops after
    // some bytes of the new content have reached the temporary file.
    std::string before = "deployment.javaws.jre.0.enabled=true\n";
    while (before.size() < 300000)
        before += "some.key=" + std::string(100, 'v') + "\n";
    WriteBytes(settings_, before);
    struct sigaction ignore = {}, previous = {};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(sigaction(SIGXFSZ, &ignore, &previous), 0);
    rlimit limit, saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    limit = saved;
    limit.rlim_cur = 100000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    ExpectFailureLeavesFileAlone(before, temp_.string() + ": cannot write");
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
    sigaction(SIGXFSZ, &previous, nullptr);
}
#endif
