#include "UninstallLog.h"

#include "UTxDiskApi.h"
#include "UTxLog.h"
#include "Uinstallvalues.h"
#include "UninstallStart.h"

#include <unordered_set>

namespace {

// An install log lists a few hundred lines; anything far larger is no log of an installer.
constexpr DWORD kMaxLogSize = 16 * 1024 * 1024;

// The key under which equal lines meet: the text in capitals, as the file system compares names.
std::string CaseKey(const TxString& line)
{
    std::string key(line.GetText(), static_cast<size_t>(line.GetLength()));
    if (!key.empty()) ::CharUpperBuffA(&key[0], static_cast<DWORD>(key.size()));
    return key;
}

std::string ReadWholeLog(const std::string& path)
{
    TxFile file(path.c_str(), true, false);
    const DWORD size = file.GetSize();
    if (size > kMaxLogSize) return std::string();
    std::string text(size, '\0');
    if (size > 0) file.ReadExact(&text[0], size);
    return text;
}

}  // namespace

bool ParseInstallTime(const std::string& argument, bool utc, FILETIME& time)
{
    CalendarTime calendar;
    if (!ParseTimeArgument(argument, calendar)) return false;
    SYSTEMTIME written = {};
    written.wYear = static_cast<WORD>(calendar.year);
    written.wMonth = static_cast<WORD>(calendar.month);
    written.wDay = static_cast<WORD>(calendar.day);
    written.wHour = static_cast<WORD>(calendar.hour);
    written.wMinute = static_cast<WORD>(calendar.minute);
    // File times are UTC; older installers wrote their local time.
    SYSTEMTIME universal = written;
    if (!utc && !::TzSpecificLocalTimeToSystemTime(nullptr, &written, &universal)) return false;
    FILETIME converted = {};
    if (!::SystemTimeToFileTime(&universal, &converted)) return false;
    time = converted;
    return true;
}

void BlankDuplicateLines(TxStringCollection& lines)
{
    std::unordered_set<std::string> later;
    for (int i = lines.GetCount() - 1; i >= 0; --i) {
        TxString* line = lines.StringAt(i);
        if (line->IsEmpty()) continue;
        if (later.insert(CaseKey(*line)).second) continue;
        LogF("Removing duplicite item on line %d: %s", i, line->GetText());
        line->Assign("");
    }
}

bool HasRecognisedLine(const TxStringCollection& lines)
{
    for (int i = 0; i < lines.GetCount(); ++i)
        if (ParseLogLine(lines.StringAt(i)->GetText()).tag != LogTag::None) return true;
    return false;
}

std::string UninstallFolder(const std::string& parameters)
{
    std::string folder = parameters;
    if (folder.empty() || !TxDirectoryExists(folder.c_str())) {
        LogF("sUninstallFolder = %s does not exist, using prg folder", folder.c_str());
        folder = ProgramFolder();
    }
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
    return folder;
}

InstallLogState ReadInstallLog(const std::string& folder, TxStringCollection& lines, std::string& path)
{
    path = folder + kInstallLogFile;
    if (!TxFileExists(path.c_str())) return InstallLogState::Missing;
    std::string text;
    try {
        text = ReadWholeLog(path);
    } catch (const TxException& e) {
        LogF("Cannot read %s: %s", path.c_str(), e.Message());
        return InstallLogState::Unreadable;
    }
    size_t dropped = 0;
    for (const std::string& line : SplitLogText(text, dropped))
        lines.Insert(new TxString(line.c_str()));  // empty ones too: the numbers in the log stay
    if (dropped > 0)
        LogF("!%u lines of %s are too long or not text; they are ignored", unsigned(dropped), path.c_str());
    BlankDuplicateLines(lines);
    return HasRecognisedLine(lines) ? InstallLogState::Loaded : InstallLogState::Unreadable;
}
