// The library's heap string: 8-bit text with 1-based positions (0 means "not found").
#pragma once

#include "UTxBase.h"

class TxString : public TxObject {
public:
    TxString() = default;
    TxString(const char* text);  // NOLINT: implicit, like the texts it replaces
    TxString(const TxString& other);
    TxString& operator=(const TxString& other);
    TxString(TxString&& other) noexcept;
    TxString& operator=(TxString&& other) noexcept;
    ~TxString() override;

    const char* GetText() const { return m_pText ? m_pText : ""; }
    int GetLength() const { return m_iLength; }
    bool IsEmpty() const { return m_iLength == 0; }

    void Assign(const char* text);
    void Assign(const TxString& other);
    void Append(const char* text);
    void Append(const TxString& other);
    bool Equals(const char* text) const;
    bool Equals(const TxString& other) const;
    void Insert(const char* text, int pos);
    void Insert(const TxString& other, int pos);
    void Delete(int pos, int count);
    void SetLength(int n);
    int Find(const char* text, bool ignoreCase = false, bool backward = false, int start = 1) const;
    int Find(const TxString& text, bool ignoreCase = false, bool backward = false, int start = 1) const;
    void SubString(int pos, int count, TxString& result) const;
    char* CharPtr(int pos);
    const char* CharPtr(int pos) const;
    void ToLower();
    void ToUpper();
    int CompareNoCase(const char* text) const;
    int CompareNoCase(const TxString& other) const;
    void AddTrailingBackslash();
    void RemoveTrailingBackslash();
    void Trim();
    bool ReplaceChar(char from, char to);
    bool Replace(const char* what, const char* with, bool all = false, bool ignoreCase = false,
                 bool backward = false);
    void AssignParentPath(const char* path);
    bool IsLess(const TxString& other) const;
    bool IsGreater(const TxString& other) const;

private:
    // Replaces the storage by a fresh block holding `length` bytes of `text` (which may alias).
    void SetFrom(const char* text, int length);

    char* m_pText = nullptr;
    int m_iLength = 0;
};
