// TxString: a heap copy of an 8-bit text with 1-based positions.
#include "UTxStrings.h"

#include <windows.h>

#include <climits>
#include <cstring>
#include <string>
#include <utility>

namespace {

// Whole blocks of 16 bytes with room for the terminator.
int BlockSize(int length)
{
    return (length + 16) / 16 * 16;
}

int TextLength(const char* text)
{
    return text ? static_cast<int>(std::strlen(text)) : 0;
}

std::string Lowered(const char* text, int length)
{
    std::string copy(text, static_cast<size_t>(length));
    if (length > 0) ::CharLowerBuffA(&copy[0], static_cast<DWORD>(length));
    return copy;
}

}  // namespace

TxString::TxString(const char* text)
{
    Assign(text);
}

TxString::TxString(const TxString& other) : TxObject(other)
{
    SetFrom(other.m_pText, other.m_iLength);
}

TxString& TxString::operator=(const TxString& other)
{
    if (this != &other) SetFrom(other.m_pText, other.m_iLength);
    return *this;
}

TxString::TxString(TxString&& other) noexcept
    : TxObject(other), m_pText(std::exchange(other.m_pText, nullptr)),
      m_iLength(std::exchange(other.m_iLength, 0))
{
}

TxString& TxString::operator=(TxString&& other) noexcept
{
    if (this != &other) {
        delete[] m_pText;
        m_pText = std::exchange(other.m_pText, nullptr);
        m_iLength = std::exchange(other.m_iLength, 0);
    }
    return *this;
}

TxString::~TxString()
{
    delete[] m_pText;
}

void TxString::SetFrom(const char* text, int length)
{
    if (!text || length <= 0) {
        delete[] m_pText;
        m_pText = nullptr;
        m_iLength = 0;
        return;
    }
    // The new block is filled before the old one goes, so the text may point into this string.
    char* block = new char[BlockSize(length)];
    std::memcpy(block, text, static_cast<size_t>(length));
    block[length] = 0;
    delete[] m_pText;
    m_pText = block;
    m_iLength = length;
}

void TxString::Assign(const char* text)
{
    SetFrom(text, TextLength(text));
}

void TxString::Assign(const TxString& other)
{
    if (this != &other) SetFrom(other.m_pText, other.m_iLength);
}

void TxString::Append(const char* text)
{
    const int added = TextLength(text);
    if (added == 0) return;
    const int length = m_iLength + added;
    char* block = new char[BlockSize(length)];
    if (m_iLength) std::memcpy(block, m_pText, static_cast<size_t>(m_iLength));
    std::memcpy(block + m_iLength, text, static_cast<size_t>(added));
    block[length] = 0;
    delete[] m_pText;
    m_pText = block;
    m_iLength = length;
}

void TxString::Append(const TxString& other)
{
    if (other.m_iLength == 0) return;
    if (this == &other) {
        const TxString copy(other);
        Append(copy.GetText());
        return;
    }
    Append(other.GetText());
}

bool TxString::Equals(const char* text) const
{
    const int length = TextLength(text);
    if (length != m_iLength) return false;
    return length == 0 || std::memcmp(m_pText, text, static_cast<size_t>(length)) == 0;
}

bool TxString::Equals(const TxString& other) const
{
    return other.m_iLength == m_iLength &&
           (m_iLength == 0 || std::memcmp(m_pText, other.m_pText, static_cast<size_t>(m_iLength)) == 0);
}

void TxString::Insert(const char* text, int pos)
{
    const int added = TextLength(text);
    if (added == 0) return;
    if (m_iLength == 0) {
        Assign(text);
        return;
    }
    if (pos <= 0) return;
    if (pos > m_iLength + 1) pos = m_iLength + 1;
    const int before = pos - 1;
    const int length = m_iLength + added;
    char* block = new char[BlockSize(length)];
    std::memcpy(block, m_pText, static_cast<size_t>(before));
    std::memcpy(block + before, text, static_cast<size_t>(added));
    std::memcpy(block + before + added, m_pText + before, static_cast<size_t>(m_iLength - before));
    block[length] = 0;
    delete[] m_pText;
    m_pText = block;
    m_iLength = length;
}

void TxString::Insert(const TxString& other, int pos)
{
    if (pos <= 0) return;
    if (this == &other) {
        const TxString copy(other);
        Insert(copy.GetText(), pos);
        return;
    }
    Insert(other.GetText(), pos);
}

void TxString::Delete(int pos, int count)
{
    if (pos <= 0 || count <= 0 || pos > m_iLength) return;
    // Compared against what is left, so a count meaning "to the end" (INT_MAX) cannot overflow.
    const int rest = m_iLength - pos + 1;
    if (count >= rest) {
        SetLength(pos - 1);
        return;
    }
    std::memmove(m_pText + pos - 1, m_pText + pos - 1 + count, static_cast<size_t>(rest - count + 1));
    m_iLength -= count;
}

void TxString::SetLength(int n)
{
    if (n <= 0) {
        SetFrom(nullptr, 0);
        return;
    }
    if (n < m_iLength) {
        m_pText[n] = 0;
        m_iLength = n;
        return;
    }
    if (n == m_iLength) return;
    char* block = new char[BlockSize(n)];
    if (m_iLength) std::memcpy(block, m_pText, static_cast<size_t>(m_iLength));
    std::memset(block + m_iLength, ' ', static_cast<size_t>(n - m_iLength));
    block[n] = 0;
    delete[] m_pText;
    m_pText = block;
    m_iLength = n;
}

int TxString::Find(const char* text, bool ignoreCase, bool backward, int start) const
{
    const int textLength = TextLength(text);
    if (textLength == 0 || m_iLength == 0 || textLength > m_iLength) return 0;
    int n = start - 1;
    if (n < 0) n = 0;
    const int last = m_iLength - textLength;

    std::string ownLower, textLower;
    const char* own = m_pText;
    const char* wanted = text;
    if (ignoreCase) {
        ownLower = Lowered(m_pText, m_iLength);
        textLower = Lowered(text, textLength);
        own = ownLower.c_str();
        wanted = textLower.c_str();
    }

    const size_t size = static_cast<size_t>(textLength);
    if (!backward) {
        for (int i = n; i <= last; ++i) {
            if (std::memcmp(own + i, wanted, size) == 0) return i + 1;
        }
        return 0;
    }
    if (n > last || n == 0) n = last;
    for (int i = n; i >= 0; --i) {
        if (std::memcmp(own + i, wanted, size) == 0) return i + 1;
    }
    return 0;
}

int TxString::Find(const TxString& text, bool ignoreCase, bool backward, int start) const
{
    return Find(text.GetText(), ignoreCase, backward, start);
}

void TxString::SubString(int pos, int count, TxString& result) const
{
    if (pos < 1 || count < 1 || pos > m_iLength) {
        result.SetFrom(nullptr, 0);
        return;
    }
    const int rest = m_iLength - pos + 1;
    // SetFrom copies before it frees, so the result may be this very string.
    result.SetFrom(m_pText + pos - 1, count < rest ? count : rest);
}

char* TxString::CharPtr(int pos)
{
    static char empty[1];
    if (m_iLength == 0) {
        empty[0] = 0;
        return empty;
    }
    if (pos <= 0 || pos > m_iLength) pos = 1;
    return m_pText + pos - 1;
}

const char* TxString::CharPtr(int pos) const
{
    if (m_iLength == 0) return "";
    if (pos <= 0 || pos > m_iLength) pos = 1;
    return m_pText + pos - 1;
}

void TxString::ToLower()
{
    if (m_iLength) ::CharLowerBuffA(m_pText, static_cast<DWORD>(m_iLength));
}

void TxString::ToUpper()
{
    if (m_iLength) ::CharUpperBuffA(m_pText, static_cast<DWORD>(m_iLength));
}

int TxString::CompareNoCase(const char* text) const
{
    // An empty string has no text to compare and orders before everything, another empty string
    // included; sorted collections rely on that to keep items without texts in insertion order.
    if (m_iLength == 0) return -2;
    return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, m_pText, -1, text ? text : "", -1) - 2;
}

int TxString::CompareNoCase(const TxString& other) const
{
    return CompareNoCase(other.GetText());
}

void TxString::AddTrailingBackslash()
{
    if (m_iLength > 0) {
        const char last = m_pText[m_iLength - 1];
        if (last == '\\' || last == '/') return;
    }
    Append("\\");
}

void TxString::RemoveTrailingBackslash()
{
    if (m_iLength > 0 && m_pText[m_iLength - 1] == '\\') SetLength(m_iLength - 1);
}

void TxString::Trim()
{
    int end = m_iLength;
    while (end > 0 && static_cast<unsigned char>(m_pText[end - 1]) <= 32)
        --end;
    int begin = 0;
    while (begin < end && static_cast<unsigned char>(m_pText[begin]) <= 32)
        ++begin;
    if (begin == 0) {
        SetLength(end);
        return;
    }
    SetFrom(m_pText + begin, end - begin);
}

bool TxString::ReplaceChar(char from, char to)
{
    bool replaced = false;
    for (int i = 0; i < m_iLength; ++i) {
        if (m_pText[i] == from) {
            m_pText[i] = to;
            replaced = true;
        }
    }
    return replaced;
}

bool TxString::Replace(const char* what, const char* with, bool all, bool ignoreCase, bool backward)
{
    if (!what) return false;
    // Own copies, because either text may point into this string.
    const std::string whatCopy(what);
    const std::string withCopy(with ? with : "");
    if (all) backward = false;
    int pos = Find(whatCopy.c_str(), ignoreCase, backward, 1);
    if (pos == 0) return false;
    const int whatLength = static_cast<int>(whatCopy.size());
    const int withLength = static_cast<int>(withCopy.size());
    for (;;) {
        Delete(pos, whatLength);
        Insert(withCopy.c_str(), pos);
        if (!all) break;
        pos = Find(whatCopy.c_str(), ignoreCase, false, pos + withLength);
        if (pos == 0) break;
    }
    return true;
}

void TxString::AssignParentPath(const char* path)
{
    Assign(path);
    if (m_iLength == 0) return;
    const char* cut = std::strrchr(m_pText, '\\');
    if (!cut) cut = std::strrchr(m_pText, '/');
    if (cut) SetLength(static_cast<int>(cut - m_pText));
}

bool TxString::IsLess(const TxString& other) const
{
    return std::strcmp(GetText(), other.GetText()) < 0;
}

bool TxString::IsGreater(const TxString& other) const
{
    return std::strcmp(GetText(), other.GetText()) > 0;
}
