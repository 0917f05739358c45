// KvManag.exe started over hostile states of the user's files and registry: locked and damaged
// database files, values of the wrong type, an overlong blocking list, a hostile language file, a
// close while a start-up message box is open, a session end after edits, a second Manager. Each
// run must end normally, and what the user had must still be in the files and the registry (or in
// the ".bad" copy), as read back from outside.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "DatabaseFileState.h"
#include "manager_e2e_support.h"
#include "Uregistryroot.h"

using namespace managertest;
using testsupport::LogReceiver;
using testsupport::TempFolder;

namespace {

// Every value under a key and its subkeys: "subkey path|value name" -> type and bytes.
using RegistryImage = std::map<std::string, testsupport::RegValue>;

void TakeKey(HKEY root, const std::string& path, RegistryImage& image)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    for (DWORD i = 0;; ++i) {
        char name[256] = {};
        DWORD nameSize = sizeof name;
        DWORD type = 0;
        std::vector<BYTE> data(4096);
        DWORD dataSize = static_cast<DWORD>(data.size());
        if (::RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data.data(), &dataSize) != ERROR_SUCCESS)
            break;
        testsupport::RegValue value;
        value.exists = true;
        value.type = type;
        value.bytes.assign(reinterpret_cast<const char*>(data.data()), dataSize);
        image[path + "|" + name] = value;
    }
    std::vector<std::string> subkeys;
    for (DWORD i = 0;; ++i) {
        char name[256] = {};
        DWORD nameSize = sizeof name;
        if (::RegEnumKeyExA(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        subkeys.push_back(name);
    }
    ::RegCloseKey(key);
    for (const std::string& sub : subkeys)
        TakeKey(root, path + "\\" + sub, image);
}

RegistryImage TakeSettings()
{
    RegistryImage image;
    TakeKey(HKEY_CURRENT_USER, kSettingsKey, image);
    return image;
}

void PutSettings(const RegistryImage& image)
{
    testsupport::DeleteRegTree(HKEY_CURRENT_USER, kSettingsKey);
    for (const auto& entry : image) {
        const size_t bar = entry.first.find('|');
        testsupport::WriteRegValue(HKEY_CURRENT_USER, entry.first.substr(0, bar),
                                   entry.first.substr(bar + 1).c_str(), entry.second.type,
                                   entry.second.bytes);
    }
}

void PutU32(std::string& data, size_t offset, DWORD value)
{
    std::memcpy(&data[offset], &value, 4);
}

// A file held open without sharing, as another program can hold one, until released.
class LockedFile {
public:
    void Lock(const std::string& path)
    {
        m_hFile = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    }
    bool Locked() const { return m_hFile != INVALID_HANDLE_VALUE; }
    void Release()
    {
        if (Locked()) ::CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
    }
    ~LockedFile() { Release(); }

private:
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
};

enum class Hostility {
    LockFolderList,
    LockRecords,
    LockStrings,
    CutFolderList,
    HugeFolderPathLength,
    NewerFolderList,
    FolderListCopyFails,
    JunkRecords,
    JunkRecordsCopyFails,
    JunkStrings,
    ConfiguredAsText,
    MinSizeAsText,
    LongBlockingList,
    NoConfigured,
};

enum class Damaged { None, FolderList, Records, Strings };

struct StartupCase {
    const char* name;
    Hostility hostility;
    bool sampleFolder;      // the installer's sample folder names a folder that exists
    const char* box;        // part of the start-up message's text; null: no message
    bool closeWhileBox;     // a WM_CLOSE reaches the Manager while its message is open
    Damaged damaged;        // the file whose damaged bytes the ".bad" copy holds
    bool imageListRebuilt;  // the image list may be made afresh (its damaged file was kept)
    const char* mayChange;  // registry values ("subkey|name" after the root) a run may rewrite
};

const char* const kLocked = "is in use by another program";
const char* const kKept = "A copy of it has been kept as";
const char* const kNotKept = "no copy of it could be made";

const StartupCase kCases[] = {
    {"folder list locked, sample folder", Hostility::LockFolderList, true, kLocked, false, Damaged::None,
     false, "|AllFilesCount"},
    {"folder list locked, no sample folder, closed during the message", Hostility::LockFolderList, false,
     kLocked, true, Damaged::None, false, "|AllFilesCount"},
    {"record file locked", Hostility::LockRecords, true, kLocked, false, Damaged::None, false, ""},
    {"string file locked, closed during the message", Hostility::LockStrings, true, kLocked, true,
     Damaged::None, false, ""},
    {"folder list cut short, sample folder", Hostility::CutFolderList, true, kKept, false,
     Damaged::FolderList, false, "|AllFilesCount"},
    {"folder list with a path length of 0xFFFFFFF0, no sample folder, closed during the message",
     Hostility::HugeFolderPathLength, false, kKept, true, Damaged::FolderList, false, "|AllFilesCount"},
    {"folder list of a newer version, no sample folder", Hostility::NewerFolderList, false, kKept, false,
     Damaged::FolderList, false, "|AllFilesCount"},
    {"damaged folder list that cannot be copied, sample folder, closed during the message",
     Hostility::FolderListCopyFails, true, kNotKept, true, Damaged::None, false, "|AllFilesCount"},
    {"damaged record file, sample folder", Hostility::JunkRecords, true, kKept, false, Damaged::Records, true,
     ""},
    {"damaged record file that cannot be copied, no sample folder", Hostility::JunkRecordsCopyFails, false,
     kNotKept, false, Damaged::None, false, ""},
    {"damaged string file, no sample folder", Hostility::JunkStrings, false, kKept, false, Damaged::Strings,
     true, ""},
    {"\"Configured\" stored as text", Hostility::ConfiguredAsText, true, nullptr, false, Damaged::None, false,
     "|Configured"},
    {"a number stored as text", Hostility::MinSizeAsText, true, nullptr, false, Damaged::None, false, ""},
    {"a blocking list of 600 characters", Hostility::LongBlockingList, true, nullptr, false, Damaged::None,
     false, ""},
    {"no \"Configured\" over settings that read correctly", Hostility::NoConfigured, true, nullptr, false,
     Damaged::None, false, "|Configured"},
};

class ManagerStartup : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const std::string& folder : {Pictures(), Sample()})
            ::CreateDirectoryA(folder.c_str(), nullptr);
        for (const char* name : {"one.jpg", "two.jpg", "three.jpg"})
            ::CopyFileA((testsupport::ExeFolder() + "fixtures\\jpeg\\" + name).c_str(),
                        (Pictures() + "\\" + name).c_str(), FALSE);
        for (const char* name : {"four.jpg", "five.jpg"})
            ::CopyFileA((testsupport::ExeFolder() + "fixtures\\jpeg\\one.jpg").c_str(),
                        (Sample() + "\\" + name).c_str(), FALSE);
        // The user's state: the first run's folder, an image shown five times and one excluded, a
        // minimum size and a blocking list of their own, the Agent not started at close.
        ResetUser(Pictures());
        ManagerRun run;
        ASSERT_TRUE(run.Start(log));
        ASSERT_TRUE(run.WaitReady(log));
        ASSERT_TRUE(run.Close());
        std::string records = testsupport::ReadFileBytes(File("FileListDat.dat"));
        ASSERT_EQ(records.size(), 144u + 3 * 80);
        PutU32(records, 144 + 20, 5);
        PutU32(records, 144 + 80 + 28, records[144 + 80 + 28] | 1);
        ASSERT_TRUE(testsupport::WriteFileBytes(File("FileListDat.dat"), records));
        testsupport::WriteRegDword(HKEY_CURRENT_USER, std::string(kSettingsKey) + "\\Agent", "AutoRun", 0);
        testsupport::WriteRegDword(HKEY_CURRENT_USER, std::string(kSettingsKey) + "\\Display", "MinSize",
                                   500);
        testsupport::WriteRegValue(HKEY_CURRENT_USER, std::string(kSettingsKey) + "\\Agent",
                                   "ConflictingPrgs", REG_SZ, testsupport::TextData("game.exe;player.exe"));
        // The first run's close started the stand-in Agent; its record goes once it is written.
        ASSERT_TRUE(testsupport::PumpUntil(
            [] { return testsupport::ReadRegValue(HKEY_CURRENT_USER, kStandInKey, "Starts").Dword() == 1; },
            10000));
        testsupport::DeleteRegTree(HKEY_CURRENT_USER, kStandInKey);
        m_Settings = TakeSettings();
        for (const char* name : kDatabaseFiles)
            m_Files[name] = testsupport::ReadFileBytes(File(name));
    }
    void TearDown() override
    {
        ResetUser("");
        testsupport::DeleteRegValue(HKEY_LOCAL_MACHINE, KV_REG_ROOT "\\Language", "Language");
    }

    std::string Pictures() const { return m_Root / "pictures"; }
    std::string Sample() const { return m_Root / "sample"; }
    std::string File(const std::string& name) const { return DataFolder() + "\\" + name; }

    // The user's state again, as SetUp left it.
    void PutBack()
    {
        PutSettings(m_Settings);
        for (const char* name : kDatabaseFiles) {
            for (int n = 1; n <= manager::kKeptCopyLimit; ++n) {
                const std::string copy = manager::KeptCopyName(File(name), n);
                ::DeleteFileA(copy.c_str());
                ::RemoveDirectoryA(copy.c_str());
            }
            testsupport::WriteFileBytes(File(name), m_Files[name]);
        }
        testsupport::DeleteRegTree(HKEY_CURRENT_USER, kStandInKey);
    }

    // The values found before the run are all there afterwards with the same type and bytes, but for
    // \RunTime and those `mayChange` names ("subkey|name", "|name" at the root, separated by blanks).
    void ExpectSettingsKept(const RegistryImage& before, const std::string& mayChange, const char* name)
    {
        const RegistryImage after = TakeSettings();
        for (const auto& entry : before) {
            std::string relative = entry.first.substr(std::strlen(kSettingsKey));
            if (!relative.empty() && relative[0] == '\\') relative.erase(0, 1);
            if (relative.rfind("RunTime|", 0) == 0) continue;
            if ((" " + mayChange + " ").find(" " + relative + " ") != std::string::npos) continue;
            const auto found = after.find(entry.first);
            ASSERT_NE(found, after.end()) << name << ": " << entry.first << " is gone";
            EXPECT_EQ(found->second.type, entry.second.type) << name << ": " << entry.first;
            EXPECT_EQ(found->second.bytes, entry.second.bytes) << name << ": " << entry.first;
        }
    }

    // "Add folder..." clicked and the folder after the one the picker opens at taken; true once the
    // Manager has added it.
    bool AddNextFolder(ManagerRun& run)
    {
        ::PostMessageA(FindChild(run.MainWindow(), "Add folder...", "Button"), BM_CLICK, 0, 0);
        return PickNeighbour(run.ProcessId(), true) &&
               testsupport::PumpUntil([&] { return Logged(log, "Added folder"); }, 15000);
    }

    static constexpr const char* kDatabaseFiles[] = {"FolderList.dat", "FileListDat.dat", "FileListStr.dat"};
    TempFolder m_Root{"kvstart"};
    LogReceiver log;
    RegistryImage m_Settings;
    std::map<std::string, std::string> m_Files;
};

TEST_F(ManagerStartup, HostileStatesLoseNothing)
{
    for (const StartupCase& c : kCases) {
        PutBack();
        if (c.sampleFolder)
            testsupport::WriteRegValue(HKEY_LOCAL_MACHINE, kSetupKey, "InstalledImgDir", REG_SZ,
                                       testsupport::TextData(Sample()));
        else
            testsupport::DeleteRegValue(HKEY_LOCAL_MACHINE, kSetupKey, "InstalledImgDir");

        LockedFile locked;
        std::string damagedBytes;
        const std::string folderList = File("FolderList.dat");
        const std::string records = File("FileListDat.dat");
        const std::string agentKey = std::string(kSettingsKey) + "\\Agent";
        switch (c.hostility) {
        case Hostility::LockFolderList:
        case Hostility::LockRecords:
        case Hostility::LockStrings:
            break;
        case Hostility::CutFolderList:
            damagedBytes = m_Files["FolderList.dat"].substr(0, 150);
            break;
        case Hostility::HugeFolderPathLength:
            damagedBytes = m_Files["FolderList.dat"];
            PutU32(damagedBytes, 144 + 4, 0xFFFFFFF0);
            break;
        case Hostility::NewerFolderList:
        case Hostility::FolderListCopyFails:
            damagedBytes = m_Files["FolderList.dat"];
            PutU32(damagedBytes, 8, 101);
            break;
        case Hostility::JunkRecords:
        case Hostility::JunkRecordsCopyFails:
        case Hostility::JunkStrings:
            damagedBytes = "this is not an image list";
            break;
        case Hostility::ConfiguredAsText:
            testsupport::WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "Configured", REG_SZ,
                                       testsupport::TextData("1"));
            break;
        case Hostility::MinSizeAsText:
            testsupport::WriteRegValue(HKEY_CURRENT_USER, std::string(kSettingsKey) + "\\Display", "MinSize",
                                       REG_SZ, testsupport::TextData("500"));
            break;
        case Hostility::LongBlockingList: {
            std::string list;
            while (list.size() < 600)
                list += "program" + std::to_string(list.size()) + ".exe;";
            testsupport::WriteRegValue(HKEY_CURRENT_USER, agentKey, "ConflictingPrgs", REG_SZ,
                                       testsupport::TextData(list.substr(0, 600)));
            break;
        }
        case Hostility::NoConfigured:
            testsupport::DeleteRegValue(HKEY_CURRENT_USER, kSettingsKey, "Configured");
            break;
        }
        const bool folderListDamaged =
            c.hostility == Hostility::CutFolderList || c.hostility == Hostility::HugeFolderPathLength ||
            c.hostility == Hostility::NewerFolderList || c.hostility == Hostility::FolderListCopyFails;
        const bool recordsDamaged =
            c.hostility == Hostility::JunkRecords || c.hostility == Hostility::JunkRecordsCopyFails;
        if (folderListDamaged) {
            ASSERT_TRUE(testsupport::WriteFileBytes(folderList, damagedBytes)) << c.name;
        }
        if (recordsDamaged) {
            ASSERT_TRUE(testsupport::WriteFileBytes(records, damagedBytes)) << c.name;
        }
        if (c.hostility == Hostility::JunkStrings) {
            ASSERT_TRUE(testsupport::WriteFileBytes(File("FileListStr.dat"), damagedBytes)) << c.name;
        }
        // Folders at every name a copy could take make the copy fail.
        for (int n = 1; n <= manager::kKeptCopyLimit; ++n) {
            if (c.hostility == Hostility::FolderListCopyFails)
                ::CreateDirectoryA(manager::KeptCopyName(folderList, n).c_str(), nullptr);
            if (c.hostility == Hostility::JunkRecordsCopyFails)
                ::CreateDirectoryA(manager::KeptCopyName(records, n).c_str(), nullptr);
        }
        const RegistryImage before = TakeSettings();
        std::map<std::string, std::string> filesBefore;
        for (const char* name : kDatabaseFiles)
            filesBefore[name] = testsupport::ReadFileBytes(File(name));
        if (c.hostility == Hostility::LockFolderList) locked.Lock(folderList);
        if (c.hostility == Hostility::LockRecords) locked.Lock(records);
        if (c.hostility == Hostility::LockStrings) locked.Lock(File("FileListStr.dat"));
        if (c.hostility == Hostility::LockFolderList || c.hostility == Hostility::LockRecords ||
            c.hostility == Hostility::LockStrings) {
            ASSERT_TRUE(locked.Locked()) << c.name;
        }

        ManagerRun run;
        ASSERT_TRUE(run.Start(log)) << c.name;
        if (c.box) {
            HWND box = nullptr;
            ASSERT_TRUE(testsupport::PumpUntil(
                [&] { return (box = FindProcessWindow(run.ProcessId(), "Error")) != nullptr; }, 30000))
                << c.name << ": the message";
            std::string text;
            for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
                text += WindowText(child) + "|";
            EXPECT_NE(text.find(c.box), std::string::npos) << c.name << ": " << text;
            // Whatever the Manager does from now on, it could write over the file.
            locked.Release();
            if (c.closeWhileBox) ::PostMessageA(::GetWindow(box, GW_OWNER), WM_CLOSE, 0, 0);
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
        if (c.closeWhileBox) {
            ASSERT_TRUE(run.Process().WaitPumping(30000)) << c.name << ": the held close was done";
            EXPECT_TRUE(Logged(log, "The close asked for during the start-up follows now")) << c.name;
        } else {
            ASSERT_TRUE(run.WaitReady(log)) << c.name;
            EXPECT_EQ(FindProcessWindow(run.ProcessId(), "Error"), nullptr) << c.name << ": a second message";
            ASSERT_TRUE(run.Close()) << c.name;
        }
        EXPECT_EQ(run.Process().ExitCode(), 0u) << c.name;

        ExpectSettingsKept(before, c.mayChange, c.name);
        // The damaged file's copy holds its damaged bytes; the other file of the image list goes with
        // a damaged one.
        const char* badOf = c.damaged == Damaged::FolderList ? "FolderList.dat"
                            : c.damaged == Damaged::Records  ? "FileListDat.dat"
                            : c.damaged == Damaged::Strings  ? "FileListStr.dat"
                                                             : nullptr;
        const char* partnerOf = c.damaged == Damaged::Records   ? "FileListStr.dat"
                                : c.damaged == Damaged::Strings ? "FileListDat.dat"
                                                                : nullptr;
        for (const char* name : kDatabaseFiles) {
            const bool rebuilt = c.imageListRebuilt && std::string(name) != "FolderList.dat";
            if (!rebuilt) {
                EXPECT_EQ(testsupport::ReadFileBytes(File(name)), filesBefore[name])
                    << c.name << ": " << name << " is as it was";
            }
            if (badOf && std::string(name) == badOf) {
                EXPECT_EQ(testsupport::ReadFileBytes(File(name) + ".bad"), damagedBytes) << c.name;
            } else if (partnerOf && std::string(name) == partnerOf) {
                EXPECT_EQ(testsupport::ReadFileBytes(File(name) + ".bad"), filesBefore[name]) << c.name;
            } else if (c.hostility != Hostility::FolderListCopyFails &&
                       c.hostility != Hostility::JunkRecordsCopyFails) {
                EXPECT_FALSE(testsupport::PathExists(File(name) + ".bad")) << c.name << ": " << name;
            }
        }
        // The folder list not read whole, the image list intact: the folders and their counts that
        // the main window showed are those of the three images the browser listed.
        if (folderListDamaged || c.hostility == Hostility::LockFolderList) {
            EXPECT_EQ(testsupport::ReadRegValue(HKEY_CURRENT_USER, kSettingsKey, "AllFilesCount").Dword(), 3u)
                << c.name << ": the folders' counts";
        }
        if (c.imageListRebuilt) {
            DWORD count = 0;
            std::vector<DWORD> shown;
            EXPECT_TRUE(ReadRecordFile(records, count, shown)) << c.name << ": rebuilt from the folders";
            EXPECT_EQ(count, 3u) << c.name;
        }
        if (c.hostility == Hostility::ConfiguredAsText || c.hostility == Hostility::NoConfigured) {
            const testsupport::RegValue configured =
                testsupport::ReadRegValue(HKEY_CURRENT_USER, kSettingsKey, "Configured");
            EXPECT_EQ(configured.type, static_cast<DWORD>(REG_DWORD)) << c.name;
            EXPECT_EQ(configured.Dword(), 1u) << c.name;
        }
    }
}

// A language file whose formats would build huge fields or write through %n: every one is refused,
// the English format stays, and the rest of the block is taken.
TEST_F(ManagerStartup, HostileFormatsInTheLanguageFileAreRefused)
{
    TempFolder install("kv hostile language");
    for (const char* name : {"KvManag.exe", "KvApi.dll", "KvImage.dll", "KvAgent.exe"})
        ASSERT_TRUE(::CopyFileA((InstalledFolder() + name).c_str(), (install / name).c_str(), FALSE)) << name;
    ASSERT_TRUE(testsupport::WriteFileBytes(install / "KvLang.dat", "BEGIN-LANGUAGE Hostile\r\n"
                                                                    "glm_KestrovaDD\r\n"
                                                                    "Kestrova Manager %9999999d.%0.2d\r\n"
                                                                    "glm_ValueColorX\r\n"
                                                                    "Color: BGR %0.99999999x\r\n"
                                                                    "glm_AddToListOfBlockingS\r\n"
                                                                    "Add %99999999s\r\n"
                                                                    "glm_RemoveFromListOfBlockingS\r\n"
                                                                    "Remove %s%n\r\n"
                                                                    "glm_Exit\r\n"
                                                                    "Quit\r\n"
                                                                    "END-LANGUAGE\r\n"));
    ASSERT_TRUE(testsupport::WriteRegValue(HKEY_LOCAL_MACHINE, KV_REG_ROOT "\\Language", "Language", REG_SZ,
                                           testsupport::TextData("Hostile")));
    const RegistryImage before = TakeSettings();
    ManagerRun run;
    ASSERT_TRUE(run.Start(log, install.Path() + "\\"));
    ASSERT_TRUE(run.WaitReady(log)) << "the English caption";
    EXPECT_NE(FindChild(run.MainWindow(), "Quit", "Button"), nullptr) << "the block's other texts are taken";
    for (const char* key :
         {"glm_KestrovaDD", "glm_ValueColorX", "glm_AddToListOfBlockingS", "glm_RemoveFromListOfBlockingS"})
        EXPECT_TRUE(Logged(log, std::string(key) + " of Hostile takes other arguments")) << key;
    ASSERT_TRUE(run.Close());
    EXPECT_EQ(run.Process().ExitCode(), 0u);
    ExpectSettingsKept(before, "", "hostile language");
    for (const char* name : kDatabaseFiles)
        EXPECT_EQ(testsupport::ReadFileBytes(File(name)), m_Files[name]) << name;
}

// Log-off with the Manager open after edits: the session's end saves what a close saves, before
// the system is answered, and the Manager then ends without starting the Agent.
TEST_F(ManagerStartup, ASessionEndAfterEditsSavesThem)
{
    testsupport::WriteRegDword(HKEY_CURRENT_USER, std::string(kSettingsKey) + "\\Agent", "AutoRun", 1);
    ManagerRun run;
    ASSERT_TRUE(run.Start(log));
    ASSERT_TRUE(run.WaitReady(log));
    // A folder added (the picker opens at the pictures; the sample folder lies after them) and the
    // main window moved.
    ASSERT_TRUE(AddNextFolder(run));
    ASSERT_TRUE(
        ::SetWindowPos(run.MainWindow(), nullptr, 37, 41, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));

    DWORD_PTR answer = 0;
    ASSERT_TRUE(::SendMessageTimeoutA(run.MainWindow(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL,
                                      testsupport::ScaledMs(30000), &answer));
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
    // Saved before the answer: the system may end the program at any moment after it.
    std::vector<StoredFolder> stored;
    ASSERT_TRUE(ReadFolderList(File("FolderList.dat"), stored));
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(::lstrcmpiA(stored[1].path.c_str(), Sample().c_str()), 0) << stored[1].path;
    DWORD count = 0;
    std::vector<DWORD> shown;
    ASSERT_TRUE(ReadRecordFile(File("FileListDat.dat"), count, shown));
    EXPECT_EQ(count, 5u);
    EXPECT_EQ(shown[0], 5u) << "the counts of the images already listed stay";
    const std::string positions = std::string(kSettingsKey) + "\\Manager";
    EXPECT_EQ(testsupport::ReadRegValue(HKEY_CURRENT_USER, positions, "FMainLeft").Dword(), 37u);
    EXPECT_EQ(testsupport::ReadRegValue(HKEY_CURRENT_USER, positions, "FMainTop").Dword(), 41u);
    EXPECT_EQ(testsupport::ReadRegValue(HKEY_CURRENT_USER, kSettingsKey, "AllFilesCount").Dword(), 5u);
    EXPECT_EQ(::lstrcmpiA(
                  testsupport::ReadRegValue(HKEY_CURRENT_USER, positions, "LastDirAddFolders").Text().c_str(),
                  Sample().c_str()),
              0);

    ::SendMessageTimeoutA(run.MainWindow(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL,
                          testsupport::ScaledMs(30000), &answer);
    ASSERT_TRUE(run.Process().WaitPumping(30000)) << "the Manager ended";
    EXPECT_EQ(run.Process().ExitCode(), 0u);
    EXPECT_TRUE(Logged(log, "The session ends; the Agent is not started"));
    EXPECT_FALSE(testsupport::ReadRegValue(HKEY_CURRENT_USER, kStandInKey, "Starts").exists);
    ASSERT_TRUE(ReadFolderList(File("FolderList.dat"), stored));
    EXPECT_EQ(stored.size(), 2u);
}

// Two folders listed, then the folder list damaged inside its second entry, with the copy of an
// earlier damage beside it: the first entry and the folder the damage lost both come back with the
// counts of their images, a folder added in that run is saved with them, the next start keeps every
// image, and the earlier copy stays with the new one under a name of its own.
TEST_F(ManagerStartup, ADamagedFolderListKeepsEveryFolderAndEveryCopy)
{
    const std::string third = m_Root / "zeta";
    ASSERT_TRUE(::CreateDirectoryA(third.c_str(), nullptr));
    for (const char* name : {"six.jpg", "seven.jpg"})
        ASSERT_TRUE(::CopyFileA((testsupport::ExeFolder() + "fixtures\\jpeg\\two.jpg").c_str(),
                                (third + "\\" + name).c_str(), FALSE));
    const std::string folderList = File("FolderList.dat");
    {
        ManagerRun run;
        ASSERT_TRUE(run.Start(log));
        ASSERT_TRUE(run.WaitReady(log));
        // The picker opens at the pictures; the sample folder lies after them.
        ASSERT_TRUE(AddNextFolder(run));
        ASSERT_TRUE(run.Close());
    }
    std::vector<StoredFolder> stored;
    ASSERT_TRUE(ReadFolderList(folderList, stored));
    ASSERT_EQ(stored.size(), 2u);
    std::string damaged = testsupport::ReadFileBytes(folderList);
    DWORD firstLength = 0;
    std::memcpy(&firstLength, &damaged[144 + 4], 4);
    damaged.resize(144 + 40 + firstLength + 10);
    ASSERT_TRUE(testsupport::WriteFileBytes(folderList, damaged));
    const std::string earlier = "the copy of an earlier damage";
    ASSERT_TRUE(testsupport::WriteFileBytes(manager::KeptCopyName(folderList, 1), earlier));

    {
        ManagerRun run;
        ASSERT_TRUE(run.Start(log));
        HWND box = nullptr;
        ASSERT_TRUE(testsupport::PumpUntil(
            [&] { return (box = FindProcessWindow(run.ProcessId(), "Error")) != nullptr; }, 30000));
        std::string text;
        for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            text += WindowText(child) + "|";
        EXPECT_NE(text.find(manager::KeptCopyName(folderList, 2)), std::string::npos) << text;
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(run.WaitReady(log));
        // The last folder added was the sample folder; the third lies after it.
        ASSERT_TRUE(AddNextFolder(run));
        ASSERT_TRUE(run.Close());
    }
    EXPECT_EQ(testsupport::ReadFileBytes(manager::KeptCopyName(folderList, 1)), earlier)
        << "the earlier copy";
    EXPECT_EQ(testsupport::ReadFileBytes(manager::KeptCopyName(folderList, 2)), damaged) << "the new copy";
    const auto expectAll = [&](const char* when) {
        std::vector<StoredFolder> folders;
        ASSERT_TRUE(ReadFolderList(folderList, folders)) << when;
        ASSERT_EQ(folders.size(), 3u) << when;
        const std::string paths[] = {Pictures(), Sample(), third};
        const DWORD counts[] = {3, 2, 2};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(::lstrcmpiA(folders[i].path.c_str(), paths[i].c_str()), 0)
                << when << ": " << folders[i].path;
            EXPECT_EQ(folders[i].imageCount, counts[i]) << when << ": " << paths[i];
        }
        DWORD count = 0;
        std::vector<DWORD> shown;
        ASSERT_TRUE(ReadRecordFile(File("FileListDat.dat"), count, shown)) << when;
        EXPECT_EQ(count, 7u) << when;
        ASSERT_FALSE(shown.empty()) << when;
        EXPECT_EQ(shown[0], 5u) << when << ": the counts of the images listed stay";
        EXPECT_EQ(testsupport::ReadRegValue(HKEY_CURRENT_USER, kSettingsKey, "AllFilesCount").Dword(), 7u)
            << when;
    };
    expectAll("after the damaged start");
    ManagerRun run;
    ASSERT_TRUE(run.Start(log));
    ASSERT_TRUE(run.WaitReady(log));
    EXPECT_EQ(FindProcessWindow(run.ProcessId(), "Error"), nullptr) << "no message: the list was saved whole";
    ASSERT_TRUE(run.Close());
    expectAll("after the next start");
}

// The session ends while a start-up message waits for its answer: the settings the start-up read
// and the window places are saved before the system is answered, the Manager ends without the
// answer, and the database files stay as they were, the damaged one with its copy.
TEST_F(ManagerStartup, ASessionEndDuringAStartUpMessageSavesWhatWasReadAndEnds)
{
    testsupport::WriteRegDword(HKEY_CURRENT_USER, std::string(kSettingsKey) + "\\Agent", "AutoRun", 1);
    const std::string positions = std::string(kSettingsKey) + "\\Manager";
    testsupport::DeleteRegTree(HKEY_CURRENT_USER, positions);
    const std::string folderList = File("FolderList.dat");
    const std::string damaged = m_Files["FolderList.dat"].substr(0, 150);
    ASSERT_TRUE(testsupport::WriteFileBytes(folderList, damaged));

    ManagerRun run;
    ASSERT_TRUE(run.Start(log));
    HWND box = nullptr;
    ASSERT_TRUE(testsupport::PumpUntil(
        [&] { return (box = FindProcessWindow(run.ProcessId(), "Error")) != nullptr; }, 30000));
    const HWND main = ::GetWindow(box, GW_OWNER);
    ASSERT_NE(main, nullptr);
    DWORD_PTR answer = 0;
    ASSERT_TRUE(::SendMessageTimeoutA(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL,
                                      testsupport::ScaledMs(30000), &answer));
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
    EXPECT_TRUE(testsupport::ReadRegValue(HKEY_CURRENT_USER, positions, "FMainLeft").exists)
        << "the window places saved before the answer";
    ::SendMessageTimeoutA(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL,
                          testsupport::ScaledMs(30000), &answer);
    ASSERT_TRUE(run.Process().WaitPumping(30000)) << "the Manager ended with its message unanswered";
    EXPECT_EQ(run.Process().ExitCode(), 0u);
    EXPECT_FALSE(testsupport::ReadRegValue(HKEY_CURRENT_USER, kStandInKey, "Starts").exists) << "no Agent";
    EXPECT_EQ(testsupport::ReadFileBytes(folderList), damaged);
    EXPECT_EQ(testsupport::ReadFileBytes(folderList + ".bad"), damaged);
    for (const char* name : {"FileListDat.dat", "FileListStr.dat"})
        EXPECT_EQ(testsupport::ReadFileBytes(File(name)), m_Files[name]) << name;
}

// A second start while the Manager runs brings the first to the front and ends; the first goes on
// and alone saves and starts the Agent at its close.
TEST_F(ManagerStartup, ASecondManagerEndsAndLeavesTheFirst)
{
    testsupport::WriteRegDword(HKEY_CURRENT_USER, std::string(kSettingsKey) + "\\Agent", "AutoRun", 1);
    ManagerRun first;
    ASSERT_TRUE(first.Start(log));
    ASSERT_TRUE(first.WaitReady(log));
    testsupport::ChildProcess second;
    ASSERT_TRUE(second.Start("\"" + InstalledFolder() + "KvManag.exe\""));
    ASSERT_TRUE(second.WaitPumping(30000)) << "the second start ends";
    EXPECT_EQ(second.ExitCode(), 0u);
    EXPECT_TRUE(Logged(log, "Kestrova Manager runs already"));
    EXPECT_EQ(FindProcessWindow(second.ProcessId(), "Kestrova Manager 1.07"), nullptr);
    EXPECT_EQ(first.Process().ExitCode(), static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_TRUE(::IsWindow(first.MainWindow()));
    EXPECT_FALSE(testsupport::ReadRegValue(HKEY_CURRENT_USER, kStandInKey, "Starts").exists)
        << "no Agent while the first runs";

    ASSERT_TRUE(first.Close());
    EXPECT_EQ(first.Process().ExitCode(), 0u);
    EXPECT_TRUE(testsupport::PumpUntil(
        [] { return testsupport::ReadRegValue(HKEY_CURRENT_USER, kStandInKey, "Starts").Dword() == 1; },
        10000));
    for (const char* name : kDatabaseFiles)
        EXPECT_EQ(testsupport::ReadFileBytes(File(name)), m_Files[name]) << name;
}

// A first run where neither the application-data folder nor the program's folder leaves room for the
// database's paths: the message comes once, a close posted while it is open waits for the start-up,
// and no path cut to fit is ever stored.
TEST_F(ManagerStartup, NoDataFolderFitsAndACloseDuringItsMessage)
{
    ResetUser(Sample());
    // A program folder of 240 characters: with the user's name and the longest file name its paths
    // pass the 260-byte fields.
    std::string install = m_Root.Path();
    while (install.size() < 240) {
        install += "\\" + std::string(std::min<size_t>(60, 239 - install.size()), 'p');
        ASSERT_TRUE(::CreateDirectoryA(install.c_str(), nullptr)) << install;
    }
    for (const char* name : {"KvManag.exe", "KvApi.dll", "KvImage.dll", "KvAgent.exe"})
        ASSERT_TRUE(::CopyFileA((InstalledFolder() + name).c_str(), (install + "\\" + name).c_str(), FALSE))
            << name;
    // An application-data folder of 230 characters, whose "\\Kestrova" paths do not fit either.
    std::string appData = m_Root.Path() + "\\";
    appData += std::string(230 - appData.size(), 'a');
    ASSERT_TRUE(::CreateDirectoryA(appData.c_str(), nullptr));
    const char* const shellFolders =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    testsupport::SavedRegValue savedAppData(HKEY_CURRENT_USER, shellFolders, "AppData");
    ASSERT_TRUE(testsupport::WriteRegValue(HKEY_CURRENT_USER, shellFolders, "AppData", REG_EXPAND_SZ,
                                           testsupport::TextData(appData)));

    ManagerRun run;
    ASSERT_TRUE(run.Start(log, install + "\\"));
    HWND box = nullptr;
    ASSERT_TRUE(testsupport::PumpUntil(
        [&] { return (box = FindProcessWindow(run.ProcessId(), "Error")) != nullptr; }, 30000));
    EXPECT_NE(FindChild(box, "", "Static"), nullptr);
    ::PostMessageA(::GetWindow(box, GW_OWNER), WM_CLOSE, 0, 0);
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(run.Process().WaitPumping(30000)) << "the held close was done";
    EXPECT_EQ(run.Process().ExitCode(), 0u);
    int told = 0;
    for (const std::string& line : log.Texts())
        if (line.find("!No data folder fits") != std::string::npos) ++told;
    EXPECT_EQ(told, 1) << "one message for the one problem";
    EXPECT_TRUE(Logged(log, "The close asked for during the start-up follows now"));
    const std::string files = std::string(kSettingsKey) + "\\Files";
    for (const char* name : {"FolderListFile", "FileListDatFile", "FileListStrFile", "WorkBmpFile"})
        EXPECT_EQ(testsupport::ReadRegValue(HKEY_CURRENT_USER, files, name).Text(), "") << name;
    EXPECT_FALSE(testsupport::PathExists(appData + "\\Kestrova"));
    // The close started the stand-in Agent: its start is awaited here, or its record would land in
    // the next test's registry.
    bool agentStarted = false;
    for (const std::string& line : log.Texts())
        if (line.find("Starting ") != std::string::npos && line.find("KvAgent.exe") != std::string::npos)
            agentStarted = true;
    if (agentStarted) {
        EXPECT_TRUE(testsupport::PumpUntil(
            [] { return testsupport::ReadRegValue(HKEY_CURRENT_USER, kStandInKey, "Starts").exists; },
            10000));
    }
}

}  // namespace
