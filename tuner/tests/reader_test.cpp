// The reader: key recognition, the lexer's character classes and states,
// and the folding of enabled entries.
#include "core_test_util.h"

#include <gtest/gtest.h>

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace core_test;

namespace {

const std::string kSilentArgs = "-Dsun.java2d.d3d\\=false -Dsun.java2d.noddraw\\=true -Dsun.java2d.ddforcevram\\=true";

bool AnsiCodePageIs1252() {
#ifdef _WIN32
    return GetACP() == 1252;
#else
    return true;
#endif
}

} // namespace

TEST(Reader, KeyRecognitionMatchesWholeKeyAndTakesFirstDigits) {
    struct {
        std::string key, args, enabled;
    } cases[] = {
        {"deployment.javaws.jre.0.args", "0", ""},
        {"deployment.javaws.jre.12.enabled", "", "12"},
        {"deployment.javaws.jre.07.args", "07", ""},
        {"deploymentXjavawsYjreZ3Wargs", "3", ""},        // the dots match any character
        {"deployment5javaws.jre.0.args", "5", ""},        // the first run of digits
        {"deployment.javaws.jre.1234args", "1234", ""},   // digits give back one for the dot
        {"deployment" + kEuro + "javaws.jre.4.args", "4", ""}, // a dot matches one whole character
        {"deployment.javaws.jre..args", "", ""},
        {"deployment.javaws.jre.0.args ", "", ""},
        {" deployment.javaws.jre.0.args", "", ""},
        {"Deployment.javaws.jre.0.args", "", ""},
        {"deployment.javaws.jre.0.ARGS", "", ""},
        {"deployment.javaws.jre.0.args.x", "", ""},
        {"deployment.javaws.jre.0.enabledx", "", ""},
        {"", "", ""},
    };
    if (!AnsiCodePageIs1252())
        GTEST_SKIP() << "expectations written for code page 1252";
    for (const auto &c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(LumasetCore::IsArgsParameter(c.key), c.args);
        EXPECT_EQ(LumasetCore::IsEnabledParameter(c.key), c.enabled);
    }
}

TEST(Reader, WorkedLinesAndLexicalEdgeCases) {
    struct {
        const char *name;
        std::string content;
        std::string expected;
    } cases[] = {
        {"worked lines",
         "#deployment.properties\r\n"
         "deployment.javaws.jre.0.args=" + kSilentArgs + "\r\n"
         "deployment.javaws.jre.0.enabled=true\r\n"
         "deployment.javaws.jre.1.args=\r\n",
         "args 0 FTT; args 1 TFF; enabled 0; "},
        {"blank before equals joins the key", "deployment.javaws.jre.0.args =-Dsun.java2d.d3d\\=false\n", ""},
        {"leading spaces join the key", "  deployment.javaws.jre.0.enabled=true\n", ""},
        {"leading tab is passed over", "\tdeployment.javaws.jre.0.enabled=true\n", "enabled 0; "},
        {"blank after equals belongs to the value", "deployment.javaws.jre.0.enabled= true\n", ""},
        {"blank after equals dropped by argument split", "deployment.javaws.jre.0.args= -Dsun.java2d.d3d\\=false\n",
         "args 0 FFF; "},
        {"upper case TRUE", "deployment.javaws.jre.0.enabled=TRUE\n", ""},
        {"true with trailing blank", "deployment.javaws.jre.0.enabled=true \n", ""},
        {"colon joins key and value", "deployment.javaws.jre.0.enabled:true\n", ""},
        {"double equals", "deployment.javaws.jre.0.args==-Dsun.java2d.d3d\\=false\n", "args 0 FFF; "},
        {"empty value then LF", "deployment.javaws.jre.0.args=\n", "args 0 TFF; "},
        {"args key alone on its line", "deployment.javaws.jre.0.args\n", "args 0 TFF; "},
        {"args key then comment", "deployment.javaws.jre.0.args#note\n", "args 0 TFF; "},
        {"empty value on last line without end", "deployment.javaws.jre.0.args=", ""},
        {"CR alone takes the next line as value",
         "deployment.javaws.jre.0.args=\rdeployment.javaws.jre.0.enabled=true\r", "args 0 TFF; "},
        {"hash ends the value",
         "deployment.javaws.jre.0.args=-Dsun.java2d.d3d\\=false#x -Dsun.java2d.noddraw\\=true\n", "args 0 FFF; "},
        {"tab ends the value",
         "deployment.javaws.jre.0.args=-Dsun.java2d.d3d\\=false\t-Dsun.java2d.noddraw\\=true\n", "args 0 FFF; "},
        {"asterisk ends the value", "deployment.javaws.jre.0.args=-Xa*-Dsun.java2d.d3d\\=false\n", "args 0 TFF; "},
        {"quote after equals is passed over", "deployment.javaws.jre.0.args=\"-Dsun.java2d.d3d\\=false\n",
         "args 0 FFF; "},
        {"no line breaks needed", "foo=bar\tdeployment.javaws.jre.0.enabled=true", "enabled 0; "},
        {"enabled twice", "deployment.javaws.jre.3.enabled=true\ndeployment.javaws.jre.3.enabled=true\n",
         "enabled 3; enabled 3; "},
        {"later args key decides",
         "deployment.javaws.jre.0.args=-Dsun.java2d.d3d\\=false\ndeployment.javaws.jre.0.args=-Xmx1m\n",
         "args 0 TFF; "},
        {"enabled before args", "deployment.javaws.jre.0.enabled=true\ndeployment.javaws.jre.0.args=" + kSilentArgs,
         "args 0 FTT; enabled 0; "},
        {"numbers are text", "deployment.javaws.jre.00.args=x\ndeployment.javaws.jre.0.enabled=true\n",
         "args 00 TFF; enabled 0; "},
        {"empty file", "", ""},
        {"comments only", "# a\r\n#b=c\n", ""},
        {"code above 255 is a word character",
         "deployment.javaws.jre.0.args=-Xa" + kEuro + " -Dsun.java2d.d3d\\=false\n", "args 0 FFF; "},
    };
    if (!AnsiCodePageIs1252())
        GTEST_SKIP() << "expectations written for code page 1252";
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Describe(Parse(c.content)), c.expected);
    }
}

TEST(Reader, CharacterFrom128To255EndsTheValue) {
#ifdef _WIN32
    if (GetACP() != 1252)
        GTEST_SKIP() << "expectations written for code page 1252";
    const std::string eAcute = "\xE9";
#else
    const std::string eAcute = "\xC3\xA9";
#endif
    const auto core = Parse("deployment.javaws.jre.0.args=-Xa" + eAcute + " -Dsun.java2d.d3d\\=false\n");
    EXPECT_EQ(Describe(core), "args 0 TFF; ");
}

TEST(Reader, UndecodableByteIsAWordCharacter) {
#ifdef _WIN32
    GTEST_SKIP() << "every byte decodes in code page 1252";
#endif
    const auto core = Parse("deployment.javaws.jre.0.args=-Xa\x81\xC3 -Dsun.java2d.d3d\\=false\n");
    EXPECT_EQ(Describe(core), "args 0 FFF; ");
}

TEST(Reader, KeepsFirst25EnabledEntries) {
    std::string content;
    for (int i = 0; i < 27; ++i)
        content += "deployment.javaws.jre." + std::to_string(i) + ".enabled=true\n";
    const auto core = Parse(content);
    ASSERT_EQ(core.m_nEnabledJRE, 25);
    EXPECT_EQ(core.m_EnabledJRE.size(), 25u);
    EXPECT_EQ(core.m_EnabledJRE[24], "24");
}

TEST(Reader, CharacterSplitAcrossReadsIsDecodedWhole) {
    if (!AnsiCodePageIs1252())
        GTEST_SKIP();
    TrickleSource in("deployment" + kEuro + "javaws.jre.0.args=-Xa" + kEuro + " -Dsun.java2d.d3d\\=false\n");
    LumasetCore core;
    core.ParseFile(in);
    EXPECT_EQ(Describe(core), "args 0 FFF; ");
}

TEST(Reader, ReadFailureIsReported) {
    class Broken : public lumaset::ByteSource {
    public:
        size_t Read(char *buffer, size_t) override {
            if (calls_++ == 0) {
                buffer[0] = 'a';
                return 1;
            }
            throw lumaset::IoError("settings: cannot read: broken");
        }

    private:
        int calls_ = 0;
    };
    Broken in;
    LumasetCore core;
    EXPECT_THROW(core.ParseFile(in), lumaset::IoError);
    try {
        core.ParseFile(std::string("no-such-folder/deployment.properties"));
        FAIL() << "no exception";
    } catch (const std::exception &failure) {
        EXPECT_NE(std::string(failure.what()).find("no-such-folder/deployment.properties: cannot open"),
                  std::string::npos);
    }
}

TEST(Reader, ReadsFromAnOpenFile) {
    std::FILE *file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    const std::string content = "deployment.javaws.jre.2.enabled=true\r\n";
    std::fwrite(content.data(), 1, content.size(), file);
    std::rewind(file);
    LumasetCore core;
    core.ParseFile(file);
    std::fclose(file);
    EXPECT_EQ(Describe(core), "enabled 2; ");
}

TEST(Reader, CheckboxValuesFoldEnabledEntries) {
    struct {
        const char *name;
        std::string content;
        const char *expected;
    } cases[] = {
        {"no enabled entry", "deployment.javaws.jre.0.args=-Dsun.java2d.d3d\\=false\n", "TTT"},
        {"entry without args counts as defaults",
         "deployment.javaws.jre.0.enabled=true\ndeployment.javaws.jre.1.enabled=true\n"
         "deployment.javaws.jre.0.args=-Dsun.java2d.d3d\\=true -Dsun.java2d.noddraw\\=true "
         "-Dsun.java2d.ddforcevram\\=true\n",
         "TFF"},
        {"all on", "deployment.javaws.jre.0.enabled=true\ndeployment.javaws.jre.0.args=-Dsun.java2d.noddraw\\=true "
                   "-Dsun.java2d.ddforcevram\\=true\n",
         "TTT"},
        {"one d3d off",
         "deployment.javaws.jre.0.enabled=true\ndeployment.javaws.jre.1.enabled=true\n"
         "deployment.javaws.jre.0.args=-Dsun.java2d.noddraw\\=true -Dsun.java2d.ddforcevram\\=true\n"
         "deployment.javaws.jre.1.args=" + kSilentArgs + "\n",
         "FTT"},
        {"args of a disabled entry ignored",
         "deployment.javaws.jre.0.enabled=true\ndeployment.javaws.jre.0.args=" + kSilentArgs +
             "\ndeployment.javaws.jre.1.args=-Dsun.java2d.noddraw\\=false\n",
         "FTT"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Describe(Parse(c.content).GetCheckboxValues()), c.expected);
    }
}
