// TxTextFile: a whole text file read into lines through one 8 KB buffer.
#include <memory>
#include <string>
#include <vector>

#include "TxLineSplitter.h"
#include "UTxDiskApi.h"

TxTextFile::TxTextFile(const char* path, bool readOnly)
    : m_pFile(std::make_unique<TxFile>(path, readOnly, !readOnly)), m_bReadOnly(readOnly), m_bOpen(true),
      m_sPath(path)
{
}

TxTextFile::~TxTextFile() = default;

bool TxTextFile::ReadChar(char& c)
{
    if (m_iBufferIndex + 1 >= m_iBufferFill) {
        DWORD read = 0;
        m_pFile->Read(m_Buffer, kBufferSize, &read);
        m_iBufferFill = static_cast<int>(read);
        m_iBufferIndex = 0;
        if (m_iBufferFill == 0) return false;
    } else {
        ++m_iBufferIndex;
    }
    c = m_Buffer[m_iBufferIndex];
    return true;
}

void TxTextFile::AddLine(TxCollection* lines, const char* text)
{
    auto line = std::make_unique<TxString>(text);
    if (lines->Insert(line.get())) line.release();
}

void TxTextFile::ReadLines(TxCollection* lines)
{
    if (!m_bOpen || !lines) return;
    m_iBufferIndex = 0;
    m_iBufferFill = 0;
    m_pFile->Seek(0);

    TxLineSplitter splitter(kMaxLine);
    std::vector<std::string> complete;
    for (;;) {
        DWORD read = 0;
        m_pFile->Read(m_Buffer, kBufferSize, &read);
        if (read == 0) break;
        splitter.Feed(m_Buffer, read, complete);
        for (const std::string& text : complete)
            AddLine(lines, text.c_str());
        complete.clear();
    }
    splitter.Finish(complete);
    for (const std::string& text : complete)
        AddLine(lines, text.c_str());
}
