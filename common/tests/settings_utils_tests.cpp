// The small shared utilities: date text, work area, font choice, registry text.
#include "settings_support.h"

#include "Uregutils.h"
#include "Wcommon.h"

#include "UTxStrings.h"

#include <cstring>
#include <string>

namespace {

FILETIME FileTimeOf(WORD year, WORD month, WORD day)
{
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    FILETIME result{};
    EXPECT_TRUE(::SystemTimeToFileTime(&time, &result));
    return result;
}

std::string ExpectedDate(WORD year, WORD month, WORD day)
{
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    char text[100] = "";
    EXPECT_GT(::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, text, sizeof(text)), 0);
    return text;
}

int CALLBACK CollectRegularFace(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM found)
{
    if (font->lfWeight == FW_NORMAL) *reinterpret_cast<bool*>(found) = true;
    return 1;
}

}  // namespace

TEST(SettingsUtils, DateTextIsTheUsersShortDate)
{
    char text[100];
    ConvertDateToString(FileTimeOf(2026, 3, 1), text, sizeof(text));
    EXPECT_EQ(std::string(text), ExpectedDate(2026, 3, 1));
    ConvertDateToString(FileTimeOf(1999, 12, 31), text, sizeof(text));
    EXPECT_EQ(std::string(text), ExpectedDate(1999, 12, 31));
}

TEST(SettingsUtils, InvalidDateGivesAnEmptyText)
{
    struct Case {
        const char* name;
        FILETIME time;
        int size;
    };
    const Case cases[] = {
        {"time beyond the valid range", {0, 0x80000000u}, 100},
        {"largest time", {0xFFFFFFFFu, 0xFFFFFFFFu}, 100},
        {"text too small for the date", FileTimeOf(2026, 3, 1), 2},
    };
    for (const Case& c : cases) {
        char text[100];
        std::memset(text, 'x', sizeof(text));
        ConvertDateToString(c.time, text, c.size);
        EXPECT_STREQ(text, "") << c.name;
    }
    ConvertDateToString(FileTimeOf(2026, 3, 1), nullptr, 100);
}

TEST(SettingsUtils, WorkAreaIsTheSystemsWorkArea)
{
    RECT expected;
    ASSERT_TRUE(::SystemParametersInfoA(SPI_GETWORKAREA, 0, &expected, 0));
    RECT work = {-1, -1, -1, -1};
    GetWorkScreenSize(work);
    EXPECT_TRUE(::EqualRect(&work, &expected));
}

TEST(SettingsUtils, FontProcTakesTheFirstFaceOfNormalWeight)
{
    struct Case {
        const char* name;
        LONG weight;
        const char* face;
        int result;          // 1 goes on enumerating, 0 stops
        const char* chosen;  // what the result text holds afterwards
    };
    const Case cases[] = {
        {"bold face skipped", FW_BOLD, "Tahoma", 1, ""},
        {"light face skipped", FW_LIGHT, "Tahoma", 1, ""},
        {"unspecified weight skipped", FW_DONTCARE, "Tahoma", 1, ""},
        {"normal face taken", FW_NORMAL, "Tahoma", 0, "Tahoma"},
        {"longest face name", FW_NORMAL, "Abcdefghijklmnopqrstuvwxyz12345", 0,
         "Abcdefghijklmnopqrstuvwxyz12345"},
    };
    for (const Case& c : cases) {
        ENUMLOGFONTEXA font = {};
        font.elfLogFont.lfWeight = c.weight;
        font.elfLogFont.lfCharSet = ANSI_CHARSET;
        std::strncpy(font.elfLogFont.lfFaceName, c.face, LF_FACESIZE - 1);
        std::strncpy(reinterpret_cast<char*>(font.elfFullName), c.face, LF_FULLFACESIZE - 1);
        NEWTEXTMETRICEXA metric = {};
        metric.ntmTm.tmWeight = c.weight;

        char result[LF_FACESIZE] = "";
        const int go = FindFontProc(&font.elfLogFont, reinterpret_cast<const TEXTMETRICA*>(&metric),
                                    TRUETYPE_FONTTYPE, reinterpret_cast<LPARAM>(result));
        EXPECT_EQ(go, c.result) << c.name;
        EXPECT_STREQ(result, c.chosen) << c.name;
    }
}

TEST(SettingsUtils, DefaultFontIsTahomaOnlyWhenARegularFaceIsInstalled)
{
    const HDC dc = ::GetDC(nullptr);
    LOGFONTA wanted = {};
    wanted.lfCharSet = DEFAULT_CHARSET;
    std::strcpy(wanted.lfFaceName, "Tahoma");
    bool regular = false;
    ::EnumFontFamiliesExA(dc, &wanted, &CollectRegularFace, reinterpret_cast<LPARAM>(&regular), 0);
    ::ReleaseDC(nullptr, dc);

    EXPECT_STREQ(FindDefaultFont(::GetDesktopWindow()), regular ? "Tahoma" : "Arial");
}

class RegistryString : public SettingsKeyTest {};

TEST_F(RegistryString, ReadsTextValuesOnly)
{
    SetRawValue("Setup", "Expand", REG_EXPAND_SZ, TextData("%SystemRoot%\\pictures"));
    SetRawValue("Setup", "Plain", REG_SZ, TextData("C:\\Program Files\\Kestrova"));
    SetRawValue("Setup", "Long", REG_SZ, TextData(std::string(600, 'l')));
    SetRawValue("Setup", "Longest", REG_SZ, TextData(std::string(511, 'm')));
    SetRawValue("Setup", "Number", REG_DWORD, DwordData(3));

    struct Case {
        const char* name;
        const char* subkey;
        const char* value;
        bool found;
        std::string text;
    };
    const Case cases[] = {
        {"expandable text unexpanded", KV_REG_ROOT "\\Setup", "Expand", true, "%SystemRoot%\\pictures"},
        {"plain text", KV_REG_ROOT "\\Setup", "Plain", true, "C:\\Program Files\\Kestrova"},
        {"511 characters fit", KV_REG_ROOT "\\Setup", "Longest", true, std::string(511, 'm')},
        {"600 characters do not fit", KV_REG_ROOT "\\Setup", "Long", false, "unchanged"},
        {"number is not a text", KV_REG_ROOT "\\Setup", "Number", false, "unchanged"},
        {"absent value", KV_REG_ROOT "\\Setup", "Absent", false, "unchanged"},
        {"absent key", KV_REG_ROOT "\\NoSuchKey", "Plain", false, "unchanged"},
    };
    for (const Case& c : cases) {
        TxString out("unchanged");
        EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, c.subkey, c.value, out), c.found) << c.name;
        EXPECT_EQ(std::string(out.GetText()), c.text) << c.name;
    }
}
