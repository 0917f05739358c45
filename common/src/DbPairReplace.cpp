// The image list's pair replacement and its journal.
#include "DbPairReplace.h"

#include <string>
#include <vector>

#include "UTxLog.h"

namespace {

DbPairStepHook g_PairStepHook = nullptr;

std::string JournalPath(const char* recordFile)
{
    return std::string(recordFile) + ".journal";
}

// The journal's four lines: string file, its temporary file, record file, its temporary file.
struct PairJournal {
    std::string stringFile, stringTemp, recordFile, recordTemp;
};

std::string JournalText(const PairJournal& journal)
{
    return journal.stringFile + "\r\n" + journal.stringTemp + "\r\n" + journal.recordFile + "\r\n" +
           journal.recordTemp + "\r\n";
}

// False when the file cannot be read or does not hold four lines.
bool ReadJournal(const std::string& path, PairJournal& journal)
{
    std::vector<char> bytes;
    {
        TxFile file(path.c_str(), true, false);
        bytes.resize(file.GetSize());
        // Four paths of at most MAX_PATH characters and their line ends.
        if (bytes.empty() || bytes.size() > 4 * (MAX_PATH + 2)) return false;
        file.ReadExact(bytes.data(), static_cast<DWORD>(bytes.size()));
    }
    std::vector<std::string> lines;
    std::string line;
    for (const char c : bytes) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (lines.size() != 4 || !line.empty()) return false;
    journal = {lines[0], lines[1], lines[2], lines[3]};
    return true;
}

// Whether the journal describes a replacement of this pair, and names nothing but its temporary files.
bool JournalFits(const PairJournal& journal, const char* recordFile, const char* stringFile)
{
    if (_stricmp(journal.recordFile.c_str(), recordFile) != 0) return false;
    if (stringFile[0] && _stricmp(journal.stringFile.c_str(), stringFile) != 0) return false;
    return TxPendingFile::IsTempPathOf(journal.stringTemp.c_str(), journal.stringFile.c_str()) &&
           TxPendingFile::IsTempPathOf(journal.recordTemp.c_str(), journal.recordFile.c_str());
}

bool MoveIntoPlace(const std::string& temp, const std::string& target)
{
    if (::MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    LogLastErrorF("!%s could not replace %s", temp.c_str(), target.c_str());
    return false;
}

// A temporary file that is no longer there was moved into place before.
bool MoveIntoPlaceIfPresent(const std::string& temp, const std::string& target)
{
    if (::GetFileAttributesA(temp.c_str()) == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return true;
        ::SetLastError(error);
        LogLastErrorF("!%s cannot be looked at", temp.c_str());
        return false;
    }
    return MoveIntoPlace(temp, target);
}

void RemoveJournal(const std::string& path)
{
    // A journal that stays names temporary files that are gone: the next holder of the lock only
    // removes it.
    if (!::DeleteFileA(path.c_str())) LogLastErrorF("!The journal %s cannot be removed", path.c_str());
}

}  // namespace

void SetDbPairStepHook(DbPairStepHook hook)
{
    g_PairStepHook = hook;
}

void ReachDbPairStep(DbPairStep step)
{
    if (g_PairStepHook) g_PairStepHook(step);
}

bool DbPairReplacementPending(const char* recordFile)
{
    return ::GetFileAttributesA(JournalPath(recordFile).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool FinishInterruptedImageListSave(const char* recordFile, const char* stringFile)
{
    const std::string journalPath = JournalPath(recordFile);
    if (!TxFileExists(journalPath.c_str())) return true;
    PairJournal journal;
    bool readable = false;
    try {
        readable = ReadJournal(journalPath, journal);
    } catch (const TxException& e) {
        LogF("!The journal %s cannot be read: %s", journalPath.c_str(), e.Message());
        return false;
    }
    // The journal is put in place whole by one move, so one that does not fit was not written by a
    // save of this pair: it decides nothing, and the files are read as they are.
    if (!readable || !JournalFits(journal, recordFile, stringFile ? stringFile : "")) {
        LogF("!The journal %s does not describe a save of %s; it is removed", journalPath.c_str(),
             recordFile);
        RemoveJournal(journalPath);
        return true;
    }
    LogF("Finishing an interrupted save of the image list: %s, %s", journal.stringFile.c_str(),
         journal.recordFile.c_str());
    // The order of the save: the string file first, so a failure here leaves the journal to try again.
    if (!MoveIntoPlaceIfPresent(journal.stringTemp, journal.stringFile) ||
        !MoveIntoPlaceIfPresent(journal.recordTemp, journal.recordFile))
        return false;
    RemoveJournal(journalPath);
    return true;
}

bool DbReplacePair(TxPendingFile& strings, const char* stringFile, TxPendingFile& records,
                   const char* recordFile)
{
    const PairJournal journal = {stringFile, strings.TempPath().GetText(), recordFile,
                                 records.TempPath().GetText()};
    const std::string journalPath = JournalPath(recordFile);
    {
        TxPendingFile pendingJournal(journalPath.c_str());
        const std::string text = JournalText(journal);
        pendingJournal.File().Write(text.data(), static_cast<DWORD>(text.size()));
        if (!pendingJournal.Commit()) return false;
    }
    // From here on the journal names both files: they stay until they are moved into place.
    strings.Keep();
    records.Keep();
    ReachDbPairStep(DbPairStep::JournalWritten);
    if (!MoveIntoPlace(journal.stringTemp, journal.stringFile)) {
        // Nothing is replaced yet: without its journal the old pair stays, and the new files go.
        RemoveJournal(journalPath);
        ::DeleteFileA(journal.stringTemp.c_str());
        ::DeleteFileA(journal.recordTemp.c_str());
        return false;
    }
    ReachDbPairStep(DbPairStep::StringsReplaced);
    if (!MoveIntoPlace(journal.recordTemp, journal.recordFile)) {
        LogF("!%s is new and %s is not yet; the journal %s finishes the save later", stringFile, recordFile,
             journalPath.c_str());
        return false;
    }
    ReachDbPairStep(DbPairStep::RecordsReplaced);
    RemoveJournal(journalPath);
    ReachDbPairStep(DbPairStep::JournalRemoved);
    // While a journal stays (it could not be removed), the files it names are the next load's to
    // move into place: none of them goes.
    if (!DbPairReplacementPending(recordFile)) {
        TxPendingFile::RemoveStale(stringFile);
        TxPendingFile::RemoveStale(recordFile);
    }
    return true;
}
