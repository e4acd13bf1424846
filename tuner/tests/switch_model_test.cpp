// The switch model: recognising one switch and reading an argument string.
#include "core_test_util.h"

#include <gtest/gtest.h>

using namespace core_test;

TEST(SwitchModel, NewRecordIsD3DOnlyOn) { EXPECT_EQ(Describe(Values()), "TFF"); }

TEST(SwitchModel, RecognisersAnswerOnOffOrNotThisSwitch) {
    struct {
        const char *argument;
        int d3d, noddraw, forcevram;
    } cases[] = {
        {"-Dsun.java2d.d3d\\=true", 1, -1, -1},
        {"-Dsun.java2d.d3d\\=false", 0, -1, -1},
        {"-Dsun.java2d.d3d\\=truex", 0, -1, -1},
        {"-Dsun.java2d.noddraw\\=true", -1, 1, -1},
        {"-Dsun.java2d.noddraw\\=True", -1, 0, -1},
        {"-Dsun.java2d.noddraw\\=1", -1, 0, -1},
        {"-Dsun.java2d.noddraw\\=", -1, 0, -1},
        {"-Dsun.java2d.ddforcevram\\=true", -1, -1, 1},
        {"-Dsun.java2d.noddraw=true", -1, -1, -1}, // no backslash: not a switch
        {"x-Dsun.java2d.d3d\\=true", -1, -1, -1},
        {" -Dsun.java2d.d3d\\=true", -1, -1, -1}, // not trimmed
        {"-dsun.java2d.d3d\\=true", -1, -1, -1},
        {"-Dsun.java2dXd3d\\=true", -1, -1, -1}, // periods are literal
        {"", -1, -1, -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.argument);
        EXPECT_EQ(LumasetCore::IsD3DArgument(c.argument), c.d3d);
        EXPECT_EQ(LumasetCore::IsNoDDrawArgument(c.argument), c.noddraw);
        EXPECT_EQ(LumasetCore::IsForceVRAMArgument(c.argument), c.forcevram);
    }
}

TEST(SwitchModel, ParseArgumentsTakesLastOccurrenceAndKeepsDefaults) {
    struct {
        const char *arguments;
        const char *expected;
    } cases[] = {
        {"", "TFF"},
        {"   ", "TFF"},
        {"-Xmx256m -Dsun.java2d.ddforcevram\\=true", "TFT"},
        {"-Dsun.java2d.d3d\\=false -Dsun.java2d.noddraw\\=true -Dsun.java2d.ddforcevram\\=true", "FTT"},
        {"-Dsun.java2d.d3d\\=false -Dsun.java2d.d3d\\=true", "TFF"},
        {"-Dsun.java2d.noddraw=true", "TFF"},
        {" \t-Dsun.java2d.noddraw\\=true\r\n\f-Dsun.java2d.d3d\\=no  ", "FTF"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments);
        EXPECT_EQ(Describe(LumasetCore::ParseArguments(c.arguments)), c.expected);
    }
}
