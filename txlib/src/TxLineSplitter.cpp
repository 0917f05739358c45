#include "TxLineSplitter.h"

void TxLineSplitter::AddLine(std::vector<std::string>& lines, const std::string& line)
{
    lines.push_back(line.substr(0, line.find('\0')));
}

void TxLineSplitter::AddPending(std::vector<std::string>& lines)
{
    if (!m_Line.empty() || !m_CutPending) AddLine(lines, m_Line);
    m_Line.clear();
    m_CutPending = false;
}

void TxLineSplitter::Feed(const char* bytes, size_t size, std::vector<std::string>& lines)
{
    for (size_t i = 0; i < size; ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            if (++m_Run == 2) {
                AddPending(lines);
                m_Run = 0;
                if (c == m_Previous) lines.emplace_back();
            }
        } else if (m_Run == 0) {
            m_Line += c;
            m_CutPending = false;
            if (m_Line.size() + 1 > m_MaxLine) {
                AddLine(lines, m_Line);
                m_Line.clear();
                m_CutPending = true;
            }
        } else {
            AddPending(lines);
            m_Run = 0;
            m_Line += c;
        }
        m_Previous = c;
    }
}

void TxLineSplitter::Finish(std::vector<std::string>& lines)
{
    // A text that ends with line ends adds no empty last line.
    if (!m_Line.empty()) AddLine(lines, m_Line);
    m_Line.clear();
    m_Run = 0;
    m_Previous = 0;
    m_CutPending = false;
}
