// TxFile: a file handle with the library's own position and size, failures thrown as ExNormal.
#include "UTxDiskApi.h"
#include "UTxLog.h"

#include <string>

namespace {

// A failed open always throws, also when the system reported no error: an object that exists is
// an open file.
[[noreturn]] void ThrowOpenFailure(DWORD error)
{
    const std::string text = TxSystemErrorText(error != 0 ? error : ERROR_OPEN_FAILED);
    LogF("Throwing exception: %s", text.c_str());
    throw ExNormal(text.c_str());
}

}  // namespace

TxFile::TxFile(const char* path, bool readOnly, bool create) : m_bReadOnly(readOnly), m_sName(path)
{
    const DWORD access = readOnly ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    const DWORD share = readOnly ? FILE_SHARE_READ : 0;
    const DWORD disposition = (create && !readOnly) ? CREATE_ALWAYS : OPEN_EXISTING;
    m_hFile.reset(
        ::CreateFileA(path ? path : "", access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_hFile) {
        const DWORD error = ::GetLastError();
        LogF("TxFile::TxFile: File %s could not be open", m_sName.GetText());
        ThrowOpenFailure(error);
    }
    const DWORD size = ::GetFileSize(m_hFile.get(), nullptr);
    // INVALID_FILE_SIZE is also the true size of a file of 4 GiB - 1; only the last error tells.
    const DWORD error = size == INVALID_FILE_SIZE ? ::GetLastError() : NO_ERROR;
    if (error != NO_ERROR) {
        m_hFile.reset();
        LogF("TxFile::TxFile: GetFileSize() failed by %s", m_sName.GetText());
        ThrowOpenFailure(error);
    }
    m_bOpen = true;
    m_dwCurrentSize = size;
}

TxFile::~TxFile() = default;

void TxFile::Read(void* buffer, DWORD dwCount, DWORD* read)
{
    if (read) *read = 0;
    if (!m_bOpen) {
        LogF("TxFile::Read: reading closed file: %s. ", m_sName.GetText());
        ThrowTxMessage(TXMSG_READ_ERROR, m_sName.GetText());
    }
    if (m_bBoundsCheck && static_cast<unsigned long long>(m_dwCurrentPos) + dwCount > m_dwCurrentSize) {
        LogF("TxFile::Read: reading behind the end of file: %s. dwCount=%lu, m_dwCurrentSize=%lu",
             m_sName.GetText(), static_cast<unsigned long>(dwCount),
             static_cast<unsigned long>(m_dwCurrentSize));
        ThrowTxMessage(TXMSG_READ_ERROR, m_sName.GetText());
    }
    DWORD done = 0;
    if (!::ReadFile(m_hFile.get(), buffer, dwCount, &done, nullptr)) {
        const DWORD error = ::GetLastError();
        LogF("TxFile::Read: ReadFile() failed by %s", m_sName.GetText());
        ThrowTxException(false, error);
        ThrowTxMessage(TXMSG_READ_ERROR, m_sName.GetText());
    }
    m_dwCurrentPos += done;
    if (read) *read = done;
}

void TxFile::ReadExact(void* buffer, DWORD dwCount)
{
    DWORD done = 0;
    Read(buffer, dwCount, &done);
    if (done != dwCount) {
        LogF("!TxFile::ReadExact: short read of %s: dwCount=%lu, read=%lu", m_sName.GetText(),
             static_cast<unsigned long>(dwCount), static_cast<unsigned long>(done));
        ThrowTxMessage(TXMSG_READ_ERROR, m_sName.GetText());
    }
}

void TxFile::Write(const void* buffer, DWORD dwCount)
{
    if (!m_bOpen) {
        LogF("TxFile::Write: Attempt to write to closed file %s", m_sName.GetText());
        return;
    }
    if (m_bReadOnly) {
        LogF("TxFile::Write: Attempt to write to read-only file %s", m_sName.GetText());
        return;
    }
    DWORD written = 0;
    if (!::WriteFile(m_hFile.get(), buffer, dwCount, &written, nullptr)) {
        const DWORD error = ::GetLastError();
        LogF("TxFile::Write: WriteFile() failed by %s", m_sName.GetText());
        ThrowTxException(false, error);
        ThrowTxMessage(TXMSG_WRITE_ERROR, m_sName.GetText());
    }
    if (written < dwCount) {
        LogF("TxFile::Write: WriteFile() failed by %s - dwCount=%lu, dwWasWritten=%lu", m_sName.GetText(),
             static_cast<unsigned long>(dwCount), static_cast<unsigned long>(written));
        ThrowTxMessage(TXMSG_WRITE_ERROR, m_sName.GetText());
    }
    m_dwCurrentPos += written;
    if (m_dwCurrentSize < m_dwCurrentPos) m_dwCurrentSize = m_dwCurrentPos;
}

DWORD TxFile::GetPosition() const
{
    return m_bOpen ? m_dwCurrentPos : 0;
}

DWORD TxFile::GetSize() const
{
    return m_bOpen ? m_dwCurrentSize : 0;
}

void TxFile::Seek(DWORD dwPos)
{
    if (!m_bOpen) {
        LogF("TxFile::Seek: seeking in closed file: %s. ", m_sName.GetText());
        return;
    }
    if (m_bBoundsCheck && dwPos > m_dwCurrentSize) {
        LogF("TxFile::Seek: seeking behind the end of file: %s. dwPos=%lu, m_dwCurrentSize=%lu",
             m_sName.GetText(), static_cast<unsigned long>(dwPos),
             static_cast<unsigned long>(m_dwCurrentSize));
        ThrowTxMessage(TXMSG_SEEK_ERROR, m_sName.GetText());
    }
    const DWORD pos = ::SetFilePointer(m_hFile.get(), static_cast<LONG>(dwPos), nullptr, FILE_BEGIN);
    // 0xFFFFFFFF is also a true position; only the last error tells a failure.
    const DWORD error = pos == INVALID_SET_FILE_POINTER ? ::GetLastError() : NO_ERROR;
    if (error != NO_ERROR) {
        LogF("TxFile::Seek: SetFilePointer() failed by %s dwPos=%lu, m_dwCurrentSize=%lu", m_sName.GetText(),
             static_cast<unsigned long>(dwPos), static_cast<unsigned long>(m_dwCurrentSize));
        ThrowTxException(false, error);
    }
    m_dwCurrentPos = pos;
}

void TxFile::Flush()
{
    if (!m_bOpen || m_bReadOnly) return;
    if (!::FlushFileBuffers(m_hFile.get())) {
        const DWORD error = ::GetLastError();
        LogF("!TxFile::Flush: FlushFileBuffers() failed by %s", m_sName.GetText());
        ThrowTxException(false, error);
        ThrowTxMessage(TXMSG_WRITE_ERROR, m_sName.GetText());
    }
}

FILETIME TxGetFileLastWriteTime(TxString path)
{
    FILETIME time{};
    WIN32_FIND_DATAA data;
    const FindHandle search(::FindFirstFileA(path.GetText(), &data));
    if (search && !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) time = data.ftLastWriteTime;
    return time;
}
