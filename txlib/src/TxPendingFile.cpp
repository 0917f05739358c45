// TxPendingFile: a file written beside its target that replaces the target only when complete.
#include "UTxDiskApi.h"
#include "UTxLog.h"

#include <cstdio>

namespace {

// Every writer gets a name of its own (process and a per-process count): with one shared name,
// a second writer would be refused while the first wrote, could truncate the first's finished
// file before its move, or delete it when giving up.
TxString TempPathFor(const char* target)
{
    static volatile LONG s_lCount = 0;
    char suffix[40];
    std::snprintf(suffix, sizeof(suffix), ".%lx-%lx.tmp", static_cast<unsigned long>(::GetCurrentProcessId()),
                  static_cast<unsigned long>(::InterlockedIncrement(&s_lCount)));
    TxString path(target);
    path.Append(suffix);
    return path;
}

}  // namespace

TxPendingFile::TxPendingFile(const char* targetPath)
    : m_sTarget(targetPath), m_sTempPath(TempPathFor(targetPath)),
      m_pFile(std::make_unique<TxFile>(m_sTempPath.GetText(), false, true))
{
}

TxPendingFile::~TxPendingFile()
{
    if (m_bCommitted) return;
    m_pFile.reset();
    ::DeleteFileA(m_sTempPath.GetText());
}

bool TxPendingFile::Commit()
{
    if (m_bCommitted) return true;
    if (!m_pFile) return false;
    try {
        m_pFile->Flush();
    } catch (const TxException& e) {
        LogF("!TxPendingFile::Commit: %s not saved: %s", m_sTarget.GetText(), e.Message());
        return false;
    }
    m_pFile.reset();
    if (!::MoveFileExA(m_sTempPath.GetText(), m_sTarget.GetText(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        LogLastErrorF("!TxPendingFile::Commit: %s could not replace %s", m_sTempPath.GetText(),
                      m_sTarget.GetText());
        return false;
    }
    m_bCommitted = true;
    return true;
}
