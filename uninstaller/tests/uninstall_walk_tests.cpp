// The removal walk without a window: real files, folders and registry entries, the progress lines
// compared whole; and the Agent stopped through its named events.
#include "KvAgentStandIn.h"
#include "KvTestSupport.h"
#include "UTxUtils.h"
#include "Uinstallvalues.h"
#include "UninstallPlaces.h"
#include "UninstallWalk.h"
#include "Uuninstlang.h"
#include "uninstall_support.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using uninstalltest::LocalTimeText;
using uninstalltest::MachineKeyExists;
using uninstalltest::MachineValueExists;
using uninstalltest::SetMachineValue;
using uninstalltest::TouchFile;

constexpr const char* kTestRunValue = "Kestrova Walk Run";
constexpr const char* kAgentRunValue = "Kestrova Agent";  // the installer's own name
// Said first by the walk of a log that does not end with the installation's time line.
const std::string kIncomplete =
    "The installation history file is incomplete: only what it lists was removed.";
const std::string kTestEntryKey = std::string(kUninstallKey) + "Kestrova";

class RemovalWalk : public ::testing::Test {
protected:
    void SetUp() override
    {
        LoadUninstallTextDefaults();
        Clean();
    }
    void TearDown() override { Clean(); }
    static void Clean()
    {
        HKEY run = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_WRITE, &run) == ERROR_SUCCESS) {
            ::RegDeleteValueA(run, kTestRunValue);
            ::RegCloseKey(run);
        }
        uninstalltest::DeleteMachineKey(kTestEntryKey.c_str());
        uninstalltest::DeleteMachineKey(kSetupKey);
        HKEY agentRun = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_WRITE, &agentRun) == ERROR_SUCCESS) {
            ::RegDeleteValueA(agentRun, kAgentRunValue);
            ::RegCloseKey(agentRun);
        }
    }

    // The installation's two programs that registry entries start, and the entries naming them.
    void InstallProgramsAndEntries(const std::string& folder, const char* runValue)
    {
        ASSERT_TRUE(testsupport::WriteFileBytes(folder + "\\Uninstall.exe", "MZ"));
        ASSERT_TRUE(testsupport::WriteFileBytes(folder + "\\KvAgent.exe", "MZ"));
        SetMachineValue(kRunKey, runValue, REG_SZ, "\"" + folder + "\\KvAgent.exe\" /r" + '\0');
        SetMachineValue(kTestEntryKey.c_str(), "UninstallString", REG_SZ,
                        "\"" + folder + "\\Uninstall.exe\"" + '\0');
    }

    // The walk of a log that lies in the test's folder.
    std::vector<std::string> Walk(const std::vector<std::string>& texts, RemovalOutcome* outcome = nullptr)
    {
        TxStringCollection lines(32, 64);
        for (const std::string& text : texts)
            lines.AddText(text.c_str());
        std::vector<std::string> progress;
        const RemovalOutcome result = RunRemoval(lines, PlacesOfInstallation(m_Root.Path()),
                                                 [&](const std::string& line) { progress.push_back(line); });
        if (outcome) *outcome = result;
        return progress;
    }

    testsupport::TempFolder m_Root{"Kv  Walk"};
};

TEST_F(RemovalWalk, EveryTagFromTheLastLineToTheFirst)
{
    const std::string dir = m_Root / "Kestrova";
    ASSERT_TRUE(::CreateDirectoryA(dir.c_str(), nullptr));
    const std::string program = dir + "\\KvAgent.exe";
    const std::string old = dir + "\\old.jpg";
    const std::string changed = dir + "\\changed.jpg";
    for (const std::string& file : {program, old, changed})
        ASSERT_TRUE(testsupport::WriteFileBytes(file, "x"));
    ASSERT_TRUE(::SetFileAttributesA(program.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(TouchFile(old, -60));
    ASSERT_TRUE(TouchFile(changed, -5));
    const std::string agentCommand = "\"" + m_Root / "KvAgent.exe" + "\" /r";
    SetMachineValue(kRunKey, kTestRunValue, REG_SZ, agentCommand + '\0');
    const std::string uninstallCommand = "\"" + m_Root / "Uninstall.exe" + "\"";
    SetMachineValue(kTestEntryKey.c_str(), "UninstallString", REG_SZ, uninstallCommand + '\0');
    const std::string missingFolder = m_Root / "Missing";

    const std::vector<std::string> progress = Walk({
        "S_FOLDER_ " + dir,
        "S_PRGFILE " + program,
        "S_IMGFILE " + old,
        "S_IMGFILE " + changed,
        "S_TIME___ " + LocalTimeText(-10),
        "S_AUTORUN " + std::string(kTestRunValue),
        "S_UNINST_ Kestrova",
        "S_UNINST_ Kestrova Walk Entry Missing",
        "S_AUTORUN Kestrova Walk Missing",
        "S_LNKFILE " + dir + "\\Kestrova.lnk",
        "S_FOLDER_ " + missingFolder,
        "S_OTHER__ " + old,
    });
    // The entry and the Run value go last, once the programs they start are gone.
    EXPECT_EQ(progress, (std::vector<std::string>{
                            kIncomplete,
                            "Folder " + missingFolder + " not found.",
                            "File " + dir + "\\Kestrova.lnk not found.",
                            "Cannot find Registry value Kestrova Walk Missing.",
                            "Cannot remove uninstall info from Registry.",
                            "File " + changed + " was modified - not deleted.",
                            "Deleted file " + old,
                            "Deleted file " + program,
                            "Cannot remove folder " + dir + ".",
                            "Removed uninstall info from Registry.",
                            "Removed Registry value Kestrova Walk Run",
                        }));
    EXPECT_TRUE(testsupport::PathExists(changed));
    EXPECT_FALSE(testsupport::PathExists(old));
    EXPECT_FALSE(testsupport::PathExists(program));
    EXPECT_FALSE(MachineValueExists(kRunKey, kTestRunValue));
    EXPECT_FALSE(MachineKeyExists(kTestEntryKey.c_str()));
}

TEST_F(RemovalWalk, AFolderGoesAfterTheFilesListedBelowIt)
{
    const std::string dir = m_Root / "Kv  Test";
    ASSERT_TRUE(::CreateDirectoryA(dir.c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteFileBytes(dir + "\\Install.log", "x"));
    const std::vector<std::string> progress =
        Walk({"S_FOLDER_ " + dir, "S_PRGFILE " + dir + "\\Install.log"});
    EXPECT_EQ(progress, (std::vector<std::string>{kIncomplete, "Deleted file " + dir + "\\Install.log",
                                                  "Removed folder " + dir}));
    EXPECT_FALSE(testsupport::PathExists(dir));
}

TEST_F(RemovalWalk, AnInstallationTimeThatCannotBeReadKeepsEveryImageAboveIt)
{
    for (const char* time : {"31.02.2026 10:00", "ab.cd.efgh ij:kl"}) {
        const std::string above = m_Root / "above.jpg";
        const std::string below = m_Root / "below.jpg";
        ASSERT_TRUE(testsupport::WriteFileBytes(above, "x"));
        ASSERT_TRUE(testsupport::WriteFileBytes(below, "x"));
        ASSERT_TRUE(TouchFile(above, -600));
        ASSERT_TRUE(TouchFile(below, -1));  // below any time line: judged against the walk's start
        const std::vector<std::string> progress =
            Walk({"S_IMGFILE " + above, std::string("S_TIME___ ") + time, "S_IMGFILE " + below});
        // Below any time line (an installation cut short) no image is known to be unchanged either.
        EXPECT_EQ(progress,
                  (std::vector<std::string>{kIncomplete, "File " + below + " was modified - not deleted.",
                                            "File " + above + " was modified - not deleted."}))
            << time;
        ::DeleteFileA(above.c_str());
        ::DeleteFileA(below.c_str());
    }
}

TEST_F(RemovalWalk, ImagesComparedWithTheInstallationTimeInUtc)
{
    // Files written a few minutes before and after the installation, whatever the time zone.
    const std::string before = m_Root / "before.jpg";
    const std::string after = m_Root / "after.jpg";
    ASSERT_TRUE(testsupport::WriteFileBytes(before, "x"));
    ASSERT_TRUE(testsupport::WriteFileBytes(after, "x"));
    ASSERT_TRUE(TouchFile(before, -125));
    ASSERT_TRUE(TouchFile(after, -115));
    const std::vector<std::string> progress =
        Walk({"S_IMGFILE " + before, "S_IMGFILE " + after, "S_TIME___ " + LocalTimeText(-120)});
    EXPECT_EQ(progress, (std::vector<std::string>{"File " + after + " was modified - not deleted.",
                                                  "Deleted file " + before}));
}

TEST_F(RemovalWalk, ImagesNoLongerAsInstalledStayAndAUtcLogIsReadAsUtc)
{
    // As installed: size, time and (by newer installers) the content's checksum logged. Replaced by
    // an older copy of the same size, by a larger one of the same time, edited with its size and time
    // kept, or left alone.
    const std::string same = m_Root / "same.jpg";
    const std::string older = m_Root / "older.jpg";
    const std::string larger = m_Root / "larger.jpg";
    const std::string edited = m_Root / "edited.jpg";
    const std::string oldLine = m_Root / "old-line.jpg";
    for (const std::string& file : {same, older, larger, edited, oldLine}) {
        ASSERT_TRUE(testsupport::WriteFileBytes(file, "xyz"));
        ASSERT_TRUE(TouchFile(file, -300));
    }
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ASSERT_TRUE(::GetFileAttributesExA(same.c_str(), GetFileExInfoStandard, &data));
    char time[17];
    std::snprintf(time, sizeof time, "%08lX%08lX", data.ftLastWriteTime.dwHighDateTime,
                  data.ftLastWriteTime.dwLowDateTime);
    ASSERT_TRUE(TouchFile(older, -400));
    ASSERT_TRUE(testsupport::WriteFileBytes(larger, "xyzw"));
    ASSERT_TRUE(TouchFile(larger, -300));
    ASSERT_TRUE(testsupport::WriteFileBytes(edited, "xqz"));
    for (const std::string& file : {edited, oldLine}) {  // the very size and time of the one left alone
        const FileHandle handle(
            ::CreateFileA(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(handle && ::SetFileTime(handle.get(), nullptr, nullptr, &data.ftLastWriteTime));
    }
    // The installation ten minutes ago in UTC, whatever this process's zone.
    SYSTEMTIME utc = {};
    FILETIME now = {};
    ::GetSystemTimeAsFileTime(&now);
    const FILETIME then = testsupport::FileTimeFromUnits(testsupport::FileTimeUnits(now) - 10 * 600000000ULL);
    ::FileTimeToSystemTime(&then, &utc);
    char installed[32];
    std::snprintf(installed, sizeof installed, "%02u.%02u.%04u %02u:%02u", utc.wDay, utc.wMonth, utc.wYear,
                  utc.wHour, utc.wMinute);
    std::vector<std::string> log;
    // 0xEB8EBA67: the CRC-32 of "xyz". The line of an earlier installer has no checksum.
    for (const std::string& file : {same, older, larger, edited}) {
        log.push_back("S_IMGFILE " + file);
        log.push_back("S_IMGID__ 3 " + std::string(time) + " EB8EBA67 " + file);
    }
    log.push_back("S_IMGFILE " + oldLine);
    log.push_back("S_IMGID__ 3 " + std::string(time) + " " + oldLine);
    log.push_back("S_ZONE___ UTC");
    log.push_back(std::string("S_TIME___ ") + installed);
    EXPECT_EQ(Walk(log), (std::vector<std::string>{
                             "Deleted file " + oldLine, "File " + edited + " was modified - not deleted.",
                             "File " + larger + " was modified - not deleted.",
                             "File " + older + " was modified - not deleted.", "Deleted file " + same}));
    EXPECT_TRUE(testsupport::PathExists(older));
    EXPECT_TRUE(testsupport::PathExists(larger));
    EXPECT_TRUE(testsupport::PathExists(edited));
}

TEST_F(RemovalWalk, LinesOutsideTheInstallationAreRefusedAndSaidSo)
{
    // Sentinels beside the installation's folder, and the registry entries of another program.
    testsupport::TempFolder outside("Kv  Outside");
    const std::string sentinel = outside / "keep.txt";
    ASSERT_TRUE(testsupport::WriteFileBytes(sentinel, "keep"));
    const std::string otherCommand = "\"" + outside / "Other.exe" + "\" /r";
    SetMachineValue(kRunKey, kTestRunValue, REG_SZ, otherCommand + '\0');
    SetMachineValue(kTestEntryKey.c_str(), "UninstallString", REG_SZ,
                    "\"" + outside / "Uninstall.exe" + "\"" + '\0');
    const std::string relative =
        "..\\" + outside.Path().substr(outside.Path().find_last_of('\\') + 1) + "\\keep.txt";
    const std::vector<std::string> lines = {
        "S_PRGFILE " + sentinel,
        "S_IMGFILE " + sentinel,
        "S_LNKFILE " + sentinel,
        "S_FOLDER_ " + outside.Path(),
        "S_PRGFILE " + m_Root.Path() + "\\..\\" +
            outside.Path().substr(outside.Path().find_last_of('\\') + 1) + "\\keep.txt",
        "S_PRGFILE " + relative,
        "S_AUTORUN " + std::string(kTestRunValue),
        "S_UNINST_ Kestrova",
        "S_TIME___ " + LocalTimeText(0),
    };
    std::vector<std::string> expected;
    for (auto line = lines.rbegin() + 1; line != lines.rend(); ++line)
        expected.push_back(line->substr(10) + " is not part of this installation - not removed.");
    EXPECT_EQ(Walk(lines), expected);
    EXPECT_EQ(testsupport::ReadFileBytes(sentinel), "keep");
    EXPECT_TRUE(MachineValueExists(kRunKey, kTestRunValue));
    EXPECT_TRUE(MachineKeyExists(kTestEntryKey.c_str()));
}

TEST_F(RemovalWalk, AFolderDirectlyInTheProfileIsNeverRemoved)
{
    // An installation in a folder of the user's own (as Downloads\\Kestrova), left empty by it.
    char profile[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(::SHGetFolderPathA(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, profile)));
    const std::string user = std::string(profile) + "\\Kv Walk Downloads";
    const std::string install = user + "\\Kestrova";
    ::CreateDirectoryA(user.c_str(), nullptr);
    ASSERT_TRUE(::CreateDirectoryA(install.c_str(), nullptr));
    TxStringCollection lines(32, 64);
    lines.AddText(("S_FOLDER_ " + user).c_str());
    lines.AddText(("S_FOLDER_ " + install).c_str());
    std::vector<std::string> progress;
    RunRemoval(lines, PlacesOfInstallation(install),
               [&](const std::string& line) { progress.push_back(line); });
    EXPECT_EQ(progress,
              (std::vector<std::string>{kIncomplete, "Removed folder " + install,
                                        user + " is not part of this installation - not removed."}));
    EXPECT_TRUE(testsupport::PathExists(user));
    ::RemoveDirectoryA(install.c_str());
    ::RemoveDirectoryA(user.c_str());
}

TEST_F(RemovalWalk, TheEntryAndTheRunValueGoOnlyWithTheProgramsTheyStart)
{
    struct Case {
        const char* what;
        bool uninstallerListed, agentListed;
        std::vector<std::string> registryLines;  // after the file lines
        int kept;
    };
    const std::string uninstaller = m_Root / "Uninstall.exe";
    const std::string agent = m_Root / "KvAgent.exe";
    const Case cases[] = {
        {"both programs listed",
         true,
         true,
         {"Removed uninstall info from Registry.", std::string("Removed Registry value ") + kTestRunValue},
         0},
        {"the uninstaller not listed, so it stays",
         false,
         true,
         {"Uninstall info kept in the Registry: " + uninstaller + " is still there.",
          std::string("Removed Registry value ") + kTestRunValue},
         1},
        {"the Agent not listed, so it stays",
         true,
         false,
         {"Removed uninstall info from Registry.",
          std::string("Registry value ") + kTestRunValue + " kept: the Agent it starts is still there."},
         1},
    };
    for (const Case& c : cases) {
        InstallProgramsAndEntries(m_Root.Path(), kTestRunValue);
        std::vector<std::string> log;
        std::vector<std::string> expected;
        if (c.agentListed) log.push_back("S_PRGFILE " + agent);
        if (c.uninstallerListed) log.push_back("S_PRGFILE " + uninstaller);
        for (auto line = log.rbegin(); line != log.rend(); ++line)
            expected.push_back("Deleted file " + line->substr(10));
        expected.insert(expected.end(), c.registryLines.begin(), c.registryLines.end());
        log.insert(log.end(), {"S_AUTORUN " + std::string(kTestRunValue), "S_UNINST_ Kestrova",
                               "S_TIME___ " + LocalTimeText(0)});
        RemovalOutcome outcome;
        EXPECT_EQ(Walk(log, &outcome), expected) << c.what;
        EXPECT_EQ(outcome.kept, c.kept) << c.what;
        EXPECT_EQ(MachineKeyExists(kTestEntryKey.c_str()), !c.uninstallerListed) << c.what;
        EXPECT_EQ(MachineValueExists(kRunKey, kTestRunValue), !c.agentListed) << c.what;
        ::DeleteFileA(uninstaller.c_str());
        ::DeleteFileA(agent.c_str());
        Clean();
    }
}

TEST_F(RemovalWalk, AnInstallationInAKnownFolderKeepsItsProgramsWithTheEntriesLeadingToThem)
{
    // Installed with its folder named as the user's own Pictures: nothing there is its to remove.
    char pictures[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(::SHGetFolderPathA(nullptr, CSIDL_MYPICTURES | CSIDL_FLAG_CREATE, nullptr,
                                             SHGFP_TYPE_CURRENT, pictures)));
    const std::string folder = pictures;
    InstallProgramsAndEntries(folder, kTestRunValue);
    TxStringCollection lines(32, 64);
    for (const std::string& line :
         {"S_PRGFILE " + folder + "\\KvAgent.exe", "S_PRGFILE " + folder + "\\Uninstall.exe",
          "S_AUTORUN " + std::string(kTestRunValue), std::string("S_UNINST_ Kestrova"),
          "S_TIME___ " + LocalTimeText(0)})
        lines.AddText(line.c_str());
    std::vector<std::string> progress;
    const RemovalOutcome outcome = RunRemoval(lines, PlacesOfInstallation(folder),
                                              [&](const std::string& line) { progress.push_back(line); });
    EXPECT_EQ(
        progress,
        (std::vector<std::string>{
            folder + "\\Uninstall.exe is not part of this installation - not removed.",
            folder + "\\KvAgent.exe is not part of this installation - not removed.",
            "Uninstall info kept in the Registry: " + folder + "\\Uninstall.exe is still there.",
            std::string("Registry value ") + kTestRunValue + " kept: the Agent it starts is still there.",
        }));
    EXPECT_EQ(outcome.kept, 4);
    EXPECT_TRUE(testsupport::PathExists(folder + "\\Uninstall.exe"));
    EXPECT_TRUE(MachineKeyExists(kTestEntryKey.c_str()));
    EXPECT_TRUE(MachineValueExists(kRunKey, kTestRunValue));
    ::DeleteFileA((folder + "\\Uninstall.exe").c_str());
    ::DeleteFileA((folder + "\\KvAgent.exe").c_str());
}

TEST_F(RemovalWalk, ALogCutShortRemovesWhatItListsAndNoEntryOutlivesItsProgram)
{
    // The installation stopped before its last lines: the entries it made are not in its log.
    const std::string uninstaller = m_Root / "Uninstall.exe";
    const std::string agent = m_Root / "KvAgent.exe";
    for (bool uninstallerListed : {true, false}) {
        InstallProgramsAndEntries(m_Root.Path(), kAgentRunValue);
        std::vector<std::string> log = {"S_FOLDER_ " + m_Root / "Images", "S_PRGFILE " + agent};
        if (uninstallerListed) log.push_back("S_PRGFILE " + uninstaller);
        ASSERT_TRUE(::CreateDirectoryA((m_Root / "Images").c_str(), nullptr));
        RemovalOutcome outcome;
        const std::vector<std::string> progress = Walk(log, &outcome);
        std::vector<std::string> expected = {kIncomplete};
        if (uninstallerListed) expected.push_back("Deleted file " + uninstaller);
        expected.push_back("Deleted file " + agent);
        expected.push_back("Removed folder " + m_Root / "Images");
        expected.push_back(uninstallerListed
                               ? "Removed uninstall info from Registry."
                               : "Uninstall info kept in the Registry: " + uninstaller + " is still there.");
        expected.push_back(std::string("Removed Registry value ") + kAgentRunValue);
        EXPECT_EQ(progress, expected) << uninstallerListed;
        EXPECT_TRUE(outcome.logIncomplete);
        EXPECT_EQ(outcome.kept, uninstallerListed ? 0 : 1);
        EXPECT_EQ(MachineKeyExists(kTestEntryKey.c_str()), !uninstallerListed);
        EXPECT_FALSE(MachineValueExists(kRunKey, kAgentRunValue));
        ::DeleteFileA(uninstaller.c_str());
        Clean();
    }
}

TEST_F(RemovalWalk, WithoutARegisteredInstallationTheScreenSaverGoesOnlyWhenItIsTheOneLogged)
{
    char system[MAX_PATH] = {};
    ASSERT_GT(::GetSystemDirectoryA(system, sizeof system), 0u);
    const std::string saver = std::string(system) + "\\Kestrova.scr";
    struct Case {
        const char* what;
        const char* content;  // of the saver found; the log identifies "xyz"
        bool identityLine;
        const char* registered;  // InstalledPrgDir: nullptr none, "" this installation, else another
        bool removed;
    };
    const Case cases[] = {
        {"none registered, the saver as logged", "xyz", true, nullptr, true},
        {"none registered, another saver of the same size and time", "xqz", true, nullptr, false},
        {"none registered, a log without the saver's identity", "xyz", false, nullptr, false},
        {"another installation registered", "xyz", true, "C:\\Kv Walk Other", false},
        {"this installation registered, a log without the saver's identity", "xyz", false, "", true},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(testsupport::WriteFileBytes(saver, "xyz"));
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        ASSERT_TRUE(::GetFileAttributesExA(saver.c_str(), GetFileExInfoStandard, &data));
        ASSERT_TRUE(testsupport::WriteFileBytes(saver, c.content));
        {
            const FileHandle handle(
                ::CreateFileA(saver.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            ASSERT_TRUE(handle && ::SetFileTime(handle.get(), nullptr, nullptr, &data.ftLastWriteTime));
        }
        if (c.registered)
            SetMachineValue(kSetupKey, kInstalledPrgDir, REG_SZ,
                            (*c.registered ? std::string(c.registered) : m_Root.Path()) + '\0');
        char time[17];
        std::snprintf(time, sizeof time, "%08lX%08lX", data.ftLastWriteTime.dwHighDateTime,
                      data.ftLastWriteTime.dwLowDateTime);
        std::vector<std::string> log = {"S_PRGFILE " + saver};
        // 0xEB8EBA67: the CRC-32 of "xyz".
        if (c.identityLine) log.push_back("S_IMGID__ 3 " + std::string(time) + " EB8EBA67 " + saver);
        log.push_back("S_TIME___ " + LocalTimeText(0));
        RemovalOutcome outcome;
        EXPECT_EQ(Walk(log, &outcome),
                  (std::vector<std::string>{
                      c.removed ? "Deleted file " + saver
                                : saver + " is not part of this installation - not removed."}))
            << c.what;
        EXPECT_EQ(outcome.sharedPiecesOurs, c.removed) << c.what;
        EXPECT_EQ(testsupport::PathExists(saver), !c.removed) << c.what;
        ::DeleteFileA(saver.c_str());
        Clean();
    }
}

TEST_F(RemovalWalk, PathsInShortNamesAreThoseOfTheInstallation)
{
    const std::string dir = m_Root / "Kestrova Long Folder Name";
    ASSERT_TRUE(::CreateDirectoryA(dir.c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteFileBytes(dir + "\\Kestrova Agent Program.exe", "MZ"));
    char shortFile[MAX_PATH] = {};
    ASSERT_GT(
        ::GetShortPathNameA((dir + "\\Kestrova Agent Program.exe").c_str(), shortFile, sizeof shortFile), 0u);
    const std::string file = shortFile;
    const std::string folder = file.substr(0, file.find_last_of('\\'));
    ASSERT_EQ(file.find(' '), std::string::npos) << file;  // every part in its 8.3 form
    const std::vector<std::string> progress =
        Walk({"S_FOLDER_ " + folder, "S_PRGFILE " + file, "S_TIME___ " + LocalTimeText(0)});
    EXPECT_EQ(progress, (std::vector<std::string>{"Deleted file " + file, "Removed folder " + folder}));
    EXPECT_FALSE(testsupport::PathExists(dir));
}

// The pending deletions that name `path` (in their "\??\" form) in PendingFileRenameOperations;
// with `remove`, takes them out again, so no restart of the test prefix acts on them.
int PendingDeletions(const std::string& path, bool remove)
{
    const char* key = "System\\CurrentControlSet\\Control\\Session Manager";
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ | KEY_WRITE, &opened) != ERROR_SUCCESS) return 0;
    const RegKey held(opened);
    DWORD size = 0;
    DWORD type = 0;
    if (::RegQueryValueExA(held.get(), "PendingFileRenameOperations", nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS)
        return 0;
    std::string data(size, '\0');
    ::RegQueryValueExA(held.get(), "PendingFileRenameOperations", nullptr, &type,
                       reinterpret_cast<BYTE*>(&data[0]), &size);
    std::vector<std::string> strings;
    for (size_t at = 0; at < data.size();) {
        const size_t end = data.find('\0', at);
        strings.push_back(data.substr(at, end == std::string::npos ? std::string::npos : end - at));
        if (end == std::string::npos) break;
        at = end + 1;
    }
    int found = 0;
    std::string kept;
    for (size_t i = 0; i + 1 < strings.size(); i += 2) {
        if (::lstrcmpiA(strings[i].c_str(), ("\\??\\" + path).c_str()) == 0 && strings[i + 1].empty()) {
            ++found;
            if (remove) continue;
        }
        if (strings[i].empty()) continue;
        kept += strings[i] + '\0' + strings[i + 1] + '\0';
    }
    if (remove && found > 0) {
        kept += '\0';
        ::RegSetValueExA(held.get(), "PendingFileRenameOperations", 0, REG_MULTI_SZ,
                         reinterpret_cast<const BYTE*>(kept.data()), static_cast<DWORD>(kept.size()));
    }
    return found;
}

TEST_F(RemovalWalk, AFileInUseIsScheduledForTheRestartNoLongerReadOnly)
{
    const std::string dir = m_Root / "Held";
    ASSERT_TRUE(::CreateDirectoryA(dir.c_str(), nullptr));
    const std::string held = dir + "\\KvApi.dll";
    const std::string free = dir + "\\KvImage.dll";
    ASSERT_TRUE(testsupport::WriteFileBytes(held, "MZ"));
    ASSERT_TRUE(testsupport::WriteFileBytes(free, "MZ"));
    ASSERT_TRUE(::SetFileAttributesA(held.c_str(), FILE_ATTRIBUTE_READONLY));
    RemovalOutcome outcome;
    std::vector<std::string> progress;
    {
        // Open as a running program holds it: no share-delete.
        const FileHandle open(::CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                            nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(open);
        progress = Walk({"S_FOLDER_ " + dir, "S_PRGFILE " + held, "S_PRGFILE " + free}, &outcome);
    }
    EXPECT_EQ(progress, (std::vector<std::string>{
                            kIncomplete,
                            "Deleted file " + free,
                            "File " + held + " is in use - it will be deleted at the next restart.",
                            "Folder " + dir + " will be removed at the next restart.",
                        }));
    EXPECT_EQ(outcome.scheduled, 1);
    EXPECT_EQ(outcome.failed, 0);
    // A read-only file would survive the restart.
    EXPECT_EQ(::GetFileAttributesA(held.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(PendingDeletions(held, true), 1);
    EXPECT_EQ(PendingDeletions(dir, true), 1);
    ::SetFileAttributesA(held.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(held.c_str());
    ::RemoveDirectoryA(dir.c_str());
}

using testsupport::AgentStandIn;

TEST(StopAgent, WithoutAnAgentNothingIsShownAndNothingAwaited)
{
    LoadUninstallTextDefaults();
    std::vector<std::string> lines;
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(StopAgent([&](const std::string& line) { lines.push_back(line); }, nullptr));
    EXPECT_TRUE(lines.empty());
    // However slow the machine, shorter than the fixed wait that follows a signalled Agent.
    EXPECT_LT(::GetTickCount() - start,
              std::min<DWORD>(testsupport::ScaledMs(1000),
                              AgentStopTimes().fixedWaitMs - testsupport::kTickStepMs));
}

TEST(StopAgent, SignalsWaitsTheFixedTimeThenUntilTheAgentIsGone)
{
    LoadUninstallTextDefaults();
    std::vector<std::string> lines;
    int shownAfterLines = -1;
    AgentStandIn agent(700);
    const DWORD start = ::GetTickCount();
    EXPECT_TRUE(StopAgent([&](const std::string& line) { lines.push_back(line); },
                          [&] { shownAfterLines = static_cast<int>(lines.size()); },
                          {100, testsupport::ScaledMs(5000)}));
    const DWORD elapsed = ::GetTickCount() - start;
    EXPECT_EQ(lines, std::vector<std::string>{"Stopping Kestrova Agent..."});
    EXPECT_EQ(shownAfterLines, 1);
    EXPECT_TRUE(agent.Signalled());
    EXPECT_TRUE(agent.Ended());  // the wait outlasted the fixed 100 ms until the Agent was gone
    EXPECT_LT(elapsed, testsupport::ScaledMs(3000));  // well short of the limit
}

TEST(StopAgent, AnAgentThatStaysIsAwaitedOnlyUpToTheLimit)
{
    LoadUninstallTextDefaults();
    AgentStandIn agent(AgentStandIn::kNeverEnds);
    const DWORD start = ::GetTickCount();
    EXPECT_TRUE(StopAgent([](const std::string&) {}, nullptr, {100, 600}));
    const DWORD elapsed = ::GetTickCount() - start;
    EXPECT_GE(elapsed, 650u);
    EXPECT_LT(elapsed, testsupport::ScaledMs(3000));
    EXPECT_TRUE(agent.Signalled());
}

}  // namespace
