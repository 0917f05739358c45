#include "UninstallWalk.h"

#include "AgentControl.h"
#include "UTxDiskApi.h"
#include "UTxLog.h"
#include "UTxTime.h"
#include "UTxUtils.h"
#include "Udelfile.h"
#include "UninstallLog.h"
#include "Uuninstlang.h"
#include "Uuninstreg.h"

namespace {

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
    const AgentStopResult result = StopRunningAgent({times.fixedWaitMs, times.runningWaitMs}, [&] {
        progress(UninstallText(glu_ClosingAgent));
        if (shown) shown();
    });
    if (result == AgentStopResult::StillRunning) LogText("!The Agent still runs; removing its files anyway");
    return result != AgentStopResult::NoneRunning;
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
            else if (FileTimeUnits(TxGetFileLastWriteTime(argument)) > FileTimeUnits(installed))
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
