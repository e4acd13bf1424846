// The container scan on in-memory files: the stdio-only operations behave the
// same natively and in the Windows image.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string>

#include "launcher.h"

namespace {

const std::string silent = "{687BCF32-1A77-43f0-8707-FED476A09A0D}";
const std::string interactive = "{59A39A45-C95C-46c8-BFF3-BDF22943DFDA}";
// Stands in for the launcher image: both own copies, the silent one first.
const std::string image = "MZ image " + silent + " rdata " + interactive + " end of image";

struct TempFile {
    FILE* stream;
    explicit TempFile(const std::string& bytes) : stream(tmpfile())
    {
        fwrite(bytes.data(), 1, bytes.size(), stream);
        rewind(stream);
    }
    ~TempFile() { fclose(stream); }
};

std::string thrown(void (*call)(FILE*), FILE* stream)
{
    try {
        call(stream);
    } catch (const char* message) {
        return message;
    }
    return "";
}

}  // namespace

TEST(SetPosBySignature, StopsRightAfterTheTextOrAtTheEnd)
{
    struct {
        const char* name;
        std::string content;
        bool found;
        long position;  // after the scan
    } cases[] = {
        {"at start", silent + "rest", true, 38},
        {"in middle", "abc" + silent + "rest", true, 41},
        {"last bytes", "abc" + silent, true, 41},
        {"absent", "no signature here", false, 17},
        {"empty file", "", false, 0},
        {"lone brace before", "x{" + silent + "rest", false, 44},
        {"begun text before", "x{687B" + silent, false, 44},
        {"brace after a partial match", "{687X" + silent, true, 43},
        {"one letter in other case", "ab" + std::string("{687BCF32-1A77-43F0-8707-FED476A09A0D}"), false, 40},
        {"cut short at the end", "ab" + silent.substr(0, 37), false, 39},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        TempFile file(row.content);
        EXPECT_EQ(row.found, setPosBySignature(file.stream, silentSignature, SIGNATURE_LENGTH));
        EXPECT_EQ(row.position, ftell(file.stream));
        EXPECT_EQ(!row.found, feof(file.stream) != 0);
    }
}

TEST(SetPosBySignature, EndsOnAReadErrorInsteadOfReadingOn)
{
    // A stream open only for writing fails every read with its error indicator set.
    const char* path = "container_test_write_only.bin";
    FILE* stream = fopen(path, "wb");
    ASSERT_NE(nullptr, stream);
    EXPECT_FALSE(setPosBySignature(stream, silentSignature, SIGNATURE_LENGTH));
    EXPECT_NE(0, ferror(stream));
    fclose(stream);
    remove(path);
}

TEST(SetPosBySignature, RejectsInvalidArguments)
{
    TempFile file(silent);
    struct {
        const char* name;
        FILE* stream;
        const char* text;
        int length;
    } cases[] = {
        {"null stream", nullptr, silentSignature, SIGNATURE_LENGTH},
        {"null text", file.stream, nullptr, SIGNATURE_LENGTH},
        {"empty text", file.stream, silentSignature, 0},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        std::string message;
        try {
            setPosBySignature(row.stream, row.text, row.length);
        } catch (const char* text) {
            message = text;
        }
        EXPECT_EQ("Invalid argumets passed to \"setPosBySignature\"", message);
    }
}

TEST(Signatures, AreTheTwoTextsOfTheContainerFormat)
{
    EXPECT_EQ(silent, silentSignature);
    EXPECT_EQ(interactive, interactiveSignature);
}

TEST(LocateArchive, FindsTheModeAndTheFirstArchiveByte)
{
    struct {
        const char* name;
        std::string appended;
        const char* message;  // empty: found
        bool interactive;
        std::string archive;  // the bytes from where the stream stands
    } cases[] = {
        {"silent", silent + "PK archive", "", false, "PK archive"},
        {"interactive", interactive + "PK archive", "", true, "PK archive"},
        {"empty archive", silent, "", false, ""},
        {"silent archive holding the interactive text", silent + "PK" + interactive + "tail", "", true, "tail"},
        {"interactive archive holding the silent text", interactive + "PK" + silent + "tail", "", true,
         "PK" + silent + "tail"},
        {"nothing appended", "", "Jar signature not found.", false, ""},
        {"no signature appended", "PK archive", "Jar signature not found.", false, ""},
        {"brace before the signature", "{" + silent + "PK", "Jar signature not found.", false, ""},
        {"signature in other case", "{687bcf32-1A77-43f0-8707-FED476A09A0D}PK", "Jar signature not found.", false,
         ""},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        TempFile file(image + row.appended);
        bool interactiveFlag = false;
        std::string message;
        try {
            locateArchive(file.stream, &interactiveFlag);
        } catch (const char* text) {
            message = text;
        }
        EXPECT_EQ(row.message, message);
        if (message.empty()) {
            EXPECT_EQ(row.interactive, interactiveFlag);
            std::string rest(row.archive.size() + 1, '\0');
            rest.resize(fread(&rest[0], 1, rest.size(), file.stream));
            EXPECT_EQ(row.archive, rest);
        }
    }
}

TEST(LocateArchive, FindsNothingInAnImageWithoutItsOwnTextsInOrder)
{
    const std::string images[] = {
        "image without texts",
        "image " + interactive + " then " + silent,
        "image with only " + silent,
    };
    for (const auto& bytes : images) {
        SCOPED_TRACE(bytes);
        TempFile file(bytes + silent + "PK");
        EXPECT_EQ("Jar signature not found.", thrown([](FILE* stream) {
                      bool flag = false;
                      locateArchive(stream, &flag);
                  }, file.stream));
    }
}

TEST(GetRestOfFileSize, CountsToTheEndAndKeepsThePosition)
{
    TempFile file("0123456789");
    for (long position : {0L, 4L, 10L}) {
        SCOPED_TRACE(position);
        fseek(file.stream, position, SEEK_SET);
        EXPECT_EQ(10 - position, getRestOfFileSize(file.stream));
        EXPECT_EQ(position, ftell(file.stream));
    }
    EXPECT_EQ("Invalid argumet passed to \"getRestOfFileSize\"", thrown([](FILE*) { getRestOfFileSize(nullptr); },
                                                                        nullptr));
}
