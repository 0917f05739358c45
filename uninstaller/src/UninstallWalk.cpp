#include "UninstallWalk.h"

#include "AgentControl.h"
#include "UTxDiskApi.h"
#include "UTxLog.h"
#include "UTxTime.h"
#include "UTxUtils.h"
#include "Ucrc.h"
#include "Uinstallvalues.h"
#include "Udelfile.h"
#include "UninstallLog.h"
#include "Uuninstlang.h"
#include "UninstallPlaces.h"
#include "Uuninstreg.h"

#include <cstring>
#include <map>
#include <vector>

namespace {

// The uninstall entry and the program it starts, as the installer writes them.
constexpr const char* kUninstallName = "Kestrova";
constexpr const char* kUninstallExe = "Uninstall.exe";
constexpr const char* kAgentRunValue = "Kestrova Agent";

std::string CaseKey(const std::string& text)
{
    std::string key = text;
    if (!key.empty()) ::CharUpperBuffA(&key[0], static_cast<DWORD>(key.size()));
    return key;
}

bool EndsWithNoCase(const std::string& text, const char* ending)
{
    const size_t length = std::strlen(ending);
    return text.size() >= length &&
           ::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, text.c_str() + text.size() - length,
                            static_cast<int>(length), ending, static_cast<int>(length)) == CSTR_EQUAL;
}

enum class Deletion { Deleted, Scheduled, Failed };

// Deletes a file, read-only or not. One that cannot go now (another program holds it) is scheduled
// for the next restart without its read-only attribute, which would keep it there; the attribute
// comes back only when the scheduling fails and the file stays.
Deletion DeleteInstalledFile(const std::string& path)
{
    if (::DeleteFileA(path.c_str())) return Deletion::Deleted;
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly) {
        ::SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
        if (::DeleteFileA(path.c_str())) return Deletion::Deleted;
    }
    LogLastErrorF("Cannot delete %s now", path.c_str());
    if (::MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return Deletion::Scheduled;
    LogLastErrorF("Cannot schedule %s for deletion at the next restart", path.c_str());
    if (readOnly) ::SetFileAttributesA(path.c_str(), attributes);
    return Deletion::Failed;
}

class RemovalWalk {
public:
    RemovalWalk(const InstallPlaces& places, const ProgressSink& progress)
        : m_Places(places), m_Progress(progress), m_Registration(RegisteredInstallation(places))
    {
    }

    void Run(const TxStringCollection& lines)
    {
        ReadWholeLogFacts(lines);
        m_Outcome.sharedPiecesOurs = m_Registration == Registration::ThisInstallation ||
                                     (m_Registration == Registration::None && IsScreenSaverAsLogged());
        if (m_Outcome.logIncomplete) m_Progress(UninstallText(glu_LogIncomplete));
        for (int i = lines.GetCount() - 1; i >= 0; --i)
            Handle(ParseLogLine(lines.StringAt(i)->GetText()));
        // The registry entries start programs: they go once the files are gone, never before.
        RemoveUninstallEntry();
        RemoveRunValues();
    }

    RemovalOutcome Outcome() const { return m_Outcome; }

private:
    // The time base and the identities of the images hold for the whole log, wherever they stand.
    // An installation that stopped early left a log without its last line, the time line.
    void ReadWholeLogFacts(const TxStringCollection& lines)
    {
        LogTag last = LogTag::None;
        for (int i = 0; i < lines.GetCount(); ++i) {
            const LogEntry entry = ParseLogLine(lines.StringAt(i)->GetText());
            if (entry.tag != LogTag::None) last = entry.tag;
            if (entry.tag == LogTag::TimeZone && IsUtcZone(entry.argument)) m_bUtcLog = true;
            ImageIdentity identity;
            std::string path;
            if (entry.tag == LogTag::ImageIdentity && ParseImageIdentity(entry.argument, identity) &&
                NormaliseRemovalPath(LongFormOfExisting(identity.path), path))
                m_Identities[CaseKey(path)] = identity;
        }
        m_Outcome.logIncomplete = last != LogTag::Time;
    }

    void Handle(const LogEntry& entry)
    {
        switch (entry.tag) {
        case LogTag::None:
        case LogTag::ImageIdentity:
        case LogTag::TimeZone:
            break;
        case LogTag::Time:
            m_bHaveTime = ParseInstallTime(entry.argument, m_bUtcLog, m_Installed);
            // Without a time that can be trusted no image can be shown to be unchanged: all stay.
            if (!m_bHaveTime)
                LogF("!Installation time %s cannot be read; images above it are kept",
                     entry.argument.c_str());
            break;
        case LogTag::ProgramFile:
        case LogTag::ShortcutFile:
        case LogTag::ImageFile:
            HandleFile(entry);
            break;
        case LogTag::Folder:
            HandleFolder(entry.argument);
            break;
        case LogTag::AutoRun:
            HandleRunValue(entry.argument);
            break;
        case LogTag::UninstallKey:
            HandleUninstallKey(entry.argument);
            break;
        }
    }

    void Say(UninstallTextId text, const std::string& argument)
    {
        m_Progress(FormatUninstallText(text, argument.c_str()));
    }

    // What lies in this installation's own places but is refused (a link, an install folder that is
    // a folder of the system or the user's) stays behind, and the last line says so; a line naming
    // what is not this installation's is only refused.
    enum class Owner { Installation, Other };
    void Refuse(const std::string& argument, const char* why, Owner owner = Owner::Other)
    {
        LogF("!Refused (%s): %s", why, argument.substr(0, kMaxProgressLine).c_str());
        Say(glu_NotInstalledHereS, argument);
        if (owner == Owner::Installation) ++m_Outcome.kept;
    }

    Owner OwnerOfRefused(const std::string& argument) const
    {
        std::string path;
        return NormaliseRemovalPath(LongPathOf(argument), path) && !m_Places.installFolder.empty() &&
                       IsSameOrInside(path, m_Places.installFolder)
                   ? Owner::Installation
                   : Owner::Other;
    }

    // The path of a line as the file system names it, so that a short 8.3 name compares with the
    // long names of the installation's places.
    static std::string LongPathOf(const std::string& argument)
    {
        std::string normalised;
        return NormaliseRemovalPath(argument, normalised) ? LongFormOfExisting(normalised) : argument;
    }

    // The normalised path of a file or folder line when it is this installation's; empty (and the
    // refusal said) when not.
    std::string OwnPath(const LogEntry& entry, bool isFolder)
    {
        const PathVerdict verdict = CheckRemovalPath(LongPathOf(entry.argument), isFolder, m_Places);
        switch (verdict.place) {
        case PathPlace::Refused:
            Refuse(entry.argument, "outside the installation", OwnerOfRefused(entry.argument));
            return std::string();
        case PathPlace::InstallFolder:
            if (PassesReparsePoint(verdict.path, m_Places.installFolder)) {
                Refuse(entry.argument, "reached through a link", Owner::Installation);
                return std::string();
            }
            break;
        case PathPlace::ScreenSaver:
            if (IsReparsePoint(verdict.path)) {
                Refuse(entry.argument, "a link", Owner::Installation);
                return std::string();
            }
            if (!m_Outcome.sharedPiecesOurs) {
                Refuse(entry.argument, m_Registration == Registration::Another
                                           ? "the screen saver of the registered installation"
                                           : "a screen saver this installation did not leave");
                return std::string();
            }
            break;
        case PathPlace::MenuFolder:
            if (PassesReparsePoint(verdict.path, MenuFolderOf(verdict.path))) {
                Refuse(entry.argument, "reached through a link", Owner::Installation);
                return std::string();
            }
            if (!isFolder && (entry.tag == LogTag::ShortcutFile || EndsWithNoCase(verdict.path, ".lnk")) &&
                TxFileExists(verdict.path.c_str()) &&
                !IsSameOrInside(ShortcutTarget(verdict.path), m_Places.installFolder)) {
                Refuse(entry.argument, "a shortcut to another folder");
                return std::string();
            }
            break;
        case PathPlace::ParentFolder:
            if (IsReparsePoint(verdict.path)) {
                Refuse(entry.argument, "a link", Owner::Installation);
                return std::string();
            }
            break;
        }
        return verdict.path;
    }

    std::string MenuFolderOf(const std::string& path) const
    {
        for (const std::string& menu : m_Places.menuFolders)
            if (!menu.empty() && IsSameOrInside(path, menu)) return menu;
        return std::string();
    }

    void HandleFile(const LogEntry& entry)
    {
        const std::string path = OwnPath(entry, false);
        if (path.empty()) return;
        if (!TxFileExists(path.c_str())) return Say(glu_CannotFindFileS, entry.argument);
        if (entry.tag == LogTag::ImageFile && IsChangedImage(path))
            return Say(glu_FileModifiedS, entry.argument);
        switch (DeleteInstalledFile(path)) {
        case Deletion::Deleted:
            return Say(glu_RemovedFileS, entry.argument);
        case Deletion::Scheduled:
            ++m_Outcome.scheduled;
            m_Scheduled.push_back(path);
            return Say(glu_DeleteAtRestartS, entry.argument);
        case Deletion::Failed:
            ++m_Outcome.failed;
            return Say(glu_CannotRemoveFileS, entry.argument);
        }
    }

    // Written after the installation, or no longer the size and time the installer logged.
    bool IsChangedImage(const std::string& path) const
    {
        if (!m_bHaveTime) return true;
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return true;
        if (FileTimeUnits(data.ftLastWriteTime) > FileTimeUnits(m_Installed)) return true;
        const auto logged = m_Identities.find(CaseKey(path));
        return logged != m_Identities.end() && !IsAsIdentified(path, data, logged->second);
    }

    // The screen saver in the system folder is the very file this log identifies: without a
    // registered installation nothing else tells that it is this installation's.
    bool IsScreenSaverAsLogged() const
    {
        const auto logged = m_Identities.find(CaseKey(m_Places.screenSaver));
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        return logged != m_Identities.end() && logged->second.hasChecksum &&
               ::GetFileAttributesExA(m_Places.screenSaver.c_str(), GetFileExInfoStandard, &data) &&
               IsAsIdentified(m_Places.screenSaver, data, logged->second);
    }

    static bool IsAsIdentified(const std::string& path, const WIN32_FILE_ATTRIBUTE_DATA& data,
                               const ImageIdentity& logged)
    {
        const ULONGLONG size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        if (size != logged.size || FileTimeUnits(data.ftLastWriteTime) != logged.writeTime) return false;
        // An editor may keep the size and the date: only the content tells then.
        DWORD checksum = 0;
        return !logged.hasChecksum || (ContentChecksum(path, checksum) && checksum == logged.checksum);
    }

    static bool ContentChecksum(const std::string& path, DWORD& checksum)
    {
        FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!file) return false;
        std::vector<char> buffer(64 * 1024);
        DWORD crc = 0xFFFFFFFFu;
        DWORD read = 0;
        do {
            if (!::ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr))
                return false;
            crc = Crc32Bytes(crc, buffer.data(), read);
        } while (read != 0);
        checksum = ~crc;
        return true;
    }

    void HandleFolder(const std::string& argument)
    {
        const std::string path = OwnPath(LogEntry{LogTag::Folder, argument}, true);
        if (path.empty()) return;
        if (!TxDirectoryExists(path.c_str())) return Say(glu_CannotFindFolderS, argument);
        if (::RemoveDirectoryA(path.c_str())) return Say(glu_RemovedFolderS, argument);
        // A folder that still holds a file scheduled for the restart can go right after it then.
        for (const std::string& file : m_Scheduled)
            if (IsSameOrInside(file, path) &&
                ::MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
                return Say(glu_FolderAtRestartS, argument);
        Say(glu_CannotRemoveFolderS, argument);
    }

    // A Run value of this installation's Agent is removed after the files (RemoveRunValues).
    void HandleRunValue(const std::string& name)
    {
        if (!RunValueExists(name.c_str())) return Say(glu_CannotFindRegistryItemS, name);
        if (!StartsOurAgent(name))
            return Refuse(name, "a Run value that starts no Agent of this installation");
        for (const std::string& pending : m_RunValues)
            if (CaseKey(pending) == CaseKey(name)) return;
        m_RunValues.push_back(name);
    }

    bool StartsOurAgent(const std::string& name) const
    {
        return CommandStartsProgramIn(MachineString(kRunKey, name.c_str()), m_Places.installFolder,
                                      kAgentExe);
    }

    // The uninstall entry of this installation is removed after the files (RemoveUninstallEntry).
    void HandleUninstallKey(const std::string& name)
    {
        const std::string key = std::string(kUninstallKey) + name;
        if (::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, name.c_str(), -1, kUninstallName, -1) !=
                CSTR_EQUAL ||
            !IsOurUninstallEntry()) {
            if (name.size() <= 255 && MachineKeyExists(key))
                return Refuse(name, "an uninstall entry of another installation or program");
            return m_Progress(UninstallText(glu_CannotRemoveUninstall));
        }
        m_bUninstallEntryListed = true;
    }

    bool IsOurUninstallEntry() const
    {
        return CommandStartsProgramIn(
            MachineString(std::string(kUninstallKey) + kUninstallName, "UninstallString"),
            m_Places.installFolder, kUninstallExe);
    }

    // Gone now or at the restart.
    bool IsGoing(const std::string& path) const
    {
        if (!TxFileExists(path.c_str())) return true;
        for (const std::string& file : m_Scheduled)
            if (IsSameOrInside(file, path) && IsSameOrInside(path, file)) return true;
        return false;
    }

    std::string ProgramPath(const char* program) const { return m_Places.installFolder + "\\" + program; }

    // The entry never outlives the program it starts, nor is it left when that program is gone: a log
    // cut short may not name it.
    void RemoveUninstallEntry()
    {
        if (!m_bUninstallEntryListed && !(m_Outcome.logIncomplete && IsOurUninstallEntry())) return;
        const std::string program = ProgramPath(kUninstallExe);
        if (!IsGoing(program)) {
            ++m_Outcome.kept;
            return Say(glu_UninstallKeptS, program);
        }
        m_Progress(UninstallText(DeleteUninstallKey(kUninstallName) ? glu_RemovedUninstall
                                                                    : glu_CannotRemoveUninstall));
    }

    void RemoveRunValues()
    {
        if (m_Outcome.logIncomplete && RunValueExists(kAgentRunValue) && StartsOurAgent(kAgentRunValue))
            HandleRunValue(kAgentRunValue);
        for (const std::string& name : m_RunValues) {
            if (!IsGoing(ProgramPath(kAgentExe))) {
                ++m_Outcome.kept;
                Say(glu_RunValueKeptS, name);
                continue;
            }
            Say(DeleteRunValue(name.c_str()) ? glu_RemovedRegistryItemS : glu_CannotRemoveRegistryItemS,
                name);
        }
    }

    static bool MachineKeyExists(const std::string& key)
    {
        HKEY opened = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
            return false;
        ::RegCloseKey(opened);
        return true;
    }

    const InstallPlaces& m_Places;
    const ProgressSink& m_Progress;
    const Registration m_Registration;
    bool m_bUninstallEntryListed = false;
    std::vector<std::string> m_RunValues;  // this installation's, in the order the walk met them
    bool m_bUtcLog = false;
    bool m_bHaveTime = false;
    FILETIME m_Installed = {};
    std::map<std::string, ImageIdentity> m_Identities;
    std::vector<std::string> m_Scheduled;
    RemovalOutcome m_Outcome;
};

}  // namespace

bool StopAgent(const ProgressSink& progress, const std::function<void()>& shown, const AgentStopTimes& times)
{
    const AgentStopResult result = StopRunningAgent({times.fixedWaitMs, times.runningWaitMs}, [&] {
        progress(UninstallText(glu_ClosingAgent));
        if (shown) shown();
    });
    if (result == AgentStopResult::StillRunning) LogText("!The Agent still runs; removing its files anyway");
    return result != AgentStopResult::NoneRunning;
}

RemovalOutcome RunRemoval(const TxStringCollection& lines, const InstallPlaces& places,
                          const ProgressSink& progress)
{
    RemovalWalk walk(places, progress);
    walk.Run(lines);
    return walk.Outcome();
}
