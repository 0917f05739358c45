// How every locked export runs its operation: inside the engine lock, with nothing thrown past it.
#pragma once

#include <exception>

#include "Fprogress.h"
#include "UTxBase.h"
#include "UTxLog.h"
#include "Usync.h"

// Where the export's entry line is logged with respect to taking the lock.
enum class ExportLog { None, BeforeLock, AfterLock };

struct ExportCall {
    const char* szName;
    ExportLog log;
    bool bLoadTexts;  // the operation may show progress texts
};

// The entry line of an export and its matching leave, when asked for.
class ExportLogScope {
public:
    ExportLogScope(const char* name, bool active) : m_bActive(active)
    {
        if (m_bActive) LogEnter(name);
    }
    ExportLogScope(const ExportLogScope&) = delete;
    ExportLogScope& operator=(const ExportLogScope&) = delete;
    ~ExportLogScope()
    {
        if (m_bActive) LogLeave();
    }

private:
    bool m_bActive;
};

// Logs what an operation threw; the line keeps the wording the support tools know.
void LogExportException(const char* message) noexcept;

// Runs `operation` (which returns true on success) with every exception caught and logged; false
// when it threw.
template <typename Operation> bool RunCatching(Operation&& operation) noexcept
{
    try {
        return operation();
    } catch (const TxException& e) {
        LogExportException(e.Message());
    } catch (const std::exception& e) {
        LogExportException(e.what());
    } catch (...) {
        LogExportException("unknown exception");
    }
    return false;
}

// Runs `operation` (which returns true on success) as a locked export: entry line and lock in the
// order asked for, the progress texts loaded when asked for, every exception caught and logged, the
// lock released by its guard on every path. A progress window that the failed call left behind is
// destroyed: the caller may unload the library next, and the window must not outlive its code.
// Returns whether the operation ran to its end and succeeded.
template <typename Operation> bool RunLockedExport(const ExportCall& call, Operation&& operation) noexcept
{
    ExportLogScope logBefore(call.szName, call.log == ExportLog::BeforeLock);
    CSynchronizationGuard lock;
    ExportLogScope logAfter(call.szName, call.log == ExportLog::AfterLock);
    const bool hadWindow = ProgressWindowExists();
    const bool succeeded = RunCatching([&] {
        if (call.bLoadTexts) LoadProgressTexts();
        return operation();
    });
    if (!succeeded && !hadWindow && ProgressWindowExists()) HideProgressWindow();
    return succeeded;
}
