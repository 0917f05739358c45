// The Agent's texts: English defaults, replaced from HKEY_LOCAL_MACHINE \Language only by texts
// that fit and, for the one format, take the same arguments.
#include "AgentTexts.h"
#include "KvTestRegistry.h"
#include "agent_support.h"

#include <gtest/gtest.h>

#include <string>

using namespace agenttest;

namespace {

class AgentTexts : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(testsupport::DeleteRegTree(HKEY_LOCAL_MACHINE, kLanguageKey)); }
    void TearDown() override { EXPECT_TRUE(testsupport::DeleteRegTree(HKEY_LOCAL_MACHINE, kLanguageKey)); }

    // Stores exactly `bytes`, without a terminator the bytes do not hold.
    static void Write(const char* name, const std::string& bytes, DWORD type = REG_SZ)
    {
        ASSERT_TRUE(testsupport::WriteRegValue(HKEY_LOCAL_MACHINE, kLanguageKey, name, type, bytes)) << name;
    }
};

}  // namespace

TEST_F(AgentTexts, DefaultsWithoutTheLanguageKey)
{
    LoadDefaultTexts();
    LoadLanguageTexts();
    EXPECT_STREQ(AgentText(gla_Caption), "Kestrova Agent");
    EXPECT_STREQ(AgentText(gla_CaptionConflictS), "Kestrova Agent (blocked due to %s)");
    EXPECT_STREQ(AgentText(gla_CanotFindFunction), "Incompatible KvApi.dll");
    EXPECT_STREQ(AgentText(gla_Exit), "Exit");
    EXPECT_STREQ(AgentTextName(gla_CanotFindFunction), "gla_CanotFindFunction");
}

TEST_F(AgentTexts, LanguageTextsThatFitReplaceTheDefaults)
{
    const std::string text99(99, 'x');
    const std::string text100(100, 'y');
    struct Case {
        AgentTextId id;
        std::string stored;  // the bytes as stored, terminator included where given
        DWORD type;
        std::string expected;
    };
    const Case cases[] = {
        {gla_Next,
         std::string("N\xe4"
                     "chstes Bild") +
             '\0',
         REG_SZ,
         "N\xe4"
         "chstes Bild"},
        {gla_Exit, "Ende", REG_SZ, "Ende"},  // stored without its terminator
        {gla_Manager, std::string("%TEMP% Manager") + '\0', REG_EXPAND_SZ, "%TEMP% Manager"},
        {gla_Error, text99 + '\0', REG_SZ, text99},
        {gla_Enable, text99, REG_SZ, text99},
        {gla_Disable, text100 + '\0', REG_SZ, "Disable changes"},  // does not fit in 100 bytes
        {gla_Caption, text100, REG_SZ, std::string(99, 'y')},      // fills the 100 bytes: 99 kept
        {gla_CaptionProgress, "\x01\x02\x03\x04", REG_BINARY, "Kestrova Agent (working...)"},
        {gla_CaptionConflictS, std::string("Blockiert wegen %s") + '\0', REG_SZ, "Blockiert wegen %s"},
    };
    for (const Case& c : cases)
        Write(AgentTextName(c.id), c.stored, c.type);
    LoadDefaultTexts();
    LoadLanguageTexts();
    for (const Case& c : cases)
        EXPECT_EQ(AgentText(c.id), c.expected) << AgentTextName(c.id);
    EXPECT_STREQ(AgentText(gla_DoNotDisplayAgain), "Do not display this image again");
}

TEST_F(AgentTexts, TheFormatTakesOnlyTextsWithTheSameConversions)
{
    struct Case {
        const char* stored;
        bool taken;
    };
    const Case cases[] = {
        {"Blocked by %s", true},       {"%s blocks", true},        {"Blocked by %-20s", true},
        {"100%% blocked by %s", true}, {"Blocked", false},         {"Blocked by %s%s", false},
        {"Blocked by %d", false},      {"Blocked by %n%s", false}, {"Blocked by %*s", false},
        {"Blocked by %s %", false},    {"Blocked by %ls", false},
    };
    for (const Case& c : cases) {
        Write("gla_CaptionConflictS", std::string(c.stored) + '\0');
        LoadDefaultTexts();
        LoadLanguageTexts();
        EXPECT_STREQ(AgentText(gla_CaptionConflictS),
                     c.taken ? c.stored : "Kestrova Agent (blocked due to %s)")
            << c.stored;
    }
}
