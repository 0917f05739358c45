// Registry fixtures for the test programs, written and read with the plain registry API so that the
// checks never go through the code under test. Every writer creates its key when it is missing;
// every remover counts a key or value that was never there as removed.
#pragma once

#include <windows.h>

#include <string>

namespace testsupport {

// A value as the registry holds it.
struct RegValue {
    bool exists = false;
    DWORD type = REG_NONE;
    std::string bytes;  // exactly as stored

    // The first four bytes as a number; 0 when there are fewer.
    DWORD Dword() const;
    // The bytes up to the first zero.
    std::string Text() const { return std::string(bytes.c_str()); }
};

// Value data as the registry stores it.
std::string DwordData(DWORD value);
std::string TextData(const std::string& text);  // with its terminating zero

// Sets the value to exactly these bytes; false when the key or the value cannot be written.
bool WriteRegValue(HKEY root, const std::string& key, const char* name, DWORD type, const std::string& bytes);
bool WriteRegDword(HKEY root, const std::string& key, const char* name, DWORD value);
RegValue ReadRegValue(HKEY root, const std::string& key, const char* name);
// True when the value is gone afterwards.
bool DeleteRegValue(HKEY root, const std::string& key, const char* name);
// Deletes the key with everything below it; true when it is gone afterwards.
bool DeleteRegTree(HKEY root, const std::string& key);

// A value as it was before the test, put back (or deleted again) when the test ends.
class SavedRegValue {
public:
    SavedRegValue(HKEY root, const std::string& key, const char* name);
    ~SavedRegValue();
    SavedRegValue(const SavedRegValue&) = delete;
    SavedRegValue& operator=(const SavedRegValue&) = delete;

private:
    HKEY m_hRoot;
    std::string m_sKey;
    std::string m_sName;
    RegValue m_Saved;
};

}  // namespace testsupport
