// Existence tests, directory creation and the folder search.
#include <cstring>

#include "UTxDiskApi.h"

namespace {

// GetFileAttributesA, unlike a search, also answers for a drive root such as "E:\" and takes no
// wildcards.
DWORD AttributesOf(const TxString& path)
{
    if (path.IsEmpty()) return INVALID_FILE_ATTRIBUTES;
    return ::GetFileAttributesA(path.GetText());
}

bool IsDotName(const char* name)
{
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

}  // namespace

bool TxDirectoryExists(TxString path)
{
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool TxFileExists(TxString path)
{
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool TxCreateDirectoryTree(TxString path)
{
    path.ReplaceChar('/', '\\');
    if (TxDirectoryExists(path)) return true;
    const int k = path.Find("\\", false, true);
    if (k >= 4) {
        TxString parent;
        path.SubString(1, k - 1, parent);
        if (!TxCreateDirectoryTree(parent)) return false;
    }
    if (::CreateDirectoryA(path.GetText(), nullptr)) return true;
    // Another process may have created it meanwhile, or the path ends in '\'.
    return TxDirectoryExists(path);
}

TxFileInfo::~TxFileInfo()
{
    delete m_pAttached;
}

bool TxFileInfo::IsDotDirectory() const
{
    return IsDirectory() && IsDotName(m_sName.GetText());
}

TxFindFile::TxFindFile() : m_FindData{} {}

bool TxFindFile::FindFirst(const char* directory, const char* mask)
{
    // A second search must not leak the first one's handle.
    m_hSearch.reset();
    m_sDirectory.Assign(directory);
    if (m_sDirectory.IsEmpty() || m_sDirectory.GetText()[m_sDirectory.GetLength() - 1] != '\\')
        m_sDirectory.Append("\\");
    m_sMask.Assign(mask);
    TxString pattern(m_sDirectory);
    pattern.Append(m_sMask);
    m_hSearch.reset(::FindFirstFileA(pattern.GetText(), &m_FindData));
    return static_cast<bool>(m_hSearch);
}

bool TxFindFile::FindNext()
{
    if (!m_hSearch) return false;
    return ::FindNextFileA(m_hSearch.get(), &m_FindData) != FALSE;
}

void TxFindFile::GetName(TxString& name) const
{
    name.Assign(m_FindData.cFileName);
}

void TxFindFile::GetFileInfo(TxFileInfo& info) const
{
    info.m_dwReserved = 0;
    info.m_dwAttributes = m_FindData.dwFileAttributes;
    info.m_ftCreationTime = m_FindData.ftCreationTime;
    info.m_ftLastAccessTime = m_FindData.ftLastAccessTime;
    info.m_ftLastWriteTime = m_FindData.ftLastWriteTime;
    info.m_dwSizeLow = m_FindData.nFileSizeLow;
    info.m_dwSizeHigh = m_FindData.nFileSizeHigh;
    info.m_sName.Assign(m_FindData.cFileName);
}

bool TxFindFile::IsDirectory() const
{
    return (m_FindData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool TxFindFile::IsDotDirectory() const
{
    return IsDirectory() && IsDotName(m_FindData.cFileName);
}
