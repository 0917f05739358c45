#include "UninstallWalk.h"

#include "UTxDiskApi.h"
#include "UTxLog.h"
#include "UTxUtils.h"
#include "Udelfile.h"
#include "UninstallLog.h"
#include "Uuninstlang.h"
#include "Uuninstreg.h"

namespace {

ULONGLONG Units(const FILETIME& time)
{
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME Now()
{
    FILETIME now = {};
    ::GetSystemTimeAsFileTime(&now);
    return now;
}

std::string DeleteFileLine(const char* path)
{
    return FormatUninstallText(ForceDeleteFile(path) ? glu_RemovedFileS : glu_CannotRemoveFileS, path);
}

}  // namespace

bool StopAgent(const ProgressSink& progress, const std::function<void()>& shown, const AgentStopTimes& times)
{
    const Handle close(::OpenEventA(EVENT_MODIFY_STATE, FALSE, "KvAgentExternalClose"));
    if (!close) return false;
    progress(UninstallText(glu_ClosingAgent));
    if (shown) shown();
    ::SetEvent(close.get());
    ::Sleep(times.fixedWaitMs);
    const DWORD start = ::GetTickCount();
    for (;;) {
        const Handle running(::OpenEventA(SYNCHRONIZE, FALSE, "KvAgentIsRunning"));
        if (!running) break;
        if (::GetTickCount() - start >= times.runningWaitMs) {
            LogText("!The Agent still runs; removing its files anyway");
            break;
        }
        ::Sleep(50);
    }
    return true;
}

void RunRemoval(const TxStringCollection& lines, const ProgressSink& progress)
{
    FILETIME installed = Now();
    for (int i = lines.GetCount() - 1; i >= 0; --i) {
        const LogEntry entry = ParseLogLine(lines.StringAt(i)->GetText());
        const char* argument = entry.argument.c_str();
        switch (entry.tag) {
        case LogTag::None:
            break;
        case LogTag::Time:
            // Without a time that can be trusted no image can be shown to be unchanged: all stay.
            if (!ParseInstallTime(entry.argument, installed)) {
                LogF("!Installation time %s cannot be read; images above it are kept", argument);
                installed = FILETIME{};
            }
            break;
        case LogTag::ProgramFile:
        case LogTag::ShortcutFile:
            progress(TxFileExists(argument) ? DeleteFileLine(argument)
                                            : FormatUninstallText(glu_CannotFindFileS, argument));
            break;
        case LogTag::ImageFile:
            if (!TxFileExists(argument))
                progress(FormatUninstallText(glu_CannotFindFileS, argument));
            else if (Units(TxGetFileLastWriteTime(argument)) > Units(installed))
                progress(FormatUninstallText(glu_FileModifiedS, argument));
            else
                progress(DeleteFileLine(argument));
            break;
        case LogTag::Folder:
            if (!TxDirectoryExists(argument))
                progress(FormatUninstallText(glu_CannotFindFolderS, argument));
            else
                progress(FormatUninstallText(
                    ::RemoveDirectoryA(argument) ? glu_RemovedFolderS : glu_CannotRemoveFolderS, argument));
            break;
        case LogTag::AutoRun:
            if (!RunValueExists(argument))
                progress(FormatUninstallText(glu_CannotFindRegistryItemS, argument));
            else
                progress(FormatUninstallText(DeleteRunValue(argument) ? glu_RemovedRegistryItemS
                                                                      : glu_CannotRemoveRegistryItemS,
                                             argument));
            break;
        case LogTag::UninstallKey:
            progress(UninstallText(DeleteUninstallKey(argument) ? glu_RemovedUninstall
                                                                : glu_CannotRemoveUninstall));
            break;
        }
    }
}
