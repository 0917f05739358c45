// Which paths of an install log the uninstaller acts on, judged on the text: every form by which a
// crafted or damaged line could reach outside the installation.
#include "RemovalPathCheck.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct NormaliseCase {
    const char* path;
    const char* normalised;  // null: refused
};
const NormaliseCase kNormaliseCases[] = {
    {"C:\\Program Files\\Kestrova\\KvApi.dll", "C:\\Program Files\\Kestrova\\KvApi.dll"},
    {"c:\\kv\\a.jpg", "C:\\kv\\a.jpg"},
    {"C:/Kv/a.jpg", "C:\\Kv\\a.jpg"},
    {"C:\\Kv\\\\a.jpg", "C:\\Kv\\a.jpg"},
    {"C:\\Kv\\.\\a.jpg", "C:\\Kv\\a.jpg"},
    {"C:\\Kv\\", "C:\\Kv"},
    {"C:\\Kv  Test\\a b.jpg", "C:\\Kv  Test\\a b.jpg"},
    {"C:\\Kv\\..\\windows\\win.ini", nullptr},
    {"C:\\Kv\\a\\..", nullptr},
    {"..\\win.ini", nullptr},
    {"win.ini", nullptr},
    {"C:win.ini", nullptr},
    {"C:", nullptr},
    {"C:\\", nullptr},
    {"C:\\\\", nullptr},
    {"\\windows\\win.ini", nullptr},
    {"\\\\server\\share\\x", nullptr},
    {"\\\\?\\C:\\windows\\win.ini", nullptr},
    {"\\\\.\\C:\\windows\\win.ini", nullptr},
    {"//?/C:/windows/win.ini", nullptr},
    {"\\??\\C:\\windows\\win.ini", nullptr},
    {" C:\\Kv\\a.jpg", nullptr},
    {"C:\\Kv\\a.jpg ", nullptr},
    {"C:\\Kv\\a.jpg.", nullptr},
    {"C:\\Kv\\...\\a.jpg", nullptr},
    {"C:\\Kv\\a.jpg:stream", nullptr},
    {"C:\\Kv\\a?.jpg", nullptr},
    {"C:\\Kv\\a*", nullptr},
    {"C:\\Kv\\a\tb", nullptr},
    {"C:\\Kv\\NUL", nullptr},
    {"C:\\Kv\\con.txt", nullptr},
    {"C:\\Kv\\LPT1", nullptr},
    {"C:\\Kv\\COM0", "C:\\Kv\\COM0"},
    {"1:\\Kv", nullptr},
    {"", nullptr},
};

TEST(RemovalPath, OnlyAbsolutePathsOfPlainNamesAreNormalised)
{
    for (const NormaliseCase& c : kNormaliseCases) {
        std::string normalised = "unchanged";
        const bool accepted = NormaliseRemovalPath(c.path, normalised);
        EXPECT_EQ(accepted, c.normalised != nullptr) << c.path;
        EXPECT_EQ(normalised, c.normalised ? c.normalised : "unchanged") << c.path;
    }
    const std::string longest = "C:\\" + std::string(kMaxRemovalPath - 3, 'x');
    std::string normalised;
    EXPECT_TRUE(NormaliseRemovalPath(longest, normalised));
    EXPECT_FALSE(NormaliseRemovalPath(longest + "x", normalised));
    EXPECT_FALSE(NormaliseRemovalPath("C:\\Kv\\" + std::string(65000, 'x'), normalised));
}

InstallPlaces Places(const std::string& installFolder)
{
    InstallPlaces places;
    places.installFolder = installFolder;
    places.menuFolders = {"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Kestrova"};
    places.screenSaver = "C:\\windows\\system32\\Kestrova.scr";
    places.systemFolders = {"C:\\windows",
                            "C:\\windows\\system32",
                            "C:\\Program Files",
                            "C:\\users\\u",
                            "C:\\users\\u\\Desktop",
                            "C:\\users\\u\\Pictures",
                            "C:\\users",
                            "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs",
                            "C:\\windows\\temp"};
    return places;
}

struct PlaceCase {
    const char* installFolder;
    const char* path;
    bool isFolder;
    PathPlace place;
};
const PlaceCase kPlaceCases[] = {
    {"C:\\Program Files\\Kestrova", "C:\\Program Files\\Kestrova", true, PathPlace::InstallFolder},
    {"C:\\Program Files\\Kestrova", "c:\\program files\\KESTROVA\\KvApi.dll", false,
     PathPlace::InstallFolder},
    {"C:\\Program Files\\Kestrova", "C:\\Program Files\\Kestrova\\Images\\a.jpg", false,
     PathPlace::InstallFolder},
    {"C:\\Program Files\\Kestrova", "C:\\Program Files\\Kestrova Other\\a.exe", false, PathPlace::Refused},
    {"C:\\Program Files\\Kestrova", "C:\\Program Files\\Kestrov", true, PathPlace::Refused},
    {"C:\\Program Files\\Kestrova", "C:\\Program Files\\Kestrova\\..\\Other\\a.exe", false,
     PathPlace::Refused},
    {"C:\\Program Files\\Kestrova", "C:\\windows\\win.ini", false, PathPlace::Refused},
    {"C:\\Program Files\\Kestrova", "D:\\Program Files\\Kestrova\\KvApi.dll", false, PathPlace::Refused},
    {"C:\\Program Files\\Kestrova", "C:\\windows\\system32\\Kestrova.scr", false, PathPlace::ScreenSaver},
    {"C:\\Program Files\\Kestrova", "C:\\windows\\system32\\Kestrova.scr", true, PathPlace::Refused},
    {"C:\\Program Files\\Kestrova", "C:\\windows\\system32\\other.scr", false, PathPlace::Refused},
    {"C:\\Program Files\\Kestrova", "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Kestrova",
     true, PathPlace::MenuFolder},
    {"C:\\Program Files\\Kestrova",
     "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Kestrova\\Help.lnk", false,
     PathPlace::MenuFolder},
    {"C:\\Program Files\\Kestrova", "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Other.lnk",
     false, PathPlace::Refused},
    {"C:\\Program Files\\Kestrova", "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs", true,
     PathPlace::Refused},
    // Parents of the install folder: only folders the installer may have made, never the system's.
    {"C:\\Program Files\\Kestrova", "C:\\Program Files", true, PathPlace::Refused},
    {"C:\\Apps\\New\\Kestrova", "C:\\Apps\\New", true, PathPlace::ParentFolder},
    {"C:\\Apps\\New\\Kestrova", "C:\\Apps", true, PathPlace::ParentFolder},
    {"C:\\Apps\\New\\Kestrova", "C:\\Apps\\New", false, PathPlace::Refused},
    {"C:\\Apps\\New\\Kestrova", "C:\\Apps\\Old", true, PathPlace::Refused},
    {"C:\\users\\u\\Pictures\\Kestrova", "C:\\users\\u\\Pictures", true, PathPlace::Refused},
    {"C:\\users\\u\\Pictures\\Kestrova", "C:\\users\\u", true, PathPlace::Refused},
    {"C:\\users\\u\\Pictures\\Kestrova", "C:\\users\\u\\Pictures\\Kestrova\\Images\\Garden.jpg", false,
     PathPlace::InstallFolder},
    // An Install.log placed in a folder of the system, or above one, makes nothing inside it ours.
    {"C:\\windows", "C:\\windows\\win.ini", false, PathPlace::Refused},
    {"C:\\users", "C:\\users\\u\\Desktop\\a.txt", false, PathPlace::Refused},
    {"C:\\users\\u\\Desktop", "C:\\users\\u\\Desktop\\a.txt", false, PathPlace::Refused},
    {"", "C:\\Kv\\a.txt", false, PathPlace::Refused},
};

TEST(RemovalPath, OnlyTheInstallationsOwnPlacesAreActedOn)
{
    for (const PlaceCase& c : kPlaceCases) {
        const PathVerdict verdict = CheckRemovalPath(c.path, c.isFolder, Places(c.installFolder));
        EXPECT_EQ(verdict.place, c.place) << c.installFolder << " / " << c.path;
        if (verdict.place == PathPlace::Refused)
            EXPECT_EQ(verdict.path, "") << c.path;
        else
            EXPECT_FALSE(verdict.path.empty()) << c.path;
    }
}

struct CommandCase {
    const char* command;
    bool startsAgent;
};
const CommandCase kCommandCases[] = {
    {"\"C:\\Program Files\\Kestrova\\KvAgent.exe\" /r", true},
    {"\"c:\\program files\\kestrova\\kvagent.exe\" /r", true},
    {"C:\\Kv\\KvAgent.exe /r", false},
    {"\"C:\\Program Files\\Kestrova\\Other.exe\" /r", false},
    {"\"C:\\Program Files\\Kestrova\\..\\Kestrova\\KvAgent.exe\" /r", false},
    {"\"C:\\Program Files\\Kestrova Two\\KvAgent.exe\" /r", false},
    {"\"C:\\Program Files\\Kestrova\\KvAgent.exe", false},
    {"", false},
};

TEST(RemovalPath, ARunValueIsThisInstallationsWhenItStartsItsAgent)
{
    for (const CommandCase& c : kCommandCases)
        EXPECT_EQ(CommandStartsProgramIn(c.command, "C:\\Program Files\\Kestrova", "KvAgent.exe"),
                  c.startsAgent)
            << c.command;
    EXPECT_TRUE(CommandStartsProgramIn("C:\\Kv\\Uninstall.exe", "C:\\Kv", "Uninstall.exe"));
    EXPECT_EQ(ProgramOfCommand("  \"C:\\a b\\x.exe\" /r"), "C:\\a b\\x.exe");
    EXPECT_EQ(ProgramOfCommand("C:\\a\\x.exe /r"), "C:\\a\\x.exe");
}

}  // namespace
