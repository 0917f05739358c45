// TxTextFile: a whole text file read into lines through one 8 KB buffer.
#include <memory>
#include <new>

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
    const std::unique_ptr<char[]> line(new (std::nothrow) char[kMaxLine + 1]);
    if (!line) return;
    m_iBufferIndex = 0;
    m_iBufferFill = 0;
    m_pFile->Seek(0);

    int n = 0;    // characters of the pending line
    int run = 0;  // end-of-line characters seen since the last line ended
    char previous = 0;
    // A line cut at the maximum length has been added already; the line end that follows belongs
    // to it and must not add an empty line of its own.
    bool cutPending = false;
    auto addPending = [&]() {
        if (n > 0 || !cutPending) {
            line[n] = 0;
            AddLine(lines, line.get());
        }
        n = 0;
        cutPending = false;
    };

    char c = 0;
    while (ReadChar(c)) {
        if (c == '\r' || c == '\n') {
            if (++run == 2) {
                addPending();
                run = 0;
                if (c == previous) AddLine(lines, "");
            }
        } else if (run == 0) {
            line[n++] = c;
            cutPending = false;
            if (n + 1 > kMaxLine) {
                line[n] = 0;
                AddLine(lines, line.get());
                n = 0;
                cutPending = true;
            }
        } else {
            addPending();
            run = 0;
            line[n++] = c;
        }
        previous = c;
    }
    // A file that ends with line ends adds no empty last line.
    if (n > 0) {
        line[n] = 0;
        AddLine(lines, line.get());
    }
}
