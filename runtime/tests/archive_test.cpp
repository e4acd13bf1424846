// The archive reader and the manifest parser, natively.
#include <gtest/gtest.h>

#include <functional>

#include "manifest.h"
#include "zip_archive.h"
#include "zip_builder.h"

using namespace ziptest;

namespace {

std::string text(const std::vector<uint8_t> &bytes) { return std::string(bytes.begin(), bytes.end()); }

const std::vector<Item> kItems = {
    {"META-INF/MANIFEST.MF", "Manifest-Version: 1.0\r\nMain-Class: a.B\r\n\r\n", 8},
    {"a/B.dll", std::string(5000, 'x') + "tail", 8},
    {"a/logo.gif", "GIF89a stored bytes", 0},
    {"a/empty", "", 8},
    {"a/", "", 0},
};

}  // namespace

TEST(ZipArchive, ReadsStoredDeflatedEmptyAndFolderEntries) {
    archive::ZipArchive zip;
    std::string error;
    ASSERT_TRUE(zip.open(build(kItems).bytes, &error)) << error;
    ASSERT_EQ(zip.entries().size(), kItems.size());
    for (const Item &item : kItems) {
        SCOPED_TRACE(item.name);
        std::vector<uint8_t> data;
        ASSERT_TRUE(zip.read(item.name, &data, &error)) << error;
        EXPECT_EQ(text(data), item.data);
    }
    std::vector<uint8_t> data;
    EXPECT_FALSE(zip.read("a/missing", &data, &error));
    EXPECT_EQ(error, "no entry a/missing");
}

// Each case damages a good archive; the reader must refuse it with its own
// error, at opening or at reading the entry a/B.dll.
TEST(ZipArchive, RefusesDamagedArchivesWithAClearError) {
    struct Case {
        const char *what;
        std::function<void(Archive &)> damage;
        const char *error;
        bool atRead;
    } cases[] = {
        {"empty file", [](Archive &a) { a.bytes.clear(); }, "not an archive", false},
        {"truncated end record", [](Archive &a) { a.bytes.resize(a.bytes.size() - 5); }, "not an archive", false},
        {"truncated in the data",
         [](Archive &a) { a.bytes.erase(a.bytes.begin() + 100, a.bytes.begin() + 200); },
         "central directory lies outside", false},
        {"text, not an archive", [](Archive &a) { a.bytes.assign(300, 'x'); }, "not an archive", false},
        {"bad CRC",
         [](Archive &a) { set32(a.bytes, a.centralOffsets[1] + kCentralCrc, 0x12345678); },
         "CRC mismatch: a/B.dll", true},
        {"damaged deflate stream",
         [](Archive &a) {
             for (size_t i = 0; i < 6; ++i) a.bytes[a.localOffsets[1] + 30 + 7 + i] ^= 0x5a;
         },
         "a/B.dll", true},
        {"entry longer than it says",
         [](Archive &a) { set32(a.bytes, a.centralOffsets[1] + kCentralLength, 4000); },
         "damaged compressed data: a/B.dll", true},
        {"entry shorter than it says",
         [](Archive &a) { set32(a.bytes, a.centralOffsets[1] + kCentralLength, 6000); },
         "damaged compressed data: a/B.dll", true},
        {"central directory past the end",
         [](Archive &a) { set32(a.bytes, a.endOffset + kEndCdOffset, 0x7fffffff); },
         "central directory lies outside", false},
        {"central directory longer than the file",
         [](Archive &a) { set32(a.bytes, a.endOffset + kEndCdLength, 0x10000); },
         "central directory lies outside", false},
        {"more entries than recorded",
         [](Archive &a) {
             set16(a.bytes, a.endOffset + kEndCount, 9);
             set16(a.bytes, a.endOffset + kEndCount - 2, 9);
         },
         "damaged central directory", false},
        {"local header offset past the end",
         [](Archive &a) { set32(a.bytes, a.centralOffsets[1] + kCentralOffset, 0x00ffffff); },
         "damaged local header: a/B.dll", false},
        {"local header offset into other data",
         [](Archive &a) { set32(a.bytes, a.centralOffsets[1] + kCentralOffset, 3); },
         "damaged local header: a/B.dll", false},
        {"data length past the end",
         [](Archive &a) { set32(a.bytes, a.centralOffsets[1] + kCentralCompressed, 0x00ffffff); },
         "entry data lies outside the archive: a/B.dll", false},
        {"ZIP64 length marker",
         [](Archive &a) { set32(a.bytes, a.centralOffsets[1] + kCentralLength, 0xffffffff); },
         "ZIP64 entries are not supported: a/B.dll", false},
        {"ZIP64 end record",
         [](Archive &a) { set32(a.bytes, a.endOffset + kEndCdOffset, 0xffffffff); },
         "ZIP64 archives are not supported", false},
        {"encrypted entry",
         [](Archive &a) { set16(a.bytes, a.centralOffsets[1] + kCentralFlags, 1); },
         "encrypted entries are not supported: a/B.dll", false},
        {"unsupported method",
         [](Archive &a) { set16(a.bytes, a.centralOffsets[1] + kCentralMethod, 12); },
         "unsupported compression method 12: a/B.dll", false},
        {"stored entry with two lengths",
         [](Archive &a) { set32(a.bytes, a.centralOffsets[2] + kCentralLength, 3); },
         "stored entry with two lengths: a/logo.gif", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Archive a = build(kItems);
        c.damage(a);
        archive::ZipArchive zip;
        std::string error;
        bool opened = zip.open(a.bytes, &error);
        if (c.atRead) {
            ASSERT_TRUE(opened) << error;
            std::vector<uint8_t> data;
            EXPECT_FALSE(zip.read("a/B.dll", &data, &error));
        } else {
            EXPECT_FALSE(opened);
        }
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
}

TEST(ZipArchive, RefusesUnsafeAndDuplicateNames) {
    struct Case {
        std::vector<Item> items;
        const char *error;
    } cases[] = {
        {{{"../evil.dll", "x", 0}}, "unsafe entry name: ../evil.dll"},
        {{{"a/../../evil.dll", "x", 0}}, "unsafe entry name"},
        {{{"/etc/passwd", "x", 0}}, "unsafe entry name"},
        {{{"C:evil.dll", "x", 0}}, "unsafe entry name"},
        {{{"a\\..\\evil.dll", "x", 0}}, "unsafe entry name"},
        {{{"a//b", "x", 0}}, "unsafe entry name"},
        {{{"a/b", "x", 0}, {"a/b", "y", 0}}, "duplicate entry: a/b"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.items[0].name);
        archive::ZipArchive zip;
        std::string error;
        EXPECT_FALSE(zip.open(build(c.items).bytes, &error));
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
}

// An entry whose data holds another entry's record: two names for the same
// bytes, the building block of archives that inflate far beyond their size.
TEST(ZipArchive, RefusesOverlappingEntries) {
    Archive inner = build({{"b", std::string(100, 'b'), 0}});
    std::string record(inner.bytes.begin(), inner.bytes.begin() + inner.centralOffsets[0]);
    Archive a = build({{"a", record, 0}, {"b", std::string(100, 'b'), 0}});
    // Point b's central record at the copy inside a's data.
    set32(a.bytes, a.centralOffsets[1] + kCentralOffset, static_cast<uint32_t>(30 + 1));
    archive::ZipArchive zip;
    std::string error;
    EXPECT_FALSE(zip.open(a.bytes, &error));
    EXPECT_EQ(error, "overlapping entries: a and b");
}

TEST(Manifest, ReadsTheMainSectionByJarRules) {
    struct Case {
        const char *what;
        std::string text;
        const char *mainClass;
        const char *classPath;
    } cases[] = {
        {"CR LF", "Manifest-Version: 1.0\r\nMain-Class: com.x.Main\r\nClass-Path: lib.jar\r\n\r\n", "com.x.Main",
         "lib.jar"},
        {"LF, no final line end", "Main-Class: com.x.Main\nClass-Path: lib.jar", "com.x.Main", "lib.jar"},
        {"CR alone", "Main-Class: com.x.Main\rClass-Path: lib.jar\r", "com.x.Main", "lib.jar"},
        {"continuation lines", "Main-Class: com.x.\r\n Ma\r\n in\r\n", "com.x.Main", nullptr},
        {"names ignore case", "main-class: com.x.Main\n", "com.x.Main", nullptr},
        {"later header wins", "Main-Class: a.A\nMain-Class: b.B\n", "b.B", nullptr},
        {"main section only", "Manifest-Version: 1.0\n\nName: x\nMain-Class: com.x.Other\n", nullptr, nullptr},
        {"value with colons", "Main-Class: a: b\n", "a: b", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        archive::Manifest manifest;
        std::string error;
        ASSERT_TRUE(manifest.parse(c.text, &error)) << error;
        const std::string *mainClass = manifest.find("Main-Class");
        const std::string *classPath = manifest.find("Class-Path");
        if (c.mainClass) {
            ASSERT_NE(mainClass, nullptr);
            EXPECT_EQ(*mainClass, c.mainClass);
        } else {
            EXPECT_EQ(mainClass, nullptr);
        }
        if (c.classPath) {
            ASSERT_NE(classPath, nullptr);
            EXPECT_EQ(*classPath, c.classPath);
        } else {
            EXPECT_EQ(classPath, nullptr);
        }
    }
}

TEST(Manifest, RefusesLinesThatAreNotHeaders) {
    struct Case {
        std::string text;
        const char *error;
    } cases[] = {
        {" continued\n", "manifest line 1 continues no header"},
        {"Main-Class: a.B\nno colon here\n", "manifest line 2 is not a header"},
        {"Main-Class:a.B\n", "manifest line 1 is not a header"},
        {": value\n", "manifest line 1 is not a header"},
        {"Main Class: a.B\n", "manifest line 1 has an invalid header name"},
        {std::string("Main-Class: a\0B\n", 16), "manifest line 1 holds a NUL byte"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        archive::Manifest manifest;
        std::string error;
        EXPECT_FALSE(manifest.parse(c.text, &error));
        EXPECT_EQ(error, c.error);
    }
}

TEST(Manifest, MapsOnlyValidClassNamesToModuleEntries) {
    EXPECT_EQ(archive::moduleEntryName("com.sun.deploy.config.Config"), "com/sun/deploy/config/Config.dll");
    for (const char *good : {"Main", "com.x.Main", "a.b$C", "_x.y1"}) EXPECT_TRUE(archive::isValidClassName(good)) << good;
    for (const char *bad : {"", ".a", "a.", "a..b", "a/b", "a.1b", "..", "a b", "a\\b"})
        EXPECT_FALSE(archive::isValidClassName(bad)) << bad;
}
