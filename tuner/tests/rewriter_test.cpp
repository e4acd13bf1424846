// The rewriter's text rules: the option text, ChangeOption, which lines are
// args lines of enabled entries, appended lines and line ends.
#include "core_test_util.h"

#include <gtest/gtest.h>

using namespace core_test;

namespace {

const std::string D3dF = "-Dsun.java2d.d3d\\=false", D3dT = "-Dsun.java2d.d3d\\=true";
const std::string NoDDT = "-Dsun.java2d.noddraw\\=true", NoDDF = "-Dsun.java2d.noddraw\\=false";
const std::string VramT = "-Dsun.java2d.ddforcevram\\=true", VramF = "-Dsun.java2d.ddforcevram\\=false";
const std::string kSilentArgs = D3dF + " " + NoDDT + " " + VramT;
const std::string kEnabled0 = "deployment.javaws.jre.0.enabled=true\n";

} // namespace

TEST(Rewriter, OptionTextEndsInBlankOnlyWhenVramForced) {
    EXPECT_EQ(LumasetCore::OptionText(kSilent), kSilentArgs + " ");
    EXPECT_EQ(LumasetCore::OptionText(MakeValues(true, false, false)), D3dT + " " + NoDDF + " " + VramF);
}

TEST(Rewriter, TuneEntryMatchesTrimmedKeyOnly) {
    LumasetCore::TuneEntry entry("0", LumasetCore::OptionText(kSilent));
    EXPECT_TRUE(entry.IsMatch("  deployment.javaws.jre.0.args\t"));
    EXPECT_FALSE(entry.IsMatch("deployment.javaws.jre.00.args"));
    EXPECT_FALSE(entry.IsMatch("deploymentXjavaws.jre.0.args"));
    EXPECT_FALSE(entry.IsSet());
    entry.ChangeOption("");
    EXPECT_TRUE(entry.IsSet());
}

// One args line of enabled entry 0, rewritten with the silent values unless
// the row gives others.
TEST(Rewriter, ChangeOptionRules) {
    struct {
        const char *name;
        std::string line, expected;
        Values values = kSilent;
    } cases[] = {
        {"appended after other arguments", "deployment.javaws.jre.0.args=-Xmx256m",
         "deployment.javaws.jre.0.args=-Xmx256m " + kSilentArgs},
        {"replaced where it stands", "deployment.javaws.jre.0.args=" + D3dT + " -Xmx256m",
         "deployment.javaws.jre.0.args=" + D3dF + " -Xmx256m " + NoDDT + " " + VramT},
        {"empty argument string", "deployment.javaws.jre.0.args=", "deployment.javaws.jre.0.args= " + kSilentArgs},
        {"already as wanted", "deployment.javaws.jre.0.args=" + kSilentArgs,
         "deployment.javaws.jre.0.args=" + kSilentArgs},
        {"all three flipped", "deployment.javaws.jre.0.args=" + kSilentArgs,
         "deployment.javaws.jre.0.args=" + D3dT + " " + NoDDF + " " + VramF, MakeValues(true, false, false)},
        {"every item with the name replaced", "deployment.javaws.jre.0.args=" + D3dT + " -Xmx1m " + D3dT,
         "deployment.javaws.jre.0.args=" + D3dF + " -Xmx1m " + D3dF + " " + NoDDT + " " + VramT},
        {"wanted text present keeps both", "deployment.javaws.jre.0.args=" + D3dF + " " + D3dT,
         "deployment.javaws.jre.0.args=" + D3dF + " " + D3dT + " " + NoDDT + " " + VramT},
        {"containment is a substring test", "deployment.javaws.jre.0.args=" + D3dF + "y",
         "deployment.javaws.jre.0.args=" + D3dF + "y " + NoDDT + " " + VramT},
        {"inner blanks survive, trailing lost", "deployment.javaws.jre.0.args=-Xa  " + D3dT + "   -Xb   ",
         "deployment.javaws.jre.0.args=-Xa  " + D3dF + "   -Xb " + NoDDT + " " + VramT},
        {"append keeps trailing blanks", "deployment.javaws.jre.0.args=-Xa  ",
         "deployment.javaws.jre.0.args=-Xa   " + kSilentArgs},
        {"blanks around the key kept", "  deployment.javaws.jre.0.args = -Xa",
         "  deployment.javaws.jre.0.args = -Xa " + kSilentArgs},
        {"colon becomes equals", "deployment.javaws.jre.0.args:-Xmx256m",
         "deployment.javaws.jre.0.args=-Xmx256m " + kSilentArgs},
        {"unescaped switch is not the switch", "deployment.javaws.jre.0.args=-Dsun.java2d.d3d=true",
         "deployment.javaws.jre.0.args=-Dsun.java2d.d3d=true " + kSilentArgs},
        {"longer item replaced whole", "deployment.javaws.jre.0.args=-J" + D3dT,
         "deployment.javaws.jre.0.args=" + kSilentArgs},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadAndRewrite(kEnabled0 + c.line + "\n", c.values), kEnabled0 + c.expected + "\n");
    }
}

TEST(Rewriter, LinesOtherThanEnabledArgsLinesAreCopied) {
    const std::string content = "#comment \xC3\xA9\xFF\n"
                                "deployment.javaws.jre.1.args=-Xa\n"
                                "deployment.javaws.jre.00.args=-Xa\n"
                                "deployment.javaws.jre.0.argsx=-Xa\n"
                                "deploymentXjavaws.jre.0.args=-Xa\n"
                                "x.deployment.javaws.jre.0.args=-Xa\n"
                                "other.key=caf\xE9 \\= \x80\n";
    EXPECT_EQ(ReadAndRewrite(kEnabled0 + content + "deployment.javaws.jre.0.args=" + kSilentArgs + "\n", kSilent),
              kEnabled0 + content + "deployment.javaws.jre.0.args=" + kSilentArgs + "\n");
}

TEST(Rewriter, AppendsArgsLineForEntriesWithoutOne) {
    EXPECT_EQ(ReadAndRewrite("a=b\n" + kEnabled0, kSilent), "a=b\n" + kEnabled0 + "deployment.javaws.jre.0.args=" +
                                                                 kSilentArgs + " \n");
    EXPECT_EQ(ReadAndRewrite(kEnabled0, MakeValues(true, false, false)),
              kEnabled0 + "deployment.javaws.jre.0.args=" + D3dT + " " + NoDDF + " " + VramF + "\n");
    // Two args lines of one entry: both rewritten, nothing appended.
    EXPECT_EQ(ReadAndRewrite(kEnabled0 + "deployment.javaws.jre.0.args=-Xa\ndeployment.javaws.jre.0.args=-Xb\n", kSilent),
              kEnabled0 + "deployment.javaws.jre.0.args=-Xa " + kSilentArgs + "\ndeployment.javaws.jre.0.args=-Xb " +
                  kSilentArgs + "\n");
}

TEST(Rewriter, LineEndsBecomeTheGivenSeparator) {
    struct {
        const char *name;
        std::string content, expected;
    } cases[] = {
        {"empty file stays empty", "", ""},
        {"mixed ends", "a\r\nb\rc\nd", "a\nb\nc\nd\n"},
        {"empty lines stay", "\n\r\n\r", "\n\n\n"},
        {"CR then CR LF", "x\r\r\n", "x\n\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadAndRewrite(c.content, kSilent), c.expected);
    }
}

// Behaviour where the plain rules would lose or corrupt the user's text.
TEST(Rewriter, SoundHandlingOfOddLines) {
    struct {
        const char *name;
        std::string content, expected;
    } cases[] = {
        {"number enabled twice is handled once",
         kEnabled0 + kEnabled0, kEnabled0 + kEnabled0 + "deployment.javaws.jre.0.args=" + kSilentArgs + " \n"},
        {"key with nothing behind it", kEnabled0 + "deployment.javaws.jre.0.args\n",
         kEnabled0 + "deployment.javaws.jre.0.args= " + kSilentArgs + "\n"},
        {"key with white space only behind it", kEnabled0 + "deployment.javaws.jre.0.args \t\n",
         kEnabled0 + "deployment.javaws.jre.0.args \t= " + kSilentArgs + "\n"},
        {"tab-separated arguments in one item survive",
         kEnabled0 + "deployment.javaws.jre.0.args=-Xa\t" + D3dT + "\t-Xb -Xc\n",
         kEnabled0 + "deployment.javaws.jre.0.args=-Xa\t" + D3dF + "\t-Xb -Xc " + NoDDT + " " + VramT + "\n"},
        {"separator is one whole character", kEnabled0 + "deployment.javaws.jre.0.args" + kEuro + "-Xa\n",
         kEnabled0 + "deployment.javaws.jre.0.args=-Xa " + kSilentArgs + "\n"},
        {"value behind white space keeps its first character", kEnabled0 + "deployment.javaws.jre.0.args -Xa\n",
         kEnabled0 + "deployment.javaws.jre.0.args =-Xa " + kSilentArgs + "\n"},
        {"longer key is another setting",
         kEnabled0 + "deployment.javaws.jre.0.args.old=-Xa\n",
         kEnabled0 + "deployment.javaws.jre.0.args.old=-Xa\ndeployment.javaws.jre.0.args=" + kSilentArgs + " \n"},
        {"bytes of other arguments kept", kEnabled0 + "deployment.javaws.jre.0.args=-Dx=caf\xE9\xC3\xA9 " + D3dT + "\n",
         kEnabled0 + "deployment.javaws.jre.0.args=-Dx=caf\xE9\xC3\xA9 " + D3dF + " " + NoDDT + " " + VramT + "\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadAndRewrite(c.content, kSilent), c.expected);
    }
}

TEST(Rewriter, CarriageReturnAndLineFeedInSeparateReadsAreOneLineEnd) {
    const std::string content = kEnabled0 + "a\r\nb\r\rdeployment.javaws.jre.0.args=-Xa\r\n";
    TrickleSource in(content);
    StringSink out;
    Parse(content).Rewrite(in, out, kSilent, "\n");
    EXPECT_EQ(out.text, kEnabled0 + "a\nb\n\ndeployment.javaws.jre.0.args=-Xa " + kSilentArgs + "\n");
}
