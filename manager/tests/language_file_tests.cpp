// Reading the language file: blocks, keys, texts over several lines, formats, the installer's
// choice of language.
#include "KvTestRegistry.h"
#include "KvTestSupport.h"
#include "Uinstallvalues.h"
#include "LanguageFile.h"
#include "Umanaglang.h"

#include <gtest/gtest.h>

#include <string>

using namespace manager;

namespace {

struct LanguageCase {
    const char* name;
    const char* file;
    const char* language;
    ManagerTextKey key;
    const char* expected;  // null: the English default
};

const LanguageCase kCases[] = {
    {"begin in lower case, name between blanks, asked in capitals",
     "begin-language  English   \r\nglm_Exit\r\nQuit\r\nend-language\r\n", "ENGLISH", glm_Exit, "Quit"},
    {"end in mixed case ends the block",
     "BEGIN-LANGUAGE X\nglm_Exit\nQuit\nEnd-Language\nglm_AddFolder\nOutside\n", "X", glm_AddFolder, nullptr},
    {"a block without end runs to the end of the file", "BEGIN-LANGUAGE X\rglm_Exit\rQuit", "X", glm_Exit,
     "Quit"},
    {"comment and empty lines do not end a text",
     "BEGIN-LANGUAGE X\nglm_Exit\n  Quit  \n// a note\n\n   \n  now\nEND-LANGUAGE\n", "X", glm_Exit,
     "Quit now"},
    {"the first of a key twice counts", "BEGIN-LANGUAGE X\nglm_Exit\nFirst\nglm_Exit\nSecond\n", "X",
     glm_Exit, "First"},
    {"a key line with text on it is no key line", "BEGIN-LANGUAGE X\nglm_Exit Quit\nglm_AddFolder\nAdd\n",
     "X", glm_Exit, nullptr},
    {"...and ends the text before it", "BEGIN-LANGUAGE X\nglm_AddFolder\nAdd\nglm_Exit Quit\nmore\n", "X",
     glm_AddFolder, "Add"},
    {"a text over three lines", "BEGIN-LANGUAGE X\nglm_AddFolder\nAdd\na\nfolder\n", "X", glm_AddFolder,
     "Add a folder"},
    {"line breaks in both cases",
     "BEGIN-LANGUAGE X\nglm_FolderAlreadyInList\nOne\\nTwo\\NThree\\rFour\\RFive\n", "X",
     glm_FolderAlreadyInList, "One\nTwo\nThree\rFour\rFive"},
    {"a missing key keeps its default", "BEGIN-LANGUAGE X\nglm_Exit\nQuit\n", "X", glm_Images, nullptr},
    {"a key followed by a key has an empty text", "BEGIN-LANGUAGE X\nglm_Exit\nglm_AddFolder\nAdd\n", "X",
     glm_Exit, nullptr},
    {"an empty text of a first occurrence is not replaced by a second",
     "BEGIN-LANGUAGE X\nglm_Exit\nglm_Exit\nQuit\n", "X", glm_Exit, nullptr},
    {"another program's key ends a text", "BEGIN-LANGUAGE X\nglm_Exit\nQuit\nGLX_Ok\nOK\n", "X", glm_Exit,
     "Quit"},
    {"only the first block of a name counts",
     "BEGIN-LANGUAGE X\nglm_Exit\nFirst\nEND-LANGUAGE\nBEGIN-LANGUAGE "
     "X\nglm_Exit\nSecond\nglm_Images\nPics\n",
     "X", glm_Images, nullptr},
    {"a block of another name is skipped whole",
     "BEGIN-LANGUAGE Y\nglm_Exit\nWhy\nEND-LANGUAGE\nBEGIN-LANGUAGE X\nglm_Images\nPics\n", "X", glm_Exit,
     nullptr},
    {"no block of the name", "BEGIN-LANGUAGE Y\nglm_Exit\nWhy\n", "X", glm_Exit, nullptr},
    {"begin inside a comment line starts nothing", "// BEGIN-LANGUAGE X\nglm_Exit\nQuit\n", "X", glm_Exit,
     nullptr},
    {"characters above 127 are kept, also at the end", "BEGIN-LANGUAGE X\nglm_Exit\n\xE9t\xE9\xFC\n", "X",
     glm_Exit, "\xE9t\xE9\xFC"},
    {"a translated format with the same arguments is taken",
     "BEGIN-LANGUAGE X\nglm_KestrovaDD\nVerwalter %d.%02d\n", "X", glm_KestrovaDD, "Verwalter %d.%02d"},
    {"a translated format with %s is refused", "BEGIN-LANGUAGE X\nglm_KestrovaDD\nManager %s\n", "X",
     glm_KestrovaDD, nullptr},
    {"a translated format with %n is refused", "BEGIN-LANGUAGE X\nglm_KestrovaDD\nManager %d.%n\n", "X",
     glm_KestrovaDD, nullptr},
    {"a translated format with one more argument is refused",
     "BEGIN-LANGUAGE X\nglm_AddToListOfBlockingS\n%s and %s\n", "X", glm_AddToListOfBlockingS, nullptr},
    {"a width of seven digits is refused",
     "BEGIN-LANGUAGE X\nglm_KestrovaDD\nKestrova Manager %9999999d.%0.2d\n", "X", glm_KestrovaDD, nullptr},
    {"a precision of four digits is refused", "BEGIN-LANGUAGE X\nglm_KestrovaDD\nManager %d.%.1000d\n", "X",
     glm_KestrovaDD, nullptr},
    {"a width of three digits is taken", "BEGIN-LANGUAGE X\nglm_KestrovaDD\nManager %999d.%0.2d\n", "X",
     glm_KestrovaDD, "Manager %999d.%0.2d"},
    {"a huge width in the picker's text is refused",
     "BEGIN-LANGUAGE X\nglm_AddToListOfBlockingS\nAdd %99999999s\n", "X", glm_AddToListOfBlockingS, nullptr},
    {"%n in the picker's text is refused", "BEGIN-LANGUAGE X\nglm_RemoveFromListOfBlockingS\nRemove %s%n\n",
     "X", glm_RemoveFromListOfBlockingS, nullptr},
    {"a message added after the first keys is read", "BEGIN-LANGUAGE X\nglm_DatabaseLockedS\nBusy: %s\n", "X",
     glm_DatabaseLockedS, "Busy: %s"},
    {"a percent sign in a text that is no format is kept",
     "BEGIN-LANGUAGE X\nglm_MaxClipStretch\nUp to % of\n", "X", glm_MaxClipStretch, "Up to % of"},
};

}  // namespace

TEST(LanguageFile, CasesTable)
{
    testsupport::TempFolder folder("kvlang");
    const std::string path = folder / "KvLang.dat";
    for (const LanguageCase& c : kCases) {
        ASSERT_TRUE(testsupport::WriteFileBytes(path, c.file));
        ApplyManagerLanguage(c.language, path.c_str());
        const std::string expected = c.expected ? c.expected : ManagerTextDefault(c.key);
        EXPECT_EQ(std::string(Text(c.key)), expected) << c.name;
    }
}

TEST(LanguageFile, MissingFileOrBlockKeepsEnglish)
{
    testsupport::TempFolder folder("kvlang");
    ApplyManagerLanguage("Deutsch", (folder / "absent.dat").c_str());
    EXPECT_STREQ(Text(glm_Exit), "Exit");
    EXPECT_EQ(LanguageFileLineCount(), 0);
    EXPECT_FALSE(LoadLanguageFile((folder / "absent.dat").c_str()));
}

// The second language of the test file: translated texts, a rejected format, untranslated keys.
TEST(LanguageFile, SecondLanguageOfTheTestFile)
{
    const std::string path = testsupport::ExeFolder() + "fixtures\\KvLang.dat";
    ApplyManagerLanguage("deutsch", path.c_str());
    EXPECT_STREQ(Text(glm_Exit), "Beenden");
    EXPECT_STREQ(Text(glm_ButtonSettings), "Einstellungen...");
    EXPECT_STREQ(Text(glm_FolderAlreadyInList), "Dieser Ordner ist schon in der Liste.");
    EXPECT_STREQ(Text(glm_Images), "Bilder \xFC\xE9");
    EXPECT_EQ(ManagerCaption(), "Kestrova Verwaltung 1.07");
    EXPECT_EQ(FormatText(glm_ValueColorX, 0xABCDEF), "Farbe: BGR ABCDEF");
    // "%d" where the default takes a text: the English text stays.
    EXPECT_STREQ(Text(glm_AddToListOfBlockingS), "Add %s to list of blocking programs.");
    EXPECT_STREQ(Text(glm_AddFolder), "Add folder...");

    ApplyManagerLanguage("English", path.c_str());
    EXPECT_STREQ(Text(glm_Exit), "Exit");
    EXPECT_EQ(ManagerCaption(), "Kestrova Manager 1.07");
}

namespace {

class InstalledLanguage : public ::testing::Test {
protected:
    void SetUp() override { DeleteLanguageKey(); }
    void TearDown() override
    {
        DeleteLanguageKey();
        LoadManagerTextDefaults();
    }
    static void DeleteLanguageKey()
    {
        EXPECT_TRUE(testsupport::DeleteRegTree(HKEY_LOCAL_MACHINE, kLanguageKey)) << "the language key stays";
    }
    static void SetLanguage(DWORD type, const std::string& data)
    {
        ASSERT_TRUE(testsupport::WriteRegValue(HKEY_LOCAL_MACHINE, kLanguageKey, kLanguageValue, type, data));
    }
};

}  // namespace

TEST_F(InstalledLanguage, TheInstallersChoiceSelectsTheBlock)
{
    const std::string path = testsupport::ExeFolder() + "fixtures\\KvLang.dat";
    struct Case {
        const char* name;
        DWORD type;
        std::string data;
        const char* exitText;
    };
    const Case cases[] = {
        {"no value", REG_NONE, "", "Exit"},
        {"a text", REG_SZ, std::string("Deutsch\0", 8), "Beenden"},
        {"a text to expand is used as it is", REG_EXPAND_SZ, std::string("Deutsch\0", 8), "Beenden"},
        {"a text without its zero", REG_SZ, "Deutsch", "Beenden"},
        {"a number", REG_DWORD, std::string("\x01\0\0\0", 4), "Exit"},
        {"an empty name", REG_SZ, std::string("\0", 1), "Exit"},
        // 512 characters without a zero do not fit and are not read past their end.
        {"too long to fit", REG_SZ, std::string(512, 'D'), "Exit"},
    };
    for (const Case& c : cases) {
        DeleteLanguageKey();
        if (c.type != REG_NONE) SetLanguage(c.type, c.data);
        ApplyInstalledLanguage(path.c_str());
        EXPECT_STREQ(Text(glm_Exit), c.exitText) << c.name;
    }
}
