// TxPendingFile: a file written beside its target that replaces the target only when complete.
#include "UTxDiskApi.h"
#include "UTxLog.h"

namespace {

TxString TempPathFor(const char* target)
{
    TxString path(target);
    path.Append(".tmp");
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
