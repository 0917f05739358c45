// The table of the Manager's texts, its English defaults and the language file shipped beside it.
#include "KvTestSupport.h"
#include "CaptionTable.h"
#include "LanguageFile.h"
#include "Umanaglang.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

using namespace manager;

namespace {

// The fixture holds one line per key with a given English text: key, a tab, the text with "\n"
// for a line feed and "\\" for a backslash.
std::string Unescape(const std::string& text)
{
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            result += text[i + 1] == 'n' ? '\n' : text[i + 1];
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

TEST(ManagerTexts, EnglishDefaultsAreTheGivenTextsByteForByte)
{
    bool ok = false;
    const std::string fixture =
        testsupport::ReadFileBytes(testsupport::ExeFolder() + "fixtures\\english_defaults.txt", &ok);
    ASSERT_TRUE(ok);
    std::istringstream lines(fixture);
    std::string line;
    int compared = 0;
    int previous = -1;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos) << line;
        const std::string name = line.substr(0, tab);
        ManagerTextKey key;
        ASSERT_TRUE(FindManagerText(name.c_str(), key)) << name;
        EXPECT_STREQ(ManagerTextName(key), name.c_str());
        EXPECT_EQ(std::string(ManagerTextDefault(key)), Unescape(line.substr(tab + 1))) << name;
        EXPECT_GT(static_cast<int>(key), previous) << name << " is out of order";
        previous = key;
        ++compared;
    }
    EXPECT_EQ(compared, 150);
}

TEST(ManagerTexts, TwoHundredAndFourUniqueKeysWithTexts)
{
    // The 204 keys of the first language files come first; the messages added since follow them.
    EXPECT_EQ(kFirstAppendedManagerText, 204);
    EXPECT_EQ(kManagerTextCount, 211);
    std::set<std::string> names;
    int help = 0;
    for (int i = 0; i < kManagerTextCount; ++i) {
        const ManagerTextKey key = static_cast<ManagerTextKey>(i);
        const std::string name = ManagerTextName(key);
        EXPECT_EQ(name.compare(0, 4, "glm_"), 0) << name;
        EXPECT_TRUE(names.insert(Lower(name)).second) << name << " twice";
        EXPECT_STRNE(ManagerTextDefault(key), "") << name;
        if (EndsWith(name, "Help")) ++help;
    }
    EXPECT_EQ(help, 54);
    EXPECT_EQ(std::string(ManagerTextName(glm_KestrovaDD)), "glm_KestrovaDD");
    EXPECT_EQ(std::string(ManagerTextName(glm_RemoveFromListOfBlockingS)), "glm_RemoveFromListOfBlockingS");
    ManagerTextKey key;
    EXPECT_TRUE(FindManagerText("GLM_EXIT", key));
    EXPECT_EQ(key, glm_Exit);
    EXPECT_FALSE(FindManagerText("glm_SizeHelp", key));
}

TEST(ManagerTexts, FormattedTexts)
{
    LoadManagerTextDefaults();
    EXPECT_EQ(ManagerCaption(), "Kestrova Manager 1.07");
    EXPECT_EQ(FormatText(glm_KestrovaDD, 1, 7), "Kestrova Manager 1.07");
    // Colours show their hexadecimal digits in capitals.
    EXPECT_EQ(FormatText(glm_ValueColorX, 0x00ff80), "Color: BGR 00FF80");
    EXPECT_EQ(FormatText(glm_FontDescriptionSDSS, "Arial", 8, "bold", "default"),
              "Name: Arial\nSize: 8\nStyle: bold\nCharset: default");
    EXPECT_EQ(FormatText(glm_AddToListOfBlockingS, "game.exe"), "Add game.exe to list of blocking programs.");
}

// The file beside the program is the one the Manager ships: its English block names every key
// once and gives exactly the built-in texts.
TEST(ManagerTexts, ShippedLanguageFileHasEveryKeyWithTheEnglishText)
{
    ASSERT_TRUE(testsupport::PathExists(testsupport::ExeFolder() + "KvLang.dat"));
    ASSERT_TRUE(LoadLanguageFile());
    SelectLanguage("English");
    ASSERT_GT(SelectedLanguageLineCount(), 2 * kManagerTextCount - 1);
    for (int i = 0; i < kManagerTextCount; ++i) {
        const ManagerTextKey key = static_cast<ManagerTextKey>(i);
        TxString text("-");
        ASSERT_TRUE(GetLanguageText(ManagerTextName(key), text)) << ManagerTextName(key);
        EXPECT_STREQ(text.GetText(), ManagerTextDefault(key)) << ManagerTextName(key);
    }
    ApplyManagerLanguage("English");
    EXPECT_EQ(LanguageFileLineCount(), 0);
    EXPECT_EQ(SelectedLanguageLineCount(), 0);
    for (int i = 0; i < kManagerTextCount; ++i) {
        const ManagerTextKey key = static_cast<ManagerTextKey>(i);
        EXPECT_STREQ(Text(key), ManagerTextDefault(key)) << ManagerTextName(key);
    }
}

TEST(ManagerTexts, CaptionTable)
{
    EXPECT_EQ(kCaptionTableCount, 44);
    std::set<std::string> controls;
    for (int i = 0; i < kCaptionTableCount; ++i) {
        const CaptionEntry& entry = kCaptionTable[i];
        EXPECT_GE(static_cast<int>(entry.key), 0);
        EXPECT_LT(static_cast<int>(entry.key), static_cast<int>(kManagerTextCount));
        const std::string control =
            std::string(entry.form) + "." + entry.component + "." + std::to_string(entry.column);
        EXPECT_TRUE(controls.insert(control).second) << control << " twice";
    }
    struct CaptionCase {
        const char* form;
        const char* component;
        int column;
        ManagerTextKey key;
    };
    const CaptionCase cases[] = {
        {"TFormMain", "ListViewFolders", 2, glm_Images},
        {"TFormFileList", "ListViewFiles", 2, glm_Folder},
        {"TFormFileList", "", 0, glm_FileBrowserCaption},
        {"TFormSettings", "ButtonFontChange", 0, glm_ButtonChange},
        {"TFormProcessEnum", "", 0, glm_BlockingProgramsCaption},
        {"TFormTree", "CheckBoxIncludeSubfolders", 0, glm_ButtonIncludeSubfolders},
    };
    for (const CaptionCase& c : cases) {
        ManagerTextKey key = kManagerTextCount;
        EXPECT_TRUE(FindCaption(c.form, c.component, c.column, key)) << c.form << "." << c.component;
        EXPECT_EQ(key, c.key) << c.form << "." << c.component;
    }
    ManagerTextKey key;
    EXPECT_FALSE(FindCaption("TFormMain", "ListViewFolders", 3, key));
}
