// The one reader of the installer's translations under HKEY_LOCAL_MACHINE \Language, through which
// every program (engine, Agent, screen saver, uninstaller) takes its texts: a table of registry
// values and what each program's table then holds.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "KvLogCapture.h"
#include "KvTestRegistry.h"
#include "Uinstallvalues.h"
#include "Ulanguagetexts.h"

namespace {

constexpr size_t kTextSize = 16;

// Stands in for the format check: the one conversion of the defaults below is "%d".
bool TakesOneNumber(const char* text, const char*)
{
    const char* at = std::strchr(text, '%');
    return at && at[1] == 'd' && !std::strchr(at + 2, '%');
}

const LanguageTextEntry kEntries[] = {
    {"kvt_Plain", "Plain", false},   {"kvt_Count", "Count %d", true},     {"kvt_Missing", "Missing", false},
    {"kvt_Number", "Number", false}, {"kvt_Long", "Long", false},         {"kvt_Fills", "Fills", false},
    {"kvt_Expand", "Expand", false}, {"kvt_Refused", "Refused %d", true},
};
constexpr int kCount = static_cast<int>(sizeof kEntries / sizeof kEntries[0]);

struct ValueCase {
    int entry;  // in kEntries
    const char* name;
    DWORD type;
    std::string data;
    const char* expected;
};

}  // namespace

TEST(LanguageTexts, EveryProgramReadsTheTranslationsAlike)
{
    testsupport::DeleteRegTree(HKEY_LOCAL_MACHINE, kLanguageKey);
    const std::string longText(kTextSize + 4, 'x');
    const ValueCase cases[] = {
        {0, "kvt_Plain", REG_SZ, testsupport::TextData("Schlicht"), "Schlicht"},
        {1, "kvt_Count", REG_SZ, testsupport::TextData("%d Bilder"), "%d Bilder"},
        {3, "kvt_Number", REG_DWORD, std::string(4, '\1'), "Number"},                 // not a text
        {4, "kvt_Long", REG_SZ, testsupport::TextData(longText), "Long"},             // does not fit
        {5, "kvt_Fills", REG_SZ, std::string(kTextSize, 'y'), "yyyyyyyyyyyyyyy"},     // fills it, no zero
        {6, "kvt_Expand", REG_EXPAND_SZ, testsupport::TextData("%TEMP%"), "%TEMP%"},  // not expanded
        {7, "kvt_Refused", REG_SZ, testsupport::TextData("%s Bilder"), "Refused %d"},
    };
    for (const ValueCase& c : cases)
        ASSERT_TRUE(testsupport::WriteRegValue(HKEY_LOCAL_MACHINE, kLanguageKey, c.name, c.type, c.data))
            << c.name;

    char texts[kCount][kTextSize];
    LoadLanguageTextDefaults(kEntries, kCount, &texts[0][0], kTextSize);
    testsupport::LogCapture log;
    ReadLanguageTexts(kEntries, kCount, &texts[0][0], kTextSize, &TakesOneNumber);
    const std::string text = log.Text();
    for (const ValueCase& c : cases)
        EXPECT_STREQ(texts[c.entry], c.expected) << c.name;
    EXPECT_STREQ(texts[2], "Missing");
    // A refused format says which value and why; the engine's texts are read the same way.
    EXPECT_NE(text.find("!Language value kvt_Refused does not take the arguments of \"Refused %d\""),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("kvt_Count"), std::string::npos) << text;
    testsupport::DeleteRegTree(HKEY_LOCAL_MACHINE, kLanguageKey);
}
