#include "UninstallLog.h"

#include "UTxDiskApi.h"
#include "UTxLog.h"
#include "Uinstallvalues.h"
#include "UninstallStart.h"

#include <cstring>
#include <unordered_set>

namespace {

constexpr int kTagLength = 10;

struct TagName {
    const char* text;
    LogTag tag;
};
const TagName kTags[] = {
    {"S_TIME___ ", LogTag::Time},         {"S_PRGFILE ", LogTag::ProgramFile},
    {"S_IMGFILE ", LogTag::ImageFile},    {"S_FOLDER_ ", LogTag::Folder},
    {"S_AUTORUN ", LogTag::AutoRun},      {"S_LNKFILE ", LogTag::ShortcutFile},
    {"S_UNINST_ ", LogTag::UninstallKey},
};

bool IsBlankText(const std::string& text)
{
    return text.find_first_not_of(" \t") == std::string::npos;
}

// A number of `digits` decimal digits at a fixed place; false when one is not a digit.
bool ReadNumber(const std::string& text, size_t position, size_t digits, WORD& value)
{
    if (text.size() < position + digits) return false;
    int number = 0;
    for (size_t i = position; i < position + digits; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        number = number * 10 + (text[i] - '0');
    }
    value = static_cast<WORD>(number);
    return true;
}

// The key under which equal lines meet: the text in capitals, as the file system compares names.
std::string CaseKey(const TxString& line)
{
    std::string key(line.GetText(), static_cast<size_t>(line.GetLength()));
    if (!key.empty()) ::CharUpperBuffA(&key[0], static_cast<DWORD>(key.size()));
    return key;
}

}  // namespace

LogEntry ParseLogLine(const char* line)
{
    LogEntry entry;
    if (!line || std::strlen(line) <= kTagLength) return entry;
    for (const TagName& name : kTags) {
        if (::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, line, kTagLength, name.text, kTagLength) !=
            CSTR_EQUAL)
            continue;
        std::string argument(line + kTagLength);
        if (IsBlankText(argument)) return entry;
        if (name.tag == LogTag::UninstallKey && argument.find('\\') != std::string::npos) return entry;
        entry.tag = name.tag;
        entry.argument = std::move(argument);
        return entry;
    }
    return entry;
}

bool ParseInstallTime(const std::string& argument, FILETIME& utc)
{
    SYSTEMTIME local = {};
    if (!ReadNumber(argument, 0, 2, local.wDay) || !ReadNumber(argument, 3, 2, local.wMonth) ||
        !ReadNumber(argument, 6, 4, local.wYear) || !ReadNumber(argument, 11, 2, local.wHour) ||
        !ReadNumber(argument, 14, 2, local.wMinute))
        return false;
    // File times are UTC; the installer wrote its local time.
    SYSTEMTIME universal = {};
    FILETIME time = {};
    if (!::TzSpecificLocalTimeToSystemTime(nullptr, &local, &universal) ||
        !::SystemTimeToFileTime(&universal, &time))
        return false;
    utc = time;
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
    try {
        TxTextFile file(path.c_str(), true);
        file.ReadLines(&lines);
    } catch (const TxException& e) {
        LogF("Cannot read %s: %s", path.c_str(), e.Message());
        return InstallLogState::Unreadable;
    }
    BlankDuplicateLines(lines);
    return HasRecognisedLine(lines) ? InstallLogState::Loaded : InstallLogState::Unreadable;
}
