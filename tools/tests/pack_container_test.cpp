// lumaset-pack container, run as the build uses it.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <string>

#include "files.h"

namespace {

const std::string silent = "{687BCF32-1A77-43f0-8707-FED476A09A0D}";
const std::string interactive = "{59A39A45-C95C-46c8-BFF3-BDF22943DFDA}";
const std::string image = "MZ image " + silent + " rdata " + interactive + " end";

using testsupport::readFile;
using testsupport::writeFile;

struct Result {
    int exitCode;
    std::string error;
};

// Files named after the running test: CTest runs the cases in parallel.
std::string scratch(const char* suffix)
{
    return std::string("pack_") + ::testing::UnitTest::GetInstance()->current_test_info()->name() + suffix;
}

Result pack(const std::string& image, const std::string& mode, const std::string& archive)
{
    writeFile(scratch("_image.bin"), image);
    writeFile(scratch("_archive.bin"), archive);
    remove(scratch(".exe").c_str());
    std::string command = std::string(LUMASET_PACK) + " container --launcher " + scratch("_image.bin") + " " + mode
                          + " --archive " + scratch("_archive.bin") + " -o " + scratch(".exe") + " 2>"
                          + scratch("_error.txt");
    int status = system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(scratch("_error.txt"))};
}

}  // namespace

TEST(PackContainer, WritesImageSignatureAndArchive)
{
    const std::string archive = std::string("PK\3\4 archive with \0 and ", 24) + silent + " inside";
    struct {
        const char* mode;
        std::string signature;
        std::string archive;
    } cases[] = {
        {"--silent", silent, archive},
        {"--interactive", interactive, archive},
        {"--interactive", interactive, "PK" + interactive},
        {"--silent", silent, ""},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.mode);
        Result result = pack(image, row.mode, row.archive);
        EXPECT_EQ(0, result.exitCode) << result.error;
        EXPECT_EQ(image + row.signature + row.archive, readFile(scratch(".exe")));
    }
}

TEST(PackContainer, RefusesContainersTheLauncherWouldMisread)
{
    struct {
        const char* name;
        std::string image;
        const char* mode;
        std::string archive;
        const char* reason;
    } cases[] = {
        {"image without texts", "MZ plain", "--silent", "PK",
         "image holds the silent signature text 0 times, expected exactly once"},
        {"image with two interactive texts", image + interactive, "--interactive", "PK",
         "image holds the interactive signature text 2 times, expected exactly once"},
        {"texts in the other order", "MZ " + interactive + " " + silent, "--silent", "PK",
         "image holds the interactive signature text before the silent one"},
        {"own text after its beginning", "MZ {687B" + silent + " " + interactive, "--silent", "PK",
         "the bytes before a signature text in the image begin that text; the launcher's scan would miss it"},
        {"image ending with a brace", image + "{", "--interactive", "PK",
         "image ends with the beginning of the signature text; the launcher's scan would miss it"},
        {"image ending with the silent text's beginning", image + "{687BCF32", "--silent", "PK",
         "image ends with the beginning of the signature text; the launcher's scan would miss it"},
        {"silent archive holding the interactive text", image, "--silent", "PK" + interactive + "PK",
         "archive holds the interactive signature text; the silent container would run interactively"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        Result result = pack(row.image, row.mode, row.archive);
        EXPECT_EQ(1, result.exitCode);
        EXPECT_EQ("lumaset-pack container: " + std::string(row.reason) + "\n", result.error);
        EXPECT_TRUE(readFile(scratch(".exe")).empty()) << "no container written";
    }
}

TEST(PackContainer, AcceptsAnImageEndingWithTheOtherTextsBeginning)
{
    Result result = pack(image + "{687B", "--interactive", "PK");
    EXPECT_EQ(0, result.exitCode) << result.error;
}

TEST(PackContainer, RejectsIncompleteArguments)
{
    std::string command = std::string(LUMASET_PACK) + " container --silent -o x.exe 2>/dev/null";
    int status = system(command.c_str());
    EXPECT_EQ(2, WEXITSTATUS(status));
}
