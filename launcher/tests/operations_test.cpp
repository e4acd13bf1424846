// The extraction and the runtime lookup, called in process.
#include <gtest/gtest.h>

#include <windows.h>

#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "files.h"
#include "testsupport.h"
#include "launcher.h"
#include "seams.h"

namespace {

bool failHeapCopy = false;
bool failClose = false;
long fakeTempPathResult = -1;  // -1: ask the system
const char* fakeModulePath = NULL;  // NULL: ask the system
// Wine adds a terminator that a stored value lacks, so a test hands one out as Windows does.
const std::string* fakeJavaHome = NULL;  // NULL: ask the registry

const char* const runtimeKey = "SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.6";

std::string thrownBy(void (*call)())
{
    try {
        call();
    } catch (const char* message) {
        return message;
    }
    return "";
}

std::string readFile(const std::string& path)
{
    return testsupport::readFile(path, "<missing>");
}

// A temporary folder of the test's own, set as TMP and TEMP for the operations.
class Extraction : public ::testing::Test {
protected:
    void SetUp() override
    {
        GetEnvironmentVariableA("TMP", savedTmp_, sizeof savedTmp_);
        GetEnvironmentVariableA("TEMP", savedTemp_, sizeof savedTemp_);
        char base[MAX_PATH];
        GetTempPathA(sizeof base, base);
        directory_ = std::string(base) + "launcher_ops_" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA(directory_.c_str(), NULL);
        removeTemporaryFiles();
        SetEnvironmentVariableA("TMP", directory_.c_str());
        SetEnvironmentVariableA("TEMP", directory_.c_str());
        failHeapCopy = false;
        failClose = false;
        fakeTempPathResult = -1;
    }
    void TearDown() override
    {
        removeTemporaryFiles();
        RemoveDirectoryA(directory_.c_str());
        SetEnvironmentVariableA("TMP", savedTmp_[0] != '\0' ? savedTmp_ : NULL);
        SetEnvironmentVariableA("TEMP", savedTemp_[0] != '\0' ? savedTemp_ : NULL);
    }

    std::vector<std::string> temporaryFiles() const
    {
        return testsupport::filesIn(directory_);
    }
    void removeTemporaryFiles() const
    {
        for (const auto& name : temporaryFiles())
            DeleteFileA((directory_ + "\\" + name).c_str());
    }

    std::string directory_;
    char savedTmp_[MAX_PATH] = "";
    char savedTemp_[MAX_PATH] = "";
};

struct Source {
    FILE* stream;
    explicit Source(const std::string& bytes) : stream(tmpfile())
    {
        fwrite(bytes.data(), 1, bytes.size(), stream);
        rewind(stream);
    }
    ~Source() { fclose(stream); }
};

}  // namespace

char* testStrdup(const char* text)
{
    return failHeapCopy ? NULL : strdup(text);
}

int testFclose(FILE* stream)
{
    int result = fclose(stream);
    return failClose ? EOF : result;
}

DWORD testGetTempPath(DWORD capacity, LPSTR buffer)
{
    return fakeTempPathResult < 0 ? GetTempPathA(capacity, buffer) : (DWORD)fakeTempPathResult;
}

LONG testRegQueryValue(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size)
{
    if (fakeJavaHome == NULL)
        return RegQueryValueExA(key, name, reserved, type, data, size);
    if (fakeJavaHome->size() > *size)
        return ERROR_MORE_DATA;
    memcpy(data, fakeJavaHome->data(), fakeJavaHome->size());
    *size = (DWORD)fakeJavaHome->size();
    *type = REG_SZ;
    return ERROR_SUCCESS;
}

DWORD testGetModuleFileName(HMODULE module, LPSTR buffer, DWORD capacity)
{
    if (fakeModulePath == NULL)
        return GetModuleFileNameA(module, buffer, capacity);
    // As the system does: a path that does not fit is cut and terminated, and
    // the result is the capacity.
    DWORD length = (DWORD)strlen(fakeModulePath);
    DWORD copied = length < capacity ? length : capacity - 1;
    memcpy(buffer, fakeModulePath, copied);
    buffer[copied] = '\0';
    return length < capacity ? length : capacity;
}

TEST_F(Extraction, OpensTheModuleOnlyByItsFullPath)
{
    // A file at the path cut at 259 characters, which is not the module.
    std::string cut = directory_ + "\\" + std::string(259 - directory_.size() - 1, 'm');
    FILE* other = fopen(cut.c_str(), "wb");
    ASSERT_NE(nullptr, other);
    fclose(other);
    std::string full = cut + "odule.exe";
    std::string missing = directory_ + "\\gone.exe";
    struct {
        const char* name;
        const char* path;
        const char* message;
    } cases[] = {
        {"the running module", NULL, ""},
        {"no path", "", "Unable to open module file"},
        {"path cut short", full.c_str(), "Unable to open module file"},
        {"missing file", missing.c_str(), "Unable to open module file"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        fakeModulePath = row.path;
        std::string message;
        char start[2] = {0, 0};
        try {
            FILE* module = openModuleFile();
            fread(start, 1, 2, module);
            fclose(module);
        } catch (const char* text) {
            message = text;
        }
        fakeModulePath = NULL;
        EXPECT_EQ(row.message, message);
        if (message.empty()) {
            EXPECT_EQ(std::string("MZ"), std::string(start, 2));
        }
    }
    DeleteFileA(cut.c_str());
}

TEST_F(Extraction, CopiesExactlyTheSizeFromTheCurrentPosition)
{
    for (int32_t size : {0, 1, 4095, 4096, 4097, 10000}) {
        SCOPED_TRACE(size);
        std::string archive;
        for (int32_t i = 0; i < size; ++i)
            archive += (char)(i * 7 + i / 256);
        Source source("before" + archive + "behind the archive");
        fseek(source.stream, 6, SEEK_SET);
        char* name = storeJarToTemporaryFile(source.stream, size);
        ASSERT_NE(nullptr, name);
        std::string path = name;
        free(name);
        EXPECT_EQ(directory_ + "\\", path.substr(0, directory_.size() + 1));
        std::string file = path.substr(directory_.size() + 1);
        EXPECT_EQ("jar", file.substr(0, 3));
        EXPECT_EQ(".tmp", file.substr(file.size() - 4));
        EXPECT_EQ(archive, readFile(path));
        DeleteFileA(path.c_str());
    }
}

TEST_F(Extraction, FailsWithItsMessageAndLeavesNoFileBehind)
{
    struct {
        const char* name;
        const char* content;
        int32_t size;
        bool readError;
        long tempPathResult;
        bool heapCopyFails;
        bool closeFails;
        const char* message;
    } cases[] = {
        {"archive shorter than its size", "PK short", 9000, false, -1, false, false,
         "Premature end of file in \"storeMSIToTemporaryFile\""},
        {"read error", "", 10, true, -1, false, false, "File read error in \"storeJarToTemporaryFile\""},
        {"last block lost at the close", "PK", 2, false, -1, false, true,
         "File write error in \"storeMSIToTemporaryFile\""},
        {"no temp path", "PK", 2, false, 0, false, false, "Unable to obtain path for temporary files"},
        {"temp path longer than its buffer", "PK", 2, false, 5000, false, false,
         "Unable to obtain path for temporary files"},
        {"heap copy of the name fails", "PK", 2, false, -1, true, false, "Unable to obtain temporary file name"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        FILE* source = tmpfile();
        ASSERT_NE(nullptr, source);
        fputs(row.content, source);
        rewind(source);
        // A stream whose descriptor is gone fails every read with its error indicator set.
        if (row.readError)
            _close(_fileno(source));
        fakeTempPathResult = row.tempPathResult;
        failHeapCopy = row.heapCopyFails;
        failClose = row.closeFails;
        std::string message;
        try {
            char* name = storeJarToTemporaryFile(source, row.size);
            free(name);
        } catch (const char* text) {
            message = text;
        }
        fclose(source);
        EXPECT_EQ(row.message, message);
        EXPECT_TRUE(temporaryFiles().empty()) << temporaryFiles()[0];
    }
}

TEST_F(Extraction, ReportsATempFolderThatTakesNoFile)
{
    SetEnvironmentVariableA("TMP", (directory_ + "\\missing").c_str());
    SetEnvironmentVariableA("TEMP", (directory_ + "\\missing").c_str());
    Source source("PK");
    std::string message;
    try {
        storeJarToTemporaryFile(source.stream, 2);
    } catch (const char* text) {
        message = text;
    }
    EXPECT_EQ("Unable to obtain temporary file name", message);
}

TEST(RunJar, RefusesAParameterTextItCannotHold)
{
    EXPECT_EQ("Unable to execute Java Runtime", thrownBy([] {
                  std::string path = "C:\\" + std::string(300, 'p') + "\\jar1.tmp";
                  runJar(path.c_str(), false);
              }));
}

class FindJavaw : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteKeyA(HKEY_LOCAL_MACHINE, runtimeKey); }
    void TearDown() override { RegDeleteKeyA(HKEY_LOCAL_MACHINE, runtimeKey); }
};

TEST_F(FindJavaw, TakesTheRuntimeHomeFromTheRegistryOrTheBareName)
{
    const std::string longHome = "C:\\" + std::string(300, 'h');
    const std::string home259 = "C:\\" + std::string(256, 'h');
    const std::string unterminated = "C:\\" + std::string(257, 'u');
    struct {
        const char* name;
        bool key;
        DWORD type;
        std::string value;
        bool unterminated;
        std::string expected;
    } cases[] = {
        {"no key", false, REG_SZ, "", false, "javaw.exe"},
        {"key without value", true, REG_NONE, "", false, "javaw.exe"},
        {"string", true, REG_SZ, "C:\\Java\\jre6", false, "C:\\Java\\jre6\\bin\\javaw.exe"},
        {"expandable string", true, REG_EXPAND_SZ, "C:\\Java\\jre6", false, "javaw.exe"},
        {"longer than the value buffer", true, REG_SZ, longHome, false, "javaw.exe"},
        {"composed path cut at 259", true, REG_SZ, home259, false, home259},
        {"fills the value buffer without terminator", true, REG_SZ, unterminated, true, "javaw.exe"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, runtimeKey);
        if (row.key) {
            HKEY key;
            ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, runtimeKey, 0, NULL, 0, KEY_SET_VALUE, NULL,
                                                     &key, NULL));
            if (row.type != REG_NONE) {
                EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "JavaHome", 0, row.type, (const BYTE*)row.value.c_str(),
                                                        (DWORD)row.value.size() + 1));
            }
            RegCloseKey(key);
        }
        char buffer[MAX_PATH];
        memset(buffer, 'x', sizeof buffer);
        fakeJavaHome = row.unterminated ? &row.value : NULL;
        findJavaw(buffer, sizeof buffer);
        fakeJavaHome = NULL;
        EXPECT_EQ(row.expected, std::string(buffer, strnlen(buffer, sizeof buffer)));
    }
}

TEST_F(FindJavaw, StaysWithinTheCapacity)
{
    char buffer[8];
    memset(buffer, 'x', sizeof buffer);
    findJavaw(buffer, 6);
    EXPECT_STREQ("javaw", buffer);
    EXPECT_EQ('x', buffer[6]);
    findJavaw(buffer, 0);
    EXPECT_STREQ("javaw", buffer);
    findJavaw(NULL, 260);
}
