// The list of blocking programs: its canonical form, the names shown, and adding and removing whole
// entries.
#include <gtest/gtest.h>

#include <string>

#include "ProgramList.h"

using namespace manager;

namespace {

struct NormalizeCase {
    const char* input;
    const char* expected;
};

TEST(ProgramList, NormalizeLeavesNoEmptyEntry)
{
    const NormalizeCase cases[] = {
        {" a.exe ; ;b.exe;", "a.exe;b.exe"},
        {"a;;;b", "a;b"},
        {"a; ; ; ;b", "a;b"},
        {";", ""},
        {";;;", ""},
        {"  ", ""},
        {";a.exe", "a.exe"},
        {"a.exe;", "a.exe"},
        {"\ta.exe\t;\r\nb.exe", "a.exe;b.exe"},
        {"My Program.exe; x.exe", "My Program.exe;x.exe"},
        {"caf\xE9.exe ;b", "caf\xE9.exe;b"},  // a byte above 127 is a letter, not a control character
    };
    for (const auto& c : cases)
        EXPECT_EQ(NormalizeProgramList(c.input), c.expected) << c.input;
}

TEST(ProgramList, DisplayName)
{
    const NormalizeCase cases[] = {
        {"NOTEPAD.EXE", "notepad.exe"},
        {"Notepad.EXE", "Notepad.exe"},
        {"My.App.EXE", "My.app.exe"},
        {"WINWORD", "winword"},
        {"Setup", "Setup"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProgramDisplayName(c.input), c.expected) << c.input;
}

TEST(ProgramList, WholeEntriesWithoutRegardToCase)
{
    EXPECT_TRUE(ProgramListContains("NOTEPAD.EXE", "notepad.exe"));
    EXPECT_FALSE(ProgramListContains("notepad.exe", "pad.exe"));
    EXPECT_TRUE(ProgramListContains("notepad.exe ; pad.exe", "PAD.EXE"));
    EXPECT_EQ(ProgramListAdd("", "pad.exe"), "pad.exe");
    EXPECT_EQ(ProgramListAdd("a.exe;", "Pad.exe"), "a.exe;Pad.exe");
    EXPECT_EQ(ProgramListAdd("a.exe", " "), "a.exe");
    EXPECT_EQ(ProgramListRemove("notepad.exe;pad.exe", "pad.exe"), "notepad.exe");
    EXPECT_EQ(ProgramListRemove("x.exe;PAD.EXE;y.exe;pad.exe", "pad.exe"), "x.exe;y.exe;pad.exe");
    EXPECT_EQ(ProgramListRemove("notepad.exe", "pad.exe"), "notepad.exe");
}

TEST(ProgramList, CutKeepsWholeEntries)
{
    EXPECT_EQ(ProgramListCut("aaaa;bbbb;cccc", 9), "aaaa;bbbb");
    EXPECT_EQ(ProgramListCut("aaaa;bbbb;cccc", 8), "aaaa");
    EXPECT_EQ(ProgramListCut("aaaa;bbbb", 3), "");
}

}  // namespace
